#include "dialogrecorder.h"

namespace kolvar::test {

class DialogRecorder::Runner : public DialogRunner
{
public:
    int run(const MessageRequest &request) override
    {
        QMutexLocker lock(&mutex);
        shown.append({request, QThread::currentThread()});
        return answer;
    }

    mutable QMutex mutex;
    QList<Shown> shown;
    int answer = mrOk;
};

DialogRecorder::DialogRecorder(int answer) : m_runner(std::make_shared<Runner>())
{
    m_runner->answer = answer;
    m_previous = setDialogRunner(m_runner);
}

DialogRecorder::~DialogRecorder()
{
    setDialogRunner(m_previous);
}

void DialogRecorder::setAnswer(int answer)
{
    QMutexLocker lock(&m_runner->mutex);
    m_runner->answer = answer;
}

QList<DialogRecorder::Shown> DialogRecorder::shown() const
{
    QMutexLocker lock(&m_runner->mutex);
    return m_runner->shown;
}

int DialogRecorder::count() const
{
    return int(shown().size());
}

QStringList DialogRecorder::texts() const
{
    QStringList out;
    for (const Shown &s : shown())
        out.append(s.request.text);
    return out;
}

} // namespace kolvar::test
