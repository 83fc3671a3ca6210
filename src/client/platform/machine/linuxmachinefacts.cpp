#include <platform/machine/linuxmachinefacts.h>

#include <QDir>
#include <QFile>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QStandardPaths>
#include <QSysInfo>

#include <algorithm>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace kolvar {

namespace {

QString readText(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).trimmed();
}

bool isVirtualBlockDevice(const QString &name)
{
    static const char *const prefixes[] = {"loop", "ram", "zram", "dm-", "md", "sr", "fd", "nbd"};
    return std::any_of(std::begin(prefixes), std::end(prefixes),
                       [&](const char *p) { return name.startsWith(QLatin1String(p)); });
}

// "E:ID_SERIAL_SHORT=..." lines of a udev database record.
QString udevProperty(const QString &record, const QString &key)
{
    const QString prefix = QStringLiteral("E:") + key + QLatin1Char('=');
    for (const QString &line : record.split(QLatin1Char('\n'))) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    }
    return {};
}

QByteArray parseHardwareAddress(const QString &text)
{
    QByteArray bytes;
    for (const QString &part : text.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        bool ok = false;
        const uint v = part.toUInt(&ok, 16);
        if (!ok || v > 0xff)
            return {};
        bytes.append(char(v));
    }
    return bytes;
}

} // namespace

LinuxMachineFacts::LinuxMachineFacts(QString root) : m_root(std::move(root)) {}

QString LinuxMachineFacts::path(const QString &relative) const
{
    return QDir(m_root).filePath(relative);
}

QString LinuxMachineFacts::diskSerial() const
{
    QDir block(path(QStringLiteral("sys/block")));
    QStringList disks;
    for (const QString &name :
         block.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name)) {
        // Partitions and virtual devices have no "device" link of their own.
        if (!isVirtualBlockDevice(name) &&
            QFileInfo::exists(block.filePath(name + QStringLiteral("/device"))))
            disks << name;
    }
    if (disks.isEmpty())
        return {};
    const QString disk = block.filePath(disks.first());
    for (const QString &file : {QStringLiteral("/device/serial"), QStringLiteral("/serial")}) {
        const QString serial = readText(disk + file);
        if (!serial.isEmpty())
            return serial;
    }
    const QString dev = readText(disk + QStringLiteral("/dev"));
    if (dev.isEmpty())
        return {};
    const QString record = readText(path(QStringLiteral("run/udev/data/b") + dev));
    QString serial = udevProperty(record, QStringLiteral("ID_SERIAL_SHORT"));
    if (serial.isEmpty())
        serial = udevProperty(record, QStringLiteral("ID_SERIAL"));
    return serial;
}

QList<QByteArray> LinuxMachineFacts::adapterAddresses() const
{
    struct Adapter {
        bool physical;
        int index;
        QString dir;
    };
    QDir net(path(QStringLiteral("sys/class/net")));
    std::vector<Adapter> adapters;
    for (const QString &name : net.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System)) {
        const QString dir = net.filePath(name);
        if (!QFileInfo::exists(dir + QStringLiteral("/address")))
            continue; // no link-layer address at all (tunnels)
        adapters.push_back({QFileInfo::exists(dir + QStringLiteral("/device")),
                            readText(dir + QStringLiteral("/ifindex")).toInt(), dir});
    }
    // Adapters backed by hardware come first, so a virtual bridge or bond
    // created later does not change the computer's identifier.
    std::sort(adapters.begin(), adapters.end(), [](const Adapter &a, const Adapter &b) {
        return a.physical != b.physical ? a.physical : a.index < b.index;
    });
    QList<QByteArray> result;
    for (const Adapter &a : adapters) {
        const QString text = readText(a.dir + QStringLiteral("/address"));
        if (!text.isEmpty())
            result << parseHardwareAddress(text);
    }
    return result;
}

QString LinuxMachineFacts::computerName() const
{
    return QSysInfo::machineHostName();
}

QString LinuxMachineFacts::userName() const
{
    passwd pw{};
    passwd *found = nullptr;
    char buffer[4096];
    if (getpwuid_r(geteuid(), &pw, buffer, sizeof buffer, &found) == 0 && found)
        return QString::fromLocal8Bit(found->pw_name);
    return qEnvironmentVariable("USER");
}

QString LinuxMachineFacts::localIPv4() const
{
    for (const QNetworkInterface &iface : QNetworkInterface::allInterfaces()) {
        const auto flags = iface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : iface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                return entry.ip().toString();
        }
    }
    return {};
}

QString LinuxMachineFacts::configFolder() const
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString LinuxMachineFacts::documentsFolder() const
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString LinuxMachineFacts::localDataFolder() const
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString LinuxMachineFacts::findProgram(const QString &name) const
{
    return QStandardPaths::findExecutable(name);
}

} // namespace kolvar
