#include "datasethelpers.h"

#include "clientdataset.h"

#include <format/numberformat.h>

#include <QUrl>

namespace kolvar {

void OndalikBicimle(ClientDataSet &dataSet)
{
    const QString format = kAmountFormat;
    for (int i = 0; i < dataSet.fieldCount(); ++i) {
        const FieldInfo &f = dataSet.field(i);
        if (f.kind == FieldKind::Float)
            dataSet.setDisplayFormat(f.name, format);
    }
}

bool KayitVarmi(const ClientDataSet &dataSet)
{
    return dataSet.isActive() && dataSet.recordCount() > 0;
}

bool SeciliVarmi(ClientDataSet &dataSet)
{
    if (!KayitVarmi(dataSet))
        return false;
    const int col = dataSet.fieldIndex(u"SEC");
    if (col < 0)
        dataSet.fieldValue(u"SEC"); // the dataset's own unknown-field error
    // Scans the table rather than walking the cursor, so views bound to the
    // dataset see one move instead of one per record.
    const Table &t = dataSet.table();
    for (int r = 0; r < t.rowCount(); ++r) {
        if (t.isNull(r, col))
            continue;
        bool selected = false;
        switch (t.column(col).type) {
        case ColumnType::Int32:
        case ColumnType::Int64:
        case ColumnType::Bool: selected = t.integer(r, col) == 1; break;
        case ColumnType::Double: selected = t.real(r, col) == 1.0; break;
        default: {
            bool ok = false;
            selected = t.value(r, col).toDouble(&ok) == 1.0 && ok;
            break;
        }
        }
        if (selected) {
            dataSet.setRecNo(r);
            return true;
        }
    }
    dataSet.last();
    dataSet.next(); // past the last record
    return false;
}

namespace {

bool isHex(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Characters that keep their meaning in a URL and are never encoded here.
const QByteArray kKeep = QByteArrayLiteral(":/?#[]@!$&'()*+,;=~-._");

QString encodePart(QStringView part)
{
    QString out;
    out.reserve(part.size() * 3 / 2);
    qsizetype start = 0;
    auto flush = [&](qsizetype end) {
        if (end > start)
            out +=
                QString::fromLatin1(QUrl::toPercentEncoding(part.mid(start, end - start).toString(), kKeep));
    };
    for (qsizetype i = 0; i < part.size(); ++i) {
        if (part.at(i) == u'%' && i + 2 < part.size() && isHex(part.at(i + 1)) && isHex(part.at(i + 2))) {
            flush(i);
            out += part.mid(i, 3);
            i += 2;
            start = i + 1;
        }
    }
    flush(part.size());
    return out;
}

} // namespace

QString UrlKodla(const QString &text)
{
    // scheme://authority stays apart so a non-ASCII host can be made ASCII.
    const qsizetype schemeEnd = text.indexOf(QLatin1StringView("://"));
    if (schemeEnd <= 0)
        return encodePart(text);
    const qsizetype authorityStart = schemeEnd + 3;
    qsizetype authorityEnd = text.size();
    for (QChar stop : {u'/', u'?', u'#'}) {
        const qsizetype at = text.indexOf(stop, authorityStart);
        if (at >= 0 && at < authorityEnd)
            authorityEnd = at;
    }
    const QString authority = text.mid(authorityStart, authorityEnd - authorityStart);
    // user@host:port — only the host may need its ASCII form.
    const qsizetype at = authority.lastIndexOf(u'@');
    const QString userInfo = at >= 0 ? authority.left(at + 1) : QString();
    QString host = authority.mid(at + 1);
    QString port;
    if (const qsizetype colon = host.lastIndexOf(u':'); colon >= 0 && !host.endsWith(u']')) {
        port = host.mid(colon);
        host.truncate(colon);
    }
    bool ascii = true;
    for (QChar c : std::as_const(host))
        ascii = ascii && c.unicode() < 0x80;
    const QString ace = ascii ? QString() : QString::fromLatin1(QUrl::toAce(host));
    return encodePart(QStringView(text).left(authorityStart)) + encodePart(userInfo) +
           (ace.isEmpty() ? encodePart(host) : ace) + encodePart(port) +
           encodePart(QStringView(text).mid(authorityEnd));
}

} // namespace kolvar
