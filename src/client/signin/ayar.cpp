#include "ayar.h"

#include <platform/machine/machineidentity.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryFile>

namespace kolvar {

namespace {

const QString bolum = QStringLiteral("kullanici");
const QString hatirlaAnahtari = QStringLiteral("hatırla");

// Windows-1254 is Latin-1 except for the Turkish letters and 0x80-0x9F.
QString cp1254(const QByteArray &bytes)
{
    static const char16_t high[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x8E,   0x8F,
                                      0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x9E,   0x0178};
    QString out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const uchar b = uchar(c);
        char16_t u = b;
        if (b >= 0x80 && b < 0xA0)
            u = high[b - 0x80];
        else if (b == 0xD0)
            u = 0x011E; // Ğ
        else if (b == 0xDD)
            u = 0x0130; // İ
        else if (b == 0xDE)
            u = 0x015E; // Ş
        else if (b == 0xF0)
            u = 0x011F; // ğ
        else if (b == 0xFD)
            u = 0x0131; // ı
        else if (b == 0xFE)
            u = 0x015F; // ş
        out.append(QChar(u));
    }
    return out;
}

QString metin(const QVariant &v)
{
    // An unquoted comma makes a list of the value; the user typed one text.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

bool mantiksal(const QVariant &v, bool varsayilan)
{
    const QString t = metin(v).trimmed();
    if (t.isEmpty())
        return varsayilan;
    bool ok = false;
    const int n = t.toInt(&ok);
    if (ok)
        return n != 0;
    return t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

GirisAyari oku(QSettings &s)
{
    GirisAyari a;
    s.beginGroup(bolum);
    a.hatirla = mantiksal(s.value(hatirlaAnahtari), true);
    a.isim = metin(s.value(QStringLiteral("isim")));
    a.sifre = metin(s.value(QStringLiteral("sifre")));
    s.endGroup();
    return a;
}

} // namespace

std::optional<GirisAyari> GirisAyariOku(const QString &file)
{
    QFile f(file);
    if (!f.exists())
        return std::nullopt;
    if (!f.open(QIODevice::ReadOnly))
        return GirisAyari{};
    const QByteArray bytes = f.readAll();
    f.close();

    // Bytes that do not survive a UTF-8 round trip were not written as UTF-8.
    if (QString::fromUtf8(bytes).toUtf8() == bytes) {
        QSettings s(file, QSettings::IniFormat);
        return oku(s);
    }
    // Not UTF-8: written in the Windows code page. Read a converted copy.
    QTemporaryFile copy;
    if (!copy.open())
        return GirisAyari{};
    copy.write(cp1254(bytes).toUtf8());
    copy.close();
    QSettings s(copy.fileName(), QSettings::IniFormat);
    return oku(s);
}

bool GirisAyariYaz(const QString &file, const GirisAyari &ayar)
{
    QSettings s(file, QSettings::IniFormat);
    s.beginGroup(bolum);
    s.setValue(QStringLiteral("isim"), ayar.isim);
    s.setValue(QStringLiteral("sifre"), ayar.sifre);
    s.setValue(hatirlaAnahtari, ayar.hatirla ? 1 : 0);
    s.endGroup();
    s.sync();
    return s.status() == QSettings::NoError;
}

QString AyarDosyasi()
{
    return QDir(AyarKlasoru()).filePath(QStringLiteral("ayar.ini"));
}

} // namespace kolvar
