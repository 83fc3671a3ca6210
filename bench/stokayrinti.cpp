// Opening the stock detail window against a running server: the time from
// StokAyrintiAc to the window's first paint (picture fetched with ResimVer5
// and decoded, fields filled, window shown), and the picture fetch alone.
// With --screenshot FILE it saves the window of the first stock instead.
//
//   kolvar-server init --db sqlite:/tmp/d.db && kolvar-server seed-demo --db sqlite:/tmp/d.db
//   kolvar-server serve --db sqlite:/tmp/d.db --port 19393 --web-port 0 &
//   QT_QPA_PLATFORM=offscreen bench_stokayrinti --port 19393 [--count 100] [--user BAYI]

#include <app/unit1.h>
#include <catalogue/stokayarintiu.h>
#include <catalogue/stokayrinti.h>
#include <catalogue/stoklistesi.h>
#include <platform/clientdataset.h>
#include <platform/connection/dsconnection.h>
#include <platform/style/style.h>
#include <server/baglanti.h>
#include <transfer/baglantiu.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

using namespace kolvar;

namespace {

// Notes the first paint of every stock detail window and closes it.
class IlkBoya : public QObject
{
public:
    QElapsedTimer saat;
    qint64 ns = -1;
    QString ekranGoruntusu;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *w = qobject_cast<Tstokayarinti *>(watched);
        if (w && event->type() == QEvent::Paint && ns < 0) {
            ns = saat.nsecsElapsed();
            QTimer::singleShot(ekranGoruntusu.isEmpty() ? 0 : 200, w, [this, w] {
                if (!ekranGoruntusu.isEmpty())
                    w->grab().save(ekranGoruntusu);
                w->reject();
            });
        }
        return false;
    }
};

struct Ozet {
    double median, p95, max;
};

Ozet ozet(QList<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    const auto ms = [](qint64 v) { return double(v) / 1e6; };
    return {ms(ns[ns.size() / 2]), ms(ns[qMin(ns.size() - 1, ns.size() * 95 / 100)]), ms(ns.last())};
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Stock detail window opening time."));
    parser.addHelpOption();
    parser.addOptions({{QStringLiteral("host"), QStringLiteral("Server address."), QStringLiteral("IP"),
                        QStringLiteral("127.0.0.1")},
                       {QStringLiteral("port"), QStringLiteral("Server port."), QStringLiteral("PORT"),
                        QStringLiteral("9090")},
                       {QStringLiteral("user"), QStringLiteral("Demo user."), QStringLiteral("NAME"),
                        QStringLiteral("BAYI")},
                       {QStringLiteral("count"), QStringLiteral("Windows to open."), QStringLiteral("N"),
                        QStringLiteral("100")},
                       {QStringLiteral("screenshot"), QStringLiteral("Save the first window to FILE."),
                        QStringLiteral("FILE")}});
    parser.process(app);
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    applySapphireKamri(app);
    QTextStream out(stdout);

    TForm1 form;
    form.bagc()->setHostName(parser.value(QStringLiteral("host")));
    form.bagc()->setPort(quint16(parser.value(QStringLiteral("port")).toUInt()));
    const QString user = parser.value(QStringLiteral("user"));
    bool girdi = false;
    BaglantiylaCagir(*form.bagc(), 0, [&](TServerMethods1Client &p) {
        TSonucBilgisi *r = p.GirisDogrula(QStringLiteral("DEMO-") + user, user, QStringLiteral("1234"));
        if (r && !r->ADI().isEmpty()) {
            form.sbilgi().Kopyala(*r);
            girdi = true;
        }
    });
    if (!girdi) {
        QTextStream(stderr) << "sign-in failed\n";
        return 1;
    }

    // Stocks with a picture from a search, as the stock list holds them.
    ClientDataSet *stok = form.stokListesi()->stok();
    BaglantiylaCagir(*form.bagc(), 0, [&](TServerMethods1Client &p) {
        auto b = std::make_unique<TSonucBilgisi>();
        b->Kopyala(form.sbilgi());
        stok->assignData(p.StokAraGetir(QStringLiteral("FREN"), std::move(b)));
    });
    QList<int> resimli;
    for (int r = 0; r < stok->recordCount(); ++r)
        if (stok->value(r, stok->fieldIndex(u"RESIM")).toInt() == 1)
            resimli << stok->value(r, stok->fieldIndex(u"STOK_STOKNO")).toInt();
    if (resimli.isEmpty()) {
        QTextStream(stderr) << "no stock with a picture\n";
        return 1;
    }

    IlkBoya boya;
    boya.ekranGoruntusu = parser.value(QStringLiteral("screenshot"));
    app.installEventFilter(&boya);
    const int adet = boya.ekranGoruntusu.isEmpty() ? parser.value(QStringLiteral("count")).toInt() : 1;
    QList<qint64> acilis, resim;
    for (int i = 0; i < adet; ++i) {
        const int stokno = resimli[i % resimli.size()];
        stok->locate(u"STOK_STOKNO", stokno);
        boya.ns = -1;
        boya.saat.start();
        form.stokAyrinti()->StokAyrintiAc(stokno);
        acilis << boya.ns;

        ResimKutusu kutu;
        QElapsedTimer t;
        t.start();
        form.stokAyrinti()->StokResmiAl(stokno, &kutu);
        resim << t.nsecsElapsed();
        if (kutu.isEmpty()) {
            QTextStream(stderr) << "stock " << stokno << ": no picture\n";
            return 1;
        }
    }
    if (!boya.ekranGoruntusu.isEmpty()) {
        out << "saved " << boya.ekranGoruntusu << "\n";
        return 0;
    }
    const Ozet a = ozet(acilis), r = ozet(resim);
    out << adet << " windows, " << resimli.size() << " stocks with pictures\n";
    out << QStringLiteral("open to first paint: median %1 ms, p95 %2 ms, max %3 ms\n")
               .arg(a.median, 0, 'f', 1)
               .arg(a.p95, 0, 'f', 1)
               .arg(a.max, 0, 'f', 1);
    out << QStringLiteral("picture fetch + decode: median %1 ms, p95 %2 ms, max %3 ms\n")
               .arg(r.median, 0, 'f', 1)
               .arg(r.p95, 0, 'f', 1)
               .arg(r.max, 0, 'f', 1);
    return 0;
}
