#pragma once

#include <wire/table.h>

#include <optional>

namespace kolvar::server {

class Database;

// The basket of one account as the basket tab reads it, oldest line first;
// an empty table (with all columns) for 0.
Table sepetTablosu(const Database &db, qint64 carino);

// Adds `miktar` of a stock to the account's basket, priced from the
// catalogue for the account. A stock already in the basket gets the
// quantity added to its line. Answers the line's number, 0 when the stock
// does not exist.
//
// `temsilciFiyati` is a unit price a representative typed (see
// TemsilciFiyatiKabul); when it differs from the account's own unit price it
// becomes the line's unit price, or the add is refused (0) when it is below
// the floor.
qint64 sepeteEkle(const Database &db, qint64 veren, qint64 carino, qint64 stokno, double miktar,
                  std::optional<double> temsilciFiyati = std::nullopt);

} // namespace kolvar::server
