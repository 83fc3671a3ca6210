#include "background.h"

#include <platform/dialogs/mesajver.h>

#include <QCoreApplication>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <QThreadPool>

#include <stdexcept>

namespace kolvar {

namespace {

QMutex reporterLock;
ErrorReporter &reporterSlot()
{
    static ErrorReporter reporter;
    return reporter;
}

void defaultReport(const QString &text)
{
    MesajVer(text, 1, {MsgButton::OK}, MsgButton::OK);
}

} // namespace

void setErrorReporter(ErrorReporter reporter)
{
    QMutexLocker lock(&reporterLock);
    reporterSlot() = std::move(reporter);
}

void reportError(const QString &text)
{
    ErrorReporter reporter;
    {
        QMutexLocker lock(&reporterLock);
        reporter = reporterSlot();
    }
    if (reporter)
        reporter(text);
    else
        defaultReport(text);
}

void reportErrors(const std::function<void()> &work)
{
    try {
        work();
    } catch (...) {
        reportError(exceptionText(std::current_exception()));
    }
}

QString exceptionText(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &e) {
        const QString text = QString::fromUtf8(e.what());
        return text.isEmpty() ? QStringLiteral("Bilinmeyen hata") : text;
    } catch (...) {
        return QStringLiteral("Bilinmeyen hata");
    }
}

void runInBackground(std::function<void()> work, std::function<void()> ui)
{
    // The continuation is posted to an object of the calling thread, so it
    // always runs there when that thread's event loop next turns, never
    // inside this call, even when the work is done before this returns.
    auto *context = new QObject;
    QThread *const caller = QThread::currentThread();
    QThreadPool::globalInstance()->start(
        [work = std::move(work), ui = std::move(ui), context, caller]() mutable {
            std::exception_ptr error;
            try {
                work();
            } catch (...) {
                error = std::current_exception();
            }
            QMetaObject::invokeMethod(
                context,
                [context, caller, ui = std::move(ui), error] {
                    Q_ASSERT(QThread::currentThread() == caller);
                    Q_UNUSED(caller);
                    context->deleteLater();
                    try {
                        if (ui)
                            ui();
                    } catch (...) {
                        reportError(exceptionText(std::current_exception()));
                    }
                    if (error)
                        reportError(exceptionText(error));
                },
                Qt::QueuedConnection);
        });
}

void RunOnUiThread(const std::function<void()> &proc)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        proc();
        return;
    }
    std::exception_ptr error;
    QMetaObject::invokeMethod(
        app,
        [&] {
            try {
                proc();
            } catch (...) {
                error = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (error)
        std::rethrow_exception(error);
}

} // namespace kolvar
