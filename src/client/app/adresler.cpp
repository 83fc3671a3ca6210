#include "adresler.h"

namespace kolvar {

namespace {
Adresler &current()
{
    static Adresler a{QStringLiteral(KOLVAR_SERVER_HOST), KOLVAR_SERVER_PORT,
                      QStringLiteral(KOLVAR_UPDATE_HOST), QStringLiteral(KOLVAR_WEB_HOST)};
    return a;
}
} // namespace

const Adresler &adresler()
{
    return current();
}

void setAdresler(const Adresler &a)
{
    current() = a;
}

} // namespace kolvar
