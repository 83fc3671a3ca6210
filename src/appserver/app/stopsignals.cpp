#include "stopsignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

namespace kolvar::server {

StopSignals::StopSignals(QObject *parent) : QObject(parent)
{
    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGTERM);
    sigaddset(&mask, SIGINT);
    if (pthread_sigmask(SIG_BLOCK, &mask, nullptr) != 0)
        return;
    m_fd = signalfd(-1, &mask, SFD_NONBLOCK | SFD_CLOEXEC);
    if (m_fd < 0)
        return;
    m_notifier = new QSocketNotifier(qintptr(m_fd), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readSignal);
}

StopSignals::~StopSignals()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

void StopSignals::readSignal()
{
    signalfd_siginfo info;
    while (::read(m_fd, &info, sizeof info) == ssize_t(sizeof info))
        emit stopRequested(int(info.ssi_signo));
}

} // namespace kolvar::server
