#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace kolvar::server {

// Search texts are compared in one folded form: upper case, the Turkish
// letters reduced to their plain Latin letters (İ/I/ı/i → I, Ş → S, Ğ → G,
// Ü → U, Ö → O, Ç → C), so that "şanzıman" finds "SANZIMAN".

// Upper case with the Turkish letters folded; punctuation kept.
QString AramaKatla(QStringView text);

// Letters and digits only, folded: the key of a code ("12-345 ab" →
// "12345AB").
QString KodSikistir(QStringView text);

// The words of a free text in folded form, one blank between words
// ("Fren Balatası, ön" → "FREN BALATASI ON").
QString KelimeKatla(QStringView text);

// The indexed search text of one stock (stoklar.ara): the compacted form of
// each code (stock code, OEM and manufacturer numbers) and the folded words
// of each free text (name, other name, brand, model), separated by blanks so
// that a code match never spans two codes.
QString StokAramaAnahtari(const QStringList &kodlar, const QStringList &metinler);

} // namespace kolvar::server
