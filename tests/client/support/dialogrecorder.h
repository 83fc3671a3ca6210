#pragma once

#include <platform/dialogs/mesajver.h>

#include <QList>
#include <QMutex>
#include <QThread>

#include <memory>

namespace kolvar::test {

// Answers every message dialog by itself while it is alive, and remembers
// what each would have shown and on which thread.
class DialogRecorder
{
public:
    struct Shown {
        MessageRequest request;
        QThread *thread = nullptr;
    };

    explicit DialogRecorder(int answer = mrOk);
    ~DialogRecorder();
    DialogRecorder(const DialogRecorder &) = delete;
    DialogRecorder &operator=(const DialogRecorder &) = delete;

    void setAnswer(int answer);
    QList<Shown> shown() const;
    int count() const;
    QStringList texts() const;

private:
    class Runner;
    std::shared_ptr<Runner> m_runner;
    std::shared_ptr<DialogRunner> m_previous;
};

} // namespace kolvar::test
