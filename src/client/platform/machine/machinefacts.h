#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace kolvar {

// Raw facts about the computer the client runs on. Every operating-system
// specific lookup lives behind this interface; the identity routines that
// shape these facts into what the server expects stay portable and testable.
//
// A source may throw when a fact cannot be read at all; the routines that use
// it turn such failures into empty results.
class MachineFacts
{
public:
    virtual ~MachineFacts() = default;

    // Serial number of the first physical disk, as the hardware reports it.
    virtual QString diskSerial() const = 0;
    // Hardware addresses of the network adapters, in enumeration order.
    // An empty entry is an adapter whose address could not be read.
    virtual QList<QByteArray> adapterAddresses() const = 0;
    virtual QString computerName() const = 0;
    virtual QString userName() const = 0;
    // Local IPv4 address in dotted form; empty when there is none.
    virtual QString localIPv4() const = 0;
    // Per-user folders; no trailing separator.
    virtual QString configFolder() const = 0;
    virtual QString documentsFolder() const = 0;
    virtual QString localDataFolder() const = 0;
    // Full path of an installed program, empty when it is not installed.
    virtual QString findProgram(const QString &name) const = 0;

    // The facts of this computer, or the source installed with install().
    static const MachineFacts &system();
    // Replaces the process-wide source (nullptr restores the real one). The
    // caller keeps ownership; meant for tests, before any window is created.
    static void install(const MachineFacts *facts);
};

} // namespace kolvar
