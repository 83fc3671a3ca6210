#pragma once

#include <QString>

namespace kolvar {

class ClientDataSet;

// Display format "#,###,##0.00" on every floating-point field; other fields
// and the values themselves are left as they are.
void OndalikBicimle(ClientDataSet &dataSet);

// The dataset is open and holds at least one record.
bool KayitVarmi(const ClientDataSet &dataSet);

// Whether a record has SEC = 1. Looks from the first record on and leaves the
// cursor on the first selected one; without one the cursor ends past the last record. A dataset
// with records but no SEC field throws DataSetError.
bool SeciliVarmi(ClientDataSet &dataSet);

// A complete URL made fit for a web request: scheme, host, path and query
// separators stay, everything that may not appear in a URL (spaces, Turkish
// letters as UTF-8, quotes, ...) is percent-encoded. Existing %XX escapes
// are kept; a '%' that starts none becomes %25. A non-ASCII host name is
// written in its ASCII (punycode) form.
QString UrlKodla(const QString &text);

} // namespace kolvar
