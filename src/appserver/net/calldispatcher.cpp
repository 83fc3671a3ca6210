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
    context.peer = peer;
    try {
        CallResult result = (*body)(context, request.params);
        Response response;
        response.id = request.id;
        response.session = context.newSession;
        response.results = std::move(result.outs);
        if (method.result != ValueKind::None)
            response.results.append(std::move(result.result));
        QByteArray json = encodeResponse(method, response);
        logCall(QStringLiteral("ok"));
        return json;
    } catch (const MethodError &error) {
        const QString errorClass = QString::fromLatin1(error.errorClass());
        return fail(errorClass, error.message(), error.message());
    } catch (const std::exception &error) {
        return fail(QStringLiteral("EServerError"), QStringLiteral("Sunucuda beklenmeyen bir hata oluştu"),
                    QString::fromLocal8Bit(error.what()));
    } catch (...) {
        return fail(QStringLiteral("EServerError"), QStringLiteral("Sunucuda beklenmeyen bir hata oluştu"),
                    QStringLiteral("unknown exception"));
    }
}

} // namespace kolvar::server
