#include "frontoptions.h"

#include <QThread>

namespace kolvar::server {

int FrontOptions::effectiveWorkers() const
{
    return workers > 0 ? workers : qMax(4, QThread::idealThreadCount() * 2);
}

int FrontOptions::effectiveIoThreads() const
{
    return ioThreads > 0 ? ioThreads : qMax(1, QThread::idealThreadCount());
}

} // namespace kolvar::server
