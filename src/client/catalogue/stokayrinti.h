#pragma once

#include <QObject>

namespace kolvar {

class ClientDataSet;
class TForm1;

// The list a stock is opened from.
enum class StokKaynagi { StokListesi, Yeniler, Kampanyali };

// Opening a stock or a basket line in the stock detail window, and the
// remote calls that follow it (picture, add to basket, change a line).
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

private:
    TForm1 *m_form;
};

} // namespace kolvar
