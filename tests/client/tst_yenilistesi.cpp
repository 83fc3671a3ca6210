// The "Yeni Stoklar" and "Kampanyalı Stoklar" tabs against a real
// kolvar-server with demo data.
#include "support/dialogrecorder.h"
#include "support/fakeserver.h"
#include "support/realserver.h"

#include <app/unit1.h>
#include <catalogue/yenilistesi.h>
#include <platform/clientdataset.h>
#include <platform/connection/dsconnection.h>
#include <platform/grid/datagrid.h>
#include <platform/grid/gridrowmodel.h>
#include <platform/grid/gridtableview.h>
#include <server/baglanti.h>

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

using namespace kolvar;
using namespace kolvar::test;

namespace {

// What differs between the two tabs.
struct Sekme {
    QWidget *sayfa;
    QLabel *mesgul;
    DataGrid *grid;
    ClientDataSet *ds;
    QString baslik; // after the count
    QString tablo;  // the stoklar flag that puts a stock in the list
    void (YeniKampanyaliListeler::*yuklendi)(bool);
};

Sekme sekme(TForm1 &w, bool kampanyali)
{
    YeniKampanyaliListeler *l = w.yeniKampanyaliListeler();
    if (kampanyali)
        return {w.skampanyali,
                w.gifkampanyali,
                l->cxkampanyali(),
                l->kampstok(),
                QStringLiteral("=Kampanyalı"),
                QStringLiteral("kampanya"),
                &YeniKampanyaliListeler::kampanyalilarYuklendi};
    return {w.syeniler,
            w.gifyeniler,
            l->cxGrid6(),
            l->YENILER(),
            QStringLiteral("=Yeni Stoklar"),
            QStringLiteral("yeni"),
            &YeniKampanyaliListeler::yenilerYuklendi};
}

QString baslik(const TForm1 &w, QWidget *sayfa)
{
    return w.sPageControl1->tabText(w.sPageControl1->indexOf(sayfa));
}

} // namespace

class TestYeniListesi : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void loadsOnEveryShow_data();
    void loadsOnEveryShow();
    void emptyList_data();
    void emptyList();
    void showDuringLoadStartsNoSecond();
    void windowGoesWhileLoading();
    void noConnection_data();
    void noConnection();
    void campaignPriceColumns();
    void columns();

private:
    std::unique_ptr<TForm1> pencere(RealServer &server, const QString &user = QStringLiteral("BAYI"));

    RealServer m_server;
};

void TestYeniListesi::initTestCase()
{
    setRetryPause([](int) {});
    QString error;
    QVERIFY2(m_server.start(&error), qPrintable(error));
}

void TestYeniListesi::init()
{
    // Every test starts from the same lists: stocks 1-40 new, 41-60 on campaign.
    QVERIFY(
        m_server.exec(QStringLiteral("UPDATE stoklar SET yeni = CASE WHEN stokno <= 40 THEN 1 ELSE 0 END, "
                                     "kampanya = CASE WHEN stokno BETWEEN 41 AND 60 THEN 1 ELSE 0 END, "
                                     "kampfiyat = CASE WHEN stokno BETWEEN 41 AND 60 THEN listefiyat * 0.8 "
                                     "ELSE 0 END")));
}

std::unique_ptr<TForm1> TestYeniListesi::pencere(RealServer &server, const QString &user)
{
    auto w = std::make_unique<TForm1>();
    QString error;
    if (!server.signIn(*w, user, &error))
        qWarning() << error;
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()))
        qWarning() << "window not exposed";
    return w;
}

void TestYeniListesi::loadsOnEveryShow_data()
{
    QTest::addColumn<bool>("kampanyali");
    QTest::newRow("Yeni Stoklar") << false;
    QTest::newRow("Kampanyalı Stoklar") << true;
}

void TestYeniListesi::loadsOnEveryShow()
{
    QFETCH(bool, kampanyali);
    auto w = pencere(m_server);
    const Sekme s = sekme(*w, kampanyali);
    QSignalSpy yuklendi(w->yeniKampanyaliListeler(), s.yuklendi);
    DialogRecorder dialogs;

    w->sPageControl1->setCurrentWidget(s.sayfa);
    QVERIFY(!s.grid->isEnabled());
    QVERIFY(!s.mesgul->isHidden());
    QTRY_COMPARE_WITH_TIMEOUT(yuklendi.count(), 1, 20000);
    QCOMPARE(s.ds->recordCount(), kampanyali ? 20 : 40);
    QCOMPARE(baslik(*w, s.sayfa), QString::number(s.ds->recordCount()) + s.baslik);
    QVERIFY(s.grid->isEnabled());
    QVERIFY(s.mesgul->isHidden());
    QCOMPARE(s.grid->dataSet(), s.ds);
    QCOMPARE(s.grid->recordCount(), s.ds->recordCount());
    QVERIFY(!s.grid->isUpdating());
    QAbstractItemModelTester tester(s.grid->rowModel(),
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);

    // Shown again after the list changed: loaded again, the caption follows.
    QVERIFY(m_server.exec(
        QStringLiteral("UPDATE stoklar SET %1 = 1 WHERE stokno BETWEEN 41 AND 45")
            .arg(kampanyali ? QStringLiteral("kampanya = 0, kampfiyat = 0, yeni") : QStringLiteral("yeni"))));
    w->sPageControl1->setCurrentWidget(w->sstoklistesi);
    w->sPageControl1->setCurrentWidget(s.sayfa);
    QTRY_COMPARE_WITH_TIMEOUT(yuklendi.count(), 2, 20000);
    QCOMPARE(s.ds->recordCount(), kampanyali ? 15 : 45);
    QCOMPARE(baslik(*w, s.sayfa), QString::number(s.ds->recordCount()) + s.baslik);
    QCOMPARE(dialogs.count(), 0);
}

void TestYeniListesi::emptyList_data()
{
    loadsOnEveryShow_data();
}

void TestYeniListesi::emptyList()
{
    QFETCH(bool, kampanyali);
    QVERIFY(m_server.exec(QStringLiteral("UPDATE stoklar SET yeni = 0, kampanya = 0")));
    auto w = pencere(m_server);
    const Sekme s = sekme(*w, kampanyali);
    QSignalSpy yuklendi(w->yeniKampanyaliListeler(), s.yuklendi);
    DialogRecorder dialogs;
    w->sPageControl1->setCurrentWidget(s.sayfa);
    QTRY_COMPARE_WITH_TIMEOUT(yuklendi.count(), 1, 20000);
    QCOMPARE(baslik(*w, s.sayfa), QStringLiteral("0") + s.baslik);
    QCOMPARE(s.grid->rowCount(), 0);
    QCOMPARE(dialogs.count(), 0);
}

void TestYeniListesi::showDuringLoadStartsNoSecond()
{
    RealServer slow;
    QString error;
    QVERIFY2(slow.start(&error, 300, {QStringLiteral("--call-delay-ms"), QStringLiteral("700")}),
             qPrintable(error));
    auto w = pencere(slow);
    const Sekme s = sekme(*w, false);
    QSignalSpy yuklendi(w->yeniKampanyaliListeler(), s.yuklendi);
    w->sPageControl1->setCurrentWidget(s.sayfa);
    QVERIFY(w->yeniKampanyaliListeler()->yenilerYukleniyor());
    w->sPageControl1->setCurrentWidget(w->sstoklistesi);
    w->sPageControl1->setCurrentWidget(s.sayfa);
    QTRY_COMPARE_WITH_TIMEOUT(yuklendi.count(), 1, 20000);
    QTest::qWait(1500); // a second load would have ended by now
    QCOMPARE(yuklendi.count(), 1);
    QVERIFY(!w->yeniKampanyaliListeler()->yenilerYukleniyor());
    QVERIFY(s.grid->isEnabled());
    QVERIFY(s.ds->recordCount() > 0);
}

// The window (and the datasets the workers fill) may go while both lists
// are still loading; the workers must not write into freed datasets (the
// sanitizer build catches that).
void TestYeniListesi::windowGoesWhileLoading()
{
    RealServer slow;
    QString error;
    QVERIFY2(slow.start(&error, 300, {QStringLiteral("--call-delay-ms"), QStringLiteral("400")}),
             qPrintable(error));
    auto w = pencere(slow);
    w->sPageControl1->setCurrentWidget(w->syeniler);
    w->sPageControl1->setCurrentWidget(w->skampanyali);
    QVERIFY(w->yeniKampanyaliListeler()->yenilerYukleniyor());
    w.reset();
    QTest::qWait(800); // the calls have answered by now
}

void TestYeniListesi::noConnection_data()
{
    loadsOnEveryShow_data();
}

void TestYeniListesi::noConnection()
{
    QFETCH(bool, kampanyali);
    auto w = pencere(m_server);
    const Sekme s = sekme(*w, kampanyali);
    QSignalSpy yuklendi(w->yeniKampanyaliListeler(), s.yuklendi);
    w->sPageControl1->setCurrentWidget(s.sayfa);
    QTRY_COMPARE_WITH_TIMEOUT(yuklendi.count(), 1, 20000);
    const int once = s.ds->recordCount();
    const QString onceBaslik = baslik(*w, s.sayfa);

    DialogRecorder dialogs;
    w->bagc()->setPort(FakeServer::unusedPort());
    w->sPageControl1->setCurrentWidget(w->sstoklistesi);
    w->sPageControl1->setCurrentWidget(s.sayfa);
    QTRY_COMPARE_WITH_TIMEOUT(yuklendi.count(), 2, 20000);
    QCOMPARE(yuklendi.last().first().toBool(), true);
    QCOMPARE(dialogs.texts(), QStringList{kBaglantiKurulamiyor});
    QCOMPARE(dialogs.shown().first().request.kind, 1);
    // The previous list stays, usable, under the previous caption.
    QCOMPARE(baslik(*w, s.sayfa), onceBaslik);
    QCOMPARE(s.grid->dataSet(), s.ds);
    QCOMPARE(s.grid->recordCount(), once);
    QVERIFY(s.grid->isEnabled());
    QVERIFY(s.mesgul->isHidden());
}

void TestYeniListesi::campaignPriceColumns()
{
    QVERIFY(m_server.exec(QStringLiteral("UPDATE stoklar SET kampanya = 0, kampfiyat = 0")));
    QVERIFY(m_server.exec(QStringLiteral(
        "UPDATE stoklar SET kampanya = 1, listefiyat = 150, kampfiyat = 99.9 WHERE stokno = 50")));
    auto w = pencere(m_server);
    const Sekme s = sekme(*w, true);
    QSignalSpy yuklendi(w->yeniKampanyaliListeler(), s.yuklendi);
    w->sPageControl1->setCurrentWidget(s.sayfa);
    QTRY_COMPARE_WITH_TIMEOUT(yuklendi.count(), 1, 20000);
    QCOMPARE(s.grid->recordCount(), 1);
    const auto hucre = [&](QStringView field) {
        const int c = s.grid->columnOfField(field);
        return std::pair{s.grid->columns().at(c).caption,
                         s.grid->rowModel()->index(0, c).data(GridRole::Value).toDouble()};
    };
    QCOMPARE(hucre(u"ESKIFIYAT"), std::pair(QStringLiteral("Liste Fiyatı"), 150.0));
    QCOMPARE(hucre(u"FIYAT"), std::pair(QStringLiteral("Kampanyalı Fiyatı"), 99.9));
    QVERIFY(s.grid->isColumnVisible(s.grid->columnOfField(u"ESKIFIYAT")));
    QVERIFY(s.grid->isColumnVisible(s.grid->columnOfField(u"FIYAT")));
    QCOMPARE(s.grid->rowModel()->index(0, s.grid->columnOfField(u"FIYAT")).data().toString(),
             QLocale().toString(99.9, 'f', 2));
}

void TestYeniListesi::columns()
{
    TForm1 w;
    const Sekme yeni = sekme(w, false), kamp = sekme(w, true);
    QCOMPARE(yeni.grid->objectName(), QStringLiteral("cxGrid6"));
    QCOMPARE(yeni.grid->view()->objectName(), QStringLiteral("cxGridDBTableView5"));
    QCOMPARE(kamp.grid->objectName(), QStringLiteral("cxkampanyali"));
    QCOMPARE(kamp.grid->view()->objectName(), QStringLiteral("cxGridDBTableViewkampanyali"));

    const auto gorunenler = [](const DataGrid *g) {
        QStringList l;
        for (int c : g->visibleColumns())
            l << g->columns().at(c).headerText();
        return l;
    };
    QCOMPARE(gorunenler(yeni.grid), (QStringList{"Barkod", "Açıklama", "Finish Kod", "Birim", "Marka",
                                                 "Model", "Kampanyalı", "Liste Fiyatı", "Kampanyalı Fiyatı",
                                                 "Indirim Oran", "Net Fiyatı", "KDV Dahil Fiyat"}));
    QCOMPARE(gorunenler(kamp.grid),
             (QStringList{"Barkod", "Açıklama", "Resim", "Finish Kod", "Birim", "Marka", "Model",
                          "Liste Fiyatı", "Kampanyalı Fiyatı", "Yeni", "Kampanyalı", "İndirim Oran",
                          "Net Fiyatı", "KDV Dahil Fiyat", "Durum"}));
    // The new list shows no icon for a stock off campaign.
    const GridColumn &k = yeni.grid->columns().at(yeni.grid->columnOfField(u"K"));
    QCOMPARE(k.icons.size(), 2);
    QVERIFY(k.icons.at(0).isNull());
    QVERIFY(!k.icons.at(1).isNull());
    QVERIFY(!yeni.grid->isColumnOffered(yeni.grid->columnOfField(u"INDIRIM")));
    QCOMPARE(yeni.grid->look().evenRow, QColor(254, 246, 254));
    QCOMPARE(kamp.grid->look().evenRow, QColor(244, 249, 255));
    QCOMPARE(kamp.grid->look().font.pixelSize(), 11);
    QCOMPARE(kamp.grid->look().rowHeight, 40);

    // A dealer of type 4 has no campaign columns in the new list.
    w.HesabaUyarla(4);
    QVERIFY(!yeni.grid->isColumnVisible(yeni.grid->columnOfField(u"KAMPFIYAT")));
    QVERIFY(!yeni.grid->isColumnVisible(yeni.grid->columnOfField(u"K")));
    QVERIFY(kamp.grid->isColumnVisible(kamp.grid->columnOfField(u"K")));
}

QTEST_MAIN(TestYeniListesi)
#include "tst_yenilistesi.moc"
