#include "logging.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <cstdio>

namespace kolvar::server {

namespace {

void writeLine(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    QByteArray line = qFormatLogMessage(type, context, message).toUtf8();
    line.append('\n');
    // One fwrite per line: stdio's lock keeps lines of different threads whole.
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    if (type == QtFatalMsg)
        std::fflush(stderr);
}

} // namespace

void installServerLogging()
{
    qSetMessagePattern(
        QStringLiteral("%{time yyyy-MM-dd hh:mm:ss.zzz} "
                       "%{if-debug}DEBUG%{endif}%{if-info}INFO %{endif}%{if-warning}WARN %{endif}"
                       "%{if-critical}ERROR%{endif}%{if-fatal}FATAL%{endif} "
                       "[%{category}] %{message}"));
    qInstallMessageHandler(writeLine);
}

} // namespace kolvar::server
