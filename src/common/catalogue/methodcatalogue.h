#pragma once

#include <QLatin1StringView>
#include <QString>

#include <span>

namespace kolvar {

// Kinds of parameters and results a remote method may have.
enum class ValueKind {
    None,
    String,
    Int32,
    Int64,
    Double,
    Boolean,
    Object, // a transfer object in its JSON object form; see className
    JsonArray,
    Stream,     // bytes, base64 on the wire
    DataPacket, // a table handed to a dataset whole
    Reader,     // a table walked row by row (same JSON form)
    Callback,   // cannot travel over the wire
};

enum class MethodUse {
    Client,     // the desktop client calls it
    ServerOnly, // part of the server class, never called by the client
    Extension,  // added by this system (server-side password check)
};

struct ParamDef {
    const char *name;
    ValueKind kind;
    const char *className; // for ValueKind::Object, e.g. "TSonucBilgisi"
    bool out;
};

struct MethodDef {
    const char *name;
    const ParamDef *params;
    int paramCount;
    ValueKind result;
    const char *resultClass;
    MethodUse use;

    std::span<const ParamDef> parameters() const { return {params, size_t(paramCount)}; }
    int inputCount() const;
    int outputCount() const;
    QString commandText() const { return QStringLiteral("TServerMethods1.") + QLatin1StringView(name); }
};

// The server class's methods, in the order of the catalogue.
std::span<const MethodDef> methodCatalogue();

// nullptr when unknown. Accepts "Name" or "TServerMethods1.Name".
const MethodDef *findMethod(QStringView name);

const char *valueKindName(ValueKind kind);

} // namespace kolvar
