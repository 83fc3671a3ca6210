#pragma once

#include <QString>

namespace kolvar {

// Where the client finds the application server and the vendor's web hosts.
// Fixed when the program is built; tests point them at local servers.
struct Adresler {
    QString sunucu;     // application server host
    quint16 port = 0;   // application server port
    QString guncelleme; // update host ("host[:port]"): ip.php, installer
    QString web;        // distributor's web site ("host[:port]")
};

const Adresler &adresler();
void setAdresler(const Adresler &a); // before any window uses them

} // namespace kolvar
