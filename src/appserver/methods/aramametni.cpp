#include "aramametni.h"

namespace kolvar::server {

namespace {

QChar katla(QChar c)
{
    switch (c.unicode()) {
    case u'i':
    case u'ı':
    case u'İ': return u'I';
    case u'ş':
    case u'Ş': return u'S';
    case u'ğ':
    case u'Ğ': return u'G';
    case u'ü':
    case u'Ü': return u'U';
    case u'ö':
    case u'Ö': return u'O';
    case u'ç':
    case u'Ç': return u'C';
    default: break;
    }
    if (c.unicode() < 0x80)
        return (c >= u'a' && c <= u'z') ? QChar(c.unicode() - 32) : c;
    // Other accented letters (â, î, û in loan words) lose their accent.
    const QString decomposed = QString(c).normalized(QString::NormalizationForm_D);
    return decomposed.isEmpty() ? c : decomposed.at(0).toUpper();
}

} // namespace

QString AramaKatla(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        out.append(katla(c));
    return out;
}

QString KodSikistir(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const QChar k = katla(c);
        if (k.isLetterOrNumber())
            out.append(k);
    }
    return out;
}

QString KelimeKatla(QStringView text)
{
    QString out;
    out.reserve(text.size());
    bool blank = false;
    for (QChar c : text) {
        const QChar k = katla(c);
        if (k.isLetterOrNumber()) {
            if (blank && !out.isEmpty())
                out.append(u' ');
            blank = false;
            out.append(k);
        } else {
            blank = true;
        }
    }
    return out;
}

QString StokAramaAnahtari(const QStringList &kodlar, const QStringList &metinler)
{
    QString out;
    auto add = [&out](const QString &part) {
        if (part.isEmpty())
            return;
        if (!out.isEmpty())
            out.append(u' ');
        out.append(part);
    };
    for (const QString &k : kodlar)
        add(KodSikistir(k));
    for (const QString &m : metinler)
        add(KelimeKatla(m));
    return out;
}

} // namespace kolvar::server
