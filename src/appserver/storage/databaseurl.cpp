#include "databaseurl.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

namespace kolvar::server {

namespace {
std::optional<DatabaseUrl> fail(QString *error, const QString &message)
{
    if (error)
        *error = message;
    return std::nullopt;
}
} // namespace

std::optional<DatabaseUrl> DatabaseUrl::parse(const QString &text, QString *error)
{
    DatabaseUrl url;
    if (text.startsWith(QLatin1String("sqlite:"))) {
        url.kind = Kind::Sqlite;
        url.path = text.mid(7);
        if (url.path.startsWith(QLatin1String("//")))
            url.path = url.path.mid(2);
        if (url.path.isEmpty())
            return fail(error, QStringLiteral("sqlite: needs a file path"));
        return url;
    }
    if (text.startsWith(QLatin1String("postgresql://")) || text.startsWith(QLatin1String("postgres://"))) {
        const QUrl u(text, QUrl::StrictMode);
        if (!u.isValid() || u.host().isEmpty())
            return fail(error, QStringLiteral("invalid PostgreSQL URL: %1").arg(u.errorString()));
        url.kind = Kind::Postgres;
        url.user = u.userName(QUrl::FullyDecoded);
        url.password = u.password(QUrl::FullyDecoded);
        url.host = u.host();
        url.port = u.port(5432);
        url.database = u.path(QUrl::FullyDecoded).mid(1);
        if (url.database.isEmpty() || url.database.contains(QLatin1Char('/')))
            return fail(error, QStringLiteral("PostgreSQL URL needs a database name"));
        const QUrlQuery query(u);
        url.schema = query.queryItemValue(QStringLiteral("schema"), QUrl::FullyDecoded);
        // The schema name goes into SQL text, so only plain identifiers.
        static const QRegularExpression ident(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]{0,62}$"));
        if (!url.schema.isEmpty() && !ident.match(url.schema).hasMatch())
            return fail(error, QStringLiteral("invalid schema name"));
        return url;
    }
    return fail(error, QStringLiteral("unknown database URL (use sqlite:PATH or postgresql://user@host/db)"));
}

QString DatabaseUrl::display() const
{
    if (kind == Kind::Sqlite)
        return QStringLiteral("sqlite:") + path;
    QString s = QStringLiteral("postgresql://%1@%2:%3/%4").arg(user, host).arg(port).arg(database);
    if (!schema.isEmpty())
        s += QStringLiteral("?schema=") + schema;
    return s;
}

} // namespace kolvar::server
