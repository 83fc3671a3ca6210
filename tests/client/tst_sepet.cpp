// The "Sepet" tab against a real server: loading, totals, selection,
// deletion, the overdue warning, export and a server that cannot be reached.
#include "support/dialogrecorder.h"
#include "support/realserver.h"

#include <app/unit1.h>
#include <basket/sepetsekmesi.h>
#include <platform/clientdataset.h>
#include <platform/connection/dsconnection.h>
#include <platform/dialogs/mesajver.h>
#include <platform/grid/datagrid.h>
#include <platform/grid/gridrowmodel.h>
#include <platform/grid/gridtableview.h>
#include <server/baglanti.h>
#include <transfer/baglantiu.h>

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace kolvar;
using namespace kolvar::test;

namespace {

QString sepetBasligi(const TForm1 &w)
{
    return w.sPageControl1->tabText(w.sPageControl1->indexOf(w.ssepet));
}

QStringList menuMetinleri(const QMenu *menu)
{
    QStringList t;
    for (const QAction *a : menu->actions())
        t << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return t;
}

// The five value labels, top to bottom.
QStringList toplamMetinleri(const SepetSekmesi &s)
{
    return {s.aratoplaml->text(), s.indiriml->text(), s.nettutarl->text(), s.vergil->text(),
            s.geneltoplaml->text()};
}

} // namespace

class TestSepet : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void sekmeninYapisi();
    void hesapTuruKolonlari_data();
    void hesapTuruKolonlari();
    void yuklemeVeToplamlar_data();
    void yuklemeVeToplamlar();
    void hepsiniSecVeKaldir();
    void satirDegistir_data();
    void satirDegistir();
    void satirSil_data();
    void satirSil();
    void hepsiniSil_data();
    void hepsiniSil();
    void sekmeGosterilince_data();
    void sekmeGosterilince();
    void excelKaydet();
    void sutunGenislikleri_data();
    void sutunGenislikleri();
    void sunucuYok();

private:
    // A line of the signed-in account's basket; its sirano.
    qint64 satirEkle(double miktar, double birimFiyat, double kdv, int sec, int stokSirasi);
    int secim(qint64 sirano);
    qint64 satirSayisi();
    void girisYap(TForm1 &w);

    RealServer m_server;
    int m_carino = 0;
    QList<qint64> m_acilanlar;
};

void TestSepet::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    setRetryPause([](int) {});
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
}

void TestSepet::init()
{
    m_acilanlar.clear();
}

void TestSepet::girisYap(TForm1 &w)
{
    QString error;
    QVERIFY2(m_server.signIn(w, QStringLiteral("BAYI"), &error), qPrintable(error));
    m_carino = w.sbilgi().CARINO();
    QVERIFY(m_server.exec(QStringLiteral("DELETE FROM sepet WHERE carino = ?"), {m_carino}));
    w.sepetSekmesi()->setSatirAcici([this](int sirano) { m_acilanlar << sirano; });
}

qint64 TestSepet::satirEkle(double miktar, double birimFiyat, double kdv, int sec, int stokSirasi)
{
    const QVariant stokno = m_server.scalar(
        QStringLiteral("SELECT stokno FROM stoklar ORDER BY stokno LIMIT 1 OFFSET ?"), {stokSirasi});
    QString error;
    const bool ok = m_server.exec(
        QStringLiteral("INSERT INTO sepet (carino, stokno, barkod, stokadi, miktar, birimfiyat, kdv, sec, "
                       "verenid, tarih) VALUES (?, ?, ?, ?, ?, ?, ?, ?, 0, '2026-12-01')"),
        {m_carino, stokno, QStringLiteral("B%1").arg(stokSirasi), QStringLiteral("PARCA %1").arg(stokSirasi),
         miktar, birimFiyat, kdv, sec},
        &error);
    if (!ok)
        qWarning() << error;
    return m_server.scalar(QStringLiteral("SELECT MAX(sirano) FROM sepet WHERE carino = ?"), {m_carino})
        .toLongLong();
}

int TestSepet::secim(qint64 sirano)
{
    return m_server.scalar(QStringLiteral("SELECT sec FROM sepet WHERE sirano = ?"), {sirano}).toInt();
}

qint64 TestSepet::satirSayisi()
{
    return m_server.scalar(QStringLiteral("SELECT COUNT(*) FROM sepet WHERE carino = ?"), {m_carino})
        .toLongLong();
}

void TestSepet::sekmeninYapisi()
{
    TForm1 w;
    SepetSekmesi *s = w.sepetSekmesi();
    DataGrid *g = s->cxGrid2;
    QCOMPARE(g->objectName(), QStringLiteral("cxGrid2"));
    QCOMPARE(g->parentWidget(), w.ssepet);
    QCOMPARE(g->dataSet(), w.sepet());
    QCOMPARE(w.sepet()->objectName(), QStringLiteral("sepet"));

    QStringList gorunen;
    for (int c : g->visibleColumns())
        gorunen << g->columns().at(c).headerText();
    QCOMPARE(gorunen,
             (QStringList{"Seç", "Sipariş Tarihi", "Barkod", "FinishKod", "OEMNo", "Stok Açıklama", "Miktar",
                          "Birim Fiyat", "İndirim Oran", "Net Fiyat", "Net Tutar", "Veren", "Durum"}));
    const int sec = g->columnOfField(u"SEC");
    QCOMPARE(g->columns().at(sec).kind, CellKind::Check);
    QVERIFY(!g->isColumnOffered(sec));
    QCOMPARE(g->columns().at(g->columnOfField(u"DURUM")).kind, CellKind::Icon);
    QCOMPARE(g->columns().at(g->columnOfField(u"DURUM")).icons.size(), 6);
    QCOMPARE(g->columns().at(g->columnOfField(u"STOKADI")).weight, 3);
    QCOMPARE(g->columns().at(g->columnOfField(u"BARKOD")).weight, 2);
    for (const char *gizli :
         {"TUTAR", "INDIRIMTUTAR", "VERGITUTARI", "SIRANO", "MARKA", "KALAN", "CARIADI"}) {
        const int c = g->columnOfField(QString::fromLatin1(gizli));
        QVERIFY2(c >= 0 && !g->isColumnVisible(c), gizli);
    }
    QVERIFY(g->isColumnOffered(g->columnOfField(u"TUTAR")));
    QCOMPARE(g->columns().at(g->columnOfField(u"INDIRIMORANI1")).caption, QStringLiteral("İndirim Oranı %"));

    const GridLook &look = g->look();
    QCOMPARE(look.evenRow, QColor(254, 246, 254));
    QCOMPARE(look.oddRow, QColor(244, 249, 255));
    QCOMPARE(look.headerText, QColor(Qt::white));
    QVERIFY(look.headerFont.bold());
    QCOMPARE(look.rowHeight, 40);
    QCOMPARE(look.headerHeight, 40);
    QVERIFY(!look.focusRect);

    QCOMPARE(s->PopupMenu1->objectName(), QStringLiteral("PopupMenu1"));
    QCOMPARE(menuMetinleri(s->PopupMenu1),
             (QStringList{"Satır Değiştir", "-", "Satır Sil", "-", "Hepsini Sil"}));
    QCOMPARE(s->Button4->text(), QStringLiteral("Hepsini Seç"));
    QCOMPARE(s->Button5->text(), QStringLiteral("Seçimleri Kaldır"));
    QCOMPARE(s->Button2->text(), QStringLiteral("Excel Kaydet"));
    QCOMPARE(s->Label6->text(), QStringLiteral("Vergi:"));
    QCOMPARE(s->Button4->parentWidget(), s->panelsec);
    QCOMPARE(s->lbluyarbakiye->parentWidget(), s->panelsec);
    QVERIFY(s->lbluyarbakiye->font().bold());
    QCOMPARE(s->lbluyarbakiye->font().pixelSize(), 16);
    QVERIFY(s->geneltoplaml->font().bold());
    QVERIFY(s->aratoplaml->alignment() & Qt::AlignRight);

    // Under the grid: the strip, then the order controls left of the totals.
    w.bagc()->setPort(1); // no server here: the show's reload only reports
    DialogRecorder dialogs;
    w.sPageControl1->setCurrentWidget(w.ssepet);
    w.resize(1280, 800);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const auto ust = [&](QWidget *x) { return x->mapTo(w.ssepet, QPoint(0, 0)); };
    QVERIFY(ust(g).y() < ust(s->panelsec).y());
    QVERIFY(ust(s->panelsec).y() < ust(s->siparisPaneli()).y());
    QVERIFY(ust(s->siparisPaneli()).x() + s->siparisPaneli()->width() <= ust(s->aratoplaml).x());
    QVERIFY(ust(s->aratoplaml).x() < ust(s->Button2).x());
    // A basket that never loaded: zeros and no VAT row.
    QCOMPARE(toplamMetinleri(*s), (QStringList{"0,00", "0,00", "0,00", "0,00", "0,00"}));
    QVERIFY(!s->vergil->isVisible());
    QVERIFY(!s->Label6->isVisible());
}

void TestSepet::hesapTuruKolonlari_data()
{
    QTest::addColumn<QList<int>>("turler");
    QTest::addColumn<bool>("durum");
    QTest::addColumn<bool>("kalan");
    QTest::newRow("dealer") << QList<int>{0} << true << false;
    QTest::newRow("dealer 3 without status") << QList<int>{3} << false << false;
    QTest::newRow("representative sees the rest") << QList<int>{1} << true << true;
    QTest::newRow("back from 3 to 0") << QList<int>{3, 0} << true << false;
    QTest::newRow("back from 1 to 4") << QList<int>{1, 4} << true << false;
}

void TestSepet::hesapTuruKolonlari()
{
    QFETCH(QList<int>, turler);
    QFETCH(bool, durum);
    QFETCH(bool, kalan);
    TForm1 w;
    for (int tur : turler)
        w.HesabaUyarla(tur);
    DataGrid *g = w.sepetSekmesi()->cxGrid2;
    const int d = g->columnOfField(u"DURUM"), k = g->columnOfField(u"KALAN");
    QCOMPARE(g->isColumnVisible(d), durum);
    QCOMPARE(g->isColumnOffered(d), durum);
    QCOMPARE(g->isColumnVisible(k), kalan);
    QCOMPARE(g->isColumnOffered(k), kalan);
}

void TestSepet::yuklemeVeToplamlar_data()
{
    QTest::addColumn<QList<int>>("secimler");
    QTest::addColumn<QStringList>("toplamlar");
    QTest::addColumn<bool>("vergiGorunur");
    // Lines: 2 x 50.00 at 20 %, 1 x 10.00 at 0 %, 3 x 33.33 at 18 %.
    QTest::newRow("none selected") << QList<int>{0, 0, 0}
                                   << QStringList{"0,00", "0,00", "0,00", "0,00", "0,00"} << false;
    QTest::newRow("one with VAT") << QList<int>{1, 0, 0}
                                  << QStringList{"100,00", "0,00", "100,00", "20,00", "120,00"} << true;
    QTest::newRow("only one without VAT")
        << QList<int>{0, 1, 0} << QStringList{"10,00", "0,00", "10,00", "0,00", "10,00"} << false;
    QTest::newRow("all") << QList<int>{1, 1, 1} << QStringList{"209,99", "0,00", "209,99", "38,00", "247,99"}
                         << true;
}

void TestSepet::yuklemeVeToplamlar()
{
    QFETCH(QList<int>, secimler);
    QFETCH(QStringList, toplamlar);
    QFETCH(bool, vergiGorunur);
    TForm1 w;
    girisYap(w);
    satirEkle(2, 50, 20, secimler[0], 0);
    satirEkle(1, 10, 0, secimler[1], 1);
    satirEkle(3, 33.33, 18, secimler[2], 2);
    DialogRecorder dialogs;
    w.SepetYukle();
    QCOMPARE(dialogs.count(), 0);
    QCOMPARE(w.sepet()->recordCount(), 3);
    QCOMPARE(sepetBasligi(w), QStringLiteral("3=Sepet"));
    SepetSekmesi *s = w.sepetSekmesi();
    QCOMPARE(toplamMetinleri(*s), toplamlar);
    QCOMPARE(s->genelToplamMetni(), toplamlar.last());
    QCOMPARE(!s->vergil->isHidden(), vergiGorunur);
    QCOMPARE(!s->Label6->isHidden(), vergiGorunur);
    // Amounts carry the display format; the footer sums every line.
    const int tutar = w.sepet()->fieldIndex(u"NETTUTAR");
    QCOMPARE(w.sepet()->displayText(2, tutar), QStringLiteral("99,99"));
    QCOMPARE(s->cxGrid2->footerText(s->cxGrid2->columnOfField(u"NETTUTAR")), QStringLiteral("209,99"));
    QCOMPARE(s->cxGrid2->footerText(s->cxGrid2->columnOfField(u"BARKOD")), QStringLiteral("3"));
}

void TestSepet::hepsiniSecVeKaldir()
{
    TForm1 w;
    girisYap(w);
    const qint64 a = satirEkle(2, 50, 20, 0, 0), b = satirEkle(1, 10, 0, 1, 1), c = satirEkle(1, 5, 10, 0, 2);
    DialogRecorder dialogs;
    w.SepetYukle();
    SepetSekmesi *s = w.sepetSekmesi();
    w.araedit->setText(QStringLiteral("FREN"));
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    s->cxGrid2->setFocus();

    s->Button4->click();
    QCOMPARE((QList<int>{secim(a), secim(b), secim(c)}), (QList<int>{1, 1, 1}));
    QCOMPARE(s->genelToplamMetni(), QStringLiteral("135,50"));
    QTRY_COMPARE(QApplication::focusWidget(), w.araedit);
    QCOMPARE(w.araedit->selectedText(), QStringLiteral("FREN"));

    s->Button5->click();
    QCOMPARE((QList<int>{secim(a), secim(b), secim(c)}), (QList<int>{0, 0, 0}));
    QCOMPARE(s->genelToplamMetni(), QStringLiteral("0,00"));
    QVERIFY(s->vergil->isHidden());
    // The server's values survive a reload.
    w.SepetYukle();
    QCOMPARE(s->genelToplamMetni(), QStringLiteral("0,00"));
    QCOMPARE(dialogs.count(), 0);
}

void TestSepet::satirDegistir_data()
{
    QTest::addColumn<QString>("alan");
    QTest::addColumn<bool>("menuden");
    QTest::addColumn<bool>("degisir");
    QTest::newRow("double-click on the check box") << "SEC" << false << true;
    QTest::newRow("double-click on the name") << "STOKADI" << false << false;
    QTest::newRow("menu with the check box focused") << "SEC" << true << true;
    QTest::newRow("menu elsewhere") << "MIKTAR" << true << false;
}

void TestSepet::satirDegistir()
{
    QFETCH(QString, alan);
    QFETCH(bool, menuden);
    QFETCH(bool, degisir);
    TForm1 w;
    girisYap(w);
    satirEkle(2, 50, 20, 1, 0);
    const qint64 ikinci = satirEkle(1, 10, 10, 0, 1);
    DialogRecorder dialogs;
    SepetSekmesi *s = w.sepetSekmesi();
    // The stock detail window reloads the basket when it closes.
    s->setSatirAcici([&](int sirano) {
        // The window reads the line from the basket's current record.
        QCOMPARE(w.sepet()->fieldValue(u"SIRANO").toInt(), sirano);
        m_acilanlar << sirano;
        w.SepetYukle();
    });
    w.sPageControl1->setCurrentWidget(w.ssepet);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QTRY_COMPARE(w.sepet()->recordCount(), 2);
    QCOMPARE(s->genelToplamMetni(), QStringLiteral("120,00"));

    DataGrid *g = s->cxGrid2;
    const int satir = 1, kolon = g->columnOfField(alan);
    if (menuden) {
        QVERIFY(g->setFocusedRecord(satir));
        g->setFocusedColumn(kolon);
        s->Deitir1->trigger();
    } else {
        const QModelIndex idx = g->rowModel()->index(g->rowModel()->rowOfSource(satir), kolon);
        const QPoint p = g->view()->visualRect(idx).center();
        // A single click changes nothing, not even on the check box.
        QTest::mouseClick(g->view()->viewport(), Qt::LeftButton, {}, p);
        QCOMPARE(w.sepet()->value(satir, w.sepet()->fieldIndex(u"SEC")).toInt(), 0);
        QTest::mouseDClick(g->view()->viewport(), Qt::LeftButton, {}, p);
    }
    if (degisir) {
        QCOMPARE(w.sepet()->recNo(), satir);
        QVERIFY(m_acilanlar.isEmpty());
        QCOMPARE(secim(ikinci), 1);
        QCOMPARE(w.sepet()->fieldValue(u"SEC").toInt(), 1);
        QCOMPARE(s->genelToplamMetni(), QStringLiteral("131,00"));
    } else {
        QCOMPARE(m_acilanlar, (QList<qint64>{ikinci}));
        QCOMPARE(secim(ikinci), 0);
        QCOMPARE(s->genelToplamMetni(), QStringLiteral("120,00"));
    }
    QCOMPARE(dialogs.count(), 0);
}

void TestSepet::satirSil_data()
{
    QTest::addColumn<int>("cevap");
    QTest::addColumn<bool>("silinir");
    QTest::newRow("Evet") << int(mrYes) << true;
    QTest::newRow("Hayır") << int(mrNo) << false;
    QTest::newRow("closed by its frame") << int(mrCancel) << false;
}

void TestSepet::satirSil()
{
    QFETCH(int, cevap);
    QFETCH(bool, silinir);
    TForm1 w;
    girisYap(w);
    const qint64 ilk = satirEkle(2, 50, 20, 1, 0);
    const qint64 ikinci = satirEkle(1, 10, 0, 1, 1);
    DialogRecorder dialogs(cevap);
    w.SepetYukle();
    SepetSekmesi *s = w.sepetSekmesi();
    QVERIFY(s->cxGrid2->setFocusedRecord(1));
    s->SatrSil1->trigger();

    const QList<DialogRecorder::Shown> shown = dialogs.shown();
    QVERIFY(!shown.isEmpty());
    QCOMPARE(shown[0].request.text, QStringLiteral("Satırı silmek istiyor musunuz "));
    QCOMPARE(shown[0].request.kind, int(mkQuestion));
    QCOMPARE(shown[0].request.buttons, (QList<MsgButton>{mbYes, mbNo}));
    QCOMPARE(shown[0].request.defaultButton, mbNo);
    QCOMPARE(m_server.scalar(QStringLiteral("SELECT COUNT(*) FROM sepet WHERE sirano = ?"), {ikinci}).toInt(),
             silinir ? 0 : 1);
    QCOMPARE(m_server.scalar(QStringLiteral("SELECT COUNT(*) FROM sepet WHERE sirano = ?"), {ilk}).toInt(),
             1);
    if (silinir) {
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[1].request.text, QStringLiteral("Satır silindi !"));
        QCOMPARE(shown[1].request.kind, int(mkInformation));
        QCOMPARE(sepetBasligi(w), QStringLiteral("1=Sepet"));
        QCOMPARE(s->genelToplamMetni(), QStringLiteral("120,00"));
    } else {
        QCOMPARE(shown.size(), 1);
        QCOMPARE(w.sepet()->recordCount(), 2);
        QCOMPARE(sepetBasligi(w), QStringLiteral("2=Sepet"));
    }
}

void TestSepet::hepsiniSil_data()
{
    QTest::addColumn<int>("satirlar");
    QTest::addColumn<int>("cevap");
    QTest::addColumn<QStringList>("mesajlar");
    QTest::addColumn<int>("kalan");
    const QString soru = QStringLiteral("Tüm Sepeti Silmek İstiyor musunuz ");
    QTest::newRow("Evet") << 2 << int(mrYes) << QStringList{soru, QStringLiteral("Sepet Silindi !")} << 0;
    QTest::newRow("Hayır") << 2 << int(mrNo) << QStringList{soru} << 2;
    QTest::newRow("empty basket asks nothing") << 0 << int(mrYes) << QStringList{} << 0;
}

void TestSepet::hepsiniSil()
{
    QFETCH(int, satirlar);
    QFETCH(int, cevap);
    QFETCH(QStringList, mesajlar);
    QFETCH(int, kalan);
    TForm1 w;
    girisYap(w);
    for (int i = 0; i < satirlar; ++i)
        satirEkle(1, 10, 20, 1, i);
    DialogRecorder dialogs(cevap);
    w.SepetYukle();
    w.sepetSekmesi()->HepsiniSil1->trigger();
    QCOMPARE(dialogs.texts(), mesajlar);
    if (!mesajlar.isEmpty())
        QCOMPARE(dialogs.shown().first().request.defaultButton, mbNo);
    QCOMPARE(satirSayisi(), qint64(kalan));
    QCOMPARE(sepetBasligi(w), QStringLiteral("%1=Sepet").arg(kalan));
    QCOMPARE(w.sepet()->recordCount(), kalan);
    QCOMPARE(w.sepetSekmesi()->genelToplamMetni(), kalan ? QStringLiteral("24,00") : QStringLiteral("0,00"));
}

void TestSepet::sekmeGosterilince_data()
{
    QTest::addColumn<bool>("vadesiGecmis");
    QTest::newRow("overdue balance") << true;
    QTest::newRow("nothing overdue") << false;
}

void TestSepet::sekmeGosterilince()
{
    QFETCH(bool, vadesiGecmis);
    TForm1 w;
    girisYap(w);
    QVERIFY(m_server.exec(QStringLiteral("DELETE FROM ekstre WHERE carino = ?"), {m_carino}));
    if (vadesiGecmis) {
        QVERIFY(m_server.exec(QStringLiteral("INSERT INTO ekstre (carino, tarih, vade, evrak, borc) "
                                             "VALUES (?, '2020-01-01', '2020-01-31', 'FATURA', 1234.5)"),
                              {m_carino}));
    }
    satirEkle(1, 10, 20, 1, 0);
    DialogRecorder dialogs;
    SepetSekmesi *s = w.sepetSekmesi();
    s->lbluyarbakiye->setText(QStringLiteral("önceki uyarı"));
    QSignalSpy gosterildi(s, &SepetSekmesi::sekmeGosterildi);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.sPageControl1->setCurrentWidget(w.ssepet);
    // The reload is done before the show returns; the warning follows.
    QCOMPARE(gosterildi.count(), 1);
    QCOMPARE(sepetBasligi(w), QStringLiteral("1=Sepet"));
    QCOMPARE(s->genelToplamMetni(), QStringLiteral("12,00"));
    if (vadesiGecmis) {
        QTRY_COMPARE(
            s->uyariMetni(),
            QStringLiteral("Vadesi geçmiş 1.234,50 TL bakiyeniz bulunmaktadır. Lütfen ödemenizi yapınız."));
    } else {
        QTRY_VERIFY(s->uyariMetni().isEmpty());
        QTest::qWait(200);
        QVERIFY(s->uyariMetni().isEmpty());
    }
    // Every showing asks again.
    w.sPageControl1->setCurrentIndex(0);
    w.sPageControl1->setCurrentWidget(w.ssepet);
    QCOMPARE(gosterildi.count(), 2);
    QCOMPARE(dialogs.count(), 0);
}

void TestSepet::excelKaydet()
{
    TForm1 w;
    girisYap(w);
    satirEkle(2, 50, 20, 1, 0);
    DialogRecorder dialogs;
    w.SepetYukle();
    SepetSekmesi *s = w.sepetSekmesi();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sepet.xlsx"));
    QString filtre;
    s->cxGrid2->setFileChooser([&](QWidget *, const QString &f) {
        filtre = f;
        return path;
    });
    s->Button2->click();
    QCOMPARE(filtre, QStringLiteral("Excel|*.xls*"));
    QVERIFY(QFileInfo(path).size() > 0);

    // Cancelled: nothing written, nothing reported.
    QFile::remove(path);
    s->cxGrid2->setFileChooser([](QWidget *, const QString &) { return QString(); });
    s->Button2->click();
    QVERIFY(!QFileInfo::exists(path));
    QCOMPARE(dialogs.count(), 0);

    // A file that cannot be written is reported, not passed over.
    s->cxGrid2->setFileChooser([&](QWidget *, const QString &) { return dir.filePath("yok/sepet.xlsx"); });
    s->Button2->click();
    QCOMPARE(dialogs.count(), 1);
    QCOMPARE(dialogs.shown().first().request.kind, int(mkError));
}

void TestSepet::sutunGenislikleri_data()
{
    QTest::addColumn<int>("ekran");
    QTest::addColumn<bool>("agirlikli");
    QTest::newRow("wide screen") << 1153 << true;
    QTest::newRow("1152 px screen") << 1152 << false;
}

void TestSepet::sutunGenislikleri()
{
    QFETCH(int, ekran);
    QFETCH(bool, agirlikli);
    TForm1 w;
    SepetSekmesi *s = w.sepetSekmesi();
    DataGrid *g = s->cxGrid2;
    g->setEnabled(false); // the grid's own resizes stay out of the way
    g->resize(1030, 400);
    s->SutunGenislikAyarla(ekran);
    int agirlik = 0;
    for (int c : g->visibleColumns())
        agirlik += g->columns().at(c).weight;
    QCOMPARE(agirlik, 19);
    const int birim = (1030 - 30) / agirlik;
    bool hepsiAgirlikla = true;
    for (int c : g->visibleColumns())
        hepsiAgirlikla = hepsiAgirlikla && g->columnWidth(c) == g->columns().at(c).weight * birim;
    QCOMPARE(hepsiAgirlikla, agirlikli);
}

void TestSepet::sunucuYok()
{
    TForm1 w;
    girisYap(w);
    const qint64 a = satirEkle(2, 50, 20, 0, 0), b = satirEkle(1, 10, 0, 0, 1);
    DialogRecorder dialogs(mrYes);
    w.SepetYukle();
    SepetSekmesi *s = w.sepetSekmesi();
    QCOMPARE(sepetBasligi(w), QStringLiteral("2=Sepet"));

    w.bagc()->setPort(1); // nothing listens there
    m_server.exec(QStringLiteral("DELETE FROM sepet WHERE sirano = ?"), {a});
    w.SepetYukle();
    QCOMPARE(dialogs.texts(), QStringList{kBaglantiKurulamiyor});
    QCOMPARE(w.sepet()->recordCount(), 2);
    QCOMPARE(sepetBasligi(w), QStringLiteral("2=Sepet"));

    // Each line reports on its own; the check marks and totals change here only.
    s->Button4->click();
    QCOMPARE(dialogs.count(), 3);
    QCOMPARE(secim(b), 0);
    QCOMPARE(w.sepet()->fieldValue(u"SEC").toInt(), 1);
    QCOMPARE(s->genelToplamMetni(), QStringLiteral("130,00"));

    // Deleting: the question, then the connection message; nothing reloads.
    QVERIFY(s->cxGrid2->setFocusedRecord(1));
    s->SatrSil1->trigger();
    QCOMPARE(dialogs.texts().mid(3),
             (QStringList{QStringLiteral("Satırı silmek istiyor musunuz "), kBaglantiKurulamiyor}));
    QCOMPARE(satirSayisi(), qint64(1));
    QCOMPARE(w.sepet()->recordCount(), 2);
}

QTEST_MAIN(TestSepet)
#include "tst_sepet.moc"
