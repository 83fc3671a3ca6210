#pragma once

#include <platform/machine/machinefacts.h>

namespace kolvar {

// Identity of the computer and the local folders the client uses. None of
// these fail: a fact that cannot be read gives an empty text (or 0).

// Disk serial without spaces, else the first non-zero adapter address.
QString BilgisayarIdAl(const MachineFacts &facts = MachineFacts::system());
// First physical disk's serial, upper case.
QString DiskSeriNoAl(const MachineFacts &facts = MachineFacts::system());
// First non-zero adapter address as "00-1A-2B-3C-4D-5E".
QString MacAdresiAl(const MachineFacts &facts = MachineFacts::system());
QString BilgisayarAdiAl(const MachineFacts &facts = MachineFacts::system());
QString KullaniciAdiAl(const MachineFacts &facts = MachineFacts::system());
// "127.0.0.1" when the computer has no other IPv4 address.
QString IcIpAl(const MachineFacts &facts = MachineFacts::system());
// The client's settings folder (holds ayar.ini), created when missing.
QString AyarKlasoru(const MachineFacts &facts = MachineFacts::system());
QString BelgelerKlasoru(const MachineFacts &facts = MachineFacts::system());
// Local (non-roaming) application data; the installer is saved here.
QString YerelVeriKlasoru(const MachineFacts &facts = MachineFacts::system());
QString ChromeYolu(const MachineFacts &facts = MachineFacts::system());
// Internet Explorer does not exist on this platform.
int IEVersiyonu(const MachineFacts &facts = MachineFacts::system());

} // namespace kolvar
