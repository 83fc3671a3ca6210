#include "transferobject.h"

#include "baglantiu.h"
#include "mobilstokunit.h"

#include <wire/jsonwriter.h>

#include <QJsonObject>
#include <QJsonValue>

namespace kolvar {

namespace {

struct Registration {
    QString (*typeName)();
    std::unique_ptr<TransferObject> (*create)();
};

template <class T> constexpr Registration registration()
{
    return {&T::staticTypeName, [] { return std::unique_ptr<TransferObject>(std::make_unique<T>()); }};
}

// Every class that may arrive from the server.
constexpr Registration kClasses[] = {
    registration<TSonucBilgisi>(),  registration<TSiparisDipAyrinti>(), registration<TTusSonuclari>(),
    registration<TMobilStok>(),     registration<TMobilSepet>(),        registration<TMobilCariBilgisi>(),
    registration<TAcilisEkran>(),   registration<TAcilisEkranlariki>(), registration<TMobilStoklar>(),
    registration<TMobilSepetler>(), registration<TAcilisEkranlar>(),
};

QStringView classPart(QStringView typeName)
{
    const qsizetype dot = typeName.lastIndexOf(u'.');
    return dot < 0 ? typeName : typeName.mid(dot + 1);
}

} // namespace

QString TransferObject::className() const
{
    return classPart(typeName()).toString();
}

void TransferObject::writeJson(JsonWriter &out, int &nextId) const
{
    out.beginObject();
    out.key(QLatin1StringView("type"));
    out.value(typeName());
    out.key(QLatin1StringView("id"));
    out.value(nextId++);
    out.key(QLatin1StringView("fields"));
    out.beginObject();
    writeFields(out, nextId);
    out.endObject();
    out.endObject();
}

std::unique_ptr<TransferObject> createTransferObject(QStringView typeOrClass)
{
    // A bare class name matches the class part; a qualified one must match whole.
    const bool qualified = typeOrClass.contains(u'.');
    for (const Registration &r : kClasses) {
        const QString name = r.typeName();
        if (qualified ? name == typeOrClass : classPart(name) == typeOrClass)
            return r.create();
    }
    return nullptr;
}

std::unique_ptr<TransferObject> transferObjectFromJson(const QJsonValue &value, QString *error)
{
    auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return std::unique_ptr<TransferObject>();
    };
    if (error)
        error->clear();
    if (value.isNull())
        return nullptr;
    if (!value.isObject())
        return fail(QStringLiteral("object expected"));
    const QJsonObject object = value.toObject();
    const QJsonValue type = object.value(QLatin1StringView("type"));
    if (!type.isString())
        return fail(QStringLiteral("object without \"type\""));
    const QString typeName = type.toString();
    if (!typeName.contains(u'.'))
        return fail(QStringLiteral("unknown object type %1").arg(typeName));
    std::unique_ptr<TransferObject> result = createTransferObject(typeName);
    if (!result)
        return fail(QStringLiteral("unknown object type %1").arg(typeName));
    const QJsonValue fields = object.value(QLatin1StringView("fields"));
    if (!fields.isUndefined() && !fields.isObject())
        return fail(QStringLiteral("\"fields\" of %1 is not an object").arg(typeName));
    result->readFields(fields.toObject());
    return result;
}

} // namespace kolvar
