#include <platform/machine/machineidentity.h>

#include <QDir>

#include <exception>

namespace kolvar {

namespace {

const QString zeroAddress = QStringLiteral("00-00-00-00-00-00");

template <typename F> QString orEmpty(F &&read)
{
    try {
        return read();
    } catch (const std::exception &) {
        return {};
    }
}

QString formatAddress(const QByteArray &bytes)
{
    QStringList parts;
    for (int i = 0; i < 6; ++i) {
        const uchar b = i < bytes.size() ? uchar(bytes.at(i)) : 0;
        parts << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
    }
    return parts.join(QLatin1Char('-'));
}

} // namespace

QString DiskSeriNoAl(const MachineFacts &facts)
{
    return orEmpty([&] { return facts.diskSerial().toUpper(); });
}

QString MacAdresiAl(const MachineFacts &facts)
{
    return orEmpty([&] {
        QString found = zeroAddress;
        for (const QByteArray &address : facts.adapterAddresses()) {
            if (address.isEmpty())
                return QString(); // unreadable adapter before any address was found
            found = formatAddress(address);
            if (found != zeroAddress)
                return found;
        }
        return found == zeroAddress ? QString() : found;
    });
}

QString BilgisayarIdAl(const MachineFacts &facts)
{
    QString id = DiskSeriNoAl(facts).trimmed();
    if (id.isEmpty())
        id = MacAdresiAl(facts).trimmed();
    id.remove(QLatin1Char(' '));
    return id;
}

QString BilgisayarAdiAl(const MachineFacts &facts)
{
    return orEmpty([&] { return facts.computerName(); });
}

QString KullaniciAdiAl(const MachineFacts &facts)
{
    return orEmpty([&] { return facts.userName(); });
}

QString IcIpAl(const MachineFacts &facts)
{
    const QString ip = orEmpty([&] { return facts.localIPv4(); });
    return ip.isEmpty() ? QStringLiteral("127.0.0.1") : ip;
}

QString AyarKlasoru(const MachineFacts &facts)
{
    const QString root = orEmpty([&] { return facts.configFolder(); });
    if (root.isEmpty())
        return {};
    const QString folder = QDir(root).filePath(QStringLiteral("vozovodadivaru"));
    QDir().mkpath(folder);
    return QDir::cleanPath(folder);
}

QString BelgelerKlasoru(const MachineFacts &facts)
{
    const QString folder = orEmpty([&] { return facts.documentsFolder(); });
    return folder.isEmpty() ? folder : QDir::cleanPath(folder);
}

QString YerelVeriKlasoru(const MachineFacts &facts)
{
    const QString folder = orEmpty([&] { return facts.localDataFolder(); });
    return folder.isEmpty() ? folder : QDir::cleanPath(folder);
}

QString ChromeYolu(const MachineFacts &facts)
{
    for (const char *name : {"google-chrome", "chromium", "chromium-browser"}) {
        const QString found = orEmpty([&] { return facts.findProgram(QLatin1String(name)); });
        if (!found.isEmpty())
            return found;
    }
    return {};
}

int IEVersiyonu(const MachineFacts &)
{
    return 0;
}

} // namespace kolvar
