#pragma once

#include <QObject>

class QSocketNotifier;

namespace kolvar::server {

// Turns SIGTERM and SIGINT into a Qt signal on the thread that creates it.
// Construct before any other thread starts: the signals are blocked for the
// whole process and read from a signalfd, so no thread is interrupted.
class StopSignals : public QObject
{
    Q_OBJECT
public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;
    bool isValid() const { return m_fd >= 0; }

signals:
    void stopRequested(int signalNumber);

private:
    void readSignal();
    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace kolvar::server
