#include "echomethods.h"

#include "methodregistry.h"

namespace kolvar::server {

QString reverseKeepingSurrogates(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    QChar *dst = out.data() + out.size();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            dst -= 2;
            dst[0] = text[i];
            dst[1] = text[i + 1];
            ++i;
        } else {
            *--dst = text[i];
        }
    }
    return out;
}

void registerEchoMethods(MethodRegistry &registry)
{
    registry.set("EchoString", [](CallContext &, const QList<WireValue> &inputs) {
        return CallResult{{}, inputs.value(0)};
    });
    registry.set("ReverseString", [](CallContext &, const QList<WireValue> &inputs) {
        const QString *text = inputs.isEmpty() ? nullptr : std::get_if<QString>(&inputs.front());
        return CallResult{{}, reverseKeepingSurrogates(text ? QStringView(*text) : QStringView())};
    });
}

} // namespace kolvar::server
