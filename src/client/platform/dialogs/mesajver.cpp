#include "mesajver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include <atomic>
#include <utility>

namespace kolvar {

namespace {

QMessageBox::Icon iconOf(int kind)
{
    switch (kind) {
    case mkWarning: return QMessageBox::Warning;
    case mkError: return QMessageBox::Critical;
    case mkInformation: return QMessageBox::Information;
    case mkQuestion: return QMessageBox::Question;
    default: return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButton standardOf(MsgButton button)
{
    switch (button) {
    case MsgButton::Yes: return QMessageBox::Yes;
    case MsgButton::No: return QMessageBox::No;
    case MsgButton::OK: return QMessageBox::Ok;
    case MsgButton::Cancel: return QMessageBox::Cancel;
    case MsgButton::Abort: return QMessageBox::Abort;
    case MsgButton::Retry: return QMessageBox::Retry;
    case MsgButton::Ignore: return QMessageBox::Ignore;
    case MsgButton::NoToAll: return QMessageBox::NoToAll;
    case MsgButton::YesToAll: return QMessageBox::YesToAll;
    case MsgButton::Help: return QMessageBox::Help;
    case MsgButton::Close: return QMessageBox::Close;
    case MsgButton::All: break; // no standard counterpart; added by text
    }
    return QMessageBox::NoButton;
}

// The toolkit's dialog, shown modally.
class MessageBoxRunner : public DialogRunner
{
public:
    int run(const MessageRequest &request) override
    {
        QWidget *owner = request.owner ? request.owner : QApplication::activeWindow();
        QMessageBox box(owner);
        box.setIcon(iconOf(request.kind));
        box.setWindowTitle(request.caption.isEmpty() ? QApplication::applicationDisplayName()
                                                     : request.caption);
        box.setText(request.text);
        box.setTextFormat(Qt::PlainText);
        if (auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
            QFont font = label->font();
            font.setPointSize(request.fontPointSize);
            label->setFont(font);
        }

        QList<QPair<QAbstractButton *, MsgButton>> made;
        QAbstractButton *focus = nullptr;
        for (qsizetype i = 0; i < request.buttons.size(); ++i) {
            const MsgButton b = request.buttons.at(i);
            QAbstractButton *button = nullptr;
            if (b == MsgButton::All)
                button =
                    box.addButton(QApplication::translate("QPlatformTheme", "All"), QMessageBox::AcceptRole);
            else
                button = box.addButton(standardOf(b));
            const QString text = request.buttonTexts.value(i);
            if (!text.isEmpty())
                button->setText(text);
            button->setObjectName(QStringLiteral("button%1").arg(int(b)));
            made.append({button, b});
            if (b == request.defaultButton)
                focus = button;
        }
        if (focus) {
            if (auto *push = qobject_cast<QPushButton *>(focus))
                box.setDefaultButton(push);
            // First in the tab order, so it holds the focus and Enter presses it.
            QWidget *previous = focus;
            for (const auto &m : made) {
                if (m.first != focus) {
                    QWidget::setTabOrder(previous, m.first);
                    previous = m.first;
                }
            }
            focus->setFocus();
        }
        box.exec();
        const QAbstractButton *clicked = box.clickedButton();
        for (const auto &m : made)
            if (m.first == clicked)
                return modalResultOf(m.second);
        return mrCancel; // closed without a button
    }
};

std::shared_ptr<DialogRunner> &currentRunner()
{
    static std::shared_ptr<DialogRunner> runner = std::make_shared<MessageBoxRunner>();
    return runner;
}

std::atomic<int> g_fontPointSize{15};

void playSound(int kind)
{
    if (kind >= mkWarning && kind <= mkQuestion)
        QApplication::beep();
}

} // namespace

int modalResultOf(MsgButton button)
{
    switch (button) {
    case MsgButton::Yes: return mrYes;
    case MsgButton::No: return mrNo;
    case MsgButton::OK: return mrOk;
    case MsgButton::Cancel: return mrCancel;
    case MsgButton::Abort: return mrAbort;
    case MsgButton::Retry: return mrRetry;
    case MsgButton::Ignore: return mrIgnore;
    case MsgButton::All: return mrAll;
    case MsgButton::NoToAll: return mrNoToAll;
    case MsgButton::YesToAll: return mrYesToAll;
    case MsgButton::Help: return mrNone;
    case MsgButton::Close: return mrClose;
    }
    return mrNone;
}

QString buttonCaption(MsgButton button)
{
    switch (button) {
    case MsgButton::Yes: return QStringLiteral("Evet");
    case MsgButton::No: return QStringLiteral("Hayır");
    case MsgButton::OK: return QStringLiteral("Tamam");
    case MsgButton::Cancel: return QStringLiteral("Vazgeç");
    case MsgButton::Abort: return QStringLiteral("İptal");
    case MsgButton::Retry: return QStringLiteral("Tekrar");
    case MsgButton::Ignore: return QStringLiteral("Atla");
    case MsgButton::YesToAll: return QStringLiteral("Tümüne Evet");
    case MsgButton::NoToAll: return QStringLiteral("Tümüne Hayır");
    case MsgButton::Help: return QStringLiteral("Yardım");
    case MsgButton::All:
    case MsgButton::Close: break;
    }
    return {};
}

QString kindCaption(int kind)
{
    switch (kind) {
    case mkWarning: return QStringLiteral("Uyarı");
    case mkError: return QStringLiteral("Hata");
    case mkInformation: return QStringLiteral("Bilgi");
    case mkQuestion: return QStringLiteral("Soru");
    default: return {};
    }
}

std::shared_ptr<DialogRunner> setDialogRunner(std::shared_ptr<DialogRunner> runner)
{
    if (!runner)
        runner = std::make_shared<MessageBoxRunner>();
    return std::exchange(currentRunner(), std::move(runner));
}

void setMessageFontPointSize(int points)
{
    if (points > 0)
        g_fontPointSize = points;
}

int messageFontPointSize()
{
    return g_fontPointSize;
}

int MesajVer(const QString &text, int kind, const QList<MsgButton> &buttons, MsgButton defaultButton,
             QWidget *owner)
{
    Q_ASSERT(qApp && QThread::currentThread() == qApp->thread());
    MessageRequest request;
    request.text = text;
    request.kind = kind;
    request.caption = kindCaption(kind);
    for (MsgButton b : buttons)
        if (!request.buttons.contains(b))
            request.buttons.append(b);
    if (request.buttons.isEmpty())
        request.buttons.append(MsgButton::OK);
    for (MsgButton b : std::as_const(request.buttons))
        request.buttonTexts.append(buttonCaption(b));
    request.defaultButton = defaultButton;
    request.owner = owner;
    request.fontPointSize = messageFontPointSize();
    playSound(kind);
    // Keep the runner alive even if the dialog installs another one.
    const std::shared_ptr<DialogRunner> runner = currentRunner();
    return runner->run(request);
}

} // namespace kolvar
