// StokAraGetir on a large catalogue: median and p99 over realistic queries.
//   bench_search [--stocks N] [--db sqlite:PATH | postgresql://...]
// The catalogue is generated once per database (deterministic) and reused.

#include <methods/aramametni.h>
#include <methods/businessmethods.h>
#include <methods/methodregistry.h>
#include <methods/session.h>
#include <storage/database.h>
#include <transfer/baglantiu.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextStream>

#include <algorithm>

using namespace kolvar;
using namespace kolvar::server;

namespace {

const char *const kMarkalar[] = {"BOSCH", "VALEO",     "TRW",  "BREMBO",   "MANN",
                                 "SACHS", "LEMFÖRDER", "FEBİ", "ŞAHİNLER", "ÇELİK OTO"};
const char *const kModeller[] = {"FİAT DOBLO", "RENAULT CLİO", "FORD FOCUS",  "TOFAŞ ŞAHİN",
                                 "VW PASSAT",  "OPEL ASTRA",   "PEUGEOT 206", "HYUNDAİ İ20"};
const char *const kParcalar[] = {"FREN BALATASI ÖN", "FREN DİSKİ", "YAĞ FİLTRESİ",  "HAVA FİLTRESİ",
                                 "DEBRİYAJ SETİ",    "AMORTİSÖR",  "ROTİL",         "BUJİ",
                                 "TRİGER SETİ",      "SU POMPASI", "ŞANZIMAN YAĞI", "ÇEKİ DEMİRİ"};

QString kod(QRandomGenerator &r, int harf, int rakam)
{
    QString s;
    for (int i = 0; i < harf; ++i)
        s += QChar(u'A' + int(r.bounded(26)));
    for (int i = 0; i < rakam; ++i)
        s += QChar(u'0' + int(r.bounded(10)));
    return s;
}

void uret(Database &db, int n)
{
    QRandomGenerator r(7);
    QElapsedTimer t;
    t.start();
    Transaction tx(db);
    Query s(db, QStringLiteral(
                    "INSERT INTO stoklar (stokno, barkod, adi, oem1, oem2, ureticikodu, marka, model, "
                    "listefiyat, kampfiyat, kampanya, kdv, durum, ara) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, "
                    "?, ?, 20, 1, ?)"));
    Query k(db,
            QStringLiteral("INSERT INTO stok_kodlari (kod, stokno) VALUES (?, ?) ON CONFLICT DO NOTHING"));
    for (int i = 1; i <= n; ++i) {
        const QString barkod = kod(r, 2, 5) + QLatin1Char('-') + kod(r, 0, 3);
        const QString oem1 = kod(r, 0, 4) + QLatin1Char('.') + kod(r, 0, 4) + QLatin1Char('.') + kod(r, 0, 3);
        const QString oem2 = kod(r, 1, 9);
        const QString uretici = kod(r, 3, 4);
        const QString adi = QString::fromUtf8(kParcalar[r.bounded(12)]);
        const QString marka = QString::fromUtf8(kMarkalar[r.bounded(10)]);
        const QString model = QString::fromUtf8(kModeller[r.bounded(8)]);
        const double liste = 10 + r.bounded(5000) / 3.0;
        const bool kamp = r.bounded(50) == 0;
        const QStringList kodlar{barkod, oem1, oem2, uretici};
        s.exec({i, barkod, adi, oem1, oem2, uretici, marka, model, liste, kamp ? liste * 0.8 : 0.0,
                kamp ? 1 : 0, StokAramaAnahtari(kodlar, {adi, marka, model})});
        for (const QString &c : kodlar)
            k.exec({KodSikistir(c), i});
        if (i % 100000 == 0)
            QTextStream(stderr) << "  " << i << " stocks, " << t.elapsed() / 1000 << " s\n";
    }
    s.raw().finish();
    k.raw().finish();
    if (!db.dialect().syncIdentity(QStringLiteral("stoklar"), QStringLiteral("stokno")).isEmpty())
        Query(db, db.dialect().syncIdentity(QStringLiteral("stoklar"), QStringLiteral("stokno"))).exec();
    tx.commit();
    if (db.dialect().isPostgres())
        execSql(db, QStringLiteral("ANALYZE"));
    QTextStream(stderr) << "generated " << n << " stocks in " << t.elapsed() / 1000 << " s\n";
}

double yuzdelik(QList<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[std::min<qsizetype>(v.size() - 1, qsizetype(p * double(v.size())))];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int n = 1000000;
    QString url;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == u"--stocks")
            n = args[i + 1].toInt();
        else if (args[i] == u"--db")
            url = args[i + 1];
    }
    if (url.isEmpty())
        url = QStringLiteral("sqlite:/tmp/kolvar-bench-search-%1.db").arg(n);
    Database db(*DatabaseUrl::parse(url));
    Database::setInstance(&db);
    db.migrate();
    if (Query(db, QStringLiteral("SELECT COUNT(*) FROM stoklar")).exec().scalar().toLongLong() < n)
        uret(db, n);

    qint64 carino = Query(db, QStringLiteral("SELECT carino FROM cariler WHERE carikod = 'BENCH'"))
                        .exec()
                        .scalar()
                        .toLongLong();
    if (!carino) {
        carino =
            Query(db, QStringLiteral("INSERT INTO cariler (carikod, cariadi, ind1, ind2) VALUES ('BENCH', "
                                     "'BENCH OTO', 10, 5) RETURNING carino"))
                .exec()
                .scalar()
                .toLongLong();
        Query(db,
              QStringLiteral(
                  "INSERT INTO kullanicilar (adi, sifre_hash, musteri_tipi, carino) VALUES ('BENCH', "
                  "'x', 0, ?)"),
              {carino});
    }
    const qint64 user = Query(db, QStringLiteral("SELECT sirano FROM kullanicilar WHERE adi = 'BENCH'"))
                            .exec()
                            .scalar()
                            .toLongLong();
    const QString token = openSession(db, user, QStringLiteral("BENCH"));
    MethodRegistry registry;
    registerBusinessMethods(registry, db);
    installSessionGuard(registry);
    const MethodDef *m = findMethod(u"StokAraGetir");
    const MethodBody *body = registry.body(m);

    // Queries from the catalogue itself: whole codes, fragments, OEM numbers
    // with and without punctuation, names; plus one- and two-letter texts.
    QStringList sorgular;
    {
        Query q(db,
                QStringLiteral("SELECT barkod, oem1, oem2, ureticikodu FROM stoklar WHERE stokno % 9973 = 1 "
                               "LIMIT 40"));
        q.exec();
        while (q.next()) {
            const QString barkod = q.value(0).toString(), oem1 = q.value(1).toString();
            sorgular << barkod << barkod.left(5) << barkod.mid(2, 4) << oem1 << QString(oem1).remove(u'.')
                     << q.value(2).toString().toLower() << q.value(3).toString();
        }
        sorgular << QStringLiteral("fren balatası") << QStringLiteral("ŞANZIMAN")
                 << QStringLiteral("disk brembo") << QStringLiteral("su pompası") << QStringLiteral("A")
                 << QStringLiteral("7") << QStringLiteral("AB") << QStringLiteral("12");
    }
    auto bilgi = std::make_shared<TSonucBilgisi>();
    bilgi->setCARINO(qint32(carino));
    QList<double> sureler, kisa;
    double enKotu = 0;
    QString enKotuSorgu;
    qint64 satir = 0;
    for (int tur = 0; tur < 3; ++tur) {
        for (const QString &s : sorgular) {
            CallContext ctx;
            ctx.method = m;
            ctx.session = token;
            QElapsedTimer t;
            t.start();
            const CallResult r = (*body)(ctx, {s, std::shared_ptr<TransferObject>(bilgi)});
            const double ms = double(t.nsecsElapsed()) / 1e6;
            satir += std::get<Table>(r.result).rowCount();
            if (tur == 0)
                continue; // warm-up
            sureler << ms;
            if (KodSikistir(s).size() < 3)
                kisa << ms;
            if (ms > enKotu) {
                enKotu = ms;
                enKotuSorgu = s;
            }
        }
    }
    QTextStream out(stdout);
    out << "StokAraGetir on " << n << " stocks (" << db.url().display() << "), " << sureler.size()
        << " timed calls, " << satir / 3 << " rows per round\n";
    out << "  median " << yuzdelik(sureler, 0.5) << " ms, p99 " << yuzdelik(sureler, 0.99) << " ms, max "
        << enKotu << " ms (\"" << enKotuSorgu << "\")\n";
    out << "  one- and two-character texts: median " << yuzdelik(kisa, 0.5) << " ms, max "
        << yuzdelik(kisa, 1.0) << " ms\n";
    return 0;
}
