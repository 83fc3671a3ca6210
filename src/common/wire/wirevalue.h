#pragma once

#include "table.h"

#include <transfer/transferobject.h>

#include <QByteArray>
#include <QJsonArray>
#include <QString>

#include <memory>
#include <variant>

namespace kolvar {

// One parameter or result value as it crosses the wire. Which alternative is
// used follows the declared kind of the method catalogue:
//   string -> QString, int32/int64 -> qint64, double -> double,
//   Boolean -> bool, stream -> QByteArray (raw bytes), data packet/reader ->
//   Table, object -> shared_ptr<TransferObject> (null pointer = JSON null),
//   JSON array -> QJsonArray; std::monostate for "nothing" (kind none).
using WireValue = std::variant<std::monostate, QString, qint64, double, bool, QByteArray, Table,
                               std::shared_ptr<TransferObject>, QJsonArray>;

} // namespace kolvar
