#pragma once

#include <QString>

#include <optional>

namespace kolvar {

// The remembered sign-in: section "kullanici" of ayar.ini.
struct GirisAyari {
    QString isim;
    QString sifre;
    bool hatirla = true;
};

// Nothing when the file does not exist. Missing keys keep their defaults.
// Files written by the older Windows client (key "hatırla" and Turkish
// letters in the ANSI code page 1254) are read as well.
std::optional<GirisAyari> GirisAyariOku(const QString &file);
// False when the file could not be written.
bool GirisAyariYaz(const QString &file, const GirisAyari &ayar);

// ayar.ini in the client's settings folder.
QString AyarDosyasi();

} // namespace kolvar
