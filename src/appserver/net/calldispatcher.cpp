#include "calldispatcher.h"

#include "frontlog.h"

#include <methods/methodregistry.h>

#include <QElapsedTimer>
#include <QThread>

#include <exception>

namespace kolvar::server {

QString notImplementedMessage(const MethodDef &method)
{
    return QStringLiteral("%1 henüz uygulanmadı").arg(QLatin1StringView(method.name));
}

namespace {

// Error texts from bodies go to the log; keep a runaway one from flooding it.
QString clipped(const QString &text)
{
    constexpr qsizetype limit = 200;
    return text.size() <= limit ? text : text.left(limit) + QStringLiteral("…");
}

const QString GenericFailure = QStringLiteral("Sunucuda beklenmeyen bir hata oluştu");

// A body that hands back a value of another kind is a server fault; the codec
// would write null in its place and the client would take a broken answer
// for a successful one.
bool fitsKind(ValueKind kind, const WireValue &value)
{
    switch (kind) {
    case ValueKind::String: return std::holds_alternative<QString>(value);
    case ValueKind::Int32:
    case ValueKind::Int64:
        return std::holds_alternative<qint64>(value) || std::holds_alternative<bool>(value) ||
               std::holds_alternative<double>(value);
    case ValueKind::Double:
        return std::holds_alternative<double>(value) || std::holds_alternative<qint64>(value);
    case ValueKind::Boolean: return std::holds_alternative<bool>(value);
    case ValueKind::Stream: return std::holds_alternative<QByteArray>(value);
    case ValueKind::Object: // null either way
        return std::holds_alternative<std::shared_ptr<TransferObject>>(value) ||
               std::holds_alternative<std::monostate>(value);
    case ValueKind::JsonArray: return std::holds_alternative<QJsonArray>(value);
    case ValueKind::DataPacket:
    case ValueKind::Reader: return std::holds_alternative<Table>(value);
    case ValueKind::None:
    case ValueKind::Callback: return false;
    }
    return false;
}

// Empty when the results match the method's outputs, else what is wrong.
QString checkResults(const MethodDef &method, const QList<WireValue> &results)
{
    QList<ValueKind> kinds;
    for (const ParamDef &p : method.parameters()) {
        if (p.out)
            kinds.append(p.kind);
    }
    if (method.result != ValueKind::None)
        kinds.append(method.result);
    if (kinds.size() != results.size())
        return QStringLiteral("body returned %1 values, %2 expected").arg(results.size()).arg(kinds.size());
    for (qsizetype i = 0; i < kinds.size(); ++i) {
        if (!fitsKind(kinds[i], results[i]))
            return QStringLiteral("body returned value %1 not of kind %2")
                .arg(i)
                .arg(valueKindName(kinds[i]));
    }
    return {};
}

} // namespace

CallDispatcher::Reply CallDispatcher::handle(QByteArrayView payload, const QHostAddress &peer) const
{
    if (m_delayMs > 0)
        QThread::msleep(ulong(m_delayMs));
    DecodedRequest decoded = decodeRequest(payload);
    if (decoded.ok() && decoded.method)
        return {dispatch(*decoded.method, *decoded.request, peer), false};
    const char *name = decoded.method ? decoded.method->name : "-";
    if (decoded.malformed)
        qCWarning(lcFront).noquote() << "malformed request from" << peer.toString() << ":" << decoded.error;
    else
        qCInfo(lcCall).noquote() << name << peer.toString() << "rejected:" << clipped(decoded.error);
    return {encodeError(decoded.id, QStringLiteral("EServerError"), decoded.error), decoded.malformed};
}

QByteArray CallDispatcher::dispatch(const MethodDef &method, Request &request, const QHostAddress &peer) const
{
    QElapsedTimer clock;
    clock.start();
    auto logCall = [&](const QString &outcome) {
        qCInfo(lcCall).noquote() << method.name << peer.toString()
                                 << QString::number(double(clock.nsecsElapsed()) / 1e6, 'f', 3) +
                                        QStringLiteral("ms")
                                 << outcome;
    };
    auto fail = [&](const QString &errorClass, const QString &message, const QString &logged) {
        logCall(QStringLiteral("error %1: %2").arg(errorClass, clipped(logged)));
        return encodeError(request.id, errorClass, message);
    };

    const MethodBody *body = m_registry.body(&method);
    if (!body)
        return fail(QStringLiteral("EServerError"), notImplementedMessage(method), QStringLiteral("no body"));

    CallContext context;
    context.method = &method;
    context.session = request.session;
    context.key = request.key;
    context.peer = peer;
    try {
        CallResult result = (*body)(context, request.params);
        Response response;
        response.id = request.id;
        response.session = context.newSession;
        response.results = std::move(result.outs);
        if (method.result != ValueKind::None)
            response.results.append(std::move(result.result));
        if (const QString wrong = checkResults(method, response.results); !wrong.isEmpty())
            return fail(QStringLiteral("EServerError"), GenericFailure, wrong);
        QByteArray json = encodeResponse(method, response);
        logCall(QStringLiteral("ok"));
        return json;
    } catch (const MethodError &error) {
        const QString errorClass = QString::fromLatin1(error.errorClass());
        return fail(errorClass, error.message(), error.message());
    } catch (const std::exception &error) {
        return fail(QStringLiteral("EServerError"), GenericFailure, QString::fromLocal8Bit(error.what()));
    } catch (...) {
        return fail(QStringLiteral("EServerError"), GenericFailure, QStringLiteral("unknown exception"));
    }
}

} // namespace kolvar::server
