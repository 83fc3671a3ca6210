// The stock search and the stock grid of the main window against a real
// kolvar-server with demo data (and a scripted server where the exact text
// sent or a broken answer matters).
#include "support/dialogrecorder.h"
#include "support/fakeserver.h"
#include "support/realserver.h"

#include <app/unit1.h>
#include <catalogue/fiyatbilgisi.h>
#include <catalogue/ikonlar.h>
#include <catalogue/stokkolonlari.h>
#include <catalogue/stoklistesi.h>
#include <platform/clientdataset.h>
#include <platform/connection/dsconnection.h>
#include <platform/grid/datagrid.h>
#include <platform/grid/gridrowmodel.h>
#include <platform/grid/gridtableview.h>
#include <server/baglanti.h>
#include <transfer/baglantiu.h>

#include <QAbstractItemModelTester>
#include <QDialog>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace kolvar;
using namespace kolvar::test;

namespace {

// Types `text` key by key; QTest::keyClicks knows Latin-1 letters only.
void yaz(QWidget *edit, const QString &text)
{
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Press, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

QString sekmeBasligi(const TForm1 &w)
{
    return w.sPageControl1->tabText(w.sPageControl1->indexOf(w.sstoklistesi));
}

// A table shaped like a search result, for the scripted server.
Table aramaSonucu(bool ind1)
{
    QList<ColumnDef> defs{{QStringLiteral("DURUM"), ColumnType::Int32, 0},
                          {QStringLiteral("BARKOD"), ColumnType::String, 50},
                          {QStringLiteral("STOK_STOKNO"), ColumnType::Int32, 0},
                          {QStringLiteral("KDVDAHIL"), ColumnType::Double, 0}};
    if (ind1)
        defs.append({QStringLiteral("IND1"), ColumnType::Double, 0});
    Table t(defs);
    const int r = t.appendRow();
    t.setInteger(r, 0, 1);
    t.setString(r, 1, QStringLiteral("AB-1"));
    t.setInteger(r, 2, 7);
    t.setReal(r, 3, 12.5);
    if (ind1)
        t.setReal(r, 4, 10);
    return t;
}

} // namespace

class TestStokListesi : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void typedTextIsPlainCapitals_data();
    void typedTextIsPlainCapitals();
    void textSentAsTyped_data();
    void textSentAsTyped();
    void searchFillsList_data();
    void searchFillsList();
    void failedSearch_data();
    void failedSearch();
    void busySearchIgnoresSecondStart();
    void clearEmptiesList();
    void layoutFollowsWindowWidth_data();
    void layoutFollowsWindowWidth();
    void statusIcons();
    void priceCellText_data();
    void priceCellText();
    void priceCellColours();
    void gridAndMenu();
    void doubleClickOpensFocusedStock();

private:
    // A signed-in main window of `user`, shown.
    std::unique_ptr<TForm1> pencere(const QString &user = QStringLiteral("BAYI"));
    // Types `text` into the search edit, presses Enter and waits for the end.
    bool ara(TForm1 &w, const QString &text);

    RealServer m_server;
};

void TestStokListesi::initTestCase()
{
    setRetryPause([](int) {});
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
}

std::unique_ptr<TForm1> TestStokListesi::pencere(const QString &user)
{
    auto w = std::make_unique<TForm1>();
    QString error;
    if (!m_server.signIn(*w, user, &error))
        qWarning() << error;
    w->resize(1280, 800);
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()))
        qWarning() << "window not exposed";
    return w;
}

bool TestStokListesi::ara(TForm1 &w, const QString &text)
{
    QSignalSpy bitti(w.stokListesi(), &StokListesi::aramaBitti);
    w.araedit->setFocus();
    w.araedit->selectAll();
    QTest::keyClick(w.araedit, Qt::Key_Delete);
    yaz(w.araedit, text);
    QTest::keyClick(w.araedit, Qt::Key_Return);
    // A search that fails at once may have finished inside the key press.
    if (bitti.isEmpty())
        bitti.wait(20000);
    return bitti.count() == 1;
}

void TestStokListesi::typedTextIsPlainCapitals_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("şüphe") << "şüphe"
                           << "SUPHE";
    QTest::newRow("every Turkish letter") << "ğüşöçıĞÜŞİÖÇ"
                                          << "GUSOCIGUSIOC";
    QTest::newRow("plain letters, digits and marks") << "ab-12.c i"
                                                     << "AB-12.C I";
}

void TestStokListesi::typedTextIsPlainCapitals()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    TForm1 w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    yaz(w.araedit, typed);
    QCOMPARE(w.araedit->text(), shown);
    // Text put in by the program is shown in capitals as well.
    w.araedit->setText(QStringLiteral("balata"));
    QCOMPARE(w.araedit->text(), QStringLiteral("BALATA"));
}

void TestStokListesi::textSentAsTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("sent");
    QTest::newRow("şüphe") << "şüphe"
                           << "SUPHE";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("one letter") << "x"
                                << "X";
    QTest::newRow("blanks kept") << " ab "
                                 << " AB ";
}

// The scripted server records the text exactly as it arrives.
void TestStokListesi::textSentAsTyped()
{
    QFETCH(QString, typed);
    QFETCH(QString, sent);
    FakeServer fake;
    fake.on(QStringLiteral("StokAraGetir"), FakeReply::ok({aramaSonucu(true)}));
    TForm1 w;
    w.bagc()->setHostName(QStringLiteral("127.0.0.1"));
    w.bagc()->setPort(fake.port());
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    DialogRecorder dialogs;
    QVERIFY(ara(w, typed));
    QCOMPARE(fake.requestCount(QStringLiteral("StokAraGetir")), 1);
    Request r;
    for (const Request &q : fake.requests())
        if (q.method == u"StokAraGetir")
            r = q;
    QCOMPARE(std::get<QString>(r.params.value(0)), sent);
    QCOMPARE(dialogs.count(), 0);
    QCOMPARE(sekmeBasligi(w), QStringLiteral("1=Stok Listesi"));
}

void TestStokListesi::searchFillsList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("rows");
    QTest::newRow("a stock code") << "*code*" << true;
    QTest::newRow("a name") << "fren" << true;
    QTest::newRow("nothing matches") << "QQZZXX99887" << false;
    QTest::newRow("empty text") << "" << false;
}

void TestStokListesi::searchFillsList()
{
    QFETCH(QString, text);
    QFETCH(bool, rows);
    const QString barkod =
        m_server.scalar(QStringLiteral("SELECT barkod FROM stoklar WHERE stokno = 11")).toString();
    if (text == u"*code*")
        text = barkod.toLower();

    auto w = pencere();
    w->sPageControl1->setCurrentWidget(w->syeniler);
    DialogRecorder dialogs;
    QVERIFY(ara(*w, text));
    ClientDataSet *stok = w->stokListesi()->stok();
    DataGrid *grid = w->stokListesi()->cxGrid1();
    QCOMPARE(dialogs.count(), 0);
    QCOMPARE(w->sPageControl1->currentWidget(), w->sstoklistesi);
    QCOMPARE(stok->recordCount() > 0, rows);
    QCOMPARE(sekmeBasligi(*w), QString::number(stok->recordCount()) + QStringLiteral("=Stok Listesi"));
    QCOMPARE(grid->dataSet(), stok);
    QCOMPARE(grid->recordCount(), stok->recordCount());
    QVERIFY(!grid->isUpdating());
    QVERIFY(w->araedit->isEnabled());
    QVERIFY(w->gifstokara->isHidden());
    QCOMPARE(w->araedit->selectedText(), w->araedit->text());
    QCOMPARE(QApplication::focusWidget(), w->araedit);
    QVERIFY(stok->fieldIndex(u"IND1") >= 0);
    if (text == barkod.toLower()) {
        // The whole code comes first, and amounts are shown with two decimals.
        QCOMPARE(w->araedit->text(), barkod.toUpper());
        QCOMPARE(stok->value(0, stok->fieldIndex(u"STOK_STOKNO")).toInt(), 11);
        QCOMPARE(stok->field(stok->fieldIndex(u"KDVDAHIL")).displayFormat, QStringLiteral("#,###,##0.00"));
        QCOMPARE(grid->footerText(grid->columnOfField(u"BARKOD")), QString::number(stok->recordCount()));
    }
    QAbstractItemModelTester tester(grid->rowModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void TestStokListesi::failedSearch_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("earlierResult");
    QTest::newRow("no server, list loaded before") << "dead port" << true;
    QTest::newRow("no server, first search") << "dead port" << false;
    QTest::newRow("remote error") << "remote error" << true;
    QTest::newRow("result without IND1") << "no IND1" << true;
}

void TestStokListesi::failedSearch()
{
    QFETCH(QString, how);
    QFETCH(bool, earlierResult);
    FakeServer fake;
    if (how == u"remote error")
        fake.on(QStringLiteral("StokAraGetir"), FakeReply::fail(QStringLiteral("Oturum geçersiz")));
    else
        fake.on(QStringLiteral("StokAraGetir"), FakeReply::ok({aramaSonucu(false)}));

    auto w = pencere();
    DialogRecorder dialogs;
    if (earlierResult) {
        QVERIFY(ara(*w, QStringLiteral("fren")));
        QVERIFY(w->stokListesi()->stok()->recordCount() > 0);
        w->stokListesi()->cxGrid1()->setColumnFilter(w->stokListesi()->cxGrid1()->columnOfField(u"MARKA"),
                                                     {QStringLiteral("BOSCH")});
    }
    w->bagc()->setHostName(QStringLiteral("127.0.0.1"));
    w->bagc()->setPort(how == u"dead port" ? FakeServer::unusedPort() : fake.port());
    QVERIFY(ara(*w, QStringLiteral("balata")));

    QCOMPARE(dialogs.texts(), QStringList{kBaglantiKurulamiyor});
    QCOMPARE(dialogs.shown().first().request.kind, int(mkError));
    QCOMPARE(dialogs.shown().first().request.buttons, QList<MsgButton>{mbOK});
    QCOMPARE(w->stokListesi()->stok()->recordCount(), 0);
    QCOMPARE(w->stokListesi()->cxGrid1()->rowCount(), 0);
    QVERIFY(!w->stokListesi()->cxGrid1()->hasFilters());
    QCOMPARE(sekmeBasligi(*w), QStringLiteral("Stok Listesi"));
    QVERIFY(w->araedit->isEnabled());
    QCOMPARE(w->araedit->text(), QStringLiteral("BALATA"));
    QCOMPARE(w->araedit->selectedText(), QStringLiteral("BALATA"));
    QVERIFY(w->gifstokara->isHidden());

    // The next search works again at once.
    w->bagc()->setPort(m_server.port());
    QVERIFY(ara(*w, QStringLiteral("fren")));
    QVERIFY(w->stokListesi()->stok()->recordCount() > 0);
    QCOMPARE(dialogs.count(), 1);
}

void TestStokListesi::busySearchIgnoresSecondStart()
{
    RealServer slow;
    QString error;
    QVERIFY2(slow.start(&error, 300, {QStringLiteral("--call-delay-ms"), QStringLiteral("700")}),
             qPrintable(error));
    auto w = std::make_unique<TForm1>();
    QVERIFY2(slow.signIn(*w, QStringLiteral("BAYI"), &error), qPrintable(error));
    w->resize(1280, 800);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    DialogRecorder dialogs;
    StokListesi *liste = w->stokListesi();
    QSignalSpy bitti(liste, &StokListesi::aramaBitti);

    yaz(w->araedit, QStringLiteral("fren"));
    QTest::keyClick(w->araedit, Qt::Key_Return);
    QVERIFY(!w->araedit->isEnabled());
    QVERIFY(!w->gifstokara->isHidden());
    QVERIFY(liste->aramaSuruyor());
    QCOMPARE(liste->cxGrid1()->dataSet(), nullptr);

    // Another Enter, "Ara" and "Temizle" while it runs change nothing, and a
    // resize meanwhile is laid out once the search is over.
    QTest::keyClick(w->araedit, Qt::Key_Return);
    w->SpeedButton2->click();
    w->SpeedButton1->click();
    QCOMPARE(w->araedit->text(), QStringLiteral("FREN"));
    w->resize(1100, 800);
    QTest::qWait(50);
    QVERIFY(!liste->cxGrid1()->isColumnVisible(liste->cxGrid1()->columnOfCaption(kFiyatBilgisi)));

    QTRY_COMPARE_WITH_TIMEOUT(bitti.count(), 1, 20000);
    QTest::qWait(1500); // long enough for a second search to have ended
    QCOMPARE(bitti.count(), 1);
    QVERIFY(liste->stok()->recordCount() > 0);
    QCOMPARE(dialogs.count(), 0);
    QVERIFY(liste->cxGrid1()->isColumnVisible(liste->cxGrid1()->columnOfCaption(kFiyatBilgisi)));
    QVERIFY(!liste->cxGrid1()->isColumnVisible(liste->cxGrid1()->columnOfField(u"KDVDAHIL")));
}

void TestStokListesi::clearEmptiesList()
{
    auto w = pencere();
    QVERIFY(ara(*w, QStringLiteral("fren")));
    DataGrid *grid = w->stokListesi()->cxGrid1();
    grid->setColumnFilter(grid->columnOfField(u"MARKA"), {QStringLiteral("BOSCH")});
    w->sPageControl1->setCurrentWidget(w->ssepet);
    w->SpeedButton1->click();
    QCOMPARE(w->stokListesi()->stok()->recordCount(), 0);
    QCOMPARE(sekmeBasligi(*w), QStringLiteral("Stok Listesi"));
    QCOMPARE(w->sPageControl1->currentWidget(), w->sstoklistesi);
    QVERIFY(!grid->hasFilters());
    QVERIFY(w->araedit->text().isEmpty());
    QCOMPARE(QApplication::focusWidget(), w->araedit);
}

void TestStokListesi::layoutFollowsWindowWidth_data()
{
    QTest::addColumn<QString>("user");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("narrow");
    QTest::newRow("1152 narrow") << "BAYI" << 1152 << true;
    QTest::newRow("1153 wide") << "BAYI" << 1153 << false;
    QTest::newRow("1600 wide") << "BAYI" << 1600 << false;
    QTest::newRow("dealer 4 wide, no campaign price") << "BAYI4" << 1400 << false;
}

void TestStokListesi::layoutFollowsWindowWidth()
{
    QFETCH(QString, user);
    QFETCH(int, width);
    QFETCH(bool, narrow);
    auto w = pencere(user);
    QVERIFY(ara(*w, QStringLiteral("fren")));
    DataGrid *grid = w->stokListesi()->cxGrid1();
    grid->setColumnVisible(grid->columnOfField(u"OEM1"), true);
    // Come from the other layout so that both directions are crossed.
    w->resize(narrow ? 1300 : 1100, 800);
    QTRY_COMPARE(w->width(), narrow ? 1300 : 1100);
    w->resize(width, 800);
    QTRY_COMPARE(w->width(), width);
    QTest::qWait(20);

    const bool kampanyaGorulur = user != u"BAYI4";
    const auto visible = [&](QStringView field) { return grid->isColumnVisible(grid->columnOfField(field)); };
    QCOMPARE(visible(u"KDVDAHIL"), !narrow);
    QCOMPARE(visible(u"NETFIYAT"), !narrow);
    QCOMPARE(visible(u"LISTEFIYAT1"), !narrow);
    QCOMPARE(visible(u"KAMPFIYAT"), !narrow && kampanyaGorulur);
    QVERIFY(!visible(u"FIYAT"));
    const int fiyatBilgisi = grid->columnOfCaption(kFiyatBilgisi);
    QCOMPARE(grid->isColumnVisible(fiyatBilgisi), narrow);
    QCOMPARE(grid->view()->rowHeight(0), narrow ? 100 : 50);

    // In the narrow layout the OEM numbers and the price cell keep their own
    // widths and the other columns share the rest by weight.
    const int fiyatGenisligi = grid->columnWidth(fiyatBilgisi);
    int weights = 0, fixed = 0;
    for (int c : grid->visibleColumns()) {
        const QString f = grid->columns().at(c).field;
        if (narrow && (c == fiyatBilgisi || f.startsWith(u"OEM")))
            fixed += c == fiyatBilgisi ? fiyatGenisligi : 80;
        else
            weights += grid->columns().at(c).weight;
    }
    const int unit = (grid->width() - fixed - 30) / weights;
    QCOMPARE(grid->columnWidth(grid->columnOfField(u"ADI")), 4 * unit);
    int toplam = 0;
    for (int c : grid->visibleColumns())
        toplam += grid->columnWidth(c);
    QVERIFY2(toplam <= grid->view()->viewport()->width(), "every column, the price cell too, stays in view");
    if (narrow) {
        QCOMPARE(grid->columnWidth(grid->columnOfField(u"OEM1")), 80);
        // 150 px at least, and wide enough that no price line is cut.
        const int genislik = grid->columnWidth(fiyatBilgisi);
        QVERIFY(genislik >= 150);
        const QFontMetrics fm(grid->look().font);
        const ClientDataSet &stok = *w->stokListesi()->stok();
        for (int r = 0; r < stok.recordCount(); ++r) {
            const QString metin = FiyatBilgisiMetni(FiyatBilgisiOku(stok, r));
            for (const QString &satir : metin.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
                QVERIFY2(fm.horizontalAdvance(satir) + 20 <= genislik, qPrintable(satir));
        }
    } else {
        QCOMPARE(grid->columnWidth(grid->columnOfField(u"OEM1")), 2 * unit);
        QCOMPARE(grid->columnWidth(grid->columnOfField(u"KDVDAHIL")), 3 * unit);
    }
}

void TestStokListesi::statusIcons()
{
    const QString barkod5 =
        m_server.scalar(QStringLiteral("SELECT barkod FROM stoklar WHERE stokno = 21")).toString();
    const QString barkod7 =
        m_server.scalar(QStringLiteral("SELECT barkod FROM stoklar WHERE stokno = 22")).toString();
    QVERIFY(m_server.exec(QStringLiteral("UPDATE stoklar SET durum = 5 WHERE stokno = 21")));
    QVERIFY(m_server.exec(QStringLiteral("UPDATE stoklar SET durum = 7 WHERE stokno = 22")));
    auto w = pencere();
    DataGrid *grid = w->stokListesi()->cxGrid1();
    const int durum = grid->columnOfField(u"DURUM");
    for (const auto &[barkod, icon] : {std::pair{barkod5, DurumIkonu(5)}, std::pair{barkod7, QIcon()}}) {
        QVERIFY(ara(*w, barkod));
        const QModelIndex cell = grid->rowModel()->index(0, durum);
        QCOMPARE(cell.data(GridRole::IconCode).toInt(), icon.isNull() ? 7 : 5);
        QCOMPARE(cell.data(Qt::DisplayRole), QVariant());
        const QVariant shown = cell.data(Qt::DecorationRole);
        QCOMPARE(shown.isValid(), !icon.isNull());
        if (!icon.isNull())
            QCOMPARE(shown.value<QIcon>().cacheKey(), icon.cacheKey());
    }
    // The legend shows the grid's icons beside the status texts.
    const QImage legendTedarik = w->findChild<QWidget *>(QStringLiteral("DurumPanel"))
                                     ->findChildren<QLabel *>()
                                     .at(7)
                                     ->pixmap()
                                     .toImage();
    QCOMPARE(legendTedarik, DurumIkonu(5).pixmap(16, 16).toImage());
}

void TestStokListesi::priceCellText_data()
{
    QTest::addColumn<double>("liste");
    QTest::addColumn<double>("kamp");
    QTest::addColumn<QString>("text");
    QTest::newRow("no campaign")
        << 1234.5 << 0.0 << "Liste Fiyatı: 1.234,50\r\nNetFiyat: 987,60\r\nKDV li Fiyat: 1.185,12\r\n";
    QTest::newRow("negative campaign price") << 1234.5 << -1.0
                                             << "Liste Fiyatı: 1.234,50\r\nNetFiyat: 987,60\r\nKDV li "
                                                "Fiyat: 1.185,12\r\n";
    QTest::newRow("smallest campaign price")
        << 1234.5 << 0.01
        << "Liste Fiyatı: 1.234,50\r\nKampanyalı Fiyat: 0,01\r\nNetFiyat: "
           "987,60\r\nKDV li Fiyat: 1.185,12\r\n";
}

void TestStokListesi::priceCellText()
{
    QFETCH(double, liste);
    QFETCH(double, kamp);
    QFETCH(QString, text);
    QCOMPARE(FiyatBilgisiMetni({liste, kamp, 987.6, 1185.12}, QLocale(QLocale::Turkish, QLocale::Turkey)),
             text);
}

void TestStokListesi::priceCellColours()
{
    auto w = pencere();
    w->resize(1100, 800);
    QTRY_COMPARE(w->width(), 1100);
    QVERIFY(ara(*w, QStringLiteral("fren")));
    DataGrid *grid = w->stokListesi()->cxGrid1();
    QVERIFY(grid->recordCount() >= 2);
    const QModelIndex cell = grid->rowModel()->index(1, grid->columnOfCaption(kFiyatBilgisi));
    const auto *drawer = static_cast<const CellDrawer *>(cell.data(GridRole::Drawer).value<const void *>());
    QVERIFY(drawer);

    const auto paint = [&](int viewRow, bool selected) {
        QImage img(150, 100, QImage::Format_ARGB32);
        img.fill(Qt::black);
        QPainter p(&img);
        (*drawer)(&p, img.rect(), viewRow, selected, grid->rowStyle(viewRow));
        p.end();
        return img;
    };
    QCOMPARE(paint(0, false).pixelColor(2, 2), QColor(244, 249, 255));
    QCOMPARE(paint(1, false).pixelColor(2, 2), QColor(254, 246, 254));
    QCOMPARE(paint(0, true).pixelColor(2, 2), grid->look().selection);
    // The text stays inside 10 px margins, ends at the right one and is
    // centred from top to bottom.
    const QImage img = paint(1, false);
    QRect ink;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) != QColor(254, 246, 254))
                ink |= QRect(x, y, 1, 1);
    QVERIFY(!ink.isEmpty());
    QVERIFY(ink.left() >= 10);
    QVERIFY(ink.right() < img.width() - 10);
    QVERIFY(ink.right() >= img.width() - 10 - 3);
    QVERIFY(qAbs(ink.top() - (img.height() - 1 - ink.bottom())) <= 6);
}

void TestStokListesi::gridAndMenu()
{
    TForm1 w;
    StokListesi *liste = w.stokListesi();
    DataGrid *grid = liste->cxGrid1();
    QCOMPARE(grid->objectName(), QStringLiteral("cxGrid1"));
    QCOMPARE(grid->view()->objectName(), QStringLiteral("cxGrid1DBTableView1"));
    QCOMPARE(w.findChild<DataGrid *>(QStringLiteral("cxGrid1")), grid);
    QCOMPARE(grid->parentWidget(), w.sstoklistesi);

    QStringList menu;
    for (const QAction *a : liste->popstok()->actions())
        menu << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(menu, (QStringList{"Sepete Ekle", "-", "Sipariş Bakiyeleriniz", "-", "Siparişleri Göster"}));

    // Columns as designed, in order, and what the user is offered.
    QStringList shown, offered;
    for (const GridColumn &col : StokKolonlari({}))
        if (col.visible)
            shown << col.headerText();
    for (int c = 0; c < grid->columnCount(); ++c)
        if (grid->isColumnOffered(c))
            offered << grid->columns().at(c).headerText();
    QCOMPARE(shown, (QStringList{"Durum", "Barkod", "Açıklama", "Resim", "Marka", "Model", "Yeni",
                                 "Kampanyalı", "İndirim Oran", "KDV Dahil Fiyat", "Fiyat Bilgisi"}));
    for (const char *never : {"STOK_STOKNO", "BARKOD_BARKODNO", "DPKOD", "PKOD", "KALAN"})
        QVERIFY2(!offered.contains(QLatin1String(never)), never);
    QVERIFY(offered.contains(QStringLiteral("Oem1")));
    QCOMPARE(grid->columns().at(grid->columnOfField(u"FIYAT")).caption, QStringLiteral("Liste Fiyatı"));
    QCOMPARE(grid->columns().at(grid->columnOfField(u"ADI")).weight, 4);

    const GridLook &look = grid->look();
    QCOMPARE(look.evenRow, QColor(244, 249, 255));
    QCOMPARE(look.oddRow, QColor(254, 246, 254));
    QCOMPARE(look.headerHeight, 40);
    QVERIFY(look.showFooter && look.indicator && look.wordWrap);
    QCOMPARE(look.indicatorWidth, 5);
    QCOMPARE(look.font.pixelSize(), 13);

    // A representative sees the remaining quantity, a dealer of type 4 no
    // campaign flag (not even in the customisation).
    w.HesabaUyarla(1);
    QVERIFY(grid->isColumnVisible(grid->columnOfField(u"KALAN")));
    w.HesabaUyarla(4);
    QVERIFY(!grid->isColumnVisible(grid->columnOfField(u"KALAN")));
    QVERIFY(!grid->isColumnVisible(grid->columnOfField(u"K")));
    QVERIFY(!grid->isColumnOffered(grid->columnOfField(u"K")));
    w.HesabaUyarla(0);
    QVERIFY(grid->isColumnVisible(grid->columnOfField(u"K")));

    // Nothing focused: opening does nothing.
    liste->cxGrid1DBTableView1DblClick();
}

// A double-click opens the stock detail window on the clicked row (the window
// is closed again unanswered).
void TestStokListesi::doubleClickOpensFocusedStock()
{
    auto w = pencere();
    QVERIFY(m_server.exec(QStringLiteral("DELETE FROM sepet")));
    QVERIFY(ara(*w, QStringLiteral("fren")));
    DataGrid *grid = w->stokListesi()->cxGrid1();
    ClientDataSet *stok = w->stokListesi()->stok();
    QVERIFY(grid->recordCount() >= 3);
    const QString adi = stok->value(2, stok->fieldIndex(u"ADI")).toString();

    QStringList goruldu;
    QTimer kapatici;
    kapatici.setInterval(20);
    connect(&kapatici, &QTimer::timeout, [&] {
        if (auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            QStringList yazilar;
            for (const QLabel *l : d->findChildren<QLabel *>())
                yazilar << l->text();
            goruldu << yazilar.join(u'|');
            d->reject();
        }
    });
    kapatici.start();
    const QRect hucre = grid->view()->visualRect(grid->rowModel()->index(2, grid->columnOfField(u"ADI")));
    // The view reads a double-click as such after the press that started it.
    QTest::mousePress(grid->view()->viewport(), Qt::LeftButton, {}, hucre.center());
    QTest::mouseDClick(grid->view()->viewport(), Qt::LeftButton, {}, hucre.center());
    QTRY_COMPARE(goruldu.size(), 1);
    QVERIFY2(goruldu.first().contains(adi), qPrintable(goruldu.first()));
    QCOMPARE(stok->recNo(), 2);
    QCOMPARE(grid->focusedRecord(), 2);
}

QTEST_MAIN(TestStokListesi)
#include "tst_stoklistesi.moc"
