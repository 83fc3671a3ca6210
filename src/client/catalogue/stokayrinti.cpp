#include "stokayrinti.h"

#include <app/unit1.h>

namespace kolvar {

StokAyrinti::StokAyrinti(TForm1 *form) : QObject(form), m_form(form) {}

StokAyrinti::~StokAyrinti() = default;

void StokAyrinti::StokAc(StokKaynagi kaynak, int stokno)
{
    Q_UNUSED(kaynak);
    Q_UNUSED(stokno);
}

void StokAyrinti::StokAyrintiAc(int stokno)
{
    Q_UNUSED(stokno);
}

void StokAyrinti::YeniStokAyrintiAc(int stokno)
{
    Q_UNUSED(stokno);
}

void StokAyrinti::KampanyaliStokAyrintiAc(int stokno)
{
    Q_UNUSED(stokno);
}

void StokAyrinti::SepetSatiriAc(int sirano)
{
    Q_UNUSED(sirano);
}

} // namespace kolvar
