#pragma once

#include <wire/table.h>

#include <QString>
#include <QVariantList>

namespace kolvar::server {

class Database;
struct Session;

// Order states, in the order an order goes through them.
enum SiparisDurumu { Alindi = 0, Goruldu, Onaylandi, ParcaliHazirlandi, Hazirlandi, SevkEdildi };
QString siparisDurumYazisi(int durum);

// Order lines (detail, balances, all orders) matching `kosul`, a condition
// over the aliases o (siparisler), l (siparis_satirlari) and s (stoklar).
Table siparisSatirTablosu(const Database &db, const QString &kosul, const QVariantList &baglar);

// Order headers with their totals, newest first; `kosul` over o and c
// (cariler).
Table siparisTablosu(const Database &db, const QString &kosul, const QVariantList &baglar);

// SiparisKaydet: the account's selected basket lines become one order, all
// or nothing. `anahtar` identifies the call: a repeat of a call that
// already produced an order answers true again without writing anything.
bool siparisKaydet(const Database &db, const Session &s, qint64 carino, int teslim, int kargo,
                   const QString &aciklama, int kargoyeni, const QString &anahtar);

} // namespace kolvar::server
