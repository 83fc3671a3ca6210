#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream(stderr) << "kolvar-server: not yet built\n";
    return 1;
}
