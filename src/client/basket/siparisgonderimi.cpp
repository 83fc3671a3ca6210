#include "siparisgonderimi.h"

#include "sepetsekmesi.h"

#include <app/unit1.h>

namespace kolvar {

SiparisGonderimi::SiparisGonderimi(TForm1 *form, SepetSekmesi *sepet)
    : QObject(form), m_form(form), m_sepet(sepet)
{}

SiparisGonderimi::~SiparisGonderimi() = default;

} // namespace kolvar
