#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class QWidget;

namespace kolvar {

// Buttons of the message dialog; the numbers are also those of the
// default-button argument.
enum class MsgButton { Yes = 0, No, OK, Cancel, Abort, Retry, Ignore, All, NoToAll, YesToAll, Help, Close };

inline constexpr MsgButton mbYes = MsgButton::Yes;
inline constexpr MsgButton mbNo = MsgButton::No;
inline constexpr MsgButton mbOK = MsgButton::OK;
inline constexpr MsgButton mbCancel = MsgButton::Cancel;
inline constexpr MsgButton mbAbort = MsgButton::Abort;
inline constexpr MsgButton mbRetry = MsgButton::Retry;
inline constexpr MsgButton mbIgnore = MsgButton::Ignore;
inline constexpr MsgButton mbAll = MsgButton::All;
inline constexpr MsgButton mbNoToAll = MsgButton::NoToAll;
inline constexpr MsgButton mbYesToAll = MsgButton::YesToAll;
inline constexpr MsgButton mbHelp = MsgButton::Help;
inline constexpr MsgButton mbClose = MsgButton::Close;

// Modal results: which button closed the dialog.
enum ModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
    mrClose = 11,
};

// Kinds of message (the dialog type argument).
enum MsgKind : int { mkWarning = 0, mkError = 1, mkInformation = 2, mkQuestion = 3, mkPlain = 4 };

// The modal result a button gives (Help closes nothing: mrNone).
int modalResultOf(MsgButton button);
// "Evet", "Hayır", ...; empty for All and Close, which keep the default text.
QString buttonCaption(MsgButton button);
// "Uyarı", "Hata", "Bilgi", "Soru"; empty for the plain kind.
QString kindCaption(int kind);

// Everything one message dialog shows, prepared before it is shown.
struct MessageRequest {
    QString text;
    int kind = mkPlain;
    QString caption;          // empty: the application's name
    QList<MsgButton> buttons; // no duplicates; {OK} when the caller gave none
    QStringList buttonTexts;  // per button; empty = the toolkit's own text
    MsgButton defaultButton = MsgButton::OK;
    QWidget *owner = nullptr; // centred on it; the active window when null
    int fontPointSize = 15;
};

// Shows a prepared message and answers the modal result. The default runner
// shows a QMessageBox modally; another one may be installed process-wide
// (for example one that answers by itself).
class DialogRunner
{
public:
    virtual ~DialogRunner() = default;
    virtual int run(const MessageRequest &request) = 0;
};

// Installs a runner and answers the previous one; nullptr restores the
// default runner.
std::shared_ptr<DialogRunner> setDialogRunner(std::shared_ptr<DialogRunner> runner);

// Size of the message text; the main window sets 15 at start.
void setMessageFontPointSize(int points);
int messageFontPointSize();

// Shows `text` in the message dialog of `kind` (MsgKind) with `buttons`,
// `defaultButton` focused; answers the modal result (mrOk ... mrNo).
// UI thread only.
int MesajVer(const QString &text, int kind, const QList<MsgButton> &buttons, MsgButton defaultButton,
             QWidget *owner = nullptr);

} // namespace kolvar
