#include "support/fakeserver.h"
#include "support/modalanswerer.h"
#include "support/tinyweb.h"

#include <app/adresler.h>
#include <app/surec.h>
#include <platform/connection/dsconnection.h>
#include <platform/machine/machineidentity.h>
#include <server/baglanti.h>
#include <signin/ayar.h>
#include <signin/disip.h>
#include <signin/dosyaindiru.h>
#include <signin/girisformu.h>
#include <transfer/baglantiu.h>

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent>

using namespace kolvar;
using namespace kolvar::test;

namespace {

// A computer with a fixed identifier and its folders in the test's own
// temporary directory.
struct TestFacts : MachineFacts {
    QString root;
    QString diskSerial() const override { return QStringLiteral(" test pc 01 "); }
    QList<QByteArray> adapterAddresses() const override { return {}; }
    QString computerName() const override { return QStringLiteral("TESTPC"); }
    QString userName() const override { return QStringLiteral("tester"); }
    QString localIPv4() const override { return QStringLiteral("10.0.0.5"); }
    QString configFolder() const override { return root + QStringLiteral("/config"); }
    QString documentsFolder() const override { return root + QStringLiteral("/docs"); }
    QString localDataFolder() const override { return root + QStringLiteral("/data"); }
    QString findProgram(const QString &) const override { return {}; }
};

const QString kId = QStringLiteral("TESTPC01");

std::shared_ptr<TransferObject> kayit(const QString &adi, const QString &sifre, bool varmi, int aktif,
                                      int tip, int version)
{
    auto r = std::make_shared<TSonucBilgisi>();
    r->setADI(adi);
    r->setSIFRE(sifre);
    r->setVarmi(varmi);
    r->setAKTIF(aktif);
    r->setMusteriTipi(tip);
    r->setVersion(version);
    r->setCARINO(120);
    r->setCariAdi(QStringLiteral("ÖZ ÇELİK OTO"));
    return r;
}

QByteArray dosyaIcerigi(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestLogin : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void settingsFiles_data();
    void settingsFiles();
    void settingsRoundTrip();
    void formReadsSettings_data();
    void formReadsSettings();

    void externalAddress();
    void externalAddressGivesUp();

    void evaluation_data();
    void evaluation();
    void enterKeys_data();
    void enterKeys();
    void typedLettersBecomeCapitals();
    void cancelEndsProcess();

    void progressText_data();
    void progressText();
    void updateDownload();
    void updateFailure_data();
    void updateFailure();

private:
    QTemporaryDir m_dir;
    TestFacts m_facts;
    std::unique_ptr<TinyWeb> m_web;
    std::unique_ptr<FakeServer> m_server;
    QList<int> m_ends;
};

void TestLogin::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_facts.root = m_dir.path();
    QDir().mkpath(m_facts.configFolder());
    QDir().mkpath(m_facts.localDataFolder());
    MachineFacts::install(&m_facts);
    setRetryPause([](int) {});
    setSurecBitirici([this](int code) { m_ends << code; });
}

void TestLogin::init()
{
    m_ends.clear();
    QFile::remove(AyarDosyasi());
    m_web = std::make_unique<TinyWeb>();
    m_web->script({{200, QByteArrayLiteral(" 85.100.1.2 \n")}});
    m_server = std::make_unique<FakeServer>();
    setAdresler(
        {QStringLiteral("127.0.0.1"), m_server->port(), m_web->host(), QStringLiteral("www.example.test")});
}

void TestLogin::cleanup()
{
    Tgirisform::setYeniSurumAcici({});
    Tgirisform::setIstekFormuAcici({});
    Tgirisform::setCariSecici({});
    Tdosyaindir::setKurulumBaslatici({});
    m_server.reset();
    m_web.reset();
}

void TestLogin::settingsFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("isim");
    QTest::addColumn<QString>("sifre");
    QTest::addColumn<bool>("hatirla");

    QTest::newRow("utf-8 with literal key")
        << QByteArray("[kullanici]\r\nisim=ALİ\r\nsifre=123\r\nhatırla=0\r\n") << "ALİ"
        << "123" << false;
    QTest::newRow("escaped key") << QByteArray("[kullanici]\nhat%U0131rla=1\nisim=VELİ\nsifre=x\n") << "VELİ"
                                 << "x" << true;
    QTest::newRow("windows code page") << QByteArray("[kullanici]\r\nisim=\xde"
                                                     "EN\xdd\xd0\r\nsifre=\xfe\xfd\r\nhat\xfdrla=0\r\n")
                                       << "ŞENİĞ"
                                       << "şı" << false;
    QTest::newRow("keys missing") << QByteArray("[kullanici]\r\n") << ""
                                  << "" << true;
    QTest::newRow("comma in password")
        << QByteArray("[kullanici]\r\nisim=A\r\nsifre=B,C\r\nhatırla=1\r\n") << "A"
        << "B,C" << true;
}

void TestLogin::settingsFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, isim);
    QFETCH(QString, sifre);
    QFETCH(bool, hatirla);

    const QString file = m_dir.filePath(QStringLiteral("eski.ini"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    const auto ayar = GirisAyariOku(file);
    QVERIFY(ayar);
    QCOMPARE(ayar->isim, isim);
    QCOMPARE(ayar->sifre, sifre);
    QCOMPARE(ayar->hatirla, hatirla);
    QVERIFY(!GirisAyariOku(m_dir.filePath(QStringLiteral("yok.ini"))));
}

void TestLogin::settingsRoundTrip()
{
    const QString file = m_dir.filePath(QStringLiteral("yeni.ini"));
    const GirisAyari yazilan{QStringLiteral("ŞÜKRÜ ÖZ, İĞDIR"), QStringLiteral("a;b=c\\d \"e\""), false};
    QVERIFY(GirisAyariYaz(file, yazilan));
    const auto okunan = GirisAyariOku(file);
    QVERIFY(okunan);
    QCOMPARE(okunan->isim, yazilan.isim);
    QCOMPARE(okunan->sifre, yazilan.sifre);
    QCOMPARE(okunan->hatirla, false);
    QVERIFY(dosyaIcerigi(file).contains("[kullanici]"));
}

void TestLogin::formReadsSettings_data()
{
    QTest::addColumn<bool>("hatirla");
    QTest::newRow("remembered") << true;
    QTest::newRow("not remembered") << false;
}

void TestLogin::formReadsSettings()
{
    QFETCH(bool, hatirla);
    QVERIFY(GirisAyariYaz(AyarDosyasi(), {QStringLiteral("ALİ"), QStringLiteral("GİZLİ"), hatirla}));
    Tgirisform form;
    QCOMPARE(form.idsi, kId);
    QCOMPARE(form.benihatirla->isChecked(), hatirla);
    QCOMPARE(form.adi->text(), hatirla ? QStringLiteral("ALİ") : QString());
    QCOMPARE(form.sifre->text(), hatirla ? QStringLiteral("GİZLİ") : QString());
}

void TestLogin::externalAddress()
{
    m_web->script({{503, "busy"}, {404, "not here"}, {200, " 85.100.1.2 \r\n"}});
    auto future = QtConcurrent::run([] { return DisIpAl(); });
    QTRY_VERIFY_WITH_TIMEOUT(future.isFinished(), 10000);
    QCOMPARE(future.result(), QStringLiteral("85.100.1.2"));
    QCOMPARE(m_web->requests(), 3);
    QCOMPARE(m_web->paths.value(0), QByteArray("/ip.php"));
}

void TestLogin::externalAddressGivesUp()
{
    setAdresler({QStringLiteral("127.0.0.1"), m_server->port(),
                 QStringLiteral("127.0.0.1:%1").arg(FakeServer::unusedPort()), QString()});
    std::atomic<bool> stop = false;
    auto future = QtConcurrent::run([&stop] { return DisIpAl(&stop); });
    QTest::qWait(300);
    QVERIFY(!future.isFinished()); // keeps asking while nobody answers
    stop = true;
    QTRY_VERIFY_WITH_TIMEOUT(future.isFinished(), 3000);
    QCOMPARE(future.result(), QString());
}

void TestLogin::evaluation_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<int>("updateVersion"); // 0: no update window
    QTest::addColumn<bool>("requestForm");
    QTest::addColumn<QList<int>>("ends");

    const QList<int> none, ended{0};
    QTest::newRow("good") << "good" << QStringList{} << true << true << 0 << false << none;
    QTest::newRow("wrong password") << "wrong" << QStringList{kKullaniciSifreHatali} << false << false << 0
                                    << false << none;
    QTest::newRow("inactive account")
        << "inactive" << QStringList{kKullaniciSifreHatali} << false << true << 0 << false << none;
    QTest::newRow("unknown computer") << "unknown" << QStringList{} << false << false << 0 << true << ended;
    QTest::newRow("no record") << "null" << QStringList{kBaglantiKurulamadi} << false << false << 0 << false
                               << none;
    QTest::newRow("server error") << "error"
                                  << QStringList{QStringLiteral("Veritabanı kapalı"), kBaglantiKurulamadi}
                                  << false << false << 0 << false << none;
    QTest::newRow("no server") << "noserver" << QStringList{kBaglantiKurulamadi} << false << false << 0
                               << false << none;
    QTest::newRow("no external address")
        << "noip" << QStringList{kBaglantiKurulamiyorDeneyiniz} << false << false << 0 << false << none;
    QTest::newRow("server version 6") << "v6" << QStringList{} << true << true << 6 << false << none;
    QTest::newRow("server version 8") << "v8" << QStringList{} << true << true << 8 << false << none;
    QTest::newRow("representative chooses") << "rep" << QStringList{} << true << true << 0 << false << none;
    QTest::newRow("representative cancels")
        << "repcancel" << QStringList{} << false << true << 0 << false << ended;
}

void TestLogin::evaluation()
{
    QFETCH(QString, scenario);
    QFETCH(QStringList, messages);
    QFETCH(bool, accepted);
    QFETCH(bool, saved);
    QFETCH(int, updateVersion);
    QFETCH(bool, requestForm);
    QFETCH(QList<int>, ends);

    // The server echoes name and password only when they are right.
    const QString ad = QStringLiteral("ALİ"), sf = QStringLiteral("GİZLİ");
    std::shared_ptr<TransferObject> cevap;
    int version = 7, tip = 3;
    if (scenario == QLatin1String("v6"))
        version = 6;
    if (scenario == QLatin1String("v8"))
        version = 8;
    if (scenario.startsWith(QLatin1String("rep")))
        tip = 1;
    if (scenario == QLatin1String("wrong"))
        cevap = kayit({}, {}, true, 1, tip, version);
    else if (scenario == QLatin1String("inactive"))
        cevap = kayit(ad, sf, true, 0, tip, version);
    else if (scenario == QLatin1String("unknown"))
        cevap = kayit({}, {}, false, 0, tip, version);
    else if (scenario != QLatin1String("null"))
        cevap = kayit(ad, sf, true, 1, tip, version);
    if (scenario == QLatin1String("error"))
        m_server->on(QStringLiteral("GirisDogrula"), FakeReply::fail(QStringLiteral("Veritabanı kapalı")));
    else
        m_server->on(QStringLiteral("GirisDogrula"), FakeReply::ok({cevap}, QStringLiteral("token-1")));
    if (scenario == QLatin1String("noserver"))
        setAdresler({QStringLiteral("127.0.0.1"), FakeServer::unusedPort(), m_web->host(), QString()});
    if (scenario == QLatin1String("noip"))
        m_web->script({{200, "  \r\n"}});

    int updateSeen = 0;
    QString requestUrl;
    Tgirisform::setYeniSurumAcici([&](QWidget *, DSConnection *, int v) { updateSeen = v; });
    Tgirisform::setIstekFormuAcici([&](QWidget *, const QString &url) { requestUrl = url; });
    Tgirisform::setCariSecici(
        [&](QWidget *, DSConnection *, TSonucBilgisi &) { return scenario != QLatin1String("repcancel"); });

    DSConnection bagc;
    bagc.setHostName(QStringLiteral("127.0.0.1"));
    bagc.setPort(adresler().port);
    TSonucBilgisi bilgi;
    Tgirisform form;
    form.bagim = &bagc;
    form.Bilgim = &bilgi;
    ModalAnswerer answerer;
    QSignalSpy rejected(&form, &Tgirisform::girisReddedildi);
    QSignalSpy finished(&form, &QDialog::finished);
    form.show();
    form.adi->setText(ad);
    form.sifre->setText(sf);

    QTest::mouseClick(form.Button1, Qt::LeftButton);
    QCOMPARE(form.Button1->text(), QStringLiteral("Bağlanıyor..."));
    QVERIFY(!form.Button1->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(rejected.count() + finished.count() > 0, 15000);

    QCOMPARE(answerer.texts(), messages);
    QCOMPARE(form.result() == QDialog::Accepted, accepted);
    QCOMPARE(QFile::exists(AyarDosyasi()), saved);
    QCOMPARE(updateSeen, updateVersion);
    QCOMPARE(!requestUrl.isEmpty(), requestForm);
    QCOMPARE(m_ends, ends);
    if (requestForm)
        QCOMPARE(requestUrl,
                 QStringLiteral("http://www.example.test/formmailgonder.aspx?carino=0&kullanici= &id=") +
                     kId);
    if (!rejected.isEmpty()) {
        QVERIFY(form.Button1->isEnabled());
        QCOMPARE(form.Button1->text(), QStringLiteral("Giriş!"));
    }
    if (accepted) {
        // The record is the server's, with this computer's facts and the
        // external address fetched again; the session token came along.
        QCOMPARE(bilgi.ADI(), ad);
        QCOMPARE(bilgi.CARINO(), 120);
        QCOMPARE(bilgi.BILGISAYARID(), kId);
        QCOMPARE(bilgi.BilgiSayarAdi(), QStringLiteral("TESTPC"));
        QCOMPARE(bilgi.Icip(), QStringLiteral("10.0.0.5"));
        QCOMPARE(bilgi.Disip(), QStringLiteral("85.100.1.2"));
        QCOMPARE(bagc.sessionToken(), QStringLiteral("token-1"));
        const auto ayar = GirisAyariOku(AyarDosyasi());
        QVERIFY(ayar);
        QCOMPARE(ayar->isim, ad);
        QCOMPARE(ayar->sifre, sf);
    }
    if (scenario != QLatin1String("noserver") && scenario != QLatin1String("noip")) {
        const QList<Request> calls = m_server->requests();
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls.first().params,
                 (QList<WireValue>{WireValue(kId), WireValue(QString(ad)), WireValue(QString(sf))}));
    }
}

void TestLogin::enterKeys_data()
{
    QTest::addColumn<QString>("ad");
    QTest::addColumn<QString>("sifre");
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<bool>("signsIn");

    QTest::newRow("empty name") << "  "
                                << ""
                                << "adi" << kKullaniciAdiGiriniz << "adi" << false;
    QTest::newRow("name to password") << "ALİ"
                                      << ""
                                      << "adi"
                                      << ""
                                      << "sifre" << false;
    QTest::newRow("empty password") << "ALİ"
                                    << " "
                                    << "sifre" << kSifreGiriniz << "sifre" << false;
    QTest::newRow("password signs in") << "ALİ"
                                       << "GİZLİ"
                                       << "sifre"
                                       << ""
                                       << "" << true;
}

void TestLogin::enterKeys()
{
    QFETCH(QString, ad);
    QFETCH(QString, sifre);
    QFETCH(QString, edit);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    QFETCH(bool, signsIn);

    m_server->on(QStringLiteral("GirisDogrula"), FakeReply::ok({kayit(ad, sifre, true, 1, 3, 7)}));
    DSConnection bagc;
    bagc.setHostName(QStringLiteral("127.0.0.1"));
    bagc.setPort(adresler().port);
    TSonucBilgisi bilgi;
    Tgirisform form;
    form.bagim = &bagc;
    form.Bilgim = &bilgi;
    ModalAnswerer answerer;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.adi->setText(ad);
    form.sifre->setText(sifre);
    QLineEdit *target = edit == QLatin1String("adi") ? form.adi : form.sifre;
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Return);

    if (signsIn) {
        QTRY_COMPARE_WITH_TIMEOUT(form.result(), int(QDialog::Accepted), 15000);
        return;
    }
    QTRY_COMPARE(answerer.texts(), message.isEmpty() ? QStringList{} : QStringList{message});
    QCOMPARE(form.focusWidget(), focus == QLatin1String("adi") ? form.adi : form.sifre);
    QVERIFY(form.Button1->isEnabled());
    QCOMPARE(m_server->requestCount(QStringLiteral("GirisDogrula")), 0);
}

void TestLogin::typedLettersBecomeCapitals()
{
    Tgirisform form;
    form.show();
    QTest::keyClicks(form.adi, QStringLiteral("ali can"));
    QCOMPARE(form.adi->text(), QStringLiteral("ALI CAN"));
    QTest::keyClicks(form.sifre, QStringLiteral("abc1"));
    QCOMPARE(form.sifre->text(), QStringLiteral("ABC1"));
    QCOMPARE(form.sifre->echoMode(), QLineEdit::Password);
}

void TestLogin::cancelEndsProcess()
{
    Tgirisform form;
    form.show();
    QTest::mouseClick(form.Button2, Qt::LeftButton);
    QCOMPARE(m_ends, QList<int>{0});
    QVERIFY(!QFile::exists(AyarDosyasi()));
}

void TestLogin::progressText_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<qint64>("read");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<QString>("expected");
    const qint64 mb = 1024 * 1024;
    QTest::newRow("turkish half") << "tr_TR" << mb * 3 / 2 << mb * 3
                                  << QStringLiteral("Bilgi: %50,00  İndirilen: 1,50/3,00 Mb");
    QTest::newRow("c locale") << "C" << mb / 4 << mb
                              << QStringLiteral("Bilgi: %25.00  İndirilen: 0.25/1.00 Mb");
    QTest::newRow("no length") << "tr_TR" << qint64(10) << qint64(0) << QString();
}

void TestLogin::progressText()
{
    QFETCH(QString, locale);
    QFETCH(qint64, read);
    QFETCH(qint64, total);
    QFETCH(QString, expected);
    QCOMPARE(IndirmeBilgisi(read, total, QLocale(locale)), expected);
}

void TestLogin::updateDownload()
{
    const QByteArray installer = QByteArray(300 * 1024, 'x') + "SON";
    m_web->script({{200, installer}});
    const QString target = m_facts.localDataFolder() + QStringLiteral("/KolvarSetup.exe");
    {
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old installer");
    }
    QString started;
    QStringList args;
    Tdosyaindir::setKurulumBaslatici([&](const QString &path, const QStringList &a) {
        started = path;
        args = a;
    });
    Tdosyaindir window(nullptr, 9);
    QVERIFY(window.sLabel1->text().endsWith(QStringLiteral("Version: 9-7")));
    QCOMPARE(window.bilgi->text(), QStringLiteral("bilgi"));
    ModalAnswerer answerer;
    window.show();
    QTRY_COMPARE_WITH_TIMEOUT(m_ends, QList<int>{0}, 10000);
    QCOMPARE(started, target);
    QCOMPARE(args, QStringList{QStringLiteral("/silent")});
    QCOMPARE(dosyaIcerigi(target), installer);
    QCOMPARE(m_web->paths.last(), QByteArray("/exe/KolvarSetup.exe"));
    QVERIFY(m_web->lastHeaders.join('\n').contains("Accept-Language: en-US,tr-TR;q=0.8,tr;q=0.6,en;q=0.4"));
    QVERIFY(answerer.seen.isEmpty());
    window.FormActivate(); // a second activation starts nothing
    QCOMPARE(m_web->requests(), 1);
}

void TestLogin::updateFailure_data()
{
    QTest::addColumn<bool>("reachable");
    QTest::newRow("host unreachable") << false;
    QTest::newRow("error status") << true;
}

void TestLogin::updateFailure()
{
    QFETCH(bool, reachable);
    m_web->script({{404, "<html>yok</html>"}});
    bool started = false;
    Tdosyaindir::setKurulumBaslatici([&](const QString &, const QStringList &) { started = true; });
    Tdosyaindir window(nullptr, 6);
    if (!reachable)
        window.setUrl(
            QUrl(QStringLiteral("http://127.0.0.1:%1/exe/KolvarSetup.exe").arg(FakeServer::unusedPort())));
    ModalAnswerer answerer;
    window.show();
    QTRY_COMPARE_WITH_TIMEOUT(m_ends, QList<int>{0}, 10000);
    QCOMPARE(answerer.seen.size(), 1);
    QVERIFY2(answerer.seen.first().text.startsWith(QStringLiteral("Hata Oluştu !\r\nHata: ")),
             qPrintable(answerer.seen.first().text));
    QVERIFY(!started);
    QVERIFY(!QFile::exists(m_facts.localDataFolder() + QStringLiteral("/KolvarSetup.exe")));
}

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
