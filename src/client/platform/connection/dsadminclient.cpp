#include "dsadminclient.h"

namespace kolvar {

ServerError::ServerError(const QString &errorClass, const QString &message)
    : std::runtime_error(message.toStdString()), m_class(errorClass), m_message(message)
{}

DSServerMethodCommand::DSServerMethodCommand(DSConnection *connection, const MethodDef &method)
    : m_connection(connection), m_method(method)
{}

void DSServerMethodCommand::execute(QList<WireValue> inputs)
{
    // What the previous execution returned is released now.
    m_results.clear();
    Response response = m_connection->call(m_method, inputs);
    // Object arguments are consumed by the call.
    inputs.clear();
    if (response.isError)
        throw ServerError(response.errorClass, response.errorMessage);
    m_results = std::move(response.results);
}

void DSServerMethodCommand::wrongKind(int index) const
{
    throw ConnectionError(
        QStringLiteral("%1: %2. sonucun türü beklenenden farklı").arg(text()).arg(index).toStdString());
}

template <typename V> const V &DSServerMethodCommand::get(int index) const
{
    if (index < 0 || index >= m_results.size())
        wrongKind(index);
    const V *value = std::get_if<V>(&m_results[index]);
    if (!value)
        wrongKind(index);
    return *value;
}

const QString &DSServerMethodCommand::string(int index) const
{
    return get<QString>(index);
}

int DSServerMethodCommand::int32(int index) const
{
    return int(get<qint64>(index));
}

qint64 DSServerMethodCommand::int64(int index) const
{
    return get<qint64>(index);
}

double DSServerMethodCommand::real(int index) const
{
    if (index >= 0 && index < m_results.size()) {
        if (const qint64 *i = std::get_if<qint64>(&m_results[index]))
            return double(*i);
    }
    return get<double>(index);
}

bool DSServerMethodCommand::boolean(int index) const
{
    return get<bool>(index);
}

const QByteArray &DSServerMethodCommand::stream(int index) const
{
    return get<QByteArray>(index);
}

const Table &DSServerMethodCommand::table(int index) const
{
    return get<Table>(index);
}

TransferObject *DSServerMethodCommand::object(int index) const
{
    if (index >= 0 && index < m_results.size() && std::holds_alternative<std::monostate>(m_results[index]))
        return nullptr;
    return get<std::shared_ptr<TransferObject>>(index).get();
}

QJsonArray DSServerMethodCommand::array(int index) const
{
    return get<QJsonArray>(index);
}

TDSAdminClient::TDSAdminClient(DSConnection *connection, bool instanceOwner)
    : m_connection(connection), m_instanceOwner(instanceOwner)
{
    if (!connection)
        throw InvalidOperationError("Connection cannot be nil.  Make sure the connection has been opened.");
}

TDSAdminClient::~TDSAdminClient() = default;

DSServerMethodCommand &TDSAdminClient::execute(std::unique_ptr<DSServerMethodCommand> &slot,
                                               const char *method, QList<WireValue> inputs)
{
    if (!slot) {
        const MethodDef *def = findMethod(QString::fromLatin1(method));
        if (!def)
            throw InvalidOperationError(std::string("unknown server method ") + method);
        slot = std::make_unique<DSServerMethodCommand>(m_connection, *def);
        ++m_prepared;
    }
    slot->execute(std::move(inputs));
    return *slot;
}

} // namespace kolvar
