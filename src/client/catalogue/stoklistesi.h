#pragma once

#include <app/beklesinu.h>
#include <app/hesapgorunumu.h>

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QAction;
class QLineEdit;
class QMenu;

namespace kolvar {

class ClientDataSet;
class DataGrid;
class TForm1;
class TSonucBilgisi;

// The search strip and the "Stok Listesi" tab: search edit, background
// search, the stock grid and opening a stock from it.
class StokListesi : public QObject
{
    Q_OBJECT
public:
    explicit StokListesi(TForm1 *form);
    ~StokListesi() override;

    ClientDataSet *stok() const { return m_stok; }
    DataGrid *cxGrid1() const { return m_grid; }
    QMenu *popstok() const { return m_popstok; }

    // Enter in the search edit, "Ara" and "Temizle"; the two buttons do
    // nothing while a search runs. Other windows search for a text of their
    // own by putting it into `araedit` and calling SpeedButton2Click.
    void SpeedButton2Click();
    void SpeedButton1Click();
    bool aramaSuruyor() const;

    // Background step of the search: fills `stok` on a copy of the main
    // connection. True = failed (no connection, a remote error or a result
    // without IND1). Worker thread; touches no control.
    bool StoklariAl(const QString &kod, std::unique_ptr<TSonucBilgisi> bilgi);

    // Narrow (main window 1152 px or less) or wide layout of the grid.
    void StokGridDuzenle();

    // Opens the focused stock (double-click, "Sepete Ekle").
    void cxGrid1DBTableView1DblClick();

Q_SIGNALS:
    // "Siparişleri Göster": all orders of the stock `stokno`.
    void siparisleriGosterIstendi(int stokno);
    // A search finished (its finishing step has run).
    void aramaBitti(bool hata);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void araeditKeyPress(); // Enter: the search starts
    void cxGrid1Resize();
    void hesapGorunumuUygula(const HesapGorunumu &gorunum);
    void sekmeBasligi(const QString &baslik);

    TForm1 *m_form;
    // Widgets of the window this object watches; the window's own members
    // must not be read while it is being destroyed.
    QLineEdit *m_araedit;
    QPointer<QWidget> m_araeditCanli; // null once the edit is destroyed
    QWidget *m_pencere;
    ClientDataSet *m_stok;
    std::shared_ptr<CalismaIzi> m_calisma = std::make_shared<CalismaIzi>();
    DataGrid *m_grid = nullptr;
    QMenu *m_popstok = nullptr;
    QAction *m_S2 = nullptr;
    HesapGorunumu m_gorunum;
    bool m_duzenBekliyor = false; // a resize came while searching
};

} // namespace kolvar
