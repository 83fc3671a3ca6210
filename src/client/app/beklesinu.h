#pragma once

// Background calls of the windows: Async(background)->Await(ui), the
// synchronous call to the UI thread and the standard tab loader.

#include <platform/async/background.h>

#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QWaitCondition>
#include <QWidget>

#include <functional>
#include <memory>

namespace kolvar {

class IAwait
{
public:
    virtual ~IAwait() = default;
    // Starts the background procedure and returns at once; `ui` runs on the
    // calling thread after the background procedure has returned.
    virtual void Await(std::function<void()> ui) = 0;
};

class TAwait : public IAwait
{
public:
    explicit TAwait(std::function<void()> async);
    void Await(std::function<void()> ui) override;

private:
    std::function<void()> FAsync;
};

std::shared_ptr<IAwait> Async(std::function<void()> proc);

// The report every loader shows when its connection could not be made.
void BaglantiHatasiGoster();

// Keeps count of the worker parts still running for an owner, so that the
// owner can wait for them before freeing what they fill.
class CalismaIzi
{
public:
    void basla();
    void bitir();
    void bekle(); // blocks until no worker part runs
    // Wraps a worker part: counted from now until it returns or throws.
    static std::function<void()> sar(std::shared_ptr<CalismaIzi> iz, std::function<void()> is);

private:
    QMutex m_kilit;
    QWaitCondition m_bitti;
    int m_suren = 0;
};

// Loads one tab's data in the background: the grid is disabled (and
// detached) on the UI thread, the loader runs on a worker and says whether
// it failed (`hata`), then the grid is restored and, on failure, the
// standard report shown. A show of the tab while its load still runs does
// not start a second one: the running load delivers fresh data anyway, and
// two loads must never fill one dataset at the same time.
class SekmeYukleyici : public QObject
{
    Q_OBJECT
public:
    explicit SekmeYukleyici(QObject *parent = nullptr);

    void setBusyWidget(QWidget *animation) { m_busy = animation; }
    // UI thread, before the worker starts: disable the grid, detach its
    // data source, begin the batch update.
    void setPrepare(std::function<void()> prepare) { m_prepare = std::move(prepare); }
    // Worker: fills the dataset on its own connection copy; true = failed.
    void setLoader(std::function<bool()> loader) { m_loader = std::move(loader); }
    // UI thread, after the worker: re-attach, end the batch update, enable
    // the grid. Runs before `finish` and before the report.
    void setRestore(std::function<void()> restore) { m_restore = std::move(restore); }
    // UI thread, last: the member's own finishing, told whether it failed.
    void setFinish(std::function<void(bool hata)> finish) { m_finish = std::move(finish); }

    // False when a load of this tab is already running.
    bool start();
    bool isRunning() const { return m_running; }
    // Blocks until the worker part of a running load has returned; the
    // owner calls it before freeing what the loader fills.
    void bekle();

Q_SIGNALS:
    void finished(bool hata);

private:
    QPointer<QWidget> m_busy;
    std::function<void()> m_prepare;
    std::function<bool()> m_loader;
    std::function<void()> m_restore;
    std::function<void(bool)> m_finish;
    bool m_running = false;
    std::shared_ptr<CalismaIzi> m_calisma;
};

} // namespace kolvar
