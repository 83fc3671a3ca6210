// Basket adds and order submissions per second through the method bodies.
//   bench_orders [--db sqlite:PATH | postgresql://...] [--orders N]

#include <methods/aramametni.h>
#include <methods/businessmethods.h>
#include <methods/methodregistry.h>
#include <methods/session.h>
#include <storage/database.h>
#include <transfer/baglantiu.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

using namespace kolvar;
using namespace kolvar::server;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString url = QStringLiteral("sqlite:/tmp/kolvar-bench-orders.db");
    int siparisSayisi = 400;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == u"--db")
            url = args[i + 1];
        else if (args[i] == u"--orders")
            siparisSayisi = args[i + 1].toInt();
    }
    if (url.startsWith(u"sqlite:")) {
        for (const char *ek : {"", "-wal", "-shm"})
            QFile::remove(url.mid(7) + QLatin1String(ek));
    }
    Database db(*DatabaseUrl::parse(url));
    Database::setInstance(&db);
    db.migrate();
    {
        Transaction tx(db);
        for (int i = 1; i <= 1000; ++i) {
            const QString barkod = QStringLiteral("ST-%1").arg(i, 5, 10, QLatin1Char('0'));
            Query(db,
                  QStringLiteral(
                      "INSERT INTO stoklar (barkod, adi, listefiyat, kdv, ara) VALUES (?, ?, ?, 20, ?)"),
                  {barkod, QStringLiteral("PARÇA %1").arg(i), 10.0 + i,
                   StokAramaAnahtari({barkod}, {QStringLiteral("PARÇA")})});
        }
        execSql(db, QStringLiteral("INSERT INTO teslim_cinsleri (id, adi) VALUES (1, 'Gönder')"));
        execSql(db, QStringLiteral("INSERT INTO kargo_cinsleri (id, adi) VALUES (1, 'Anlaşmalı')"));
        execSql(db, QStringLiteral("INSERT INTO kargolar (id, adi, cins) VALUES (1, 'YURTİÇİ', 1)"));
        tx.commit();
    }
    const qint64 carino =
        Query(db, QStringLiteral("INSERT INTO cariler (carikod, cariadi, ind1) VALUES ('B', "
                                 "'BENCH OTO', 10) RETURNING carino"))
            .exec()
            .scalar()
            .toLongLong();
    const qint64 user = Query(db,
                              QStringLiteral("INSERT INTO kullanicilar (adi, sifre_hash, carino) VALUES "
                                             "('BENCH', 'x', ?) RETURNING sirano"),
                              {carino})
                            .scalar()
                            .toLongLong();
    const QString token = openSession(db, user, QStringLiteral("BENCH"));
    MethodRegistry registry;
    registerBusinessMethods(registry, db);
    installSessionGuard(registry);
    auto cagir = [&](const char *ad, QList<WireValue> in) {
        const MethodDef *m = findMethod(QString::fromLatin1(ad));
        CallContext ctx;
        ctx.method = m;
        ctx.session = token;
        return (*registry.body(m))(ctx, in);
    };
    auto bilgi = std::make_shared<TSonucBilgisi>();
    bilgi->setCARINO(qint32(carino));
    const int satirPerSiparis = 5;

    QElapsedTimer ekleme, siparis;
    qint64 eklemeNs = 0, siparisNs = 0;
    int stok = 1;
    for (int s = 0; s < siparisSayisi; ++s) {
        ekleme.start();
        for (int l = 0; l < satirPerSiparis; ++l) {
            cagir("SepetEkle2", {bilgi, qint64(carino), qint64(stok), QString(), QString(), 2.0, 20.0, 0.0,
                                 0.0, qint64(user), qint64(0), 0.0, 0.0, 0.0});
            stok = stok % 1000 + 1;
        }
        eklemeNs += ekleme.nsecsElapsed();
        siparis.start();
        const bool ok = std::get<bool>(
            cagir("SiparisKaydet", {bilgi, qint64(carino), qint64(1), qint64(1),
                                    QStringLiteral("bench %1").arg(s), qint64(user), qint64(1)})
                .result);
        siparisNs += siparis.nsecsElapsed();
        if (!ok) {
            QTextStream(stderr) << "order " << s << " refused\n";
            return 1;
        }
    }
    const int eklemeler = siparisSayisi * satirPerSiparis;
    QTextStream(stdout) << "on " << db.url().display() << ": " << eklemeler << " SepetEkle2 in "
                        << eklemeNs / 1e6 << " ms (" << eklemeler / (eklemeNs / 1e9) << " per s, "
                        << eklemeNs / 1e3 / eklemeler << " µs each); " << siparisSayisi
                        << " SiparisKaydet of " << satirPerSiparis << " lines in " << siparisNs / 1e6
                        << " ms (" << siparisSayisi / (siparisNs / 1e9) << " per s, "
                        << siparisNs / 1e6 / siparisSayisi << " ms each)\n";
    return 0;
}
