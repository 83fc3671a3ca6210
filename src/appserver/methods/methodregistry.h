#pragma once

#include <catalogue/methodcatalogue.h>
#include <wire/wirevalue.h>

#include <QHostAddress>
#include <QList>
#include <QString>

#include <functional>
#include <stdexcept>

namespace kolvar::server {

// What a method body knows about the call it serves.
struct CallContext {
    const MethodDef *method = nullptr;
    QString session;    // token sent with the request; empty when none
    QString key;        // the request's idempotency key; empty when none
    QHostAddress peer;  // source address of the connection
    QString newSession; // set by a body that issues a token (sign-in)
};

// The outputs of one call: `out` parameters in declared order, then the
// method result (absent for kind none).
struct CallResult {
    QList<WireValue> outs;
    WireValue result;
};

// A method body; inputs are already checked against the catalogue
// (count and kinds). Throw MethodError to answer an error response.
using MethodBody = std::function<CallResult(CallContext &, const QList<WireValue> &inputs)>;

class MethodError : public std::runtime_error
{
public:
    explicit MethodError(const QString &message, const char *errorClass = "EServerError")
        : std::runtime_error(message.toStdString()), m_class(errorClass)
    {}
    QString message() const { return QString::fromStdString(what()); }
    const char *errorClass() const { return m_class; }

private:
    const char *m_class;
};

// Method bodies by catalogue entry. Filled once at start, read by every
// worker thread afterwards (no locking once serving has begun).
class MethodRegistry
{
public:
    MethodRegistry();
    void set(const char *name, MethodBody body);           // name must be in the catalogue
    const MethodBody *body(const MethodDef *method) const; // nullptr: not implemented

private:
    QList<MethodBody> m_bodies; // index = position in methodCatalogue()
};

} // namespace kolvar::server
