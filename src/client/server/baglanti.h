#pragma once

#include <platform/connection/dsconnection.h>

#include <QString>

#include <functional>

namespace kolvar {

// The report of a connection that could not be made.
inline const QString kBaglantiKurulamiyor = QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyin ...!");

// (Re)opens `connection`: closes it, then up to 11 attempts, each failure
// followed by a 500 ms pause. With report 1 a final failure is shown to the
// user (on the UI thread; a worker waits for it). True = open.
bool BaglantiKur(DSConnection *connection, int report);

// The pause between attempts; tests replace it so failures do not take
// 5.5 s. Empty restores the default (sleeping the calling thread).
void setRetryPause(std::function<void(int ms)> pause);

} // namespace kolvar
