#include <platform/style/style.h>

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QStyleFactory>

// Resources of a static library are only linked in when referenced.
static void initStyleResource()
{
    Q_INIT_RESOURCE(style);
}

namespace kolvar {

QString sapphireKamriStyleSheet()
{
    initStyleResource();
    QFile file(QStringLiteral(":/kolvar/style/sapphirekamri.qss"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void applySapphireKamri(QApplication &app)
{
    // Fusion draws every control from the palette and the sheet alike, so
    // the look is the same whatever desktop the client runs on.
    app.setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(13);
    app.setFont(font);
    app.setStyleSheet(sapphireKamriStyleSheet());
}

} // namespace kolvar
