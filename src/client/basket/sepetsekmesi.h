#pragma once

#include <QObject>

#include <functional>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QWidget;

namespace kolvar {

class ClientDataSet;
class DataGrid;
class TForm1;
struct HesapGorunumu;

// The "Sepet" tab: the server-side basket, its totals, selection,
// deletion, Excel export and the overdue-balance warning.
class SepetSekmesi : public QObject
{
    Q_OBJECT
public:
    explicit SepetSekmesi(TForm1 *form);
    ~SepetSekmesi() override;

    ClientDataSet *sepet() const { return m_sepet; }
    // Reloads the basket from the server, then the tab caption and totals.
    // Without a connection the user is told and everything stays as it was;
    // an error of the call itself goes on to the caller.
    void SepetYukle();

    // Where the order controls of the tab go (bottom panel, left part).
    QWidget *siparisPaneli() const { return m_siparisPaneli; }
    // The overdue-balance warning as shown, and the grand total as its
    // value label shows it; both are repeated in the order confirmation.
    QString uyariMetni() const;
    QString genelToplamMetni() const;

    // Totals of the selected lines into the totals panel.
    void ToplamlariHesapla();
    // Stores one line's selection on the server; false when the connection
    // could not be made (the user was told) or the call failed (silently).
    bool SecimKaydet(int sirano, int secim);

    // Every showing of the tab: empty the warning, fetch it anew in the
    // background, reload the basket, then sekmeGosterildi().
    void ssepetShow();
    void CariBakiyeUyariBak();

    void Button4Click(); // "Hepsini Seç"
    void Button5Click(); // "Seçimleri Kaldır"
    void Deitir1Click(); // "Satır Değiştir" and the double-click
    void SatrSil1Click();
    void HepsiniSil1Click();
    void Button2Click(); // "Excel Kaydet"
    void cxGrid2Resize();
    // Weighted widths on a screen wider than 1152 px, content widths otherwise.
    void SutunGenislikAyarla(int ekranGenisligi);

    // Columns that depend on the account type.
    void HesapGorunumuUygula(const HesapGorunumu &gorunum);

    // Opens a basket line for change; the main window's SepetSatiriAc
    // unless replaced (tests record the call instead of opening a window).
    using SatirAcici = std::function<void(int sirano)>;
    void setSatirAcici(SatirAcici acici);

    DataGrid *cxGrid2 = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *Deitir1 = nullptr;
    QAction *SatrSil1 = nullptr;
    QAction *HepsiniSil1 = nullptr;
    QWidget *panelsec = nullptr;
    QPushButton *Button4 = nullptr;
    QPushButton *Button5 = nullptr;
    QLabel *lbluyarbakiye = nullptr;
    QLabel *aratoplaml = nullptr;
    QLabel *indiriml = nullptr;
    QLabel *nettutarl = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *vergil = nullptr;
    QLabel *geneltoplaml = nullptr;
    QPushButton *Button2 = nullptr;

Q_SIGNALS:
    // The tab was shown and the basket reloaded: the delivery and cargo
    // choices are loaded next.
    void sekmeGosterildi();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildTab();
    // "Hepsini Seç" and "Seçimleri Kaldır".
    void hepsiniIsaretle(int secim);
    void sekmeBasligiYaz();

    TForm1 *m_form;
    ClientDataSet *m_sepet;
    QWidget *m_siparisPaneli = nullptr;
    SatirAcici m_satirAcici;
};

} // namespace kolvar
