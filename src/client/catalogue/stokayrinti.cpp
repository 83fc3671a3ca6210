#include "stokayrinti.h"

#include "stokayarintiu.h"
#include "stoklistesi.h"
#include "yenilistesi.h"

#include <app/unit1.h>
#include <format/numberformat.h>
#include <platform/async/background.h>
#include <platform/clientdataset.h>
#include <platform/dialogs/mesajver.h>
#include <server/baglanti.h>
#include <transfer/baglantiu.h>

#include <QBuffer>
#include <QImageReader>
#include <QLabel>
#include <QScopeGuard>
#include <QSpinBox>

#include <typeinfo>
#if __has_include(<cxxabi.h>)
#include <cxxabi.h>
#endif

#include <cstdlib>
#include <memory>

namespace kolvar {

namespace {

const QString kFiyat = QStringLiteral("Fiyat:");
const QString kKampanyaliFiyat = QStringLiteral("Kampanyalı Fiyat:");
const QString kIndirim = QStringLiteral("İndirim:");
const QString kKampanyali = QStringLiteral("Kampanyalı ");
const QString kStokIndirimi = QStringLiteral("İndirim: %");
const QString kYeniStokIndirimi = QStringLiteral("İndirim:  % ");

// A picture that arrived complete but is not a JPEG.
class ResimHatasi : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

double ondalik(const ClientDataSet &ds, const char16_t *field)
{
    return ds.fieldValue(field).toDouble();
}

QString metin(const ClientDataSet &ds, const char16_t *field)
{
    return ds.fieldValue(field).toString();
}

int tamsayi(const ClientDataSet &ds, const char16_t *field)
{
    return qRound(ds.fieldValue(field).toDouble());
}

// The VAT-inclusive unit price the client works out itself.
double kdvDahil(double net, double kdv)
{
    return IkiHaneYuvarla(net * (kdv / 100 + 1));
}

void kodlariDoldur(Tstokayarinti &w, const ClientDataSet &ds, const char16_t *adAlani)
{
    w.barkod->setText(metin(ds, u"BARKOD"));
    w.adi->setText(metin(ds, adAlani));
    w.marka->setText(metin(ds, u"MARKA"));
    w.finishkod->setText(metin(ds, u"FINISHKOD"));
    w.model->setText(metin(ds, u"MODEL"));
}

} // namespace

QString HataMetni(const std::exception &error)
{
    const char *ham = typeid(error).name();
    QString tur = QString::fromLatin1(ham);
#if __has_include(<cxxabi.h>)
    int durum = 0;
    char *cozulen = abi::__cxa_demangle(ham, nullptr, nullptr, &durum);
    if (durum == 0 && cozulen)
        tur = QString::fromLatin1(cozulen);
    std::free(cozulen);
#endif
    const qsizetype ad = tur.lastIndexOf(QLatin1String("::"));
    if (ad >= 0)
        tur = tur.mid(ad + 2);
    return tur + QStringLiteral(": ") + QString::fromUtf8(error.what());
}

StokAyrinti::StokAyrinti(TForm1 *form) : QObject(form), m_form(form) {}

StokAyrinti::~StokAyrinti() = default;

ClientDataSet *StokAyrinti::liste(StokKaynagi kaynak) const
{
    switch (kaynak) {
    case StokKaynagi::StokListesi: return m_form->stokListesi()->stok();
    case StokKaynagi::Yeniler: return m_form->yeniKampanyaliListeler()->YENILER();
    case StokKaynagi::Kampanyali: return m_form->yeniKampanyaliListeler()->kampstok();
    }
    return nullptr;
}

bool StokAyrinti::temsilci() const
{
    const int tip = m_form->sbilgi().MusteriTipi();
    return tip == 1 || tip == 2;
}

void StokAyrinti::hataBildir(const std::exception_ptr &error) const
{
    reportError(exceptionText(error));
}

void StokAyrinti::StokAc(StokKaynagi kaynak, int stokno)
{
    try {
        ClientDataSet *ds = liste(kaynak);
        if (!ds || !ds->isActive() || !ds->locate(u"STOK_STOKNO", stokno))
            return;
        ClientDataSet *sepet = m_form->sepet();
        if (!sepet->isActive())
            m_form->SepetYukle();
        if (!sepet->isActive())
            return; // no connection; the user has seen the message
        if (sepet->locate(u"STOKNO", stokno)) {
            SepetSatiriAc(sepet->fieldValue(u"SIRANO").toInt());
            return;
        }
        stokuAc(kaynak, stokno);
    } catch (...) {
        hataBildir(std::current_exception());
    }
}

void StokAyrinti::StokAyrintiAc(int stokno)
{
    stokuAc(StokKaynagi::StokListesi, stokno);
}

void StokAyrinti::YeniStokAyrintiAc(int stokno)
{
    stokuAc(StokKaynagi::Yeniler, stokno);
}

void StokAyrinti::KampanyaliStokAyrintiAc(int stokno)
{
    stokuAc(StokKaynagi::Kampanyali, stokno);
}

void StokAyrinti::doldur(Tstokayarinti &w, const ClientDataSet &ds, StokKaynagi kaynak) const
{
    kodlariDoldur(w, ds, u"ADI");
    const int k = tamsayi(ds, u"K");
    const bool kampanyali = kaynak == StokKaynagi::Kampanyali || k > 0;
    const QString indirimYazi = metin(ds, u"INDIRIMYAZI");
    if (kaynak == StokKaynagi::StokListesi && k < 0)
        return; // no prices: the boxes stay 0 with their design labels
    w.Label2->setText(kampanyali ? kKampanyaliFiyat : kFiyat);
    QString indirim = kKampanyali;
    if (!kampanyali)
        indirim = kaynak == StokKaynagi::Yeniler ? kYeniStokIndirimi : kStokIndirimi;
    w.indirimoran->setText(indirim + indirimYazi);
    w.birimfiyat->setValue(ondalik(ds, u"FIYAT"));
    w.indtutar->setValue(ondalik(ds, u"NETFIYAT"));
    // A new stock off campaign shows the client's own VAT-inclusive price,
    // while the first amount still comes from the server's.
    if (kaynak == StokKaynagi::Yeniler && !kampanyali)
        w.kdvdahiltutar->setValue(kdvDahil(ondalik(ds, u"NETFIYAT"), ondalik(ds, u"KDV")));
    else
        w.kdvdahiltutar->setValue(ondalik(ds, u"KDVDAHIL"));
    w.kdvlifiyat = ondalik(ds, u"KDVDAHIL");
}

void StokAyrinti::stokuAc(StokKaynagi kaynak, int stokno)
{
    try {
        ClientDataSet *ds = liste(kaynak);
        Tstokayarinti w(m_form);
        StokResmiAl(stokno, w.Image1);
        doldur(w, *ds, kaynak);
        const bool fiyatYazilir = kaynak != StokKaynagi::Kampanyali && temsilci();
        w.birimfiyat->setReadOnly(!fiyatYazilir);
        if (w.exec() != QDialog::Accepted)
            return;
        const double miktar = w.Miktar();
        std::optional<double> fiyat;
        if (fiyatYazilir && w.birimfiyat->elleDegisti())
            fiyat = w.birimfiyat->value();
        SepeteEkle(*ds, miktar, fiyat);
    } catch (...) {
        hataBildir(std::current_exception());
    }
}

void StokAyrinti::SepetSatiriAc(int sirano)
{
    try {
        ClientDataSet *sepet = m_form->sepet();
        Tstokayarinti w(m_form);
        StokResmiAl(tamsayi(*sepet, u"STOKNO"), w.Image1);
        kodlariDoldur(w, *sepet, u"STOKADI");
        w.Label2->setText(kFiyat);
        w.indirimoran->setText(kIndirim);
        w.birimfiyat->setValue(ondalik(*sepet, u"BIRIMFIYAT"));
        w.indtutar->setValue(ondalik(*sepet, u"NETBIRIMFIYAT"));
        const double kdvli = kdvDahil(ondalik(*sepet, u"NETBIRIMFIYAT"), ondalik(*sepet, u"KDV"));
        w.kdvdahiltutar->setValue(kdvli);
        w.kdvlifiyat = kdvli;
        // A line may hold more than the box's usual limit; confirming it
        // unchanged must not cut it down.
        const int miktar = tamsayi(*sepet, u"MIKTAR");
        if (miktar > w.adet->maximum())
            w.adet->setMaximum(miktar);
        w.adet->setValue(miktar);
        if (w.exec() != QDialog::Accepted)
            return;
        SepetSatiriGuncelle(sirano, w.Miktar(), w.birimfiyat->value());
        m_form->SepetYukle();
    } catch (...) {
        hataBildir(std::current_exception());
    }
}

void StokAyrinti::StokResmiAl(int stokno, ResimKutusu *image)
{
    DSConnection *bagc = m_form->bagc();
    if (!BaglantiKur(bagc, 1))
        return; // the window opens without a picture
    const auto kapat = qScopeGuard([bagc] { bagc->close(); });
    try {
        TServerMethods1Client proxy(bagc);
        qint64 boy = 0;
        QByteArray tampon = proxy.ResimVer5(stokno, boy);
        if (boy == 0 || tampon.size() != boy)
            return; // none, or incomplete: nothing to show and nothing to say
        QBuffer akis(&tampon);
        akis.open(QIODevice::ReadOnly);
        QImageReader okuyucu(&akis, "jpeg");
        okuyucu.setDecideFormatFromContent(false);
        QImage resim;
        if (!okuyucu.read(&resim))
            throw ResimHatasi(okuyucu.errorString().toStdString());
        image->setImage(resim);
    } catch (const std::exception &e) {
        MesajVer(HataMetni(e), mkPlain, {MsgButton::OK}, MsgButton::OK, m_form);
    }
}

int StokAyrinti::SepeteEkle(ClientDataSet &dataset, double quantity, std::optional<double> fiyat)
{
    const TSonucBilgisi &s = m_form->sbilgi();
    auto bilgim = std::make_unique<TSonucBilgisi>();
    bilgim->Kopyala(s);
    const int stokno = tamsayi(dataset, u"STOK_STOKNO");
    const QString barkod = metin(dataset, u"BARKOD");
    const QString stokadi = metin(dataset, u"ADI");
    const int kdv = tamsayi(dataset, u"KDV");
    const double birimFiyat = fiyat.value_or(ondalik(dataset, u"FIYAT"));
    const double ind1 = ondalik(dataset, u"IND1"), ind2 = ondalik(dataset, u"IND2"),
                 ind3 = ondalik(dataset, u"IND3"), ind4 = ondalik(dataset, u"IND4");
    const int k = tamsayi(dataset, u"K");
    int sonuc = 0;
    BaglantiylaCagir(*m_form->bagc(), 1, [&](TServerMethods1Client &proxy) {
        sonuc = proxy.SepetEkle2(std::move(bilgim), s.CARINO(), stokno, barkod, stokadi, quantity, kdv,
                                 birimFiyat, ind1, s.Sirano(), k, ind2, ind3, ind4);
    });
    if (sonuc == 1)
        m_form->SepetYukle();
    return sonuc;
}

int StokAyrinti::SepetSatiriGuncelle(int sirano, double quantity, double unitPrice)
{
    const ClientDataSet &sepet = *m_form->sepet();
    const TSonucBilgisi &s = m_form->sbilgi();
    auto bilgim = std::make_unique<TSonucBilgisi>();
    bilgim->Kopyala(s);
    const QString barkod = metin(sepet, u"BARKOD");
    const QString stokadi = metin(sepet, u"STOKADI");
    const int kdv = tamsayi(sepet, u"KDV");
    const double ind1 = ondalik(sepet, u"INDIRIMORANI1"), ind2 = ondalik(sepet, u"INDIRIMORANI2"),
                 ind3 = ondalik(sepet, u"INDIRIMORANI3"), ind4 = ondalik(sepet, u"INDIRIMORANI4");
    int sonuc = 0;
    BaglantiylaCagir(*m_form->bagc(), 1, [&](TServerMethods1Client &proxy) {
        sonuc = proxy.SepetGuncelle2(std::move(bilgim), s.CARINO(), 0, barkod, stokadi, quantity, kdv,
                                     unitPrice, ind1, s.Sirano(), sirano, ind2, ind3, ind4);
    });
    if (sonuc == 1)
        m_form->SepetYukle();
    return sonuc;
}

} // namespace kolvar
