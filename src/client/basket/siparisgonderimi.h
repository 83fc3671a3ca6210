#pragma once

#include <QObject>
#include <QString>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kolvar {

class ClientDataSet;
class SecimGrubu;
class SepetSekmesi;
class TForm1;

// What the confirmation repeats of an order about to be sent.
struct SiparisOzetBilgisi {
    QString kullanici; // the signed-in user's name
    QString cari;      // the customer account's name
    QString teslim;    // the delivery option
    QString kargoTuru; // the cargo type
    QString tutar;     // the grand total as the basket shows it
    QString kargo;     // the carrier
    QString aciklama;  // the message, line breaks and all
};

// The summary's seven lines, joined by CR LF; the captions are padded so
// that the colons line up in a fixed-width font.
QString SiparisOzeti(const SiparisOzetBilgisi &bilgi);

// The order controls of the "Sepet" tab: delivery option, cargo type,
// carrier, message, the checks, the confirmation and sending the order.
class SiparisGonderimi : public QObject
{
    Q_OBJECT
public:
    SiparisGonderimi(TForm1 *form, SepetSekmesi *sepet);
    ~SiparisGonderimi() override;

    // The delivery options (the second one chosen) and the cargo types
    // (none chosen); without a connection both lists keep their items.
    void TeslimKargoAl();
    void boxkargoClick();
    // The carriers of cargo type `gn`: a blank first item, then every
    // carrier; a single carrier is chosen at once.
    void KargolariAl(int gn);
    void kargocomboChange();
    // "Gönder": the checks, the confirmation, sending and what follows.
    void Button1Click();
    // SiparisKaydet for the selected basket lines. A call cut off by a
    // broken connection is sent once more under the same key, so an order
    // the server already wrote is answered, not written again.
    bool SiparisGonder(int kargoyeni, int kargo, int teslim);

    ClientDataSet *kargo() const { return m_kargo; }
    // True from the confirmation's Evet until the answer has been shown.
    bool gonderiyor() const { return m_gonderiyor; }

    SecimGrubu *teslimbox = nullptr;
    SecimGrubu *boxkargo = nullptr;
    QComboBox *kargocombo = nullptr;
    QLabel *uyarikargo = nullptr;
    QPlainTextEdit *aciklamagir = nullptr;
    QPushButton *Button1 = nullptr;

private:
    void buildControls();
    void uyar(const QString &metin);
    void sonrakiGonderimeIzinVer();

    TForm1 *m_form;
    SepetSekmesi *m_sepet;
    ClientDataSet *m_kargo;
    bool m_gonderiyor = false;
};

inline const QString kGonderilecekParcaYok = QStringLiteral("Gönderilecek Parça Yok ");
inline const QString kTeslimSeciniz = QStringLiteral("Lütfen Teslim Durumu Seçiniz !");
inline const QString kKargoTuruSeciniz = QStringLiteral("Lütfen Kargo Türünü Seçiniz !");
inline const QString kKargoSeciniz = QStringLiteral("Lütfen Kargo  Seçiniz !");
inline const QString kSiparisGonderildi = QStringLiteral("Siparişiniz Gönderildi !");
inline const QString kSiparisGondermedeHata = QStringLiteral("Sipariş Göndermede Hata");

} // namespace kolvar
