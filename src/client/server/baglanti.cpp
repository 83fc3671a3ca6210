#include "baglanti.h"

#include <platform/async/background.h>
#include <platform/dialogs/mesajver.h>

#include <QMutex>
#include <QScopeGuard>
#include <QThread>

namespace kolvar {

namespace {

constexpr int kAttempts = 11;
constexpr int kPauseMs = 500;

QMutex pauseLock;
std::function<void(int)> &pauseSlot()
{
    static std::function<void(int)> pause;
    return pause;
}

void pauseFor(int ms)
{
    std::function<void(int)> pause;
    {
        QMutexLocker lock(&pauseLock);
        pause = pauseSlot();
    }
    if (pause)
        pause(ms);
    else
        QThread::msleep(ulong(ms));
}

} // namespace

void setRetryPause(std::function<void(int ms)> pause)
{
    QMutexLocker lock(&pauseLock);
    pauseSlot() = std::move(pause);
}

bool BaglantiKur(DSConnection *connection, int report)
{
    if (!connection)
        return false;
    connection->close();
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        try {
            connection->open();
            return true;
        } catch (const ConnectionError &) {
            connection->close();
            pauseFor(kPauseMs);
        }
    }
    if (report == 1)
        RunOnUiThread([] { MesajVer(kBaglantiKurulamiyor, 1, {MsgButton::OK}, MsgButton::OK); });
    return connection->isOpen();
}

bool KopyaylaCagir(const DSConnection &bagc, int report,
                   const std::function<void(TServerMethods1Client &)> &work)
{
    const std::unique_ptr<DSConnection> copy = bagc.clone();
    if (!BaglantiKur(copy.get(), report))
        return false;
    TServerMethods1Client proxy(copy.get());
    work(proxy);
    return true;
}

bool BaglantiylaCagir(DSConnection &bagc, int report,
                      const std::function<void(TServerMethods1Client &)> &work)
{
    if (!BaglantiKur(&bagc, report))
        return false;
    // A connection is never kept open between uses.
    const auto closeAfter = qScopeGuard([&bagc] { bagc.close(); });
    TServerMethods1Client proxy(&bagc);
    work(proxy);
    return true;
}

} // namespace kolvar
