#include "beklesinu.h"

#include <server/baglanti.h>

#include <platform/dialogs/mesajver.h>

#include <QScopeGuard>
#include <QThread>

namespace kolvar {

TAwait::TAwait(std::function<void()> async) : FAsync(std::move(async)) {}

void TAwait::Await(std::function<void()> ui)
{
    runInBackground(FAsync, std::move(ui));
}

std::shared_ptr<IAwait> Async(std::function<void()> proc)
{
    return std::make_shared<TAwait>(std::move(proc));
}

void BaglantiHatasiGoster()
{
    MesajVer(kBaglantiKurulamiyor, 1, {MsgButton::OK}, MsgButton::OK);
}

void CalismaIzi::basla()
{
    QMutexLocker kilit(&m_kilit);
    ++m_suren;
}

void CalismaIzi::bitir()
{
    QMutexLocker kilit(&m_kilit);
    if (--m_suren == 0)
        m_bitti.wakeAll();
}

void CalismaIzi::bekle()
{
    QMutexLocker kilit(&m_kilit);
    while (m_suren > 0)
        m_bitti.wait(&m_kilit);
}

std::function<void()> CalismaIzi::sar(std::shared_ptr<CalismaIzi> iz, std::function<void()> is)
{
    iz->basla();
    return [iz = std::move(iz), is = std::move(is)] {
        const auto bitti = qScopeGuard([&iz] { iz->bitir(); });
        if (is)
            is();
    };
}

SekmeYukleyici::SekmeYukleyici(QObject *parent) : QObject(parent), m_calisma(std::make_shared<CalismaIzi>())
{}

void SekmeYukleyici::bekle()
{
    m_calisma->bekle();
}

bool SekmeYukleyici::start()
{
    Q_ASSERT(QThread::currentThread() == thread());
    if (m_running)
        return false;
    m_running = true;

    // Shared by both procedures; lives until the later of them has run.
    struct Durum {
        bool hata = false;
    };
    auto durum = std::make_shared<Durum>();

    if (m_busy)
        m_busy->show();
    if (m_prepare)
        m_prepare();

    QPointer<SekmeYukleyici> self(this);
    Async(CalismaIzi::sar(m_calisma, [durum, loader = m_loader] {
        if (loader)
            durum->hata = loader();
    }))->Await([self, durum] {
        if (!self)
            return; // the window went away meanwhile
        Q_ASSERT(QThread::currentThread() == self->thread());
        self->m_running = false;
        if (self->m_restore)
            self->m_restore();
        if (self->m_busy)
            self->m_busy->hide();
        if (self->m_finish)
            self->m_finish(durum->hata);
        if (durum->hata)
            BaglantiHatasiGoster();
        Q_EMIT self->finished(durum->hata);
    });
    return true;
}

} // namespace kolvar
