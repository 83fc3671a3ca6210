#pragma once

#include <QDialog>

#include <atomic>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace kolvar {

class DSConnection;
class TSonucBilgisi;

// The client's own version; a server announcing another one starts the
// self-update.
inline constexpr int ISTEMCI_SURUMU = 7;

inline const QString kKullaniciAdiGiriniz = QStringLiteral("Lütfen kullanıcı adını giriniz !");
inline const QString kSifreGiriniz = QStringLiteral("Lütfen kullanıcı şifresini giriniz !");
inline const QString kBaglantiKurulamiyorDeneyiniz =
    QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyiniz !");
inline const QString kBaglantiKurulamadi = QStringLiteral("Bağlantı Kurulamadı !");
inline const QString kKullaniciSifreHatali =
    QStringLiteral("Kullanıcı Adı ve Şifre Hatalı Lütfen Tekrar Deneyiniz !");

// The login window. Sign-in is keyed by the computer: the server is asked
// for the account registered for this computer's identifier and confirms the
// typed name and password. Accepted means signed in.
class Tgirisform : public QDialog
{
    Q_OBJECT
public:
    explicit Tgirisform(QWidget *owner = nullptr);
    ~Tgirisform() override;

    DSConnection *bagim = nullptr;   // the main window's connection
    TSonucBilgisi *Bilgim = nullptr; // the main window's session record
    QString idsi;

    QLineEdit *adi = nullptr;
    QLineEdit *sifre = nullptr;
    QCheckBox *benihatirla = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QProgressBar *bekle = nullptr;

    void AyarOku();
    void AyarKaydet();
    void Button1Click();
    void Button2Click();
    void Devamet(const QString &address);

    // Hooks for the windows the sign-in may open; replaced by tests. The
    // customer selection returns false when it was cancelled.
    using YeniSurumAcici = std::function<void(QWidget *owner, DSConnection *con, int version)>;
    using IstekFormuAcici = std::function<void(QWidget *owner, const QString &url)>;
    using CariSecici = std::function<bool(QWidget *owner, DSConnection *con, TSonucBilgisi &bilgi)>;
    static void setYeniSurumAcici(YeniSurumAcici f);
    static void setIstekFormuAcici(IstekFormuAcici f);
    static void setCariSecici(CariSecici f);

Q_SIGNALS:
    // After each evaluation that left the window open (for tests and the
    // busy state): `Button1` is enabled again.
    void girisReddedildi();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Degerlendir(bool result, const TSonucBilgisi *gelen, const QString &hata);
    void YeniSurumIndir(int version);
    void IstekFormuAc(const QString &base);
    bool CariSec();
    void mesgul(bool on);
    void reddet(const QString &mesaj, int tur);

    QLabel *adreslbl = nullptr;
    std::shared_ptr<std::atomic<bool>> m_stop;
};

// Fills the computer's part of the session record (name, user, local
// address, identifier).
void OturumBilgisiDoldur(TSonucBilgisi &bilgi);

// Runs the login window modally for the main window; false when the
// sign-in was given up (the process has then been told to end).
bool GirisPenceresiAc(QWidget *owner, DSConnection *bagc, TSonucBilgisi &sbilgi);

} // namespace kolvar
