#pragma once

#include "hesapgorunumu.h"

#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPushButton;
class QTabWidget;
class QToolButton;
class QVBoxLayout;

namespace kolvar {

class ClientDataSet;
class DSConnection;
class SepetSekmesi;
class SiparisGonderimi;
class StokAyrinti;
class StokListesi;
class TSonucBilgisi;
class YeniKampanyaliListeler;

// The main window: the fixed frame (header, banner strip, search strip,
// tabs, status legend, bottom panel, general menu), the session record and
// the connection template. The tabs' content and the header areas are filled
// by the subsystems that own them; the frame only places them.
class TForm1 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm1(QWidget *parent = nullptr);
    ~TForm1() override;

    // Everything up to a signed-in session, before the window is shown:
    // titles, session record from the computer, connection settings, the
    // modal sign-in (which may end the process) and the start-time job.
    void FormCreate();

    TSonucBilgisi &sbilgi() { return *m_sbilgi; }
    DSConnection *bagc() const { return m_bagc; }

    // Shows the login window and adapts the frame to the account type;
    // returns false when the process was ended.
    bool GirisYap();
    // Shapes tabs, menu items and the account's columns after `MusteriTipi`.
    void HesabaUyarla(int musteriTipi);
    const HesapGorunumu &hesapGorunumu() const { return m_gorunum; }

    // The three header labels from the session record; from any thread.
    void AnaBilgiAl();

    // The start-time job: AnaBilgiAl and the registered steps one after the
    // other on a worker, then the advert step on the UI thread.
    void baslangicAdimiEkle(std::function<void()> step);
    void setAcilisReklamGoster(std::function<void()> step);
    void BaslangicIsiBaslat();

    // Asks "Programdan Çıkmak İstiyor musunuz ?"; Yes ends the process.
    // True when closing may go on (only when the ender returned).
    bool FormCloseQuery();

    // The subsystems that fill the tabs. The catalogue and the basket reach
    // each other only through the routines below.
    StokListesi *stokListesi() const { return m_stokListesi; }
    YeniKampanyaliListeler *yeniKampanyaliListeler() const { return m_yeniKampanyali; }
    StokAyrinti *stokAyrinti() const { return m_stokAyrinti; }
    SepetSekmesi *sepetSekmesi() const { return m_sepetSekmesi; }
    SiparisGonderimi *siparisGonderimi() const { return m_siparisGonderimi; }

    // The basket dataset `sepet`, its reload, and opening one of its lines.
    ClientDataSet *sepet() const;
    void SepetYukle();
    void SepetSatiriAc(int sirano);

    int _acilisadet = 0;
    bool _acilisgoruldu = false;

    // Header
    QLabel *kullanicilbl = nullptr;
    QLabel *cariadilbl = nullptr;
    QLabel *saticilbl = nullptr;
    QLabel *sagbanner = nullptr;
    QToolButton *Button3 = nullptr;
    QMenu *Genelmenu = nullptr;
    QAction *M1 = nullptr;
    QAction *N4 = nullptr;
    QAction *websitesi1 = nullptr;
    QAction *G1 = nullptr;
    QAction *R1 = nullptr;
    QLabel *ustbanner = nullptr;

    // Search strip
    QToolButton *SpeedButton1 = nullptr;
    QToolButton *SpeedButton2 = nullptr;
    QLabel *gifstokara = nullptr;
    QLabel *gifyeniler = nullptr;
    QLabel *gifkampanyali = nullptr;
    QLabel *gifduyuru = nullptr;
    QLabel *gifekstre = nullptr;
    QLabel *gifoncekiler = nullptr;
    QLineEdit *araedit = nullptr;
    QPushButton *musteritus = nullptr;

    // Tabs, in order
    QTabWidget *sPageControl1 = nullptr;
    QWidget *sstoklistesi = nullptr;
    QWidget *ssepet = nullptr;
    QWidget *sonceki = nullptr;
    QWidget *sccariekstre = nullptr;
    QWidget *syeniler = nullptr;
    QWidget *skampanyali = nullptr;
    QWidget *sTabSheetduyuru = nullptr;
    QWidget *sTabbakiyeler = nullptr;
    QWidget *ss = nullptr;

    // Bottom panel
    QLabel *kayanyazi = nullptr;
    QLabel *altbanner = nullptr;

Q_SIGNALS:
    void hesapGorunumuDegisti(const kolvar::HesapGorunumu &gorunum);
    void baslangicIsiBitti();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildHeader(QVBoxLayout *root);
    void buildSearchStrip(QVBoxLayout *root);
    void buildTabs(QVBoxLayout *root);
    void buildLegend(QVBoxLayout *root);
    void buildBottom(QVBoxLayout *root);
    void G1Click();

    std::unique_ptr<TSonucBilgisi> m_sbilgi;
    DSConnection *m_bagc = nullptr;
    HesapGorunumu m_gorunum;
    std::vector<std::function<void()>> m_baslangicAdimlari;
    std::function<void()> m_acilisReklamGoster;
    SepetSekmesi *m_sepetSekmesi = nullptr;
    SiparisGonderimi *m_siparisGonderimi = nullptr;
    StokAyrinti *m_stokAyrinti = nullptr;
    StokListesi *m_stokListesi = nullptr;
    YeniKampanyaliListeler *m_yeniKampanyali = nullptr;
};

inline const QString kPencereBasligi = QStringLiteral("Kolvar Otomotiv B2B Programı");
inline const QString kUygulamaBasligi = QStringLiteral("Kolvar Otomotiv B2B");
inline const QString kCikisSorusu = QStringLiteral("Programdan Çıkmak İstiyor musunuz ?");

} // namespace kolvar
