#include "girisformu.h"

#include "ayar.h"
#include "disip.h"
#include "dosyaindiru.h"
#include "formistekyeniu.h"

#include <app/adresler.h>
#include <app/beklesinu.h>
#include <app/surec.h>
#include <platform/dialogs/mesajver.h>
#include <platform/machine/machineidentity.h>
#include <server/baglanti.h>
#include <server/proxim.h>

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace kolvar {

namespace {

Tgirisform::YeniSurumAcici &yeniSurumAcici()
{
    static Tgirisform::YeniSurumAcici f;
    return f;
}

Tgirisform::IstekFormuAcici &istekFormuAcici()
{
    static Tgirisform::IstekFormuAcici f;
    return f;
}

Tgirisform::CariSecici &cariSecici()
{
    static Tgirisform::CariSecici f;
    return f;
}

void tamam(const QString &text, int kind)
{
    MesajVer(text, kind, {mbOK}, mbOK);
}

// Typed letters become capitals; the caret stays where it was.
void buyukHarf(QLineEdit *edit)
{
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString &text) {
        const QString upper = text.toUpper();
        if (upper == text)
            return;
        const int pos = edit->cursorPosition();
        edit->setText(upper);
        edit->setCursorPosition(pos);
    });
}

struct OturumSonucu {
    std::unique_ptr<TSonucBilgisi> bilgi;
    QString hata;
};

} // namespace

void OturumBilgisiDoldur(TSonucBilgisi &bilgi)
{
    bilgi.setBilgiSayarAdi(BilgisayarAdiAl());
    bilgi.setBilgisayarKullanici(KullaniciAdiAl());
    bilgi.setIcip(IcIpAl());
    bilgi.setBILGISAYARID(BilgisayarIdAl());
}

Tgirisform::Tgirisform(QWidget *owner) : QDialog(owner), m_stop(std::make_shared<std::atomic<bool>>(false))
{
    setObjectName(QStringLiteral("girisform"));
    setWindowTitle(QStringLiteral("Giriş"));
    setAttribute(Qt::WA_StyledBackground);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(24, 18, 24, 18);
    root->setSpacing(10);

    adreslbl = new QLabel(QStringLiteral("Kolvar Otomotiv Yedek Parça San. ve Tic. A.Ş.\n"
                                         "Merkez: Sanayi Sitesi 1. Cadde No: 7\n"
                                         "Tel: (0212) 000 00 00"),
                          this);
    adreslbl->setObjectName(QStringLiteral("adreslbl"));
    adreslbl->setAlignment(Qt::AlignCenter);
    root->addWidget(adreslbl);

    auto *grid = new QGridLayout;
    auto *adiEtiket = new QLabel(QStringLiteral(" Kullanıcı Adı:"), this);
    adi = new QLineEdit(this);
    adi->setObjectName(QStringLiteral("adi"));
    adi->setAccessibleName(adiEtiket->text().trimmed());
    adiEtiket->setBuddy(adi);
    auto *sifreEtiket = new QLabel(QStringLiteral(" Şifre:"), this);
    sifre = new QLineEdit(this);
    sifre->setObjectName(QStringLiteral("sifre"));
    sifre->setEchoMode(QLineEdit::Password);
    sifre->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    sifre->setAccessibleName(sifreEtiket->text().trimmed());
    sifreEtiket->setBuddy(sifre);
    buyukHarf(adi);
    buyukHarf(sifre);
    grid->addWidget(adiEtiket, 0, 0);
    grid->addWidget(adi, 0, 1);
    grid->addWidget(sifreEtiket, 1, 0);
    grid->addWidget(sifre, 1, 1);
    benihatirla = new QCheckBox(QStringLiteral("Beni hatırla"), this);
    benihatirla->setObjectName(QStringLiteral("benihatirla"));
    benihatirla->setChecked(true);
    grid->addWidget(benihatirla, 2, 1);
    root->addLayout(grid);

    bekle = new QProgressBar(this);
    bekle->setObjectName(QStringLiteral("bekle"));
    bekle->setRange(0, 0);
    bekle->setTextVisible(false);
    bekle->setFixedHeight(8);
    bekle->hide();
    root->addWidget(bekle);

    auto *buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("Giriş"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Vazgeç"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    for (QPushButton *b : {Button1, Button2}) {
        b->setAutoDefault(false); // Enter is handled by the edits themselves
        b->setMinimumWidth(110);
        buttons->addWidget(b);
    }
    root->addLayout(buttons);
    connect(Button1, &QPushButton::clicked, this, &Tgirisform::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tgirisform::Button2Click);
    adi->installEventFilter(this);
    sifre->installEventFilter(this);

    setFixedSize(sizeHint().expandedTo(QSize(420, 260)));
    adi->setFocus();

    idsi = BilgisayarIdAl();
    AyarOku();
}

Tgirisform::~Tgirisform()
{
    // A lookup of the external address still running gives up.
    m_stop->store(true);
}

void Tgirisform::setYeniSurumAcici(YeniSurumAcici f)
{
    yeniSurumAcici() = std::move(f);
}

void Tgirisform::setIstekFormuAcici(IstekFormuAcici f)
{
    istekFormuAcici() = std::move(f);
}

void Tgirisform::setCariSecici(CariSecici f)
{
    cariSecici() = std::move(f);
}

void Tgirisform::AyarOku()
{
    const auto ayar = GirisAyariOku(AyarDosyasi());
    if (!ayar)
        return;
    benihatirla->setChecked(ayar->hatirla);
    if (benihatirla->isChecked()) {
        adi->setText(ayar->isim);
        sifre->setText(ayar->sifre);
    }
}

void Tgirisform::AyarKaydet()
{
    GirisAyariYaz(AyarDosyasi(), {adi->text(), sifre->text(), benihatirla->isChecked()});
}

bool Tgirisform::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress || (watched != adi && watched != sifre))
        return QDialog::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent *>(event)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return QDialog::eventFilter(watched, event);

    auto *edit = static_cast<QLineEdit *>(watched);
    if (edit->text().trimmed().isEmpty()) {
        tamam(edit == adi ? kKullaniciAdiGiriniz : kSifreGiriniz, 0);
        edit->selectAll();
        edit->setFocus();
        return true;
    }
    if (edit == adi) {
        sifre->selectAll();
        sifre->setFocus();
    } else if (Button1->isEnabled()) {
        Button1Click();
    }
    return true;
}

void Tgirisform::mesgul(bool on)
{
    bekle->setVisible(on);
}

void Tgirisform::Button1Click()
{
    Button1->setText(QStringLiteral("Bağlanıyor..."));
    Button1->setEnabled(false);
    mesgul(true);
    auto stop = m_stop;
    auto address = std::make_shared<QString>();
    QPointer<Tgirisform> self(this);
    Async([stop, address] { *address = DisIpAl(stop.get()); })->Await([self, address] {
        Q_ASSERT(QThread::currentThread() == qApp->thread());
        if (!self)
            return;
        self->Button1->setText(QStringLiteral("Giriş!"));
        self->mesgul(false);
        self->Devamet(*address);
    });
}

void Tgirisform::Button2Click()
{
    m_stop->store(true);
    SurecBitir(0);
    reject();
}

void Tgirisform::reddet(const QString &mesaj, int tur)
{
    tamam(mesaj, tur);
    Button1->setEnabled(true);
    emit girisReddedildi();
}

void Tgirisform::Devamet(const QString &address)
{
    if (address.trimmed().isEmpty()) {
        reddet(kBaglantiKurulamiyorDeneyiniz, 1);
        return;
    }
    Bilgim->setDisip(address);
    bagim->setHostName(adresler().sunucu);

    // The worker fills a record of its own; Bilgim changes only here, on
    // the UI thread, once the answer is in.
    auto sonuc = std::make_shared<OturumSonucu>();
    auto stop = m_stop;
    const DSConnection *template_ = bagim;
    const QString id = idsi, ad = adi->text(), sf = sifre->text();
    mesgul(true);
    QPointer<Tgirisform> self(this);
    Async([sonuc, stop, template_, id, ad, sf] {
        // OturumAc
        std::unique_ptr<DSConnection> copy = template_->clone();
        if (!BaglantiKur(copy.get(), 0))
            return;
        try {
            TServerMethods1Client proxy(copy.get(), false);
            if (TSonucBilgisi *r = proxy.GirisDogrula(id, ad, sf)) {
                sonuc->bilgi = std::make_unique<TSonucBilgisi>();
                sonuc->bilgi->Kopyala(*r);
            }
        } catch (const std::exception &e) {
            sonuc->hata = QString::fromUtf8(e.what());
        }
        copy->close();
        if (!sonuc->bilgi)
            return;
        OturumBilgisiDoldur(*sonuc->bilgi);
        sonuc->bilgi->setDisip(DisIpAl(stop.get()));
    })->Await([self, sonuc] {
        Q_ASSERT(QThread::currentThread() == qApp->thread());
        if (self)
            self->Degerlendir(sonuc->bilgi != nullptr, sonuc->bilgi.get(), sonuc->hata);
    });
}

void Tgirisform::Degerlendir(bool result, const TSonucBilgisi *gelen, const QString &hata)
{
    mesgul(false);
    if (!hata.isEmpty())
        MesajVer(hata, 4, {mbOK}, mbOK);
    if (!result) {
        reddet(kBaglantiKurulamadi, 1);
        adi->selectAll();
        adi->setFocus();
        return;
    }
    Bilgim->Kopyala(*gelen);

    if (Bilgim->Version() != ISTEMCI_SURUMU)
        YeniSurumIndir(Bilgim->Version());

    if (!Bilgim->Varmi()) {
        IstekFormuAc(QStringLiteral("http://") + adresler().web + QLatin1Char('/'));
        SurecBitir(0);
        reject();
        return;
    }

    if (Bilgim->ADI() == adi->text() && Bilgim->SIFRE() == sifre->text()) {
        AyarKaydet();
        if (Bilgim->AKTIF() == 1) {
            if ((Bilgim->MusteriTipi() == 1 || Bilgim->MusteriTipi() == 2) && !CariSec()) {
                SurecBitir(0);
                reject();
                return;
            }
            accept();
            return;
        }
    }
    reddet(kKullaniciSifreHatali, 0);
    adi->selectAll();
    adi->setFocus();
}

void Tgirisform::YeniSurumIndir(int version)
{
    if (yeniSurumAcici()) {
        yeniSurumAcici()(this, bagim, version);
        return;
    }
    Tdosyaindir pencere(this, version);
    pencere.exec();
}

void Tgirisform::IstekFormuAc(const QString &base)
{
    const QString url =
        base + QStringLiteral("formmailgonder.aspx?carino=0&kullanici= &id=") + BilgisayarIdAl();
    if (istekFormuAcici()) {
        istekFormuAcici()(this, url);
        return;
    }
    Tformistekyeni pencere(this, url);
    pencere.exec();
}

bool Tgirisform::CariSec()
{
    // The customer selection window arrives with the sales representative
    // workspace; until then representatives sign in for their own account.
    if (cariSecici())
        return cariSecici()(this, bagim, *Bilgim);
    return true;
}

bool GirisPenceresiAc(QWidget *owner, DSConnection *bagc, TSonucBilgisi &sbilgi)
{
    auto form = std::make_unique<Tgirisform>(owner);
    form->bagim = bagc;
    form->Bilgim = &sbilgi;
    if (form->exec() != QDialog::Accepted) {
        SurecBitir(0);
        return false;
    }
    return true;
}

} // namespace kolvar
