#pragma once

#include <platform/machine/machinefacts.h>

namespace kolvar {

// Facts read from sysfs, the udev database and the XDG folders. The root of
// /sys and /run can be moved so the readers can run against a copied tree.
class LinuxMachineFacts : public MachineFacts
{
public:
    explicit LinuxMachineFacts(QString root = QStringLiteral("/"));

    QString diskSerial() const override;
    QList<QByteArray> adapterAddresses() const override;
    QString computerName() const override;
    QString userName() const override;
    QString localIPv4() const override;
    QString configFolder() const override;
    QString documentsFolder() const override;
    QString localDataFolder() const override;
    QString findProgram(const QString &name) const override;

private:
    QString path(const QString &relative) const;

    QString m_root;
};

} // namespace kolvar
