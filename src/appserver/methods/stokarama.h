#pragma once

#include "fiyat.h"

#include <wire/table.h>

#include <QList>
#include <QString>

namespace kolvar::server {

class Database;

// Extra conditions of the filtered search; empty texts and false flags
// leave a condition out.
struct StokSuzgeci {
    QString departman, anaGrup, altGrup;
    bool kampanya = false, yeni = false, stokta = false, resimli = false;
    bool bos() const
    {
        return departman.isEmpty() && anaGrup.isEmpty() && altGrup.isEmpty() && !kampanya && !yeni &&
               !stokta && !resimli;
    }
};

// The most rows one search returns ('arama_limit' setting, 500 if unset).
int aramaSiniri(const Database &db);

// Stock numbers matching `metin`, best first: exact code matches (stock
// code, OEM, manufacturer code; punctuation ignored), then codes that start
// with the text, then stocks whose codes, names, brand or model contain it
// (word by word for texts of several words). At most `sinir` numbers. Texts
// shorter than three letters or digits take only the exact and prefix paths
// and return at most 100.
QList<qint64> stokAra(const Database &db, const QString &metin, int sinir);
QList<qint64> stokAra(const Database &db, const QString &metin, int sinir, const StokSuzgeci &suzgec);

QList<qint64> yeniStoklar(const Database &db, int sinir);
QList<qint64> kampanyaliStoklar(const Database &db, int sinir);

// The account's discount rates; zeros for 0 or an unknown account.
Indirimler cariIndirimleri(const Database &db, qint64 carino);

// The stock list table (search, new and campaign lists share it) for the
// given stocks in the given order, priced for the account's rates.
Table stokTablosu(const Database &db, const QList<qint64> &stoknolar, const Indirimler &ind);

} // namespace kolvar::server
