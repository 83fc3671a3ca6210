#include "unit1.h"

#include "adresler.h"
#include "surec.h"

#include <basket/sepetsekmesi.h>
#include <basket/siparisgonderimi.h>
#include <catalogue/ikonlar.h>
#include <catalogue/stokayrinti.h>
#include <catalogue/stoklistesi.h>
#include <catalogue/yenilistesi.h>

#include <platform/async/background.h>
#include <platform/connection/dsconnection.h>
#include <platform/dialogs/mesajver.h>
#include <server/baglanti.h>
#include <signin/girisformu.h>
#include <transfer/baglantiu.h>

#include <QAccessible>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>

namespace kolvar {

namespace {

QPixmap logoResmi()
{
    QPixmap pm(220, 84);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xff, 0xff, 0xff), 4));
    p.setBrush(QColor(0xb2, 0x22, 0x22));
    p.drawEllipse(QRectF(6, 10, 64, 64));
    p.setPen(QPen(QColor(0xff, 0xff, 0xff), 6));
    p.drawLine(QPointF(28, 24), QPointF(28, 60));
    p.drawLine(QPointF(30, 42), QPointF(50, 24));
    p.drawLine(QPointF(34, 40), QPointF(52, 60));
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(30);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(80, 8, 140, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KOLVAR"));
    f.setPixelSize(13);
    p.setFont(f);
    p.drawText(QRectF(82, 46, 140, 24), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Otomotiv B2B"));
    return pm;
}

QIcon menuIkonu()
{
    QPixmap pm(18, 18);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
    for (const int y : {4, 9, 14})
        p.drawLine(QPointF(2, y), QPointF(16, y));
    return QIcon(pm);
}

QLabel *mesgulResmi(QWidget *parent, const char *name)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setFixedSize(24, 24);
    l->setPixmap(parent->style()->standardIcon(QStyle::SP_BrowserReload).pixmap(20, 20));
    l->setToolTip(QStringLiteral("Yükleniyor..."));
    l->hide();
    return l;
}

} // namespace

TForm1::TForm1(QWidget *parent) : QWidget(parent), m_sbilgi(std::make_unique<TSonucBilgisi>())
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kPencereBasligi);
    QFont f = font();
    f.setPixelSize(13);
    f.setBold(true);
    setFont(f);
    resize(1280, 800);

    m_bagc = new DSConnection(this);
    m_bagc->setObjectName(QStringLiteral("bagc"));
    m_bagc->setParam(QStringLiteral("DriverName"), QStringLiteral("DataSnap"));
    m_bagc->setParam(QStringLiteral("ConnectionName"), QStringLiteral("DataSnapCONNECTION"));
    m_bagc->setParam(QStringLiteral("CommunicationProtocol"), QStringLiteral("tcp/ip"));
    m_bagc->setParam(QStringLiteral("DatasnapContext"), QStringLiteral("datasnap/"));
    m_bagc->setHostName(QStringLiteral("localhost"));
    m_bagc->setPort(9090);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    buildHeader(root);
    buildSearchStrip(root);
    buildTabs(root);
    buildLegend(root);
    buildBottom(root);

    m_sepetSekmesi = new SepetSekmesi(this);
    m_siparisGonderimi = new SiparisGonderimi(this, m_sepetSekmesi);
    m_stokAyrinti = new StokAyrinti(this);
    m_stokListesi = new StokListesi(this);
    m_yeniKampanyali = new YeniKampanyaliListeler(this);
    HesabaUyarla(0);
    araedit->setFocus();
}

TForm1::~TForm1()
{
    // The subsystems go first, while the frame is whole: their event filters
    // and slots must not see pages and grids being torn down under a window
    // that is already half destroyed.
    delete m_yeniKampanyali;
    delete m_stokListesi;
    delete m_stokAyrinti;
    delete m_siparisGonderimi;
    delete m_sepetSekmesi;
}

void TForm1::buildHeader(QVBoxLayout *root)
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("UstPanel"));
    panel->setAttribute(Qt::WA_StyledBackground);
    panel->setFixedHeight(100);
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(8, 4, 8, 4);

    auto *logo = new QLabel(panel);
    logo->setObjectName(QStringLiteral("Image1"));
    logo->setPixmap(logoResmi());
    row->addWidget(logo);

    auto *grid = new QGridLayout;
    grid->setVerticalSpacing(4);
    const auto satir = [&](int r, const QString &baslik, const char *name) {
        auto *b = new QLabel(baslik, panel);
        auto *v = new QLabel(panel);
        v->setObjectName(QLatin1String(name));
        v->setTextInteractionFlags(Qt::TextSelectableByMouse);
        grid->addWidget(b, r, 0, Qt::AlignRight);
        grid->addWidget(v, r, 1);
        return v;
    };
    kullanicilbl = satir(0, QStringLiteral("Kullanıcı: "), "kullanicilbl");
    cariadilbl = satir(1, QStringLiteral("Firma: "), "cariadilbl");
    saticilbl = satir(2, QStringLiteral("Temsilci: "), "saticilbl");
    row->addLayout(grid, 1);

    sagbanner = new QLabel(panel);
    sagbanner->setObjectName(QStringLiteral("sagbanner"));
    sagbanner->setFixedSize(360, 90);
    sagbanner->setAlignment(Qt::AlignCenter);
    row->addWidget(sagbanner);

    Genelmenu = new QMenu(this);
    Genelmenu->setObjectName(QStringLiteral("Genelmenu"));
    const auto oge = [&](const char *name, const QString &text) {
        QAction *a = Genelmenu->addAction(text);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    M1 = oge("M1", QStringLiteral("Mail Gönder"));
    Genelmenu->addSeparator();
    N4 = oge("N4", QStringLiteral("Şifre Değiştirme İsteği"));
    Genelmenu->addSeparator();
    websitesi1 = oge("websitesi1", QStringLiteral("localhost"));
    Genelmenu->addSeparator();
    G1 = oge("G1", QStringLiteral("Çıkış"));
    Genelmenu->addSeparator();
    R1 = oge("R1", QStringLiteral("Raporlar"));
    R1->setVisible(false);
    connect(G1, &QAction::triggered, this, &TForm1::G1Click);

    Button3 = new QToolButton(panel);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setText(QStringLiteral("Menü"));
    Button3->setMenu(Genelmenu);
    Button3->setPopupMode(QToolButton::MenuButtonPopup);
    Button3->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    Button3->setIcon(menuIkonu());
    Button3->setMinimumHeight(40);
    connect(Button3, &QToolButton::clicked, Button3, &QToolButton::showMenu);
    row->addWidget(Button3, 0, Qt::AlignVCenter);
    root->addWidget(panel);

    ustbanner = new QLabel(this);
    ustbanner->setObjectName(QStringLiteral("ustbanner"));
    ustbanner->setAlignment(Qt::AlignCenter);
    ustbanner->setFixedHeight(0);
    root->addWidget(ustbanner);
}

void TForm1::buildSearchStrip(QVBoxLayout *root)
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("AramaPanel"));
    panel->setAttribute(Qt::WA_StyledBackground);
    panel->setFixedHeight(35);
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(6, 2, 6, 2);
    row->setSpacing(4);

    auto *resim = new QLabel(panel);
    resim->setObjectName(QStringLiteral("Image2"));
    resim->setPixmap(style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(22, 22));
    row->addWidget(resim);

    const auto dugme = [&](const char *name, const QString &hint, QStyle::StandardPixmap icon) {
        auto *b = new QToolButton(panel);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(hint);
        b->setAccessibleName(hint);
        b->setIcon(style()->standardIcon(icon));
        b->setFixedSize(30, 28);
        row->addWidget(b);
        return b;
    };
    SpeedButton1 = dugme("SpeedButton1", QStringLiteral("Temizle"), QStyle::SP_DialogResetButton);
    SpeedButton2 = dugme("SpeedButton2", QStringLiteral("Ara"), QStyle::SP_ArrowRight);

    gifstokara = mesgulResmi(panel, "gifstokara");
    gifyeniler = mesgulResmi(panel, "gifyeniler");
    gifkampanyali = mesgulResmi(panel, "gifkampanyali");
    gifduyuru = mesgulResmi(panel, "gifduyuru");
    gifekstre = mesgulResmi(panel, "gifekstre");
    gifoncekiler = mesgulResmi(panel, "gifoncekiler");
    for (QLabel *g : {gifstokara, gifyeniler, gifkampanyali, gifduyuru, gifekstre, gifoncekiler})
        row->addWidget(g);

    araedit = new QLineEdit(panel);
    araedit->setObjectName(QStringLiteral("araedit"));
    araedit->setAccessibleName(QStringLiteral("Ara"));
    araedit->setPlaceholderText(QStringLiteral("Stok kodu, OEM no veya stok adı"));
    row->addWidget(araedit, 1);

    musteritus = new QPushButton(QStringLiteral("Başka Cari Seç"), panel);
    musteritus->setObjectName(QStringLiteral("musteritus"));
    row->addWidget(musteritus);
    root->addWidget(panel);
}

void TForm1::buildTabs(QVBoxLayout *root)
{
    sPageControl1 = new QTabWidget(this);
    sPageControl1->setObjectName(QStringLiteral("sPageControl1"));
    sPageControl1->setIconSize(QSize(24, 24));
    sPageControl1->setUsesScrollButtons(true);
    const auto sekme = [&](const char *name, const QString &caption, QStyle::StandardPixmap icon) {
        auto *page = new QWidget(sPageControl1);
        page->setObjectName(QLatin1String(name));
        sPageControl1->addTab(page, style()->standardIcon(icon), caption);
        return page;
    };
    sstoklistesi = sekme("sstoklistesi", QStringLiteral("Stok Listesi"), QStyle::SP_FileDialogListView);
    ssepet = sekme("ssepet", QStringLiteral("Sepet"), QStyle::SP_DriveHDIcon);
    sonceki = sekme("sonceki", QStringLiteral("Önceki Siparişler"), QStyle::SP_FileDialogDetailedView);
    sccariekstre = sekme("sccariekstre", QStringLiteral("Cari Ekstre"), QStyle::SP_FileIcon);
    syeniler = sekme("syeniler", QStringLiteral("Yeni Stoklar"), QStyle::SP_FileDialogNewFolder);
    skampanyali = sekme("skampanyali", QStringLiteral("Kampanyalı Stoklar"), QStyle::SP_DialogApplyButton);
    sTabSheetduyuru = sekme("sTabSheetduyuru", QStringLiteral("Duyurular"), QStyle::SP_MessageBoxInformation);
    sTabbakiyeler = sekme("sTabbakiyeler", QStringLiteral("Bakiyeler"), QStyle::SP_FileDialogInfoView);
    ss = sekme("ss", QStringLiteral("Sanal Pos"), QStyle::SP_DialogSaveButton);
    sPageControl1->setCurrentIndex(0);
    root->addWidget(sPageControl1, 1);
}

void TForm1::buildLegend(QVBoxLayout *root)
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("DurumPanel"));
    panel->setAttribute(Qt::WA_StyledBackground);
    panel->setFixedHeight(27);
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(6, 0, 6, 0);
    row->setSpacing(2);
    row->addWidget(new QLabel(QStringLiteral("Durum Açıklaması:    "), panel));
    // The stock grids draw the same icons for these status codes.
    static const struct {
        int durum;
        const char *metin;
    } aciklamalar[] = {{1, " Stok mevcut  "},      {2, " Telefon Açınız  "}, {3, " Yolda  "},
                       {5, " Tedarik Sürecinde "}, {4, " Özel Sipariş  "},   {0, " Yok  "}};
    for (const auto &a : aciklamalar) {
        auto *ikon = new QLabel(panel);
        ikon->setPixmap(DurumIkonu(a.durum).pixmap(16, 16));
        row->addWidget(ikon);
        row->addWidget(new QLabel(QString::fromUtf8(a.metin), panel));
    }
    row->addStretch(1);
    root->addWidget(panel);
}

void TForm1::buildBottom(QVBoxLayout *root)
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("AltPanel"));
    panel->setAttribute(Qt::WA_StyledBackground);
    panel->setFixedHeight(40);
    auto *col = new QVBoxLayout(panel);
    col->setContentsMargins(6, 0, 6, 0);
    col->setSpacing(0);
    altbanner = new QLabel(panel);
    altbanner->setObjectName(QStringLiteral("altbanner"));
    altbanner->hide();
    col->addWidget(altbanner);
    kayanyazi = new QLabel(panel);
    kayanyazi->setObjectName(QStringLiteral("kayanyazi"));
    col->addWidget(kayanyazi, 1);
    root->addWidget(panel);
}

void TForm1::FormCreate()
{
    _acilisadet = 0;
    _acilisgoruldu = false;
    QCoreApplication::setApplicationName(kUygulamaBasligi);
    setMessageFontPointSize(15);
    setWindowTitle(kPencereBasligi);

    OturumBilgisiDoldur(sbilgi());

    m_bagc->setHostName(adresler().sunucu);
    m_bagc->setPort(adresler().port);
    websitesi1->setText(adresler().sunucu);

    if (!GirisYap())
        return;
    BaslangicIsiBaslat();
}

bool TForm1::GirisYap()
{
    if (!GirisPenceresiAc(this, m_bagc, sbilgi()))
        return false;
    if (sbilgi().Disip().trimmed().isEmpty()) {
        SurecBitir(0);
        return false;
    }
    HesabaUyarla(sbilgi().MusteriTipi());
    return true;
}

void TForm1::HesabaUyarla(int musteriTipi)
{
    m_gorunum = HesapGorunumuAl(musteriTipi);
    musteritus->setVisible(m_gorunum.baskaCariSec);
    R1->setVisible(m_gorunum.raporlar);
    sPageControl1->setTabVisible(sPageControl1->indexOf(skampanyali), m_gorunum.kampanyaliSekme);
    emit hesapGorunumuDegisti(m_gorunum);
}

void TForm1::AnaBilgiAl()
{
    RunOnUiThread([self = QPointer<TForm1>(this)] {
        if (!self)
            return;
        const TSonucBilgisi &b = self->sbilgi();
        self->kullanicilbl->setText(b.ADI());
        self->cariadilbl->setText(b.CariAdi());
        self->saticilbl->setText(b.SaticiAdi() + QStringLiteral(" Telefonu: ") + b.SaticiTelefon() +
                                 QStringLiteral(" email: ") + b.SaticiMail());
    });
}

void TForm1::baslangicAdimiEkle(std::function<void()> step)
{
    m_baslangicAdimlari.push_back(std::move(step));
}

void TForm1::setAcilisReklamGoster(std::function<void()> step)
{
    m_acilisReklamGoster = std::move(step);
}

void TForm1::BaslangicIsiBaslat()
{
    const auto adimlar = m_baslangicAdimlari;
    QPointer<TForm1> self(this);
    // The main window lives until the process ends, so the worker may hold it.
    runInBackground(
        [w = this, adimlar] {
            w->AnaBilgiAl();
            for (const auto &adim : adimlar)
                adim();
        },
        [self] {
            Q_ASSERT(QThread::currentThread() == qApp->thread());
            if (!self)
                return;
            if (self->m_acilisReklamGoster && !self->_acilisgoruldu && self->_acilisadet != 0)
                self->m_acilisReklamGoster();
            emit self->baslangicIsiBitti();
        });
}

ClientDataSet *TForm1::sepet() const
{
    return m_sepetSekmesi->sepet();
}

void TForm1::SepetYukle()
{
    m_sepetSekmesi->SepetYukle();
}

void TForm1::SepetSatiriAc(int sirano)
{
    m_stokAyrinti->SepetSatiriAc(sirano);
}

void TForm1::G1Click()
{
    close();
}

bool TForm1::FormCloseQuery()
{
    if (MesajVer(kCikisSorusu, mkQuestion, {mbYes, mbNo}, mbYes, this) == mrYes) {
        SurecBitir(0);
        return true;
    }
    return false;
}

void TForm1::closeEvent(QCloseEvent *event)
{
    // The process ends inside FormCloseQuery; a window that is still here
    // afterwards keeps its state whatever the answer was.
    FormCloseQuery();
    event->ignore();
}

} // namespace kolvar
