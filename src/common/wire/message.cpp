#include "message.h"

#include "jsonreader.h"
#include "jsonwriter.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <limits>

namespace kolvar {

namespace {

using Token = JsonReader::Token;

constexpr QStringView kCommandPrefix = u"TServerMethods1.";

QString kindMismatch(ValueKind kind)
{
    return QStringLiteral("expected %1").arg(QLatin1StringView(valueKindName(kind)));
}

} // namespace

void writeWireValue(JsonWriter &out, ValueKind kind, const WireValue &value, int &nextObjectId)
{
    // The caller's variant normally matches the kind; numbers are converted
    // between the integer and floating forms, anything else unusable goes
    // out as null so the receiver can refuse it.
    switch (kind) {
    case ValueKind::String:
        if (auto s = std::get_if<QString>(&value)) {
            out.value(QStringView(*s));
            return;
        }
        break;
    case ValueKind::Int32:
    case ValueKind::Int64:
        if (auto i = std::get_if<qint64>(&value)) {
            out.value(*i);
            return;
        }
        if (auto b = std::get_if<bool>(&value)) {
            out.value(qint64(*b));
            return;
        }
        if (auto r = std::get_if<double>(&value)) {
            out.value(qRound64(*r));
            return;
        }
        break;
    case ValueKind::Double:
        if (auto r = std::get_if<double>(&value)) {
            out.value(*r);
            return;
        }
        if (auto i = std::get_if<qint64>(&value)) {
            out.value(double(*i));
            return;
        }
        break;
    case ValueKind::Boolean:
        if (auto b = std::get_if<bool>(&value)) {
            out.value(*b);
            return;
        }
        break;
    case ValueKind::Stream:
        if (auto bytes = std::get_if<QByteArray>(&value)) {
            out.base64(*bytes);
            return;
        }
        break;
    case ValueKind::Object:
        if (auto object = std::get_if<std::shared_ptr<TransferObject>>(&value); object && *object) {
            (*object)->writeJson(out, nextObjectId);
            return;
        }
        break;
    case ValueKind::JsonArray:
        if (auto array = std::get_if<QJsonArray>(&value)) {
            out.raw(QJsonDocument(*array).toJson(QJsonDocument::Compact));
            return;
        }
        break;
    case ValueKind::DataPacket:
    case ValueKind::Reader:
        if (auto table = std::get_if<Table>(&value)) {
            table->writeJson(out);
            return;
        }
        break;
    case ValueKind::None:
    case ValueKind::Callback: break;
    }
    out.null();
}

std::optional<WireValue> readWireValue(JsonReader &in, ValueKind kind, const char *className, QString *error)
{
    auto fail = [&](const QString &message) -> std::optional<WireValue> {
        in.setError(message);
        if (error)
            *error = in.errorString();
        return std::nullopt;
    };
    switch (kind) {
    case ValueKind::Object: {
        const QJsonValue v = in.readValue();
        if (v.isUndefined())
            return fail(QString());
        if (v.isNull())
            return WireValue(std::shared_ptr<TransferObject>());
        if (!v.isObject())
            return fail(kindMismatch(kind));
        QString why;
        std::shared_ptr<TransferObject> object(transferObjectFromJson(v, &why));
        if (!object)
            return fail(why.isEmpty() ? kindMismatch(kind) : why);
        if (className && *className && object->className() != QLatin1StringView(className))
            return fail(QStringLiteral("expected an object of class %1, got %2")
                            .arg(QLatin1StringView(className), object->className()));
        return WireValue(std::move(object));
    }
    case ValueKind::JsonArray: {
        const QJsonValue v = in.readValue();
        if (v.isUndefined())
            return fail(QString());
        if (!v.isArray())
            return fail(kindMismatch(kind));
        return WireValue(v.toArray());
    }
    case ValueKind::DataPacket:
    case ValueKind::Reader: {
        QString why;
        auto table = Table::readJson(in, &why);
        if (!table) {
            if (error)
                *error = why;
            return std::nullopt;
        }
        return WireValue(std::move(*table));
    }
    case ValueKind::Callback: return fail(QStringLiteral("a callback cannot be passed over the wire"));
    case ValueKind::None: return fail(QStringLiteral("no value expected"));
    default: break;
    }

    const Token t = in.next();
    if (t == Token::Error) {
        if (error)
            *error = in.errorString();
        return std::nullopt;
    }
    switch (kind) {
    case ValueKind::String:
        if (t == Token::String)
            return WireValue(in.string());
        break;
    case ValueKind::Int32:
        if (t == Token::Integer) {
            if (in.integer() < std::numeric_limits<qint32>::min() ||
                in.integer() > std::numeric_limits<qint32>::max())
                return fail(QStringLiteral("%1 is out of the int32 range").arg(in.integer()));
            return WireValue(in.integer());
        }
        if (t == Token::Double)
            return fail(QStringLiteral("expected an integer (int32)"));
        break;
    case ValueKind::Int64:
        if (t == Token::Integer)
            return WireValue(in.integer());
        if (t == Token::Double)
            return fail(QStringLiteral("expected an integer in the int64 range"));
        break;
    case ValueKind::Double:
        if (t == Token::Integer || t == Token::Double)
            return WireValue(in.real());
        break;
    case ValueKind::Boolean:
        if (t == Token::Bool)
            return WireValue(in.boolean());
        break;
    case ValueKind::Stream:
        if (t == Token::String) {
            const QByteArray encoded =
                in.stringHasEscapes() ? in.string().toLatin1() : in.rawString().toByteArray();
            auto decoded = QByteArray::fromBase64Encoding(encoded, QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded)
                return fail(QStringLiteral("invalid base64 in a stream"));
            return WireValue(std::move(decoded.decoded));
        }
        break;
    default: break;
    }
    return fail(kindMismatch(kind));
}

QByteArray encodeRequest(const MethodDef &method, qint64 id, const QString &session,
                         const QList<WireValue> &inputs, const QString &key)
{
    JsonWriter w;
    w.beginObject();
    w.key(QLatin1StringView("id"));
    w.value(id);
    w.key(QLatin1StringView("method"));
    w.value(QStringView(method.commandText()));
    if (!session.isEmpty()) {
        w.key(QLatin1StringView("session"));
        w.value(QStringView(session));
    }
    if (!key.isEmpty()) {
        w.key(QLatin1StringView("key"));
        w.value(QStringView(key));
    }
    w.key(QLatin1StringView("params"));
    w.beginArray();
    int nextObjectId = 1;
    qsizetype i = 0;
    for (const ParamDef &p : method.parameters()) {
        if (p.out)
            continue;
        writeWireValue(w, p.kind, i < inputs.size() ? inputs[i] : WireValue(), nextObjectId);
        ++i;
    }
    w.endArray();
    w.endObject();
    return w.take();
}

DecodedRequest decodeRequest(QByteArrayView json)
{
    DecodedRequest result;
    JsonReader in(json);
    auto malformed = [&](JsonReader &r) {
        if (!r.hasError())
            r.setError(QStringLiteral("malformed request"));
        result.error = r.errorString();
        result.malformed = true;
        return result;
    };

    // First pass: the whole text must be valid JSON; the parameters can only
    // be checked once the method is known, wherever "params" stands.
    if (in.next() != Token::BeginObject) {
        if (!in.hasError())
            in.setError(QStringLiteral("a request must be a JSON object"));
        return malformed(in);
    }
    QString methodName, session, key, problem;
    bool haveMethod = false, haveParams = false;
    std::optional<JsonReader> params;
    Token t;
    while ((t = in.next()) == Token::Key) {
        // Look at the member's value through a copy, then step over it: a
        // value of the wrong kind is a wrong request, not a malformed one.
        JsonReader value = in;
        const Token v = value.next();
        auto wrong = [&](const char *message) {
            if (problem.isEmpty())
                problem = QLatin1StringView(message);
        };
        if (in.stringEquals(QLatin1StringView("id"))) {
            if (v == Token::Integer)
                result.id = value.integer();
            else
                wrong("\"id\" must be an integer");
        } else if (in.stringEquals(QLatin1StringView("method"))) {
            haveMethod = v == Token::String;
            if (haveMethod)
                methodName = value.string();
            else
                wrong("\"method\" must be a string");
        } else if (in.stringEquals(QLatin1StringView("session"))) {
            if (v == Token::String)
                session = value.string();
            else if (v != Token::Null)
                wrong("\"session\" must be a string");
        } else if (in.stringEquals(QLatin1StringView("key"))) {
            if (v == Token::String && value.string().size() <= MaxRequestKeyLength)
                key = value.string();
            else if (v == Token::String)
                wrong("\"key\" is longer than 128 characters");
            else if (v != Token::Null)
                wrong("\"key\" must be a string");
        } else if (in.stringEquals(QLatin1StringView("params"))) {
            haveParams = true;
            params = in;
        }
        if (!in.skipValue())
            return malformed(in);
    }
    if (t != Token::EndObject || in.next() != Token::End)
        return malformed(in);

    if (!problem.isEmpty()) {
        result.error = problem;
        return result;
    }
    if (!haveMethod) {
        result.error = QStringLiteral("the request names no method");
        return result;
    }
    if (!methodName.startsWith(kCommandPrefix)) {
        result.error = QStringLiteral("unknown method \"%1\"").arg(methodName);
        return result;
    }
    const MethodDef *method = findMethod(methodName);
    if (!method) {
        result.error = QStringLiteral("unknown method \"%1\"").arg(methodName);
        return result;
    }
    result.method = method;
    if (!haveParams) {
        result.error = QStringLiteral("the request has no \"params\"");
        return result;
    }

    // Second pass over "params" only.
    JsonReader &p = *params;
    const int expected = method->inputCount();
    if (p.next() != Token::BeginArray) {
        result.error = QStringLiteral("\"params\" must be an array");
        return result;
    }
    Request request;
    request.id = result.id.value_or(0);
    request.method = QLatin1StringView(method->name);
    request.session = session;
    request.key = key;
    request.params.reserve(expected);
    int index = 0;
    for (const ParamDef &def : method->parameters()) {
        if (def.out)
            continue;
        // A copy answers whether the array has ended without consuming a value.
        JsonReader probe = p;
        if (probe.next() == Token::EndArray) {
            result.error = QStringLiteral("%1 expects %2 parameters, got %3")
                               .arg(method->commandText())
                               .arg(expected)
                               .arg(index);
            return result;
        }
        QString why;
        auto value = readWireValue(p, def.kind, def.className, &why);
        if (!value) {
            result.error =
                QStringLiteral("parameter %1 (%2): %3").arg(index + 1).arg(QLatin1StringView(def.name), why);
            return result;
        }
        request.params.append(std::move(*value));
        ++index;
    }
    if (p.next() != Token::EndArray) {
        int count = index + 1;
        while (p.skipValue()) {
            ++count;
        }
        result.error = QStringLiteral("%1 expects %2 parameters, got %3")
                           .arg(method->commandText())
                           .arg(expected)
                           .arg(count);
        return result;
    }
    result.request = std::move(request);
    return result;
}

QByteArray encodeResponse(const MethodDef &method, const Response &response)
{
    if (response.isError)
        return encodeError(response.id, response.errorClass, response.errorMessage);
    JsonWriter w;
    w.beginObject();
    w.key(QLatin1StringView("id"));
    w.value(response.id);
    if (!response.session.isEmpty()) {
        w.key(QLatin1StringView("session"));
        w.value(QStringView(response.session));
    }
    w.key(QLatin1StringView("result"));
    w.beginArray();
    int nextObjectId = 1;
    qsizetype i = 0;
    auto next = [&] { return i < response.results.size() ? response.results[i++] : WireValue(); };
    for (const ParamDef &p : method.parameters()) {
        if (p.out)
            writeWireValue(w, p.kind, next(), nextObjectId);
    }
    if (method.result != ValueKind::None)
        writeWireValue(w, method.result, next(), nextObjectId);
    w.endArray();
    w.endObject();
    return w.take();
}

QByteArray encodeError(std::optional<qint64> id, const QString &errorClass, const QString &message)
{
    JsonWriter w;
    w.beginObject();
    w.key(QLatin1StringView("id"));
    if (id)
        w.value(*id);
    else
        w.null();
    w.key(QLatin1StringView("error"));
    w.beginObject();
    w.key(QLatin1StringView("class"));
    w.value(QStringView(errorClass));
    w.key(QLatin1StringView("message"));
    w.value(QStringView(message));
    w.endObject();
    w.endObject();
    return w.take();
}

std::optional<Response> decodeResponse(const MethodDef &method, QByteArrayView json, QString *error)
{
    JsonReader in(json);
    // message empty: the reader's own error says what is wrong.
    auto fail = [&](const QString &message) -> std::optional<Response> {
        if (error)
            *error = message.isEmpty() ? in.errorString() : message;
        return std::nullopt;
    };
    if (in.next() != Token::BeginObject)
        return fail(in.hasError() ? QString() : QStringLiteral("a response must be a JSON object"));

    Response response;
    bool haveId = false, haveResult = false;
    Token t;
    while ((t = in.next()) == Token::Key) {
        if (in.stringEquals(QLatin1StringView("id"))) {
            t = in.next();
            if (t == Token::Integer) {
                response.id = in.integer();
                haveId = true;
            } else if (t != Token::Null) {
                return fail(QStringLiteral("\"id\" must be an integer"));
            }
        } else if (in.stringEquals(QLatin1StringView("session"))) {
            t = in.next();
            if (t == Token::String)
                response.session = in.string();
            else if (t != Token::Null)
                return fail(QStringLiteral("\"session\" must be a string"));
        } else if (in.stringEquals(QLatin1StringView("error"))) {
            if (in.next() != Token::BeginObject)
                return fail(QStringLiteral("\"error\" must be an object"));
            response.isError = true;
            while ((t = in.next()) == Token::Key) {
                QString *target = in.stringEquals(QLatin1StringView("class"))     ? &response.errorClass
                                  : in.stringEquals(QLatin1StringView("message")) ? &response.errorMessage
                                                                                  : nullptr;
                if (!target) {
                    if (!in.skipValue())
                        return fail(QString());
                    continue;
                }
                t = in.next();
                if (t == Token::String)
                    *target = in.string();
                else if (t != Token::Null)
                    return fail(QStringLiteral("error texts must be strings"));
            }
            if (t != Token::EndObject)
                return fail(QString());
        } else if (in.stringEquals(QLatin1StringView("result"))) {
            if (in.next() != Token::BeginArray)
                return fail(QStringLiteral("\"result\" must be an array"));
            haveResult = true;
            const int expected = method.outputCount() + (method.result != ValueKind::None ? 1 : 0);
            auto readOne = [&](ValueKind kind, const char *className, const char *name) {
                JsonReader probe = in;
                if (probe.next() == Token::EndArray) {
                    fail(QStringLiteral("%1 answers %2 values, got %3")
                             .arg(method.commandText())
                             .arg(expected)
                             .arg(response.results.size()));
                    return false;
                }
                QString why;
                auto value = readWireValue(in, kind, className, &why);
                if (!value) {
                    fail(QStringLiteral("%1 (%2): %3")
                             .arg(method.commandText(), QLatin1StringView(name), why));
                    return false;
                }
                response.results.append(std::move(*value));
                return true;
            };
            for (const ParamDef &p : method.parameters()) {
                if (p.out && !readOne(p.kind, p.className, p.name))
                    return std::nullopt;
            }
            if (method.result != ValueKind::None && !readOne(method.result, method.resultClass, "result"))
                return std::nullopt;
            if (in.next() != Token::EndArray)
                return fail(
                    QStringLiteral("%1 answers %2 values, got more").arg(method.commandText()).arg(expected));
        } else if (!in.skipValue()) {
            return fail(QString());
        }
    }
    if (t != Token::EndObject || in.next() != Token::End)
        return fail(QString());
    if (!haveId && !response.isError)
        return fail(QStringLiteral("the response has no \"id\""));
    if (!haveResult && !response.isError)
        return fail(QStringLiteral("the response has neither \"result\" nor \"error\""));
    return response;
}

} // namespace kolvar
