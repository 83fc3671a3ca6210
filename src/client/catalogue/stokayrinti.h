#pragma once

#include <QObject>
#include <QString>

#include <exception>
#include <optional>

namespace kolvar {

class ClientDataSet;
class ResimKutusu;
class TForm1;
class Tstokayarinti;

// The list a stock is opened from.
enum class StokKaynagi { StokListesi, Yeniler, Kampanyali };

// Opening a stock or a basket line in the stock detail window, and the
// remote calls that follow it (picture, add to basket, change a line).
// Everything runs on the UI thread over the main connection.
class StokAyrinti : public QObject
{
    Q_OBJECT
public:
    explicit StokAyrinti(TForm1 *form);
    ~StokAyrinti() override;

    // The opening rule of the three lists: `liste` is moved to `stokno`;
    // the basket is loaded when it is not open yet (and nothing opens if it
    // still is not); a stock already in the basket opens its line,
    // otherwise the stock opens for adding.
    void StokAc(StokKaynagi kaynak, int stokno);

    // Open the current row of `stok`, `YENILER` or `kampstok` for adding.
    void StokAyrintiAc(int stokno);
    void YeniStokAyrintiAc(int stokno);
    void KampanyaliStokAyrintiAc(int stokno);

    // Opens the basket line `sirano` (the basket dataset's current row) for
    // change; the basket is reloaded afterwards whatever the result.
    void SepetSatiriAc(int sirano);

    // The stock's picture into `image`; nothing (and no message) when the
    // stock has none or it arrived incomplete.
    void StokResmiAl(int stokno, ResimKutusu *image);

    // Adds the current stock of `dataset` to the basket; the basket is
    // reloaded when the server took it (1). `fiyat` replaces the stock's
    // FIYAT: a price a representative typed. Answers the call's result, 0
    // when nothing was sent.
    int SepeteEkle(ClientDataSet &dataset, double quantity, std::optional<double> fiyat = std::nullopt);
    // Changes the basket line `sirano` (the basket's current row); the
    // basket is reloaded when the server took it.
    int SepetSatiriGuncelle(int sirano, double quantity, double unitPrice);

private:
    // Opening one of the three lists' current row for adding.
    void stokuAc(StokKaynagi kaynak, int stokno);
    ClientDataSet *liste(StokKaynagi kaynak) const;
    void doldur(Tstokayarinti &w, const ClientDataSet &ds, StokKaynagi kaynak) const;
    bool temsilci() const;
    // Reports an error that ends one of the routines above.
    void hataBildir(const std::exception_ptr &error) const;

    TForm1 *m_form;
};

// "<type>: <text>" of an error, as the picture fetch reports it.
QString HataMetni(const std::exception &error);

} // namespace kolvar
