#include "tst_methods_fixture.h"

#include <web/webhost.h>

#include <QProcess>
#include <QTest>

#include <httplib.h>

using namespace kolvar;
using namespace kolvar::server;

// A card payment taken on the web page shows up as a collection on the
// account statement, and its receipt comes out of the remote methods.
class TestWebPayment : public QObject
{
    Q_OBJECT
    test::MethodFixture f;

private Q_SLOTS:
    void initTestCase_data() { test::MethodFixture::backends(); }
    void cleanup() { f.close(); }

    void paymentReachesStatementAndReceipt()
    {
        QFETCH_GLOBAL(QString, backend);
        if (!f.open(backend))
            return;
        const qint64 carino =
            f.addCari(QStringLiteral("120.01.007"), QStringLiteral("ÇAĞDAŞ OTO YEDEK PARÇA"));
        const QString token = f.sessionFor(f.addUser(QStringLiteral("BAYI"), 0, carino));

        WebHostOptions options;
        options.bindAddress = QHostAddress::LocalHost;
        options.port = 0;
        WebHost host(*f.db, options, createTestPaymentProvider());
        QString error;
        QVERIFY2(host.start(&error), qPrintable(error));
        httplib::Client web("127.0.0.1", host.port());
        const std::string expiry =
            QDate::currentDate().addYears(1).toString(QStringLiteral("MM/yy")).toStdString();
        auto res = web.Post("/nirvokart.html", httplib::Params{{"carino", std::to_string(carino)},
                                                               {"firmasi", "ÇAĞDAŞ OTO YEDEK PARÇA"},
                                                               {"bakiye", "2.500,00"},
                                                               {"tutar", "750,25"},
                                                               {"kartsahibi", "ŞÜKRÜ ÖZTÜRK"},
                                                               {"kartno", "5555555555554444"},
                                                               {"sonkullanma", expiry},
                                                               {"cvv", "321"}});
        QVERIFY(res);
        QCOMPARE(res->status, 200);
        host.stop();

        const qint64 collection =
            f.scalar(QStringLiteral("SELECT tahsilat FROM sanalpos_odemeleri")).toLongLong();
        QVERIFY(collection > 0);
        QCOMPARE(f.scalar(QStringLiteral("SELECT alacak FROM ekstre WHERE carino = ? AND evrak = 'SANALPOS'"),
                          {carino})
                     .toDouble(),
                 750.25);

        const auto sira = f.call("SanalposSiranoVer", token, {WireValue(collection)});
        const qint64 sirano = test::MethodFixture::value<qint64>(sira);
        QCOMPARE(sirano, f.scalar(QStringLiteral("SELECT sirano FROM sanalpos_odemeleri")).toLongLong());

        const auto receipt = f.call("SAnalPosPdfVer", token, {WireValue(sirano)});
        const QByteArray pdf = test::MethodFixture::value<QByteArray>(receipt);
        QVERIFY(pdf.startsWith("%PDF"));
        QCOMPARE(std::get<qint64>(receipt.outs.value(0)), qint64(pdf.size()));

        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-"), QStringLiteral("-")});
        if (!text.waitForStarted())
            QSKIP("pdftotext is not installed");
        text.write(pdf);
        text.closeWriteChannel();
        QVERIFY(text.waitForFinished());
        const QString extracted = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(extracted.contains(QStringLiteral("ÇAĞDAŞ OTO")), qPrintable(extracted));
        QVERIFY2(extracted.contains(QStringLiteral("750,25")) || extracted.contains(QStringLiteral("750.25")),
                 qPrintable(extracted));
        QVERIFY(!extracted.contains(QStringLiteral("5555555555554444")));
    }
};

QTEST_GUILESS_MAIN(TestWebPayment)
#include "tst_webpayment.moc"
