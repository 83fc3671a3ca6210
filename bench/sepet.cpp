// The basket tab against a running server, with a basket of --lines lines:
// the reload (SepetVer2, dataset, caption, totals, grid), the totals alone,
// and "Hepsini Seç" (one connection and one SepetSecimGuncelle per line).
// The account's basket is emptied first and at the end.
//
//   kolvar-server init --db sqlite:/tmp/d.db && kolvar-server seed-demo --db sqlite:/tmp/d.db
//   kolvar-server serve --db sqlite:/tmp/d.db --port 19393 --web-port 0 &
//   QT_QPA_PLATFORM=offscreen bench_sepet --port 19393 [--lines 200] [--rounds 20] [--user BAYI]

#include <app/unit1.h>
#include <basket/sepetsekmesi.h>
#include <catalogue/stoklistesi.h>
#include <platform/clientdataset.h>
#include <platform/connection/dsconnection.h>
#include <platform/style/style.h>
#include <server/baglanti.h>
#include <transfer/baglantiu.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTextStream>

#include <algorithm>

using namespace kolvar;

namespace {

std::unique_ptr<TSonucBilgisi> kopya(TForm1 &form)
{
    auto b = std::make_unique<TSonucBilgisi>();
    b->Kopyala(form.sbilgi());
    return b;
}

QString ozet(QList<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    const auto ms = [](qint64 v) { return double(v) / 1e6; };
    return QStringLiteral("median %1 ms, p95 %2 ms, max %3 ms")
        .arg(ms(ns[ns.size() / 2]), 0, 'f', 2)
        .arg(ms(ns[qMin(ns.size() - 1, ns.size() * 95 / 100)]), 0, 'f', 2)
        .arg(ms(ns.last()), 0, 'f', 2);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Basket tab reload, totals and select-all times."));
    parser.addHelpOption();
    parser.addOptions({{QStringLiteral("host"), QStringLiteral("Server address."), QStringLiteral("IP"),
                        QStringLiteral("127.0.0.1")},
                       {QStringLiteral("port"), QStringLiteral("Server port."), QStringLiteral("PORT"),
                        QStringLiteral("9090")},
                       {QStringLiteral("user"), QStringLiteral("Demo user."), QStringLiteral("NAME"),
                        QStringLiteral("BAYI")},
                       {QStringLiteral("lines"), QStringLiteral("Basket lines."), QStringLiteral("N"),
                        QStringLiteral("200")},
                       {QStringLiteral("rounds"), QStringLiteral("Timed rounds."), QStringLiteral("N"),
                        QStringLiteral("20")}});
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

    // Stocks to put into the basket, from a search as the stock list holds them.
    const int satir = parser.value(QStringLiteral("lines")).toInt();
    ClientDataSet *stok = form.stokListesi()->stok();
    QList<int> stoknolar;
    for (const char *metin : {"FREN", "FILTRE", "DISK", "AMORTISOR", "BALATA", "RULMAN"}) {
        BaglantiylaCagir(*form.bagc(), 0, [&](TServerMethods1Client &p) {
            stok->assignData(p.StokAraGetir(QString::fromLatin1(metin), kopya(form)));
        });
        for (int r = 0; r < stok->recordCount() && stoknolar.size() < satir; ++r) {
            const int no = stok->value(r, stok->fieldIndex(u"STOK_STOKNO")).toInt();
            if (!stoknolar.contains(no))
                stoknolar << no;
        }
    }
    const int carino = form.sbilgi().CARINO();
    BaglantiylaCagir(*form.bagc(), 0, [&](TServerMethods1Client &p) {
        p.SepetHepsiniSil(kopya(form));
        for (int no : stoknolar)
            p.SepetEkle2(kopya(form), carino, no, {}, {}, 1, 0, 0, 0, form.sbilgi().Sirano(), 0, 0, 0, 0);
    });

    SepetSekmesi *sekme = form.sepetSekmesi();
    form.resize(1280, 800);
    form.sPageControl1->setCurrentWidget(form.ssepet);
    form.show();
    QApplication::processEvents();

    const int turlar = parser.value(QStringLiteral("rounds")).toInt();
    QList<qint64> yukleme, toplam, hepsini;
    for (int i = 0; i < turlar; ++i) {
        QElapsedTimer t;
        t.start();
        sekme->SepetYukle();
        QApplication::processEvents(); // the grid's repaint
        yukleme << t.nsecsElapsed();

        t.start();
        sekme->ToplamlariHesapla();
        toplam << t.nsecsElapsed();
    }
    for (int i = 0; i < qMax(1, turlar / 5); ++i) {
        QElapsedTimer t;
        t.start();
        sekme->Button4Click();
        QApplication::processEvents();
        hepsini << t.nsecsElapsed();
    }
    const int yuklu = form.sepet()->recordCount();
    BaglantiylaCagir(*form.bagc(), 0, [&](TServerMethods1Client &p) { p.SepetHepsiniSil(kopya(form)); });

    out << yuklu << " basket lines, " << turlar << " rounds\n";
    out << "SepetYukle (call, dataset, caption, totals, repaint): " << ozet(yukleme) << "\n";
    out << "ToplamlariHesapla: " << ozet(toplam) << "\n";
    out << "Hepsini Seç: " << ozet(hepsini) << QStringLiteral(" (%1 calls)\n").arg(yuklu);
    return 0;
}
