#pragma once

// A database with a few accounts, users and stocks, and the registry with
// every business method behind the session guard; calls go straight to the
// method bodies. Shared by the method tests (header only).

#include <methods/aramametni.h>
#include <methods/authpassword.h>
#include <methods/businessmethods.h>
#include <methods/methodregistry.h>
#include <methods/session.h>
#include <storage/database.h>
#include <transfer/baglantiu.h>

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace kolvar::server::test {

class MethodFixture
{
public:
    QTemporaryDir dir;
    std::unique_ptr<Database> db;
    std::unique_ptr<MethodRegistry> registry;
    QString pgSchema;

    // Adds the "backend" column (sqlite, postgresql) for initTestCase_data.
    static void backends()
    {
        QTest::addColumn<QString>("backend");
        QTest::newRow("sqlite") << QStringLiteral("sqlite");
        QTest::newRow("postgresql") << QStringLiteral("postgresql");
    }

    // Opens a fresh database for the current test function. Returns false
    // after QSKIP/QFAIL (the caller returns at once).
    bool open(const QString &backend)
    {
        setFastPasswordHashing(true);
        QString url;
        if (backend == u"sqlite") {
            url = QStringLiteral("sqlite:") +
                  dir.filePath(QStringLiteral("m-%1-%2.db")
                                   .arg(QString::fromLatin1(QTest::currentTestFunction()))
                                   .arg(QRandomGenerator::global()->bounded(1u << 30)));
        } else {
            const QString pg = qEnvironmentVariable("KOLVAR_TEST_PG_URL");
            if (pg.isEmpty()) {
                if (qEnvironmentVariableIsSet("KOLVAR_REQUIRE_PG")) {
                    QTest::qFail("KOLVAR_REQUIRE_PG is set but KOLVAR_TEST_PG_URL is not", __FILE__,
                                 __LINE__);
                    return false;
                }
                QTest::qSkip("no PostgreSQL configured (KOLVAR_TEST_PG_URL)", __FILE__, __LINE__);
                return false;
            }
            pgSchema = QStringLiteral("mt_%1").arg(QRandomGenerator::global()->bounded(1u << 30));
            Database admin(*DatabaseUrl::parse(pg));
            execSql(admin, QStringLiteral("CREATE SCHEMA %1").arg(pgSchema));
            admin.closeThreadConnection();
            url = pg + QStringLiteral("?schema=") + pgSchema;
        }
        db = std::make_unique<Database>(*DatabaseUrl::parse(url));
        db->migrate();
        Database::setInstance(db.get());
        registry = std::make_unique<MethodRegistry>();
        registerBusinessMethods(*registry, *db);
        installSessionGuard(*registry);
        return true;
    }

    void close()
    {
        registry.reset();
        Database::setInstance(nullptr);
        if (db) {
            db->closeThreadConnection();
            if (!pgSchema.isEmpty()) {
                Database admin(*DatabaseUrl::parse(qEnvironmentVariable("KOLVAR_TEST_PG_URL")));
                execSql(admin, QStringLiteral("DROP SCHEMA %1 CASCADE").arg(pgSchema));
                admin.closeThreadConnection();
                pgSchema.clear();
            }
        }
        db.reset();
    }

    QVariant scalar(const QString &sql, std::initializer_list<QVariant> binds = {})
    {
        Query q(*db, sql);
        for (const QVariant &b : binds)
            q.bind(b);
        q.exec();
        return q.scalar();
    }

    qint64 insert(const QString &sql, std::initializer_list<QVariant> binds)
    {
        Query q(*db, sql);
        for (const QVariant &b : binds)
            q.bind(b);
        q.exec();
        return q.next() ? q.value(0).toLongLong() : 0;
    }

    qint64 addSatici(const QString &adi)
    {
        return insert(QStringLiteral("INSERT INTO saticilar (adi, mail) VALUES (?, ?) RETURNING satici_no"),
                      {adi, adi.toLower() + QStringLiteral("@kolvar.test")});
    }
    qint64 addCari(const QString &kod, const QString &adi, qint64 satici = 0, double i1 = 0, double i2 = 0,
                   double i3 = 0, double i4 = 0)
    {
        return insert(
            QStringLiteral("INSERT INTO cariler (carikod, cariadi, satici_no, ind1, ind2, ind3, ind4) "
                           "VALUES (?, ?, ?, ?, ?, ?, ?) RETURNING carino"),
            {kod, adi, satici > 0 ? QVariant(satici) : QVariant(), i1, i2, i3, i4});
    }
    qint64 addUser(const QString &adi, int tip, qint64 carino, qint64 satici = 0)
    {
        return insert(
            QStringLiteral("INSERT INTO kullanicilar (adi, sifre_hash, musteri_tipi, carino, satici_no) "
                           "VALUES (?, ?, ?, ?, ?) RETURNING sirano"),
            {adi, hashPassword(QStringLiteral("1234")), tip, carino > 0 ? QVariant(carino) : QVariant(),
             satici > 0 ? QVariant(satici) : QVariant()});
    }
    QString sessionFor(qint64 user) { return openSession(*db, user, QStringLiteral("MAKINE-%1").arg(user)); }

    struct Stok {
        QString barkod, adi;
        double liste = 100, kamp = 0, kdv = 20;
        QStringList oem = {};
        QString uretici = {}, marka = {}, model = {};
        int yeni = 0;
    };
    qint64 addStok(const Stok &s)
    {
        QStringList kodlar{s.barkod, s.uretici};
        kodlar += s.oem;
        const QString ara = StokAramaAnahtari(kodlar, {s.adi, s.marka, s.model});
        // A null QString binds as SQL NULL; the columns are NOT NULL.
        auto nn = [](const QString &v) { return v.isNull() ? QString(u""_qs) : v; };
        const qint64 stokno = insert(
            QStringLiteral(
                "INSERT INTO stoklar (barkod, adi, oem1, oem2, ureticikodu, marka, model, listefiyat, "
                "kampfiyat, kampanya, kdv, yeni, durum, ara) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                "1, ?) RETURNING stokno"),
            {s.barkod, s.adi, nn(s.oem.value(0)), nn(s.oem.value(1)), nn(s.uretici), nn(s.marka), nn(s.model),
             s.liste, s.kamp, s.kamp > 0 ? 1 : 0, s.kdv, s.yeni, ara});
        QStringList eklenen;
        for (const QString &k : kodlar) {
            const QString key = KodSikistir(k);
            if (key.isEmpty() || eklenen.contains(key))
                continue;
            eklenen << key;
            Query(*db, QStringLiteral("INSERT INTO stok_kodlari (kod, stokno) VALUES (?, ?)"), {key, stokno});
        }
        return stokno;
    }

    std::shared_ptr<TransferObject> bilgi(qint64 carino, qint64 user = 0)
    {
        auto b = std::make_shared<TSonucBilgisi>();
        b->setCARINO(qint32(carino));
        b->setSirano(qint32(user));
        return b;
    }

    // Calls a method body as the front would; MethodError escapes. `key`
    // is the request's idempotency key.
    CallResult call(const char *name, const QString &token, QList<WireValue> inputs, const QString &key = {})
    {
        const MethodDef *m = findMethod(QString::fromLatin1(name));
        if (!m)
            throw std::logic_error(name);
        const MethodBody *body = registry->body(m);
        if (!body)
            throw std::logic_error(name);
        CallContext ctx;
        ctx.method = m;
        ctx.session = token;
        ctx.key = key;
        ctx.peer = QHostAddress::LocalHost;
        return (*body)(ctx, inputs);
    }

    template <class T> static T value(const CallResult &r) { return std::get<T>(r.result); }
};

} // namespace kolvar::server::test
