#include <storage/database.h>
#include <web/webhost.h>

#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <httplib.h>

using namespace kolvar::server;

namespace {

std::string str(const QString &s)
{
    return s.toStdString();
}
QString qs(const std::string &s)
{
    return QString::fromStdString(s);
}

} // namespace

// The web host over real HTTP, on SQLite and (when configured) PostgreSQL.
class TestWebHost : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<WebHost> m_host;
    QString m_pgSchema;
    qint64 m_carino = 0;
    int m_dbCount = 0;

    void startHost(WebHostOptions options = {})
    {
        m_host.reset();
        options.bindAddress = QHostAddress::LocalHost;
        options.port = 0;
        m_host = std::make_unique<WebHost>(*m_db, options, createTestPaymentProvider());
        QString error;
        QVERIFY2(m_host->start(&error), qPrintable(error));
    }
    httplib::Client client() const
    {
        httplib::Client c("127.0.0.1", m_host->port());
        c.set_read_timeout(10, 0);
        return c;
    }
    qint64 count(const QString &sql) { return Query(*m_db, sql).exec().scalar().toLongLong(); }

private Q_SLOTS:
    void init()
    {
        QFETCH_GLOBAL(QString, backend);
        QString url;
        if (backend == u"sqlite") {
            url = QStringLiteral("sqlite:") + m_dir.filePath(QStringLiteral("web-%1.db").arg(++m_dbCount));
        } else {
            const QString pg = qEnvironmentVariable("KOLVAR_TEST_PG_URL");
            if (pg.isEmpty()) {
                if (qEnvironmentVariableIsSet("KOLVAR_REQUIRE_PG"))
                    QFAIL("KOLVAR_REQUIRE_PG is set but KOLVAR_TEST_PG_URL is not");
                QSKIP("no PostgreSQL configured (KOLVAR_TEST_PG_URL)");
            }
            m_pgSchema = QStringLiteral("web_%1").arg(QRandomGenerator::global()->bounded(1u << 30));
            auto base = DatabaseUrl::parse(pg);
            QVERIFY(base);
            Database admin(*base);
            execSql(admin, QStringLiteral("CREATE SCHEMA %1").arg(m_pgSchema));
            admin.closeThreadConnection();
            url = pg + QStringLiteral("?schema=") + m_pgSchema;
        }
        auto parsed = DatabaseUrl::parse(url);
        QVERIFY(parsed);
        m_db = std::make_unique<Database>(*parsed);
        m_db->migrate();
        m_carino = Query(*m_db, QStringLiteral("INSERT INTO cariler (carikod, cariadi) VALUES ('120.01.001', "
                                               "'ÇAĞDAŞ OTO') RETURNING carino"))
                       .exec()
                       .scalar()
                       .toLongLong();
        startHost();
    }
    void cleanup()
    {
        m_host.reset();
        if (m_db) {
            m_db->closeThreadConnection();
            if (!m_pgSchema.isEmpty()) {
                Database admin(*DatabaseUrl::parse(qEnvironmentVariable("KOLVAR_TEST_PG_URL")));
                execSql(admin, QStringLiteral("DROP SCHEMA %1 CASCADE").arg(m_pgSchema));
                admin.closeThreadConnection();
                m_pgSchema.clear();
            }
        }
        m_db.reset();
    }

    void initTestCase_data()
    {
        QTest::addColumn<QString>("backend");
        QTest::newRow("sqlite") << QStringLiteral("sqlite");
        QTest::newRow("postgresql") << QStringLiteral("postgresql");
    }

    void ipEcho()
    {
        auto res = client().Get("/ip.php", {{"X-Forwarded-For", "203.0.113.9"}});
        QVERIFY(res);
        QCOMPARE(res->status, 200);
        QCOMPARE(qs(res->body), QStringLiteral("127.0.0.1")); // header of an untrusted peer ignored

        WebHostOptions trusting;
        trusting.trustedProxy = QHostAddress::LocalHost;
        startHost(trusting);
        res = client().Get("/ip.php", {{"X-Forwarded-For", "10.9.9.9, 203.0.113.9"}});
        QVERIFY(res);
        QCOMPARE(qs(res->body), QStringLiteral("203.0.113.9"));
    }

    void installerDownload()
    {
        auto res = client().Get("/exe/KolvarSetup.exe");
        QVERIFY(res);
        QCOMPARE(res->status, 404);

        QByteArray bytes(700 * 1024 + 13, Qt::Uninitialized);
        for (auto &b : bytes)
            b = char(QRandomGenerator::global()->bounded(256));
        QFile f(m_dir.filePath(QStringLiteral("KolvarSetup.exe")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        WebHostOptions options;
        options.installerPath = f.fileName();
        startHost(options);
        res = client().Get("/exe/KolvarSetup.exe");
        QVERIFY(res);
        QCOMPARE(res->status, 200);
        QCOMPARE(res->get_header_value("Content-Length"), std::to_string(bytes.size()));
        QVERIFY(QByteArray::fromStdString(res->body) == bytes);
    }

    void requestForm_data()
    {
        QTest::addColumn<QString>("firma");
        QTest::addColumn<QString>("mail");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("pageHas");
        QTest::newRow("good") << QStringLiteral("YILMAZ OTO") << QStringLiteral("ali@yilmaz.example") << 200
                              << QStringLiteral("Talebiniz Alındı");
        QTest::newRow("missing firm") << QString() << QStringLiteral("ali@yilmaz.example") << 400
                                      << QStringLiteral("Firma Adı alanı boş bırakılamaz.");
        QTest::newRow("bad mail") << QStringLiteral("YILMAZ OTO") << QStringLiteral("ali") << 400
                                  << QStringLiteral("E-Posta adresi geçersiz.");
        QTest::newRow("oversized") << QString(151, u'A') << QStringLiteral("ali@yilmaz.example") << 400
                                   << QStringLiteral("en fazla 150 karakter");
        QTest::newRow("markup stays text")
            << QStringLiteral("<script>alert(1)</script>") << QStringLiteral("x") << 400
            << QStringLiteral("&lt;script&gt;alert(1)&lt;/script&gt;");
    }
    void requestForm()
    {
        QFETCH(QString, firma);
        QFETCH(QString, mail);
        QFETCH(int, status);
        QFETCH(QString, pageHas);

        auto get = client().Get("/formmailgonder.aspx?carino=0&kullanici=%20&id=ABC%3Cb%3E123");
        QVERIFY(get);
        QCOMPARE(get->status, 200);
        QVERIFY(qs(get->body).contains(QStringLiteral("ABC&lt;b&gt;123")));
        QVERIFY(!qs(get->body).contains(QStringLiteral("ABC<b>")));

        httplib::Params form{{"id", "ABC123"},        {"firmaadi", str(firma)}, {"yetkili", "Ali Yılmaz"},
                             {"telefon", "0312 000"}, {"mail", str(mail)},      {"kullaniciadi", "YILMAZ"},
                             {"sehir", "ANKARA"}};
        auto post = client().Post("/formmailgonder.aspx", form);
        QVERIFY(post);
        QCOMPARE(post->status, status);
        QVERIFY2(qs(post->body).contains(pageHas), post->body.c_str());
        QVERIFY(!qs(post->body).contains(QStringLiteral("<script>")));
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM hesap_istekleri")), status == 200 ? 1 : 0);
        if (status == 200)
            QCOMPARE(Query(*m_db, QStringLiteral("SELECT firmaadi FROM hesap_istekleri"))
                         .exec()
                         .scalar()
                         .toString(),
                     firma);
    }

    void paymentPageShowsQuery()
    {
        auto res =
            client().Get("//nirvokart.html?carino=" + std::to_string(m_carino) +
                         "&sube=MERKEZ&firmasi=%C3%87A%C4%9EDA%C5%9E%20OTO%22%3E%3Cimg&bakiye=1.234,50");
        QVERIFY(res);
        QCOMPARE(res->status, 200);
        const QString body = qs(res->body);
        QVERIFY(body.contains(QStringLiteral("ÇAĞDAŞ OTO&quot;&gt;&lt;img")));
        QVERIFY(!body.contains(QStringLiteral("\"><img")));
        QVERIFY(body.contains(QStringLiteral("1.234,50")));
        QVERIFY(body.contains(QStringLiteral("TEST")));
    }

    void payment_data()
    {
        QTest::addColumn<QString>("card");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<int>("status");
        QTest::newRow("test card approved")
            << QStringLiteral("4111 1111 1111 1111") << QStringLiteral("1.234,50") << 200;
        QTest::newRow("declined card") << QStringLiteral("4000000000000002") << QStringLiteral("10") << 402;
        QTest::newRow("not a card number")
            << QStringLiteral("4111111111111112") << QStringLiteral("10") << 400;
        QTest::newRow("bad amount") << QStringLiteral("4111111111111111") << QStringLiteral("-5") << 400;
    }
    void payment()
    {
        QFETCH(QString, card);
        QFETCH(QString, amount);
        QFETCH(int, status);
        const QString expiry = QDate::currentDate().addYears(2).toString(QStringLiteral("MM/yy"));
        httplib::Params form{{"carino", std::to_string(m_carino)},
                             {"firmasi", "ÇAĞDAŞ OTO"},
                             {"bakiye", "1.234,50"},
                             {"tutar", str(amount)},
                             {"kartsahibi", "ALİ YILMAZ"},
                             {"kartno", str(card)},
                             {"sonkullanma", str(expiry)},
                             {"cvv", "123"}};
        auto res = client().Post("/nirvokart.html", form);
        QVERIFY(res);
        QCOMPARE(res->status, status);
        const qint64 recorded = status == 200 ? 1 : 0;
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM sanalpos_odemeleri")), recorded);
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM tahsilatlar")), recorded);
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM ekstre WHERE evrak = 'SANALPOS'")), recorded);
        if (!recorded)
            return;
        Query q(*m_db,
                QStringLiteral(
                    "SELECT p.sirano, p.kart_no, p.tutar, e.alacak, p.carino FROM sanalpos_odemeleri p "
                    "JOIN ekstre e ON e.belge = p.tahsilat"));
        QVERIFY(q.exec().next());
        QVERIFY(qs(res->body).contains(q.value(0).toString()));
        QCOMPARE(q.value(1).toString(), QStringLiteral("**** **** **** 1111"));
        QCOMPARE(q.value(2).toDouble(), 1234.5);
        QCOMPARE(q.value(3).toDouble(), 1234.5);
        QCOMPARE(q.value(4).toLongLong(), m_carino);
        // The full card number is never stored anywhere.
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM sanalpos_odemeleri WHERE kart_no LIKE '%4111%'")),
                 0);
    }

    void unknownPathsAndLimits()
    {
        auto res = client().Get("/yok.php");
        QVERIFY(res);
        QCOMPARE(res->status, 404);
        res = client().Get("/formmailgonder.aspx?id=x%0D%0ASet-Cookie:%20a=b");
        QVERIFY(res);
        QVERIFY(!res->has_header("Set-Cookie"));
        const std::string big(200 * 1024, 'a');
        res = client().Post("/formmailgonder.aspx", big, "application/x-www-form-urlencoded");
        QVERIFY(res);
        QCOMPARE(res->status, 413);
        QCOMPARE(count(QStringLiteral("SELECT COUNT(*) FROM hesap_istekleri")), 0);
    }
};

QTEST_GUILESS_MAIN(TestWebHost)
#include "tst_webhost.moc"
