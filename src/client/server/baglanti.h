#pragma once

#include <platform/connection/dsconnection.h>
#include <server/proxim.h>

#include <QString>

#include <functional>

namespace kolvar {

// The report of a connection that could not be made.
inline const QString kBaglantiKurulamiyor = QStringLiteral("Bağlantı Kurulamıyor Lütfen Tekrar Deneyin ...!");

// (Re)opens `connection`: closes it, then up to 11 attempts, each failure
// followed by a 500 ms pause. With report 1 a final failure is shown to the
// user (on the UI thread; a worker waits for it). True = open.
bool BaglantiKur(DSConnection *connection, int report);

// A background routine's call: a private copy of `bagc` is opened with
// BaglantiKur(copy, report), `work` runs with a proxy on it, then proxy and
// copy are closed and freed (also when `work` throws; the error goes on to
// the caller). False, without running `work`, when the copy could not be
// opened. Safe on a worker thread: the copy belongs to the calling thread.
bool KopyaylaCagir(const DSConnection &bagc, int report,
                   const std::function<void(TServerMethods1Client &)> &work);

// A short call on the UI thread over `bagc` itself: BaglantiKur(bagc,
// report), `work` with a proxy, then `bagc` is closed again. False when
// the connection could not be made.
bool BaglantiylaCagir(DSConnection &bagc, int report,
                      const std::function<void(TServerMethods1Client &)> &work);

// The pause between attempts; tests replace it so failures do not take
// 5.5 s. Empty restores the default (sleeping the calling thread).
void setRetryPause(std::function<void(int ms)> pause);

} // namespace kolvar
