#pragma once

#include <app/hesapgorunumu.h>

#include <QObject>
#include <QPointer>

namespace kolvar {

class ClientDataSet;
class DataGrid;
class SekmeYukleyici;
class TForm1;

// The "Yeni Stoklar" and "Kampanyalı Stoklar" tabs: each loads its list in
// the background whenever it is shown and opens a stock from it.
class YeniKampanyaliListeler : public QObject
{
    Q_OBJECT
public:
    explicit YeniKampanyaliListeler(TForm1 *form);
    ~YeniKampanyaliListeler() override;

    ClientDataSet *YENILER() const { return m_yeniler; }
    ClientDataSet *kampstok() const { return m_kampstok; }
    DataGrid *cxGrid6() const { return m_cxGrid6; }
    DataGrid *cxkampanyali() const { return m_cxkampanyali; }

    // The tabs' show handlers: they start the loading.
    void syenilerShow();
    void skampanyaliShow();
    bool yenilerYukleniyor() const;
    bool kampanyalilarYukleniyor() const;

    // Background steps: fill the dataset on a copy of the main connection;
    // true = no connection. A remote error is not caught here.
    bool YenileriAl(int carino);
    bool KampanyalilariAl(int carino, int musteriTipi);

    // Open the focused stock of either grid.
    void cxGridDBTableView5DblClick();
    void cxGridDBTableViewkampanyaliDblClick();

Q_SIGNALS:
    // A load of the tab finished (its finishing step has run).
    void yenilerYuklendi(bool hata);
    void kampanyalilarYuklendi(bool hata);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void cxGrid6Resize();
    void cxkampanyaliResize();
    void hesapGorunumuUygula(const HesapGorunumu &gorunum);
    int ekranGenisligi() const;

    TForm1 *m_form;
    // The two pages, watched for their show, and a widget of the search
    // strip, which goes before the pages when the window is destroyed.
    QWidget *m_syeniler;
    QWidget *m_skampanyali;
    QPointer<QWidget> m_aramaSeridi;
    ClientDataSet *m_yeniler;
    ClientDataSet *m_kampstok;
    DataGrid *m_cxGrid6 = nullptr;
    DataGrid *m_cxkampanyali = nullptr;
    SekmeYukleyici *m_yeniYukleyici = nullptr;
    SekmeYukleyici *m_kampYukleyici = nullptr;
    // Session values of the running load, taken on the UI thread.
    int m_carino = 0;
    int m_kampCarino = 0;
    int m_musteriTipi = 0;
};

} // namespace kolvar
