// Prints this computer's identifier the way the client sends it at sign-in,
// so the computer can be registered on a server from a script.
#include <platform/machine/machineidentity.h>

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString id = kolvar::BilgisayarIdAl();
    if (id.isEmpty()) {
        std::fputs("kolvar-machine-id: neither a disk serial nor a network adapter address can be read\n",
                   stderr);
        return 1;
    }
    std::printf("%s\n", id.toUtf8().constData());
    return 0;
}
