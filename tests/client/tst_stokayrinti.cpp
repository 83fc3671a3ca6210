// The stock detail window against a real server: opening a stock from each
// list or a basket line, what the window shows, and what reaches the
// server's basket when it is confirmed, cancelled or fails.
#include "support/dialogrecorder.h"
#include "support/realserver.h"

#include <app/unit1.h>
#include <catalogue/stokayarintiu.h>
#include <catalogue/stokayrinti.h>
#include <catalogue/stoklistesi.h>
#include <catalogue/yenilistesi.h>
#include <format/numberformat.h>
#include <platform/async/background.h>
#include <platform/clientdataset.h>
#include <server/baglanti.h>
#include <transfer/baglantiu.h>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QSpinBox>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace kolvar;
using namespace kolvar::test;

namespace {

// What a test saw in the window before it acted on it.
struct Gorulen {
    bool acildi = false;
    QString barkod, adi, label2, indirimoran, adet;
    double birimfiyat = 0, indtutar = 0, kdvdahiltutar = 0, geneltutar = 0, kdvlifiyat = 0;
    bool resimVar = false, fiyatYazilir = false, adetOdakta = false;
};

// Runs `act` on the next stock detail window that becomes the active modal
// window, after noting what it shows.
class PencereSurucusu : public QObject
{
public:
    explicit PencereSurucusu(std::function<void(Tstokayarinti &)> act) : m_act(std::move(act))
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this] { yokla(); });
        m_timer.start();
    }
    Gorulen gorulen;

private:
    void yokla()
    {
        auto *w = qobject_cast<Tstokayarinti *>(QApplication::activeModalWidget());
        if (!w || !w->isVisible())
            return;
        m_timer.stop();
        // Focus and the select-all of activation come with the activation.
        if (!QTest::qWaitForWindowActive(w, 3000))
            qWarning("the stock detail window was not activated");
        Gorulen &g = gorulen;
        g.acildi = true;
        g.barkod = w->barkod->text();
        g.adi = w->adi->text();
        g.label2 = w->Label2->text();
        g.indirimoran = w->indirimoran->text();
        g.adet = w->adet->text();
        g.birimfiyat = w->birimfiyat->value();
        g.indtutar = w->indtutar->value();
        g.kdvdahiltutar = w->kdvdahiltutar->value();
        g.geneltutar = w->geneltutar->value();
        g.kdvlifiyat = w->kdvlifiyat;
        g.resimVar = !w->Image1->isEmpty();
        g.fiyatYazilir = !w->birimfiyat->isReadOnly();
        g.adetOdakta = w->adet->hasFocus() || w->adet->isAncestorOf(QApplication::focusWidget());
        if (m_act)
            m_act(*w);
        else
            w->ParcaliTus2->click();
        // A window the action did not close would hang the test.
        QTimer::singleShot(1000, w, [w] {
            if (w->isVisible()) {
                qWarning("the stock detail window stayed open; closed by the test");
                w->reject();
            }
        });
    }

    QTimer m_timer;
    std::function<void(Tstokayarinti &)> m_act;
};

// Types into the quantity box as a user would: the window selected its
// text when it was activated, so typing replaces it.
QWidget *adetOdagi(Tstokayarinti &w)
{
    QWidget *odak = QApplication::focusWidget();
    return odak && (odak == w.adet || w.adet->isAncestorOf(odak)) ? odak : w.adet;
}

void adetYaz(Tstokayarinti &w, const QString &text)
{
    QTest::keyClicks(adetOdagi(w), text);
}

void enter(Tstokayarinti &w)
{
    QTest::keyClick(adetOdagi(w), Qt::Key_Return);
}

} // namespace

class TestStokAyrinti : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void filling_data();
    void filling();
    void confirming_data();
    void confirming();
    void amountFromKeptPriceThenFromBox();
    void basketLineChangesThatLine();
    void pictures_data();
    void pictures();
    void negativeCampaignFlagShowsNoPrices();
    void representativePrice_data();
    void representativePrice();
    void noConnection();

private:
    enum Liste { StokListesiL, YenilerL, KampanyaliL };
    ClientDataSet *liste(Liste l) const;
    // Loads the list `l` from the server and puts its cursor on `stokno`.
    void listeyiYukle(Liste l, int stokno);
    int stokBul(const QString &kosul);
    qint64 sepetSayisi(const QString &kosul = {}, const QVariantList &binds = {});
    // Marks the local basket so a reload is visible (the mark goes).
    void sepetiIsaretle();
    bool sepetIsaretli() const;
    void ac(Liste l, int stokno) { m_form->stokAyrinti()->StokAc(StokKaynagi(int(l)), stokno); }

    RealServer m_server;
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<DialogRecorder> m_mesajlar;
    QStringList m_hatalar;
    int m_carino = 0;
};

void TestStokAyrinti::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    setRetryPause([](int) {});
    setErrorReporter([this](const QString &text) { m_hatalar << text; });
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
}

void TestStokAyrinti::init()
{
    m_hatalar.clear();
    m_mesajlar = std::make_unique<DialogRecorder>();
    m_form = std::make_unique<TForm1>();
    QString error;
    const QString user = QString::fromLatin1(QTest::currentDataTag()).startsWith(u"representative")
                             ? QStringLiteral("TEMSILCI")
                             : QStringLiteral("BAYI");
    QVERIFY2(m_server.signIn(*m_form, user, &error), qPrintable(error));
    m_carino = m_form->sbilgi().CARINO();
}

void TestStokAyrinti::cleanup()
{
    m_form.reset();
    m_mesajlar.reset();
}

ClientDataSet *TestStokAyrinti::liste(Liste l) const
{
    switch (l) {
    case StokListesiL: return m_form->stokListesi()->stok();
    case YenilerL: return m_form->yeniKampanyaliListeler()->YENILER();
    case KampanyaliL: return m_form->yeniKampanyaliListeler()->kampstok();
    }
    return nullptr;
}

void TestStokAyrinti::listeyiYukle(Liste l, int stokno)
{
    const QString barkod =
        m_server.scalar(QStringLiteral("SELECT barkod FROM stoklar WHERE stokno = ?"), {stokno}).toString();
    Table t;
    const TSonucBilgisi &s = m_form->sbilgi();
    QVERIFY(KopyaylaCagir(*m_form->bagc(), 0, [&](TServerMethods1Client &p) {
        if (l == StokListesiL) {
            auto b = std::make_unique<TSonucBilgisi>();
            b->Kopyala(s);
            t = p.StokAraGetir(barkod, std::move(b));
        } else if (l == YenilerL) {
            t = p.YenilerVer2(s.CARINO());
        } else {
            t = p.KampanyaliVer2(s.CARINO(), s.SaticiNo());
        }
    }));
    ClientDataSet *ds = liste(l);
    ds->assignData(std::move(t));
    QVERIFY2(ds->locate(u"STOK_STOKNO", stokno), "stock not in the list");
}

int TestStokAyrinti::stokBul(const QString &kosul)
{
    const QVariant v = m_server.scalar(
        QStringLiteral("SELECT s.stokno FROM stoklar s WHERE %1 AND NOT EXISTS (SELECT 1 FROM sepet b WHERE "
                       "b.stokno = s.stokno AND b.carino = %2) ORDER BY s.stokno LIMIT 1")
            .arg(kosul)
            .arg(m_carino));
    return v.isValid() ? v.toInt() : 0;
}

qint64 TestStokAyrinti::sepetSayisi(const QString &kosul, const QVariantList &binds)
{
    QString sql = QStringLiteral("SELECT COUNT(*) FROM sepet WHERE carino = %1").arg(m_carino);
    if (!kosul.isEmpty())
        sql += QStringLiteral(" AND ") + kosul;
    return m_server.scalar(sql, binds).toLongLong();
}

void TestStokAyrinti::sepetiIsaretle()
{
    ClientDataSet *sepet = m_form->sepet();
    if (!sepet->isActive())
        m_form->SepetYukle();
    QVERIFY(sepet->recordCount() > 0);
    sepet->first();
    sepet->edit();
    sepet->setFieldValue(u"ACIKLAMA", QStringLiteral("#yerel#"));
    sepet->post();
}

bool TestStokAyrinti::sepetIsaretli() const
{
    ClientDataSet *sepet = m_form->sepet();
    const int c = sepet->fieldIndex(u"ACIKLAMA");
    for (int r = 0; r < sepet->recordCount(); ++r)
        if (sepet->value(r, c).toString() == u"#yerel#")
            return true;
    return false;
}

void TestStokAyrinti::filling_data()
{
    QTest::addColumn<int>("liste");
    QTest::addColumn<QString>("kosul");
    QTest::addColumn<QString>("label2");
    QTest::addColumn<QString>("indirimOnu");
    QTest::newRow("stock list, off campaign") << int(StokListesiL) << "s.kampanya = 0"
                                              << "Fiyat:" << QStringLiteral("İndirim: %");
    QTest::newRow("stock list, on campaign") << int(StokListesiL) << "s.kampanya = 1"
                                             << "Kampanyalı Fiyat:" << QStringLiteral("Kampanyalı ");
    QTest::newRow("new stocks, off campaign") << int(YenilerL) << "s.yeni = 1 AND s.kampanya = 0"
                                              << "Fiyat:" << QStringLiteral("İndirim:  % ");
    QTest::newRow("new stocks, on campaign") << int(YenilerL) << "s.yeni = 1 AND s.kampanya = 1"
                                             << "Kampanyalı Fiyat:" << QStringLiteral("Kampanyalı ");
    QTest::newRow("campaign list") << int(KampanyaliL) << "s.kampanya = 1"
                                   << "Kampanyalı Fiyat:" << QStringLiteral("Kampanyalı ");
}

// Each list fills the window from its own row; the quantity box has focus
// and 1, the amount is one unit's VAT-inclusive price. Closing it with
// "Vazgeç" sends nothing and does not reload the basket.
void TestStokAyrinti::filling()
{
    QFETCH(int, liste);
    QFETCH(QString, kosul);
    QFETCH(QString, label2);
    QFETCH(QString, indirimOnu);
    const int stokno = stokBul(kosul);
    QVERIFY2(stokno > 0, "the demo data has no such stock");
    listeyiYukle(Liste(liste), stokno);
    sepetiIsaretle();
    const qint64 once = sepetSayisi();
    const ClientDataSet &ds = *this->liste(Liste(liste));

    PencereSurucusu surucu([](Tstokayarinti &w) { w.ParcaliTus2->click(); });
    ac(Liste(liste), stokno);
    const Gorulen &g = surucu.gorulen;
    QVERIFY(g.acildi);
    QCOMPARE(g.barkod, ds.fieldValue(u"BARKOD").toString());
    QCOMPARE(g.adi, ds.fieldValue(u"ADI").toString());
    QCOMPARE(g.label2, label2);
    QCOMPARE(g.indirimoran, indirimOnu + ds.fieldValue(u"INDIRIMYAZI").toString());
    QCOMPARE(g.birimfiyat, ds.fieldValue(u"FIYAT").toDouble());
    QCOMPARE(g.indtutar, ds.fieldValue(u"NETFIYAT").toDouble());
    QCOMPARE(g.kdvlifiyat, ds.fieldValue(u"KDVDAHIL").toDouble());
    QCOMPARE(g.geneltutar, ds.fieldValue(u"KDVDAHIL").toDouble());
    QCOMPARE(g.adet, QStringLiteral("1"));
    QVERIFY(g.adetOdakta);
    QVERIFY(!g.fiyatYazilir);

    QCOMPARE(sepetSayisi(), once);
    QVERIFY2(sepetIsaretli(), "Vazgeç reloaded the basket");
    QVERIFY(m_hatalar.isEmpty());
}

void TestStokAyrinti::confirming_data()
{
    QTest::addColumn<QString>("yazilan");
    QTest::addColumn<QString>("nasil");  // enter, tus (Sipariş ekle), vazgec, kapat (frame)
    QTest::addColumn<double>("eklenen"); // 0: nothing reaches the server
    QTest::addColumn<bool>("hata");
    QTest::newRow("Enter in the quantity box") << "3"
                                               << "enter" << 3.0 << false;
    QTest::newRow("Sipariş ekle") << "12"
                                  << "tus" << 12.0 << false;
    QTest::newRow("untouched quantity") << ""
                                        << "tus" << 1.0 << false;
    QTest::newRow("Vazgeç") << "5"
                            << "vazgec" << 0.0 << false;
    QTest::newRow("closed by its frame") << "5"
                                         << "kapat" << 0.0 << false;
    QTest::newRow("quantity emptied, Enter") << "\b"
                                             << "enter" << 0.0 << true;
}

void TestStokAyrinti::confirming()
{
    QFETCH(QString, yazilan);
    QFETCH(QString, nasil);
    QFETCH(double, eklenen);
    QFETCH(bool, hata);
    const int stokno = stokBul(QStringLiteral("s.kampanya = 0"));
    listeyiYukle(StokListesiL, stokno);
    // 3 × 118.00 is 354.00, whatever the stock really costs.
    ClientDataSet *stok = liste(StokListesiL);
    stok->edit();
    stok->setFieldValue(u"KDVDAHIL", 118.0);
    stok->post();
    sepetiIsaretle();

    double tutar = -1;
    QString tutarMetni;
    PencereSurucusu surucu([&](Tstokayarinti &w) {
        if (yazilan == u"\b")
            QTest::keyClick(adetOdagi(w), Qt::Key_Backspace);
        else if (!yazilan.isEmpty())
            adetYaz(w, yazilan);
        tutar = w.geneltutar->value();
        tutarMetni = w.geneltutar->text();
        if (nasil == u"enter")
            enter(w);
        else if (nasil == u"tus")
            w.ParcaliTus1->click();
        else if (nasil == u"vazgec")
            w.ParcaliTus2->click();
        else
            w.close();
    });
    ac(StokListesiL, stokno);
    QVERIFY(surucu.gorulen.acildi);
    if (yazilan == u"3") {
        QCOMPARE(tutar, 354.0);
        QCOMPARE(tutarMetni, QStringLiteral("354,00"));
    }
    const QVariant miktar = m_server.scalar(
        QStringLiteral("SELECT miktar FROM sepet WHERE carino = ? AND stokno = ?"), {m_carino, stokno});
    if (eklenen > 0) {
        QCOMPARE(miktar.toDouble(), eklenen);
        QVERIFY2(!sepetIsaretli(), "the basket was not reloaded after the add");
        QVERIFY(m_form->sepet()->locate(u"STOKNO", stokno));
    } else {
        QVERIFY2(!miktar.isValid(), "something reached the basket");
        QVERIFY2(sepetIsaretli(), "the basket was reloaded");
    }
    QCOMPARE(m_hatalar.size(), hata ? 1 : 0);
    QCOMPARE(m_mesajlar->count(), 0);
}

// A new stock off campaign: the box holds the client's figure, the first
// amount the server's KDVDAHIL; a change of the quantity uses the box.
void TestStokAyrinti::amountFromKeptPriceThenFromBox()
{
    const int stokno = stokBul(QStringLiteral("s.yeni = 1 AND s.kampanya = 0"));
    listeyiYukle(YenilerL, stokno);
    ClientDataSet *yeniler = liste(YenilerL);
    yeniler->edit();
    yeniler->setFieldValue(u"NETFIYAT", 100.0);
    yeniler->setFieldValue(u"KDV", 18.0);
    yeniler->setFieldValue(u"KDVDAHIL", 200.0);
    yeniler->post();
    double sonra = 0;
    PencereSurucusu surucu([&](Tstokayarinti &w) {
        adetYaz(w, QStringLiteral("3"));
        sonra = w.geneltutar->value();
        w.ParcaliTus2->click();
    });
    ac(YenilerL, stokno);
    QCOMPARE(surucu.gorulen.kdvdahiltutar, 118.0);
    QCOMPARE(surucu.gorulen.kdvlifiyat, 200.0);
    QCOMPARE(surucu.gorulen.geneltutar, 200.0);
    QCOMPARE(sonra, 354.0);
}

// The opening rule loads the basket first; a stock already in it opens its
// line with the line's quantity and prices, and confirming changes that
// line instead of adding a second one.
void TestStokAyrinti::basketLineChangesThatLine()
{
    const QVariant satir = m_server.scalar(
        QStringLiteral("SELECT sirano FROM sepet WHERE carino = ? ORDER BY sirano LIMIT 1"), {m_carino});
    QVERIFY2(satir.isValid(), "the demo dealer has no basket");
    const int stokno =
        m_server.scalar(QStringLiteral("SELECT stokno FROM sepet WHERE sirano = ?"), {satir}).toInt();
    QVERIFY(m_server.exec(QStringLiteral("UPDATE sepet SET miktar = 4 WHERE sirano = ?"), {satir}));
    listeyiYukle(StokListesiL, stokno);
    QVERIFY(!m_form->sepet()->isActive());

    PencereSurucusu surucu([](Tstokayarinti &w) {
        adetYaz(w, QStringLiteral("7"));
        enter(w);
    });
    ac(StokListesiL, stokno);
    const Gorulen &g = surucu.gorulen;
    QVERIFY(g.acildi);
    QCOMPARE(g.adet, QStringLiteral("4"));
    QCOMPARE(g.label2, QStringLiteral("Fiyat:"));
    QCOMPARE(g.indirimoran, QStringLiteral("İndirim:"));
    QCOMPARE(
        g.birimfiyat,
        m_server.scalar(QStringLiteral("SELECT birimfiyat FROM sepet WHERE sirano = ?"), {satir}).toDouble());
    QCOMPARE(g.geneltutar, IkiHaneYuvarla(4 * g.kdvlifiyat));
    QCOMPARE(g.kdvdahiltutar, g.kdvlifiyat);
    QCOMPARE(sepetSayisi(QStringLiteral("stokno = ?"), {stokno}), qint64(1));
    QCOMPARE(m_server.scalar(QStringLiteral("SELECT miktar FROM sepet WHERE sirano = ?"), {satir}).toDouble(),
             7.0);
    QVERIFY(m_form->sepet()->locate(u"SIRANO", satir));
    QCOMPARE(m_form->sepet()->fieldValue(u"MIKTAR").toDouble(), 7.0);
}

void TestStokAyrinti::pictures_data()
{
    QTest::addColumn<QString>("resim"); // jpeg, yok (none), png
    QTest::addColumn<bool>("gorunur");
    QTest::addColumn<QString>("mesaj");
    QTest::newRow("demo JPEG") << "jpeg" << true << QString();
    QTest::newRow("no picture") << "yok" << false << QString();
    QTest::newRow("not a JPEG") << "png" << false << QStringLiteral("ResimHatasi: ");
}

// The picture is fetched before the window shows; a missing one opens the
// window silently, one that is not a JPEG says why in a plain box and the
// window still opens.
void TestStokAyrinti::pictures()
{
    QFETCH(QString, resim);
    QFETCH(bool, gorunur);
    QFETCH(QString, mesaj);
    const QString varmi = QStringLiteral("EXISTS (SELECT 1 FROM stok_resimleri r WHERE r.stokno = s.stokno)");
    const int stokno = stokBul(QStringLiteral("s.kampanya = 0 AND ") +
                               (resim == u"yok" ? QStringLiteral("NOT ") : QString()) + varmi);
    QVERIFY(stokno > 0);
    const QVariant asil =
        m_server.scalar(QStringLiteral("SELECT resim FROM stok_resimleri WHERE stokno = ?"), {stokno});
    const auto geriKoy = qScopeGuard([&] {
        if (resim == u"png")
            m_server.exec(QStringLiteral("UPDATE stok_resimleri SET resim = ? WHERE stokno = ?"),
                          {asil, stokno});
    });
    if (resim == u"png") {
        QImage kare(8, 8, QImage::Format_RGB32);
        kare.fill(Qt::red);
        QByteArray png;
        QBuffer b(&png);
        b.open(QIODevice::WriteOnly);
        kare.save(&b, "PNG");
        QVERIFY(m_server.exec(QStringLiteral("UPDATE stok_resimleri SET resim = ? WHERE stokno = ?"),
                              {png, stokno}));
    }
    listeyiYukle(StokListesiL, stokno);
    PencereSurucusu surucu(nullptr);
    ac(StokListesiL, stokno);
    QVERIFY(surucu.gorulen.acildi);
    QCOMPARE(surucu.gorulen.resimVar, gorunur);
    if (mesaj.isEmpty()) {
        QCOMPARE(m_mesajlar->count(), 0);
    } else {
        QCOMPARE(m_mesajlar->count(), 1);
        const MessageRequest r = m_mesajlar->shown().first().request;
        QVERIFY2(r.text.startsWith(mesaj), qPrintable(r.text));
        QVERIFY(r.text.size() > mesaj.size());
        QCOMPARE(r.kind, int(mkPlain));
    }
    QVERIFY(m_hatalar.isEmpty());
}

void TestStokAyrinti::negativeCampaignFlagShowsNoPrices()
{
    const int stokno = stokBul(QStringLiteral("s.kampanya = 1"));
    listeyiYukle(StokListesiL, stokno);
    ClientDataSet *stok = liste(StokListesiL);
    stok->edit();
    stok->setFieldValue(u"K", -1);
    stok->post();
    PencereSurucusu surucu(nullptr);
    ac(StokListesiL, stokno);
    const Gorulen &g = surucu.gorulen;
    QVERIFY(g.acildi);
    QCOMPARE(g.barkod, stok->fieldValue(u"BARKOD").toString());
    QCOMPARE(g.label2, QStringLiteral("Fiyat:"));
    QCOMPARE(g.indirimoran, QStringLiteral("İndirim:"));
    QCOMPARE(g.birimfiyat, 0.0);
    QCOMPARE(g.indtutar, 0.0);
    QCOMPARE(g.kdvdahiltutar, 0.0);
    QCOMPARE(g.geneltutar, 0.0);
}

void TestStokAyrinti::representativePrice_data()
{
    QTest::addColumn<int>("liste");
    QTest::addColumn<QString>("fiyat"); // typed into the price box; empty: untouched
    QTest::addColumn<bool>("yazilir");
    QTest::addColumn<int>("beklenen"); // 0 refused, 1 the stock's price, 2 the typed price
    QTest::newRow("dealer: box read only") << int(StokListesiL) << QString() << false << 1;
    QTest::newRow("representative: untouched") << int(StokListesiL) << QString() << true << 1;
    QTest::newRow("representative: higher price") << int(StokListesiL) << "+25" << true << 2;
    QTest::newRow("representative: new stock, at the net price") << int(YenilerL) << "net" << true << 2;
    QTest::newRow("representative: below the net price") << int(StokListesiL) << "half" << true << 0;
    QTest::newRow("representative: campaign list read only") << int(KampanyaliL) << QString() << false << 1;
}

// A representative may type the unit price in the stock and new-stock
// windows; the server takes it within its floor or refuses the add.
void TestStokAyrinti::representativePrice()
{
    QFETCH(int, liste);
    QFETCH(QString, fiyat);
    QFETCH(bool, yazilir);
    QFETCH(int, beklenen);
    if (QString::fromLatin1(QTest::currentDataTag()).startsWith(u"representative")) {
        // Work for an account the representative serves that has rates.
        const QVariant cari = m_server.scalar(
            QStringLiteral("SELECT c.carino FROM cariler c JOIN kullanicilar u ON u.satici_no = c.satici_no "
                           "WHERE u.adi = 'TEMSILCI' AND c.ind1 > 0 ORDER BY c.carino LIMIT 1"));
        QVERIFY2(cari.isValid(), "the representative serves no account with a discount");
        m_carino = cari.toInt();
        m_form->sbilgi().setCARINO(m_carino);
    }
    const QString kosul = liste == KampanyaliL ? QStringLiteral("s.kampanya = 1")
                          : liste == YenilerL  ? QStringLiteral("s.yeni = 1 AND s.kampanya = 0")
                                               : QStringLiteral("s.kampanya = 0");
    const int stokno = stokBul(kosul);
    listeyiYukle(Liste(liste), stokno);
    const ClientDataSet &ds = *this->liste(Liste(liste));
    const double stokFiyati = ds.fieldValue(u"FIYAT").toDouble();
    const double net = ds.fieldValue(u"NETFIYAT").toDouble();
    QVERIFY(net < stokFiyati || liste == KampanyaliL);
    double yazilan = stokFiyati;
    if (fiyat == u"+25")
        yazilan = stokFiyati + 25;
    else if (fiyat == u"net")
        yazilan = net;
    else if (fiyat == u"half")
        yazilan = IkiHaneYuvarla(net / 2);
    double kdvliOnce = 0, kdvliSonra = 0;
    PencereSurucusu surucu([&](Tstokayarinti &w) {
        if (!fiyat.isEmpty()) {
            kdvliOnce = w.kdvdahiltutar->value();
            w.birimfiyat->setFocus();
            w.birimfiyat->selectAll();
            QTest::keyClicks(w.birimfiyat, formatNumber(yazilan, u"0.00"));
            QTest::keyClick(w.birimfiyat, Qt::Key_Return); // swallowed: the window stays
            QVERIFY(w.isVisible());
            kdvliSonra = w.kdvdahiltutar->value();
        }
        w.ParcaliTus1->click();
    });
    ac(Liste(liste), stokno);
    QVERIFY(surucu.gorulen.acildi);
    QCOMPARE(surucu.gorulen.fiyatYazilir, yazilir);
    QCOMPARE(kdvliSonra, kdvliOnce); // a typed price changes none of the other amounts
    const QVariant birimfiyat = m_server.scalar(
        QStringLiteral("SELECT birimfiyat FROM sepet WHERE carino = ? AND stokno = ?"), {m_carino, stokno});
    switch (beklenen) {
    case 0: QVERIFY2(!birimfiyat.isValid(), "a price below the floor was taken"); break;
    case 1: QCOMPARE(birimfiyat.toDouble(), stokFiyati); break;
    default: QCOMPARE(birimfiyat.toDouble(), yazilan);
    }
    QVERIFY(m_hatalar.isEmpty());
}

// The server goes away after the list was loaded: the picture fetch says
// so and the window still opens; the add says so again and sends nothing.
void TestStokAyrinti::noConnection()
{
    const int stokno =
        stokBul(QStringLiteral("s.kampanya = 0 AND EXISTS (SELECT 1 FROM stok_resimleri r WHERE "
                               "r.stokno = s.stokno)"));
    listeyiYukle(StokListesiL, stokno);
    quint16 kapali = 0;
    {
        QTcpServer bos;
        QVERIFY(bos.listen(QHostAddress::LocalHost));
        kapali = bos.serverPort();
    }
    m_form->bagc()->setPort(kapali);
    PencereSurucusu surucu([](Tstokayarinti &w) { w.ParcaliTus1->click(); });
    m_form->stokAyrinti()->StokAyrintiAc(stokno);
    QVERIFY(surucu.gorulen.acildi);
    QVERIFY(!surucu.gorulen.resimVar);
    QCOMPARE(m_mesajlar->texts(), QStringList(2, kBaglantiKurulamiyor));
    QCOMPARE(sepetSayisi(QStringLiteral("stokno = ?"), {stokno}), qint64(0));
    QVERIFY(m_hatalar.isEmpty());
}

QTEST_MAIN(TestStokAyrinti)
#include "tst_stokayrinti.moc"
