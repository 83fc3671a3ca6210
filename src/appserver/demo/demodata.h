#pragma once

#include <QString>

namespace kolvar::server {
class Database;
}

namespace kolvar::server::demo {

struct DemoOptions {
    int stocks = 1000;
    quint32 seed = 20261211;
    int maxPictures = 2000; // stocks with a picture (every third, up to this)
};

struct DemoSummary {
    int stocks = 0;
    int pictures = 0;
    int accounts = 0;
    int users = 0;
    int orders = 0;
};

// Fills an empty, migrated database with a Turkish auto-parts
// distributor: catalogue, dealers and representatives with users and
// registered computers, baskets, orders in every state, statements with
// invoices, collections and virtual-POS payments, notices. The same seed
// gives the same data (dates are relative to today). Throws StorageError
// when the database already holds a catalogue.
DemoSummary seedDemo(const Database &db, const DemoOptions &options = {});

// Every demo user signs in with this password.
inline QString demoPassword()
{
    return QStringLiteral("1234");
}
// The computer the demo registers for a user: "DEMO-" + user name.
inline QString demoMachineId(const QString &user)
{
    return QStringLiteral("DEMO-") + user;
}

} // namespace kolvar::server::demo
