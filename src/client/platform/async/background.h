#pragma once

#include <QString>

#include <exception>
#include <functional>

namespace kolvar {

// Runs `work` on a thread of the shared pool and then `ui` on the thread that
// called this function (which must run an event loop; in the program it is
// always the UI thread). An exception escaping `work` is reported through the
// error reporter right after `ui` has run; one escaping `ui` is reported too.
void runInBackground(std::function<void()> work, std::function<void()> ui);

// Runs `proc` on the UI thread and waits for it; runs it directly when the
// caller already is the UI thread. An exception thrown by `proc` is rethrown
// in the caller.
void RunOnUiThread(const std::function<void()> &proc);

// The application's default error report. The default reporter shows the
// text in an error dialog; tests and the application may replace it.
using ErrorReporter = std::function<void(const QString &text)>;
void setErrorReporter(ErrorReporter reporter); // empty = restore the default
void reportError(const QString &text);         // UI thread only

// Runs `work` on the calling (UI) thread; an exception escaping it ends it
// and goes to the error report instead of the event loop.
void reportErrors(const std::function<void()> &work);

// The text an exception carries ("Bilinmeyen hata" for one without text).
QString exceptionText(const std::exception_ptr &error);

} // namespace kolvar
