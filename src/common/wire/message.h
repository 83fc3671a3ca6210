#pragma once

#include "wirevalue.h"

#include <catalogue/methodcatalogue.h>

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace kolvar {

class JsonReader;
class JsonWriter;

struct Request {
    qint64 id = 0;
    QString method;  // bare name: "SepetVer2"
    QString session; // empty when the request carries none
    // Idempotency key chosen by the client for one user action; empty when
    // the request carries none. A method that honours it answers a repeat
    // of the same key with the first answer instead of acting twice.
    QString key;
    QList<WireValue> params; // the inputs only, in declared order
};

// Longest idempotency key a request may carry (a UUID needs 38).
inline constexpr qsizetype MaxRequestKeyLength = 128;

struct Response {
    qint64 id = 0;
    QString session; // empty when the response carries none
    // The out parameters in declared order, then the method's result unless
    // its kind is none.
    QList<WireValue> results;
    bool isError = false;
    QString errorClass;
    QString errorMessage;
};

struct DecodedRequest {
    std::optional<Request> request;    // set on success
    const MethodDef *method = nullptr; // set once the method is known
    std::optional<qint64> id;          // set whenever the id could be read
    QString error;                     // empty on success
    // The text was not a JSON object at all (bad UTF-8, bad syntax, too
    // deep): the connection cannot be trusted any more. Otherwise the request
    // was merely wrong (unknown method, wrong parameters) and the connection
    // stays usable.
    bool malformed = false;

    bool ok() const { return request.has_value(); }
};

QByteArray encodeRequest(const MethodDef &method, qint64 id, const QString &session,
                         const QList<WireValue> &inputs, const QString &key = {});
DecodedRequest decodeRequest(QByteArrayView json);

QByteArray encodeResponse(const MethodDef &method, const Response &response);
// Without an id (the request's could not be read) the response carries "id": null.
QByteArray encodeError(std::optional<qint64> id, const QString &errorClass, const QString &message);
// An error response comes back as a Response with isError set; nullopt (and
// *error) when the text is not a valid response for this method.
std::optional<Response> decodeResponse(const MethodDef &method, QByteArrayView json, QString *error);

// One value of the given kind, as used by the codec above.
void writeWireValue(JsonWriter &out, ValueKind kind, const WireValue &value, int &nextObjectId);
std::optional<WireValue> readWireValue(JsonReader &in, ValueKind kind, const char *className, QString *error);

} // namespace kolvar
