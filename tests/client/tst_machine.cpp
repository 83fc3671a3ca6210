#include <platform/machine/linuxmachinefacts.h>
#include <platform/machine/machineidentity.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

using namespace kolvar;

namespace {

struct FakeFacts : MachineFacts {
    QString serial;
    bool serialFails = false;
    QList<QByteArray> adapters;
    bool adaptersFail = false;
    QString ip;
    QString config;
    QMap<QString, QString> programs;

    QString diskSerial() const override
    {
        if (serialFails)
            throw std::runtime_error("no disk");
        return serial;
    }
    QList<QByteArray> adapterAddresses() const override
    {
        if (adaptersFail)
            throw std::runtime_error("no adapters");
        return adapters;
    }
    QString computerName() const override { return QStringLiteral("PC1"); }
    QString userName() const override { return QStringLiteral("ali"); }
    QString localIPv4() const override { return ip; }
    QString configFolder() const override { return config; }
    QString documentsFolder() const override
    {
        return config.isEmpty() ? QString() : config + QStringLiteral("/Belgeler/");
    }
    QString localDataFolder() const override { return config; }
    QString findProgram(const QString &name) const override { return programs.value(name); }
};

QByteArray mac(const char *hex)
{
    return QByteArray::fromHex(hex);
}

void writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

} // namespace

class TestMachine : public QObject
{
    Q_OBJECT
private slots:
    void identifier_data();
    void identifier();
    void folders();
    void browsers_data();
    void browsers();
    void localAddressFallback();
    void linuxDiskSerial_data();
    void linuxDiskSerial();
    void linuxAdapters();
};

void TestMachine::identifier_data()
{
    QTest::addColumn<QString>("serial");
    QTest::addColumn<bool>("serialFails");
    QTest::addColumn<QList<QByteArray>>("adapters");
    QTest::addColumn<bool>("adaptersFail");
    QTest::addColumn<QString>("expected");

    const QList<QByteArray> zeroThenReal{mac("000000000000"), mac("001A2B3C4D5E")};
    QTest::newRow("blanks around and inside")
        << "  AB12 CD34  " << false << zeroThenReal << false << "AB12CD34";
    QTest::newRow("lower case serial") << "ab12cd" << false << zeroThenReal << false << "AB12CD";
    QTest::newRow("no serial, second adapter") << "" << false << zeroThenReal << false << "00-1A-2B-3C-4D-5E";
    QTest::newRow("blank serial falls back")
        << "   " << false << zeroThenReal << false << "00-1A-2B-3C-4D-5E";
    QTest::newRow("serial fails") << "XYZ" << true << zeroThenReal << false << "00-1A-2B-3C-4D-5E";
    QTest::newRow("first non-zero wins")
        << "" << false << QList<QByteArray>{mac("0A0B0C0D0E0F"), mac("001A2B3C4D5E")} << false
        << "0A-0B-0C-0D-0E-0F";
    QTest::newRow("only zero adapters")
        << "" << false << QList<QByteArray>{mac("000000000000")} << false << "";
    QTest::newRow("unreadable adapter stops search")
        << "" << false << QList<QByteArray>{QByteArray(), mac("001A2B3C4D5E")} << false << "";
    QTest::newRow("nothing readable") << "" << true << QList<QByteArray>{} << true << "";
}

void TestMachine::identifier()
{
    QFETCH(QString, serial);
    QFETCH(bool, serialFails);
    QFETCH(QList<QByteArray>, adapters);
    QFETCH(bool, adaptersFail);
    QFETCH(QString, expected);

    FakeFacts facts;
    facts.serial = serial;
    facts.serialFails = serialFails;
    facts.adapters = adapters;
    facts.adaptersFail = adaptersFail;
    QCOMPARE(BilgisayarIdAl(facts), expected);
    QVERIFY(!BilgisayarIdAl(facts).contains(QLatin1Char(' ')));
}

void TestMachine::folders()
{
    QTemporaryDir tmp;
    FakeFacts facts;
    facts.config = tmp.path() + QStringLiteral("/config/");
    QDir().mkpath(facts.config);

    const QString settings = AyarKlasoru(facts);
    QCOMPARE(settings, tmp.path() + QStringLiteral("/config/vozovodadivaru"));
    QVERIFY(QFileInfo(settings).isDir());
    QCOMPARE(AyarKlasoru(facts), settings); // already there: same answer
    QCOMPARE(BelgelerKlasoru(facts), tmp.path() + QStringLiteral("/config/Belgeler"));

    FakeFacts none;
    QCOMPARE(AyarKlasoru(none), QString());
    QCOMPARE(BelgelerKlasoru(none), QString());
}

void TestMachine::browsers_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("none") << QStringList{} << "";
    QTest::newRow("chromium only") << QStringList{"chromium"} << "/usr/bin/chromium";
    QTest::newRow("google-chrome first")
        << QStringList{"chromium-browser", "google-chrome"} << "/usr/bin/google-chrome";
    QTest::newRow("chromium before chromium-browser")
        << QStringList{"chromium-browser", "chromium"} << "/usr/bin/chromium";
}

void TestMachine::browsers()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, expected);
    FakeFacts facts;
    for (const QString &p : installed)
        facts.programs.insert(p, QStringLiteral("/usr/bin/") + p);
    QCOMPARE(ChromeYolu(facts), expected);
    QCOMPARE(IEVersiyonu(facts), 0);
}

void TestMachine::localAddressFallback()
{
    FakeFacts facts;
    QCOMPARE(IcIpAl(facts), QStringLiteral("127.0.0.1"));
    facts.ip = QStringLiteral("192.168.1.20");
    QCOMPARE(IcIpAl(facts), QStringLiteral("192.168.1.20"));
    QCOMPARE(BilgisayarAdiAl(facts), QStringLiteral("PC1"));
    QCOMPARE(KullaniciAdiAl(facts), QStringLiteral("ali"));
}

void TestMachine::linuxDiskSerial_data()
{
    // Each row lists files of a copied /sys and /run tree.
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("expected");

    QTest::newRow("virtio serial") << QStringList{"sys/block/loop0/dev=7:0",
                                                  "sys/block/vda/device/vendor=0x1af4",
                                                  "sys/block/vda/serial=99663256882004\n"}
                                   << "99663256882004";
    QTest::newRow("scsi serial, first disk by name")
        << QStringList{"sys/block/sdb/device/serial=SECOND", "sys/block/sda/device/serial= wd-abc 12 "}
        << " wd-abc 12 ";
    QTest::newRow("udev record")
        << QStringList{"sys/block/nvme0n1/device/model=X", "sys/block/nvme0n1/dev=259:0",
                       "run/udev/data/b259:0=S:disk/by-id/x\nE:ID_SERIAL=Samsung_S3X\n"
                       "E:ID_SERIAL_SHORT=S3X9NX0K\n"}
        << "S3X9NX0K";
    QTest::newRow("virtual disks only")
        << QStringList{"sys/block/loop0/dev=7:0", "sys/block/zram0/dev=252:0"} << "";
    QTest::newRow("first disk has no serial")
        << QStringList{"sys/block/sda/device/model=X", "sys/block/sdb/device/serial=B"} << "";
}

void TestMachine::linuxDiskSerial()
{
    QFETCH(QStringList, files);
    QFETCH(QString, expected);
    QTemporaryDir root;
    for (const QString &entry : files) {
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        writeFile(root.filePath(entry.left(eq)), entry.mid(eq + 1).toUtf8());
    }
    const LinuxMachineFacts facts(root.path());
    QCOMPARE(facts.diskSerial().trimmed(), expected.trimmed());
}

void TestMachine::linuxAdapters()
{
    QTemporaryDir root;
    const auto add = [&](const QString &name, int index, const QByteArray &address, bool physical) {
        const QString dir = root.filePath(QStringLiteral("sys/class/net/") + name);
        writeFile(dir + QStringLiteral("/ifindex"), QByteArray::number(index) + '\n');
        if (!address.isNull())
            writeFile(dir + QStringLiteral("/address"), address + '\n');
        if (physical)
            writeFile(dir + QStringLiteral("/device/uevent"), "x");
    };
    add(QStringLiteral("lo"), 1, "00:00:00:00:00:00", false);
    add(QStringLiteral("br0"), 2, "0a:0b:0c:0d:0e:0f", false);
    add(QStringLiteral("eth0"), 3, "00:1a:2b:3c:4d:5e", true);
    add(QStringLiteral("tun0"), 4, QByteArray(), false);

    const LinuxMachineFacts facts(root.path());
    const QList<QByteArray> expected{mac("001A2B3C4D5E"), mac("000000000000"), mac("0A0B0C0D0E0F")};
    QCOMPARE(facts.adapterAddresses(), expected);
    QCOMPARE(MacAdresiAl(facts), QStringLiteral("00-1A-2B-3C-4D-5E"));
}

QTEST_GUILESS_MAIN(TestMachine)
#include "tst_machine.moc"
