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

// What makes two SiparisKaydet calls the same call.
struct SiparisAnahtari {
    QString deger;
    // The client chose the key for one confirmation: a repeat answers the
    // first call's result whatever the basket holds by then. Otherwise the
    // key comes from the session and the choices, and a repeat is only
    // recognised when it finds nothing selected (the first call took it).
    bool istemcinin = false;
};

// SiparisKaydet: the account's selected basket lines become one order, all
// or nothing. A repeat of a call that already produced an order answers
// true again without writing anything.
bool siparisKaydet(const Database &db, const Session &s, qint64 carino, int teslim, int kargo,
                   const QString &aciklama, int kargoyeni, const SiparisAnahtari &anahtar);

} // namespace kolvar::server
