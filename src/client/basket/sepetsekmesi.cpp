#include "sepetsekmesi.h"

#include "sepetkolonlari.h"
#include "sepettoplamlari.h"

#include <app/hesapgorunumu.h>
#include <app/unit1.h>
#include <format/numberformat.h>
#include <platform/async/background.h>
#include <platform/clientdataset.h>
#include <platform/datasethelpers.h>
#include <platform/dialogs/mesajver.h>
#include <platform/grid/datagrid.h>
#include <platform/grid/gridtableview.h>
#include <server/baglanti.h>
#include <transfer/baglantiu.h>

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTabWidget>
#include <QThread>
#include <QVBoxLayout>

#include <optional>

namespace kolvar {

namespace {

const QString kSatirSilSorusu = QStringLiteral("Satırı silmek istiyor musunuz ");
const QString kSatirSilindi = QStringLiteral("Satır silindi !");
const QString kHepsiniSilSorusu = QStringLiteral("Tüm Sepeti Silmek İstiyor musunuz ");
const QString kSepetSilindi = QStringLiteral("Sepet Silindi !");
constexpr int kGenisEkran = 1152;

// A command of the tab: an error of a remote call ends it and is shown by
// the application's error report.
void eylem(const std::function<void()> &komut)
{
    reportErrors(komut);
}

QString tutarYazisi(double tutar)
{
    return formatNumber(tutar, QString(kAmountFormat));
}

QLabel *degerEtiketi(QWidget *parent, const char *name)
{
    auto *l = new QLabel(QStringLiteral("0,00"), parent);
    l->setObjectName(QLatin1String(name));
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setMinimumWidth(120);
    return l;
}

void kalinYap(QLabel *l)
{
    QFont f = l->font();
    f.setBold(true);
    l->setFont(f);
    // The application's style sheet sets the font of every widget.
    l->setStyleSheet(QStringLiteral("font-weight: bold;"));
}

} // namespace

SepetSekmesi::SepetSekmesi(TForm1 *form) : QObject(form), m_form(form), m_sepet(new ClientDataSet(this))
{
    m_sepet->setObjectName(QStringLiteral("sepet"));
    m_satirAcici = [form](int sirano) { form->SepetSatiriAc(sirano); };
    buildTab();
    connect(form, &TForm1::hesapGorunumuDegisti, this, &SepetSekmesi::HesapGorunumuUygula);
    HesapGorunumuUygula(form->hesapGorunumu());
    form->ssepet->installEventFilter(this);
}

SepetSekmesi::~SepetSekmesi() = default;

void SepetSekmesi::buildTab()
{
    QWidget *page = m_form->ssepet;
    auto *root = new QVBoxLayout(page);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    cxGrid2 = new DataGrid(page);
    cxGrid2->setObjectName(QStringLiteral("cxGrid2"));
    cxGrid2->view()->setObjectName(QStringLiteral("cxGridDBTableView1"));
    cxGrid2->setAccessibleName(QStringLiteral("Sepet"));
    cxGrid2->setColumns(SepetKolonlari());
    cxGrid2->setLook(SepetGorunumu());
    cxGrid2->setSummaries(SepetOzetleri());
    cxGrid2->setDataSet(m_sepet);
    cxGrid2->installEventFilter(this);
    root->addWidget(cxGrid2, 1);

    PopupMenu1 = new QMenu(cxGrid2);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Deitir1 = PopupMenu1->addAction(QStringLiteral("Satır Değiştir"));
    Deitir1->setObjectName(QStringLiteral("Deitir1"));
    PopupMenu1->addSeparator();
    SatrSil1 = PopupMenu1->addAction(QStringLiteral("Satır Sil"));
    SatrSil1->setObjectName(QStringLiteral("SatrSil1"));
    PopupMenu1->addSeparator();
    HepsiniSil1 = PopupMenu1->addAction(QStringLiteral("Hepsini Sil"));
    HepsiniSil1->setObjectName(QStringLiteral("HepsiniSil1"));
    cxGrid2->setPopupMenu(PopupMenu1);
    connect(Deitir1, &QAction::triggered, this, [this] { eylem([this] { Deitir1Click(); }); });
    connect(SatrSil1, &QAction::triggered, this, [this] { eylem([this] { SatrSil1Click(); }); });
    connect(HepsiniSil1, &QAction::triggered, this, [this] { eylem([this] { HepsiniSil1Click(); }); });
    connect(cxGrid2, &DataGrid::doubleClicked, this, [this] { eylem([this] { Deitir1Click(); }); });

    panelsec = new QWidget(page);
    panelsec->setObjectName(QStringLiteral("panelsec"));
    auto *strip = new QHBoxLayout(panelsec);
    strip->setContentsMargins(4, 2, 4, 2);
    Button4 = new QPushButton(QStringLiteral("Hepsini Seç"), panelsec);
    Button4->setObjectName(QStringLiteral("Button4"));
    Button5 = new QPushButton(QStringLiteral("Seçimleri Kaldır"), panelsec);
    Button5->setObjectName(QStringLiteral("Button5"));
    lbluyarbakiye = new QLabel(panelsec);
    lbluyarbakiye->setObjectName(QStringLiteral("lbluyarbakiye"));
    lbluyarbakiye->setWordWrap(true);
    QFont uf = lbluyarbakiye->font();
    uf.setBold(true);
    uf.setPixelSize(16);
    lbluyarbakiye->setFont(uf);
    QPalette up = lbluyarbakiye->palette();
    up.setColor(QPalette::WindowText, Qt::red);
    lbluyarbakiye->setPalette(up);
    lbluyarbakiye->setStyleSheet(QStringLiteral("color: #ff0000; font-weight: bold; font-size: 16px;"));
    strip->addWidget(Button4);
    strip->addWidget(Button5);
    strip->addWidget(lbluyarbakiye, 1);
    root->addWidget(panelsec);
    connect(Button4, &QPushButton::clicked, this, [this] { eylem([this] { Button4Click(); }); });
    connect(Button5, &QPushButton::clicked, this, [this] { eylem([this] { Button5Click(); }); });

    auto *alt = new QWidget(page);
    alt->setObjectName(QStringLiteral("sepetAltPanel"));
    auto *altSatir = new QHBoxLayout(alt);
    altSatir->setContentsMargins(4, 4, 4, 4);
    m_siparisPaneli = new QWidget(alt);
    m_siparisPaneli->setObjectName(QStringLiteral("siparisPaneli"));
    altSatir->addWidget(m_siparisPaneli, 1);

    auto *toplam = new QWidget(alt);
    toplam->setObjectName(QStringLiteral("toplamPaneli"));
    auto *izgara = new QGridLayout(toplam);
    izgara->setContentsMargins(8, 0, 8, 0);
    izgara->setVerticalSpacing(2);
    const auto satir = [&](int r, QLabel *baslik, QLabel *deger) {
        izgara->addWidget(baslik, r, 0);
        izgara->addWidget(deger, r, 1);
    };
    aratoplaml = degerEtiketi(toplam, "aratoplaml");
    indiriml = degerEtiketi(toplam, "indiriml");
    nettutarl = degerEtiketi(toplam, "nettutarl");
    vergil = degerEtiketi(toplam, "vergil");
    geneltoplaml = degerEtiketi(toplam, "geneltoplaml");
    Label6 = new QLabel(QStringLiteral("Vergi:"), toplam);
    Label6->setObjectName(QStringLiteral("Label6"));
    auto *genelBaslik = new QLabel(QStringLiteral("Genel Toplam:"), toplam);
    kalinYap(genelBaslik);
    kalinYap(geneltoplaml);
    satir(0, new QLabel(QStringLiteral("Toplam:"), toplam), aratoplaml);
    satir(1, new QLabel(QStringLiteral("İndirim Toplam:"), toplam), indiriml);
    satir(2, new QLabel(QStringLiteral("Ara Toplam:"), toplam), nettutarl);
    satir(3, Label6, vergil);
    satir(4, genelBaslik, geneltoplaml);
    altSatir->addWidget(toplam);

    Button2 = new QPushButton(QStringLiteral("Excel Kaydet"), alt);
    Button2->setObjectName(QStringLiteral("Button2"));
    altSatir->addWidget(Button2, 0, Qt::AlignBottom);
    connect(Button2, &QPushButton::clicked, this, &SepetSekmesi::Button2Click);
    root->addWidget(alt);

    ToplamlariHesapla();
}

bool SepetSekmesi::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_form->ssepet && event->type() == QEvent::Show)
        eylem([this] { ssepetShow(); });
    else if (watched == cxGrid2 && event->type() == QEvent::Resize && cxGrid2->isEnabled())
        cxGrid2Resize();
    return QObject::eventFilter(watched, event);
}

void SepetSekmesi::setSatirAcici(SatirAcici acici)
{
    m_satirAcici = std::move(acici);
}

// ---- loading -------------------------------------------------------------------------

void SepetSekmesi::ssepetShow()
{
    lbluyarbakiye->clear();
    CariBakiyeUyariBak();
    SepetYukle();
    Q_EMIT sekmeGosterildi();
}

void SepetSekmesi::CariBakiyeUyariBak()
{
    // A thread of its own, so a slow or unreachable server holds no pool
    // thread; several may be in flight and the last one to finish writes.
    std::shared_ptr<const DSConnection> sablon = m_form->bagc()->clone();
    const int carino = m_form->sbilgi().CARINO();
    auto *baglam = new QObject; // UI thread; gone once the answer is delivered
    QPointer<QLabel> etiket(lbluyarbakiye);
    QThread *const ui = QThread::currentThread();
    QThread *is = QThread::create([sablon, carino, baglam, etiket, ui] {
        std::optional<QString> metin;
        try {
            KopyaylaCagir(*sablon, 0, [&](TServerMethods1Client &proxy) {
                metin = proxy.CariVadeGunGecmismiBul(carino);
            });
        } catch (...) {
            metin = QString(); // the warning is simply not shown
        }
        QMetaObject::invokeMethod(
            baglam,
            [baglam, etiket, metin, ui] {
                Q_ASSERT(QThread::currentThread() == ui);
                Q_UNUSED(ui);
                if (metin && etiket)
                    etiket->setText(*metin);
                baglam->deleteLater();
            },
            Qt::QueuedConnection);
    });
    is->setObjectName(QStringLiteral("CariBakiyeUyariBak"));
    connect(is, &QThread::finished, is, &QObject::deleteLater);
    is->start();
}

void SepetSekmesi::SepetYukle()
{
    Table paket;
    const bool alindi = KopyaylaCagir(*m_form->bagc(), 1, [&](TServerMethods1Client &proxy) {
        paket = proxy.SepetVer2(m_form->sbilgi().CARINO());
    });
    if (!alindi)
        return; // the user has seen the connection message; the basket stays
    m_sepet->assignData(std::move(paket));
    OndalikBicimle(*m_sepet);
    sekmeBasligiYaz();
    ToplamlariHesapla();
}

void SepetSekmesi::sekmeBasligiYaz()
{
    QTabWidget *sekmeler = m_form->sPageControl1;
    const int n = m_sepet->isActive() ? m_sepet->recordCount() : 0;
    sekmeler->setTabText(sekmeler->indexOf(m_form->ssepet), QString::number(n) + QStringLiteral("=Sepet"));
}

void SepetSekmesi::ToplamlariHesapla()
{
    m_sepet->disableControls();
    const auto acik = qScopeGuard([this] { m_sepet->enableControls(); });
    const SepetToplamlari t = kolvar::ToplamlariHesapla(*m_sepet);
    aratoplaml->setText(tutarYazisi(t.T));
    indiriml->setText(tutarYazisi(t.I));
    vergil->setText(tutarYazisi(t.V));
    vergil->setVisible(t.V != 0);
    Label6->setVisible(t.V != 0);
    nettutarl->setText(tutarYazisi(t.N));
    geneltoplaml->setText(tutarYazisi(t.G));
}

QString SepetSekmesi::uyariMetni() const
{
    return lbluyarbakiye->text();
}

QString SepetSekmesi::genelToplamMetni() const
{
    return geneltoplaml->text();
}

// ---- selection -------------------------------------------------------------------------

bool SepetSekmesi::SecimKaydet(int sirano, int secim)
{
    try {
        return KopyaylaCagir(*m_form->bagc(), 1,
                             [&](TServerMethods1Client &proxy) { proxy.SepetSecimGuncelle(sirano, secim); });
    } catch (...) {
        return false; // the next reload shows what the server kept
    }
}

void SepetSekmesi::hepsiniIsaretle(int secim)
{
    if (!m_sepet->isActive())
        return;
    {
        cxGrid2->beginUpdate();
        const auto bitti = qScopeGuard([this] { cxGrid2->endUpdate(); });
        // One call per line, changed or not: the server's value is what counts.
        for (m_sepet->first(); !m_sepet->eof(); m_sepet->next()) {
            m_sepet->edit();
            m_sepet->setFieldValue(u"SEC", secim);
            m_sepet->post();
            SecimKaydet(m_sepet->fieldValue(u"SIRANO").toInt(), secim);
        }
    }
    ToplamlariHesapla();
    if (m_form->araedit->isEnabled()) {
        m_form->araedit->selectAll();
        m_form->araedit->setFocus();
    }
}

void SepetSekmesi::Button4Click()
{
    hepsiniIsaretle(1);
}

void SepetSekmesi::Button5Click()
{
    hepsiniIsaretle(0);
}

void SepetSekmesi::Deitir1Click()
{
    const int satir = cxGrid2->focusedRecord();
    if (satir < 0 || !m_sepet->isActive())
        return;
    // Decided once: opening the line reloads the basket, which moves the
    // grid's focus to the first column.
    const int kolon = cxGrid2->focusedColumn();
    const bool secKolonu = kolon >= 0 && cxGrid2->columns().at(kolon).headerText() == kSecBasligi;
    m_sepet->setRecNo(satir);
    const int sirano = m_sepet->fieldValue(u"SIRANO").toInt();
    if (!secKolonu) {
        m_satirAcici(sirano);
        return;
    }
    const int yeni = m_sepet->fieldValue(u"SEC").toInt() == 0 ? 1 : 0;
    m_sepet->edit();
    m_sepet->setFieldValue(u"SEC", yeni);
    m_sepet->post();
    SecimKaydet(sirano, yeni);
    ToplamlariHesapla();
}

// ---- deleting ------------------------------------------------------------------------------

void SepetSekmesi::SatrSil1Click()
{
    const int satir = cxGrid2->focusedRecord();
    if (satir < 0 || !m_sepet->isActive())
        return;
    m_sepet->setRecNo(satir);
    const int sirano = m_sepet->fieldValue(u"SIRANO").toInt();
    const QString aciklama = m_sepet->fieldValue(u"BARKOD").toString() + QLatin1Char('-') +
                             m_sepet->fieldValue(u"STOKADI").toString();
    if (MesajVer(kSatirSilSorusu, mkQuestion, {mbYes, mbNo}, mbNo, m_form) != mrYes)
        return;
    auto bilgi = std::make_unique<TSonucBilgisi>();
    bilgi->Kopyala(m_form->sbilgi());
    const bool yapildi = BaglantiylaCagir(*m_form->bagc(), 1, [&](TServerMethods1Client &proxy) {
        proxy.SepetSatirSil(std::move(bilgi), sirano, aciklama);
    });
    if (!yapildi)
        return;
    SepetYukle();
    MesajVer(kSatirSilindi, mkInformation, {mbOK}, mbOK, m_form);
}

void SepetSekmesi::HepsiniSil1Click()
{
    if (!KayitVarmi(*m_sepet))
        return;
    if (MesajVer(kHepsiniSilSorusu, mkQuestion, {mbYes, mbNo}, mbNo, m_form) != mrYes)
        return;
    auto bilgi = std::make_unique<TSonucBilgisi>();
    bilgi->Kopyala(m_form->sbilgi());
    const bool yapildi = BaglantiylaCagir(
        *m_form->bagc(), 1, [&](TServerMethods1Client &proxy) { proxy.SepetHepsiniSil(std::move(bilgi)); });
    if (!yapildi)
        return;
    MesajVer(kSepetSilindi, mkInformation, {mbOK}, mbOK, m_form);
    SepetYukle();
}

// ---- export and widths -----------------------------------------------------------------------

void SepetSekmesi::Button2Click()
{
    QString hata;
    if (!cxGrid2->exportToExcel(&hata) && !hata.isEmpty())
        reportError(hata); // a cancelled dialog is no failure
}

void SepetSekmesi::cxGrid2Resize()
{
    const QScreen *ekran = cxGrid2->screen();
    SutunGenislikAyarla(ekran ? ekran->geometry().width() : 0);
}

void SepetSekmesi::SutunGenislikAyarla(int ekranGenisligi)
{
    if (ekranGenisligi > kGenisEkran)
        cxGrid2->applyWeights();
    else
        cxGrid2->bestFit();
}

void SepetSekmesi::HesapGorunumuUygula(const HesapGorunumu &gorunum)
{
    const QList<GridColumn> &kolonlar = cxGrid2->columns();
    for (int c = 0; c < kolonlar.size(); ++c) {
        const std::optional<bool> gorunur = gorunum.kolonGorunur(Izgara::Sepet, kolonlar.at(c).field);
        if (!gorunur)
            continue;
        cxGrid2->setColumnVisible(c, *gorunur);
        cxGrid2->setColumnOffered(c, *gorunur);
    }
    if (cxGrid2->isEnabled())
        cxGrid2Resize();
}

} // namespace kolvar
