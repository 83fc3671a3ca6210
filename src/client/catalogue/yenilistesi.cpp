#include "yenilistesi.h"

#include <app/unit1.h>
#include <platform/clientdataset.h>

namespace kolvar {

YeniKampanyaliListeler::YeniKampanyaliListeler(TForm1 *form)
    : QObject(form), m_form(form), m_yeniler(new ClientDataSet(this)), m_kampstok(new ClientDataSet(this))
{
    m_yeniler->setObjectName(QStringLiteral("YENILER"));
    m_kampstok->setObjectName(QStringLiteral("kampstok"));
}

YeniKampanyaliListeler::~YeniKampanyaliListeler() = default;

} // namespace kolvar
