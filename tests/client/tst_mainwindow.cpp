#include "support/fakeserver.h"
#include "support/modalanswerer.h"
#include "support/tinyweb.h"

#include <app/adresler.h>
#include <app/surec.h>
#include <app/unit1.h>
#include <platform/async/background.h>
#include <platform/connection/dsconnection.h>
#include <platform/machine/machinefacts.h>
#include <platform/style/style.h>
#include <server/baglanti.h>
#include <signin/girisformu.h>
#include <transfer/baglantiu.h>

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace kolvar;
using namespace kolvar::test;

namespace {

struct TestFacts : MachineFacts {
    QString root;
    QString diskSerial() const override { return QStringLiteral("MAINPC"); }
    QList<QByteArray> adapterAddresses() const override { return {}; }
    QString computerName() const override { return QStringLiteral("MAINPC"); }
    QString userName() const override { return QStringLiteral("tester"); }
    QString localIPv4() const override { return QStringLiteral("10.0.0.9"); }
    QString configFolder() const override { return root; }
    QString documentsFolder() const override { return root; }
    QString localDataFolder() const override { return root; }
    QString findProgram(const QString &) const override { return {}; }
};

QStringList visibleActionTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *a : menu->actions()) {
        if (a->isVisible())
            texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    return texts;
}

QStringList visibleTabs(const QTabWidget *tabs)
{
    QStringList captions;
    for (int i = 0; i < tabs->count(); ++i) {
        if (tabs->isTabVisible(i))
            captions << tabs->tabText(i);
    }
    return captions;
}

const QStringList kTabs{"Stok Listesi",       "Sepet",     "Önceki Siparişler", "Cari Ekstre", "Yeni Stoklar",
                        "Kampanyalı Stoklar", "Duyurular", "Bakiyeler",         "Sanal Pos"};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void frame();
    void styleSheetLoads();
    void exitQuestion_data();
    void exitQuestion();
    void accountTypes_data();
    void accountTypes();
    void accountColumns_data();
    void accountColumns();
    void headerLine_data();
    void headerLine();
    void startJobAndAdvertStep_data();
    void startJobAndAdvertStep();
    void signInFromFormCreate_data();
    void signInFromFormCreate();

private:
    QTemporaryDir m_dir;
    TestFacts m_facts;
    QList<int> m_ends;
};

void TestMainWindow::initTestCase()
{
    m_facts.root = m_dir.path();
    MachineFacts::install(&m_facts);
    setRetryPause([](int) {});
    setSurecBitirici([this](int code) { m_ends << code; });
}

void TestMainWindow::init()
{
    m_ends.clear();
}

void TestMainWindow::frame()
{
    TForm1 w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Kolvar Otomotiv B2B Programı"));
    QStringList tabNames, captions;
    for (int i = 0; i < w.sPageControl1->count(); ++i) {
        tabNames << w.sPageControl1->widget(i)->objectName();
        captions << w.sPageControl1->tabText(i);
        QVERIFY(!w.sPageControl1->tabIcon(i).isNull());
    }
    QCOMPARE(tabNames, (QStringList{"sstoklistesi", "ssepet", "sonceki", "sccariekstre", "syeniler",
                                    "skampanyali", "sTabSheetduyuru", "sTabbakiyeler", "ss"}));
    QCOMPARE(captions, kTabs);
    QCOMPARE(w.sPageControl1->currentIndex(), 0);

    // The general menu as designed: "Raporlar" hidden.
    QCOMPARE(w.Button3->menu(), w.Genelmenu);
    QCOMPARE(w.Button3->popupMode(), QToolButton::MenuButtonPopup);
    QStringList names;
    for (const QAction *a : w.Genelmenu->actions())
        names << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    QCOMPARE(names, (QStringList{"M1", "-", "N4", "-", "websitesi1", "-", "G1", "-", "R1"}));
    QCOMPARE(w.G1->text(), QStringLiteral("Çıkış"));
    QVERIFY(!w.R1->isVisible());
    QVERIFY(w.musteritus->isHidden());
    QCOMPARE(w.musteritus->text(), QStringLiteral("Başka Cari Seç"));

    // Fixed areas and their heights, top to bottom.
    const auto height = [&](const char *name) {
        return w.findChild<QWidget *>(QLatin1String(name))->height();
    };
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(height("UstPanel"), 100);
    QCOMPARE(height("ustbanner"), 0);
    QCOMPARE(height("AramaPanel"), 35);
    QCOMPARE(height("DurumPanel"), 27);
    QCOMPARE(height("AltPanel"), 40);
    QVERIFY(w.findChild<QWidget *>("UstPanel")->y() < w.findChild<QWidget *>("AramaPanel")->y());
    QVERIFY(w.sPageControl1->y() < w.findChild<QWidget *>("DurumPanel")->y());
    QVERIFY(w.findChild<QWidget *>("DurumPanel")->y() < w.findChild<QWidget *>("AltPanel")->y());

    for (QLabel *g : {w.gifstokara, w.gifyeniler, w.gifkampanyali, w.gifduyuru, w.gifekstre, w.gifoncekiler})
        QVERIFY(g->isHidden());
    QCOMPARE(w.SpeedButton1->toolTip(), QStringLiteral("Temizle"));
    QCOMPARE(w.SpeedButton2->toolTip(), QStringLiteral("Ara"));
    QVERIFY(!w.araedit->accessibleName().isEmpty());
    QCOMPARE(QApplication::focusWidget(), w.araedit);

    QStringList legend;
    for (QLabel *l : w.findChild<QWidget *>("DurumPanel")->findChildren<QLabel *>()) {
        if (!l->text().isEmpty())
            legend << l->text();
    }
    QCOMPARE(legend, (QStringList{"Durum Açıklaması:    ", " Stok mevcut  ", " Telefon Açınız  ", " Yolda  ",
                                  " Tedarik Sürecinde ", " Özel Sipariş  ", " Yok  "}));
}

void TestMainWindow::styleSheetLoads()
{
    const QString sheet = sapphireKamriStyleSheet();
    QVERIFY(sheet.contains(QStringLiteral("QHeaderView::section")));
    QVERIFY(sheet.contains(QStringLiteral("Tahoma")));
}

void TestMainWindow::exitQuestion_data()
{
    QTest::addColumn<bool>("fromMenu");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QList<int>>("ends");
    QTest::newRow("menu, yes") << true << "Evet" << QList<int>{0};
    QTest::newRow("menu, no") << true << "Hayır" << QList<int>{};
    QTest::newRow("close button, yes") << false << "Evet" << QList<int>{0};
    QTest::newRow("close button, no") << false << "Hayır" << QList<int>{};
}

void TestMainWindow::exitQuestion()
{
    QFETCH(bool, fromMenu);
    QFETCH(QString, answer);
    QFETCH(QList<int>, ends);

    TForm1 w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.sPageControl1->setCurrentIndex(2);
    w.araedit->setText(QStringLiteral("FREN"));
    ModalAnswerer answerer;
    answerer.answer({answer});
    if (fromMenu)
        w.G1->trigger();
    else
        w.close();
    QTRY_COMPARE(answerer.seen.size(), 1);
    QCOMPARE(answerer.seen.first().caption, QStringLiteral("Soru"));
    QVERIFY(answerer.seen.first().text.contains(QStringLiteral("Programdan Çıkmak İstiyor musunuz ?")));
    QCOMPARE(m_ends, ends);
    // Whatever the answer, the window is left as it was (a Yes has ended
    // the process before anything could change).
    QVERIFY(w.isVisible());
    QCOMPARE(w.sPageControl1->currentIndex(), 2);
    QCOMPARE(w.araedit->text(), QStringLiteral("FREN"));
}

void TestMainWindow::accountTypes_data()
{
    QTest::addColumn<int>("tip");
    QTest::addColumn<bool>("baskaCari");
    QTest::addColumn<bool>("raporlar");
    QTest::addColumn<bool>("kampanyaSekmesi");

    QTest::newRow("0 as designed") << 0 << false << false << true;
    QTest::newRow("1 representative") << 1 << true << true << true;
    QTest::newRow("2 representative") << 2 << true << true << true;
    QTest::newRow("3 dealer") << 3 << false << false << true;
    QTest::newRow("4 dealer without campaigns") << 4 << false << false << false;
    QTest::newRow("5 as designed") << 5 << false << false << true;
}

void TestMainWindow::accountTypes()
{
    QFETCH(int, tip);
    QFETCH(bool, baskaCari);
    QFETCH(bool, raporlar);
    QFETCH(bool, kampanyaSekmesi);

    TForm1 w;
    QSignalSpy changed(&w, &TForm1::hesapGorunumuDegisti);
    // Adapting after another type must not keep what that one showed.
    w.HesabaUyarla(tip == 1 ? 4 : 1);
    w.HesabaUyarla(tip);
    QCOMPARE(!w.musteritus->isHidden(), baskaCari);
    QCOMPARE(w.R1->isVisible(), raporlar);
    QStringList expectedTabs = kTabs;
    if (!kampanyaSekmesi)
        expectedTabs.removeAll(QStringLiteral("Kampanyalı Stoklar"));
    QCOMPARE(visibleTabs(w.sPageControl1), expectedTabs);
    QCOMPARE(visibleActionTexts(w.Genelmenu).contains(QStringLiteral("Raporlar")), raporlar);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.last().first().value<HesapGorunumu>(), HesapGorunumuAl(tip));
}

void TestMainWindow::accountColumns_data()
{
    QTest::addColumn<int>("tip");
    QTest::addColumn<int>("grid");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("expected"); // 1 shown, 0 hidden, -1 not governed

    const int stok = int(Izgara::Stok), sepet = int(Izgara::Sepet), yeni = int(Izgara::Yeniler),
              kamp = int(Izgara::Kampanyali);
    QTest::newRow("rep sees KALAN in basket") << 1 << sepet << "KALAN" << 1;
    QTest::newRow("rep sees VERILENSIPARIS in campaigns") << 2 << kamp << "VERILENSIPARIS" << 1;
    QTest::newRow("rep sees ALINANSIPARIS in stocks") << 1 << stok << "ALINANSIPARIS" << 1;
    QTest::newRow("dealer 3 without KALAN") << 3 << stok << "KALAN" << 0;
    QTest::newRow("dealer 3 without basket DURUM") << 3 << sepet << "DURUM" << 0;
    QTest::newRow("dealer 3 keeps stock DURUM") << 3 << stok << "DURUM" << -1;
    QTest::newRow("dealer 4 keeps basket DURUM") << 4 << sepet << "DURUM" << 1;
    QTest::newRow("dealer 4 without KAMPFIYAT") << 4 << stok << "KAMPFIYAT" << 0;
    QTest::newRow("dealer 4 without new-stock K") << 4 << yeni << "K" << 0;
    QTest::newRow("dealer 4 basket KAMPFIYAT not governed") << 4 << sepet << "KAMPFIYAT" << -1;
    QTest::newRow("other type as designed") << 7 << yeni << "ALINANSIPARIS" << 0;
    QTest::newRow("other type shows KAMPFIYAT") << 7 << stok << "KAMPFIYAT" << 1;
    QTest::newRow("ordinary column") << 1 << stok << "STOKADI" << -1;
}

void TestMainWindow::accountColumns()
{
    QFETCH(int, tip);
    QFETCH(int, grid);
    QFETCH(QString, field);
    QFETCH(int, expected);
    const std::optional<bool> shown = HesapGorunumuAl(tip).kolonGorunur(Izgara(grid), field);
    QCOMPARE(shown.has_value() ? int(*shown) : -1, expected);
}

void TestMainWindow::headerLine_data()
{
    QTest::addColumn<QString>("adi");
    QTest::addColumn<QString>("satici");
    QTest::addColumn<QString>("telefon");
    QTest::addColumn<QString>("mail");
    QTest::addColumn<QString>("line");
    QTest::newRow("all filled") << "ALİ"
                                << "Ayşe Kaya"
                                << "0532 000 00 00"
                                << "ayse@kolvar.test"
                                << "Ayşe Kaya Telefonu: 0532 000 00 00 email: ayse@kolvar.test";
    QTest::newRow("all empty") << ""
                               << ""
                               << ""
                               << ""
                               << " Telefonu:  email: ";
    QTest::newRow("only mail") << "VELİ"
                               << ""
                               << ""
                               << "x@y.test"
                               << " Telefonu:  email: x@y.test";
}

void TestMainWindow::headerLine()
{
    QFETCH(QString, adi);
    QFETCH(QString, satici);
    QFETCH(QString, telefon);
    QFETCH(QString, mail);
    QFETCH(QString, line);
    TForm1 w;
    w.sbilgi().setADI(adi);
    w.sbilgi().setCariAdi(QStringLiteral("ÖZ ÇELİK OTO"));
    w.sbilgi().setSaticiAdi(satici);
    w.sbilgi().setSaticiTelefon(telefon);
    w.sbilgi().setSaticiMail(mail);
    w.AnaBilgiAl();
    QCOMPARE(w.kullanicilbl->text(), adi);
    QCOMPARE(w.cariadilbl->text(), QStringLiteral("ÖZ ÇELİK OTO"));
    QCOMPARE(w.saticilbl->text(), line);
}

void TestMainWindow::startJobAndAdvertStep_data()
{
    QTest::addColumn<int>("adverts");
    QTest::addColumn<bool>("seen");
    QTest::addColumn<bool>("viewerOpens");
    QTest::newRow("no adverts") << 0 << false << false;
    QTest::newRow("two adverts") << 2 << false << true;
    QTest::newRow("already seen") << 2 << true << false;
}

void TestMainWindow::startJobAndAdvertStep()
{
    QFETCH(int, adverts);
    QFETCH(bool, seen);
    QFETCH(bool, viewerOpens);

    TForm1 w;
    w.sbilgi().setADI(QStringLiteral("ALİ"));
    QStringList order;
    QThread *uiThread = QThread::currentThread();
    bool onWorker = true;
    w.baslangicAdimiEkle([&] {
        order << QStringLiteral("ticker");
        onWorker = onWorker && QThread::currentThread() != uiThread;
    });
    w.baslangicAdimiEkle([&, adverts] {
        order << QStringLiteral("adverts");
        RunOnUiThread([&] { w._acilisadet = adverts; });
    });
    int viewer = 0;
    w.setAcilisReklamGoster([&] {
        // The header was already set when the job ended.
        QCOMPARE(w.kullanicilbl->text(), QStringLiteral("ALİ"));
        ++viewer;
    });
    w._acilisgoruldu = seen;
    QSignalSpy done(&w, &TForm1::baslangicIsiBitti);
    w.BaslangicIsiBaslat();
    QTRY_COMPARE(done.count(), 1);
    QCOMPARE(order, (QStringList{"ticker", "adverts"}));
    QVERIFY(onWorker);
    QCOMPARE(viewer, viewerOpens ? 1 : 0);
}

void TestMainWindow::signInFromFormCreate_data()
{
    QTest::addColumn<int>("tip");
    QTest::addColumn<QByteArray>("ip");
    QTest::addColumn<bool>("signedIn");
    QTest::newRow("dealer") << 3 << QByteArray("85.1.1.1") << true;
    QTest::newRow("representative") << 2 << QByteArray("85.1.1.1") << true;
}

void TestMainWindow::signInFromFormCreate()
{
    QFETCH(int, tip);
    QFETCH(QByteArray, ip);
    QFETCH(bool, signedIn);

    FakeServer server;
    TinyWeb web;
    web.script({{200, ip}});
    auto record = std::make_shared<TSonucBilgisi>();
    record->setADI(QStringLiteral("ALİ"));
    record->setSIFRE(QStringLiteral("123"));
    record->setVarmi(true);
    record->setAKTIF(1);
    record->setMusteriTipi(tip);
    record->setVersion(7);
    record->setSaticiAdi(QStringLiteral("Ayşe"));
    server.on(QStringLiteral("GirisDogrula"), FakeReply::ok({record}, QStringLiteral("tok")));
    setAdresler({QStringLiteral("127.0.0.1"), server.port(), web.host(), QStringLiteral("www.example.test")});

    // Fill and send the login window once it is up.
    QTimer driver;
    driver.setInterval(20);
    connect(&driver, &QTimer::timeout, this, [&] {
        auto *form = qobject_cast<Tgirisform *>(QApplication::activeModalWidget());
        if (!form || !form->Button1->isEnabled() || form->Button1->text() != QStringLiteral("Giriş"))
            return;
        form->adi->setText(QStringLiteral("ALİ"));
        form->sifre->setText(QStringLiteral("123"));
        form->Button1->click();
    });
    driver.start();

    TForm1 w;
    QSignalSpy done(&w, &TForm1::baslangicIsiBitti);
    w.FormCreate();
    driver.stop();
    QCOMPARE(m_ends.isEmpty(), signedIn);
    QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Kolvar Otomotiv B2B"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Kolvar Otomotiv B2B Programı"));
    QCOMPARE(w.bagc()->port(), server.port());
    QCOMPARE(w.websitesi1->text(), QStringLiteral("127.0.0.1"));
    QCOMPARE(w.sbilgi().BILGISAYARID(), QStringLiteral("MAINPC"));
    QCOMPARE(w.sbilgi().Disip(), QString::fromLatin1(ip));
    QCOMPARE(!w.musteritus->isHidden(), tip == 2);
    QTRY_COMPARE(done.count(), 1);
    QCOMPARE(w.kullanicilbl->text(), QStringLiteral("ALİ"));
    QCOMPARE(w.saticilbl->text(), QStringLiteral("Ayşe Telefonu:  email: "));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
