#include "stoklistesi.h"

#include <app/unit1.h>
#include <platform/clientdataset.h>

namespace kolvar {

StokListesi::StokListesi(TForm1 *form) : QObject(form), m_form(form), m_stok(new ClientDataSet(this))
{
    m_stok->setObjectName(QStringLiteral("stok"));
}

StokListesi::~StokListesi() = default;

} // namespace kolvar
