#include "methodcatalogue.h"

#include <QHash>

namespace kolvar {

#include "catalogue_table.inc"

int MethodDef::inputCount() const
{
    int n = 0;
    for (const auto &p : parameters())
        n += p.out ? 0 : 1;
    return n;
}

int MethodDef::outputCount() const { return paramCount - inputCount(); }

std::span<const MethodDef> methodCatalogue() { return kMethods; }

const MethodDef *findMethod(QStringView name)
{
    static const QHash<QString, const MethodDef *> index = [] {
        QHash<QString, const MethodDef *> h;
        for (const auto &m : kMethods)
            h.insert(QLatin1StringView(m.name), &m);
        return h;
    }();
    constexpr QStringView prefix = u"TServerMethods1.";
    if (name.startsWith(prefix))
        name = name.mid(prefix.size());
    return index.value(name.toString(), nullptr);
}

const char *valueKindName(ValueKind kind)
{
    switch (kind) {
    case ValueKind::None: return "none";
    case ValueKind::String: return "string";
    case ValueKind::Int32: return "int32";
    case ValueKind::Int64: return "int64";
    case ValueKind::Double: return "double";
    case ValueKind::Boolean: return "Boolean";
    case ValueKind::Object: return "object";
    case ValueKind::JsonArray: return "JSON array";
    case ValueKind::Stream: return "stream";
    case ValueKind::DataPacket: return "data packet";
    case ValueKind::Reader: return "reader";
    case ValueKind::Callback: return "callback";
    }
    return "?";
}

} // namespace kolvar
