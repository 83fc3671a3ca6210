#pragma once

#include <QObject>

namespace kolvar {

class ClientDataSet;
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

private:
    TForm1 *m_form;
    ClientDataSet *m_yeniler;
    ClientDataSet *m_kampstok;
};

} // namespace kolvar
