#include "siparisgonderimi.h"

#include "secimgrubu.h"
#include "sepetsekmesi.h"
#include "tonaysip.h"

#include <app/unit1.h>
#include <platform/async/background.h>
#include <platform/clientdataset.h>
#include <platform/datasethelpers.h>
#include <platform/dialogs/mesajver.h>
#include <server/baglanti.h>
#include <transfer/baglantiu.h>

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QThread>
#include <QUuid>
#include <QVBoxLayout>

namespace kolvar {

namespace {

// Slots run from the event loop, which no exception may cross: an error of
// a remote call ends the action with the application's error report.
template <typename F> auto raporla(F islem)
{
    return [islem = std::move(islem)] { reportErrors(islem); };
}

} // namespace

QString SiparisOzeti(const SiparisOzetBilgisi &b)
{
    return QStringList{
        QStringLiteral("Kullanıcı: ") + b.kullanici, QStringLiteral("Cari     : ") + b.cari,
        QStringLiteral("Teslim   : ") + b.teslim,    QStringLiteral("Kargo    : ") + b.kargoTuru,
        QStringLiteral("Tutar    : ") + b.tutar,     QStringLiteral("Kargo    : ") + b.kargo,
        QStringLiteral("Açıklama : ") + b.aciklama}
        .join(QStringLiteral("\r\n"));
}

SiparisGonderimi::SiparisGonderimi(TForm1 *form, SepetSekmesi *sepet)
    : QObject(form), m_form(form), m_sepet(sepet), m_kargo(new ClientDataSet(this))
{
    m_kargo->setObjectName(QStringLiteral("kargo"));
    buildControls();
    connect(m_sepet, &SepetSekmesi::sekmeGosterildi, this, raporla([this] { TeslimKargoAl(); }));
}

SiparisGonderimi::~SiparisGonderimi() = default;

void SiparisGonderimi::buildControls()
{
    QWidget *panel = m_sepet->siparisPaneli();
    auto *yerlesim = qobject_cast<QHBoxLayout *>(panel->layout());
    if (!yerlesim) {
        yerlesim = new QHBoxLayout(panel);
        yerlesim->setContentsMargins(0, 0, 0, 0);
    }

    teslimbox = new SecimGrubu(QStringLiteral("Teslim Durumu"), panel);
    teslimbox->setObjectName(QStringLiteral("teslimbox"));
    boxkargo = new SecimGrubu(QStringLiteral("Kargo Türleri"), panel);
    boxkargo->setObjectName(QStringLiteral("boxkargo"));
    connect(boxkargo, &SecimGrubu::tiklandi, this, raporla([this] { boxkargoClick(); }));

    auto *kargoKutusu = new QGroupBox(QStringLiteral("Kargo"), panel);
    kargoKutusu->setObjectName(QStringLiteral("GroupBoxKargo"));
    auto *kargoYerlesim = new QVBoxLayout(kargoKutusu);
    kargocombo = new QComboBox(kargoKutusu);
    kargocombo->setObjectName(QStringLiteral("kargocombo"));
    kargocombo->setEditable(false);
    kargocombo->setAccessibleName(QStringLiteral("Kargo"));
    kargocombo->setMinimumWidth(180);
    connect(kargocombo, &QComboBox::activated, this, raporla([this] { kargocomboChange(); }));
    uyarikargo = new QLabel(kargoKutusu);
    uyarikargo->setObjectName(QStringLiteral("uyarikargo"));
    uyarikargo->setTextFormat(Qt::PlainText);
    uyarikargo->setWordWrap(true);
    uyarikargo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    kargoYerlesim->addWidget(kargocombo);
    kargoYerlesim->addWidget(uyarikargo, 1);

    auto *mesajKutusu = new QGroupBox(QStringLiteral("Mesaj"), panel);
    mesajKutusu->setObjectName(QStringLiteral("GroupBoxMesaj"));
    auto *mesajYerlesim = new QVBoxLayout(mesajKutusu);
    aciklamagir = new QPlainTextEdit(mesajKutusu);
    aciklamagir->setObjectName(QStringLiteral("aciklamagir"));
    aciklamagir->setAccessibleName(QStringLiteral("Mesaj"));
    aciklamagir->setTabChangesFocus(true);
    mesajYerlesim->addWidget(aciklamagir);

    Button1 = new QPushButton(QStringLiteral("Gönder"), panel);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setMinimumHeight(40);
    connect(Button1, &QPushButton::clicked, this, raporla([this] { Button1Click(); }));

    yerlesim->addWidget(teslimbox);
    yerlesim->addWidget(boxkargo);
    yerlesim->addWidget(kargoKutusu, 1);
    yerlesim->addWidget(mesajKutusu, 2);
    yerlesim->addWidget(Button1, 0, Qt::AlignBottom);
}

void SiparisGonderimi::TeslimKargoAl()
{
    Q_ASSERT(QThread::currentThread() == thread());
    Table teslimler, turler;
    // Both lists arrive before either is touched: a broken connection keeps
    // the previous items of both.
    if (!KopyaylaCagir(*m_form->bagc(), 1, [&](TServerMethods1Client &proxy) {
            teslimler = proxy.TeslimVer();
            turler = proxy.KargoVer();
        }))
        return;

    auto doldur = [](SecimGrubu *grup, const Table &t) {
        grup->temizle();
        for (int r = 0; r < t.rowCount(); ++r)
            grup->ekle(t.value(r, 1).toString(), t.value(r, 0).toInt());
    };
    doldur(teslimbox, teslimler);
    teslimbox->setItemIndex(teslimbox->sayi() > 1 ? 1 : teslimbox->sayi() - 1);
    doldur(boxkargo, turler);
    boxkargo->setItemIndex(-1);
}

void SiparisGonderimi::boxkargoClick()
{
    uyarikargo->clear();
    const int i = boxkargo->itemIndex();
    if (i >= 0)
        KargolariAl(boxkargo->id(i));
}

void SiparisGonderimi::KargolariAl(int gn)
{
    Q_ASSERT(QThread::currentThread() == thread());
    if (!BaglantiylaCagir(*m_form->bagc(), 1,
                          [&](TServerMethods1Client &proxy) { m_kargo->copyReader(proxy.KargolarVer(gn)); }))
        return;

    kargocombo->clear();
    kargocombo->addItem(QStringLiteral(" "));
    const int adi = m_kargo->fieldIndex(u"ADI");
    for (int r = 0; adi >= 0 && r < m_kargo->recordCount(); ++r)
        kargocombo->addItem(m_kargo->value(r, adi).toString());
    if (kargocombo->count() == 2) {
        kargocombo->setCurrentIndex(1);
        kargocomboChange();
    } else {
        kargocombo->setCurrentIndex(0);
    }
}

void SiparisGonderimi::kargocomboChange()
{
    QString uyari;
    try {
        if (m_kargo->locate(u"ADI", kargocombo->currentText()))
            uyari = m_kargo->fieldValue(u"UYARI").toString();
    } catch (const std::exception &) {
        uyari.clear();
    }
    uyarikargo->setText(uyari);
}

void SiparisGonderimi::uyar(const QString &metin)
{
    MesajVer(metin, mkWarning, {MsgButton::OK}, MsgButton::OK, m_form);
}

void SiparisGonderimi::Button1Click()
{
    Q_ASSERT(QThread::currentThread() == thread());
    if (m_gonderiyor)
        return;
    if (!SeciliVarmi(*m_sepet->sepet())) {
        uyar(kGonderilecekParcaYok);
        return;
    }
    const int teslim = teslimbox->itemIndex();
    if (teslim < 0) {
        uyar(kTeslimSeciniz);
        return;
    }
    const int tur = boxkargo->itemIndex();
    if (tur < 0) {
        uyar(kKargoTuruSeciniz);
        return;
    }
    // The carrier's id is that of the loaded carrier with the chosen name;
    // a name that is not among them counts as no choice.
    const QString kargoAdi = kargocombo->currentText();
    bool bulundu = false;
    try {
        bulundu = kargocombo->currentIndex() > 0 && m_kargo->locate(u"ADI", kargoAdi);
    } catch (const std::exception &) {
        bulundu = false;
    }
    if (!bulundu) {
        uyar(kKargoSeciniz);
        kargocombo->setFocus();
        return;
    }
    const int kargoyeni = m_kargo->fieldValue(u"SIRANO").toInt();

    const TSonucBilgisi &bilgi = m_form->sbilgi();
    QPointer<TONAYSIP> onay = new TONAYSIP(m_form);
    const auto onayiKapat = qScopeGuard([&onay] { delete onay.data(); });
    onay->Label2->setText(
        SiparisOzeti({bilgi.ADI(), bilgi.CariAdi(), teslimbox->ad(teslim), boxkargo->ad(tur),
                      m_sepet->genelToplamMetni(), kargoAdi, aciklamagir->toPlainText()}));
    onay->Label3->setText(m_sepet->uyariMetni());
    if (onay->exec() != QDialog::Accepted)
        return;

    // From here on one confirmation sends at most one order: further
    // presses are refused until the answer has been shown.
    m_gonderiyor = true;
    Button1->setEnabled(false);
    const auto bitti = qScopeGuard([this] { sonrakiGonderimeIzinVer(); });
    if (SiparisGonder(kargoyeni, boxkargo->id(tur), teslimbox->id(teslim))) {
        MesajVer(kSiparisGonderildi, mkInformation, {MsgButton::OK}, MsgButton::OK, m_form);
        m_form->SepetYukle();
        aciklamagir->clear();
    } else {
        MesajVer(kSiparisGondermedeHata, mkError, {MsgButton::OK}, MsgButton::OK, m_form);
    }
}

void SiparisGonderimi::sonrakiGonderimeIzinVer()
{
    m_gonderiyor = false;
    // Clicks that reached the queue while the call blocked the window are
    // delivered before this and find the button disabled.
    QMetaObject::invokeMethod(
        Button1, [b = Button1] { b->setEnabled(true); }, Qt::QueuedConnection);
}

bool SiparisGonderimi::SiparisGonder(int kargoyeni, int kargo, int teslim)
{
    Q_ASSERT(QThread::currentThread() == thread());
    DSConnection &bagc = *m_form->bagc();
    const TSonucBilgisi &oturum = m_form->sbilgi();
    const QString aciklama = aciklamagir->toPlainText();

    // One key for this order, kept for the one repeat below.
    bagc.setRequestKey(QUuid::createUuid().toString(QUuid::WithoutBraces));
    const auto anahtariBirak = qScopeGuard([&bagc] { bagc.setRequestKey({}); });
    for (int deneme = 1;; ++deneme) {
        bool sonuc = false;
        try {
            if (!BaglantiylaCagir(bagc, 1, [&](TServerMethods1Client &proxy) {
                    auto kopya = std::make_unique<TSonucBilgisi>();
                    kopya->Kopyala(oturum);
                    sonuc = proxy.SiparisKaydet(std::move(kopya), oturum.CARINO(), teslim, kargo, aciklama,
                                                oturum.Sirano(), kargoyeni);
                }))
                return false;
            return sonuc;
        } catch (const ConnectionError &) {
            // The server may have written the order before the answer was
            // lost; the repeat under the same key gets the first answer.
            if (deneme == 2)
                return false;
        }
    }
}

} // namespace kolvar
