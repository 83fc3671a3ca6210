#pragma once

#include "dsconnection.h"

#include <transfer/transferobject.h>
#include <wire/table.h>

#include <QJsonArray>
#include <QString>

#include <functional>
#include <memory>
#include <stdexcept>

namespace kolvar {

// An error raised inside a server method; what() is the server's text.
class ServerError : public std::runtime_error
{
public:
    ServerError(const QString &errorClass, const QString &message);
    QString errorClass() const { return m_class; }
    QString message() const { return m_message; }

private:
    QString m_class;
    QString m_message;
};

// Misuse of a proxy, such as creating one without a connection.
class InvalidOperationError : public std::logic_error
{
public:
    using std::logic_error::logic_error;
};

// A server-side callback parameter. It cannot travel over this transport:
// it is sent as null and the server refuses the call.
using DSCallback = std::function<QJsonValue(const QJsonValue &)>;

// One server method prepared on a connection. It keeps what the last
// execution returned (tables, bytes, objects) until it executes again or is
// destroyed, so results handed out by reference stay valid that long.
class DSServerMethodCommand
{
public:
    DSServerMethodCommand(DSConnection *connection, const MethodDef &method);

    QString text() const { return m_method.commandText(); } // "TServerMethods1.SepetVer2"
    const MethodDef &method() const { return m_method; }

    void execute(QList<WireValue> inputs); // throws ServerError, ConnectionError

    // Results by position: the out parameters in declared order, then the
    // method's result.
    const QString &string(int index) const;
    int int32(int index) const;
    qint64 int64(int index) const;
    double real(int index) const;
    bool boolean(int index) const;
    const QByteArray &stream(int index) const;
    const Table &table(int index) const;
    TransferObject *object(int index) const; // nullptr for a null result
    QJsonArray array(int index) const;

    template <typename T> T *objectAs(int index) const
    {
        TransferObject *o = object(index);
        if (!o)
            return nullptr;
        T *typed = dynamic_cast<T *>(o);
        if (!typed)
            wrongKind(index);
        return typed;
    }

private:
    template <typename V> const V &get(int index) const;
    [[noreturn]] void wrongKind(int index) const;

    DSConnection *m_connection;
    const MethodDef &m_method;
    QList<WireValue> m_results;
};

// Holds the connection a proxy works on and creates its commands.
class TDSAdminClient
{
public:
    explicit TDSAdminClient(DSConnection *connection, bool instanceOwner = true);
    virtual ~TDSAdminClient();
    TDSAdminClient(const TDSAdminClient &) = delete;
    TDSAdminClient &operator=(const TDSAdminClient &) = delete;

    DSConnection *connection() const { return m_connection; }
    bool instanceOwner() const { return m_instanceOwner; }
    // How many commands this proxy has prepared so far.
    int preparedCount() const { return m_prepared; }

protected:
    // The command in `slot`, prepared on first use; then executed.
    DSServerMethodCommand &execute(std::unique_ptr<DSServerMethodCommand> &slot, const char *method,
                                   QList<WireValue> inputs);

    template <typename T> static WireValue objectArg(std::unique_ptr<T> object)
    {
        return WireValue(std::shared_ptr<TransferObject>(std::move(object)));
    }

private:
    DSConnection *m_connection;
    bool m_instanceOwner;
    int m_prepared = 0;
};

} // namespace kolvar
