#include "baglantiu.h"

namespace kolvar {

KOLVAR_TRANSFER_CLASS_IMPL(TSonucBilgisi, "baglantiu", KOLVAR_TSONUCBILGISI_FIELDS)
KOLVAR_TRANSFER_CLASS_IMPL(TSiparisDipAyrinti, "baglantiu", KOLVAR_TSIPARISDIPAYRINTI_FIELDS)
KOLVAR_TRANSFER_CLASS_IMPL(TTusSonuclari, "baglantiu", KOLVAR_TTUSSONUCLARI_FIELDS)

} // namespace kolvar
