#pragma once

#include <QObject>

namespace kolvar {

class ClientDataSet;
class TForm1;

// The search strip and the "Stok Listesi" tab: search edit, background
// search, the stock grid and opening a stock from it.
class StokListesi : public QObject
{
    Q_OBJECT
public:
    explicit StokListesi(TForm1 *form);
    ~StokListesi() override;

    ClientDataSet *stok() const { return m_stok; }

private:
    TForm1 *m_form;
    ClientDataSet *m_stok;
};

} // namespace kolvar
