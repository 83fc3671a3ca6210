#pragma once

// Field-table machinery for the transfer objects.
//
// Each class lists its fields once, in wire order, as an X-macro of
// X(Type, Name, Initial). The list drives the storage (F<Name>), the
// accessors (Name() / setName()), Kopyala, equality and the JSON form, so
// the order on the wire cannot drift from the declaration.

#include "transferobject.h"

#include <wire/jsonwriter.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <type_traits>

namespace kolvar::transfer {

inline void writeField(JsonWriter &out, int &, const QString &v)
{
    out.value(QStringView(v));
}
inline void writeField(JsonWriter &out, int &, qint32 v)
{
    out.value(qint64(v));
}
inline void writeField(JsonWriter &out, int &, double v)
{
    out.value(v);
}
inline void writeField(JsonWriter &out, int &, bool v)
{
    out.value(v);
}
template <class T> void writeField(JsonWriter &out, int &nextId, const QList<T> &items)
{
    static_assert(std::is_base_of_v<TransferObject, T>);
    out.beginArray();
    for (const T &item : items)
        item.writeJson(out, nextId);
    out.endArray();
}

// A member of the wrong JSON type leaves the field as it was.
inline void readField(const QJsonValue &v, QString &field)
{
    if (v.isString())
        field = v.toString();
}
inline void readField(const QJsonValue &v, qint32 &field)
{
    if (!v.isDouble())
        return;
    const double d = v.toDouble();
    if (d >= -2147483648.0 && d <= 2147483647.0 && d == double(qint64(d)))
        field = qint32(d);
}
inline void readField(const QJsonValue &v, double &field)
{
    if (v.isDouble())
        field = v.toDouble();
}
inline void readField(const QJsonValue &v, bool &field)
{
    if (v.isBool())
        field = v.toBool();
}
// Elements that are null or of another class are dropped: an owning list of
// values has no place for "no object".
template <class T> void readField(const QJsonValue &v, QList<T> &items)
{
    static_assert(std::is_base_of_v<TransferObject, T>);
    if (!v.isArray())
        return;
    items.clear();
    const QJsonArray array = v.toArray();
    for (const QJsonValue &element : array) {
        std::unique_ptr<TransferObject> object = transferObjectFromJson(element);
        if (auto *typed = dynamic_cast<T *>(object.get()))
            items.append(std::move(*typed));
    }
}

} // namespace kolvar::transfer

#define KOLVAR_TRANSFER_MEMBER(Type, Name, Init) Type F##Name = Init;
#define KOLVAR_TRANSFER_ACCESSORS(Type, Name, Init)                                                          \
    Type Name() const                                                                                        \
    {                                                                                                        \
        return F##Name;                                                                                      \
    }                                                                                                        \
    void set##Name(const Type &value)                                                                        \
    {                                                                                                        \
        F##Name = value;                                                                                     \
    }
#define KOLVAR_TRANSFER_COPY(Type, Name, Init) set##Name(source.Name());
#define KOLVAR_TRANSFER_EQUAL(Type, Name, Init) &&a.F##Name == b.F##Name
#define KOLVAR_TRANSFER_WRITE(Type, Name, Init)                                                              \
    out.key(QLatin1StringView("F" #Name));                                                                   \
    ::kolvar::transfer::writeField(out, nextId, F##Name);
#define KOLVAR_TRANSFER_READ(Type, Name, Init)                                                               \
    if (const QJsonValue v = fields.value(QLatin1StringView("F" #Name)); !v.isUndefined())                   \
        ::kolvar::transfer::readField(v, F##Name);

// Declarations inside a transfer class: construction, accessors, Kopyala,
// equality and storage.
#define KOLVAR_TRANSFER_CLASS(Class, FIELDS)                                                                 \
public:                                                                                                      \
    Class() = default;                                                                                       \
    static QString staticTypeName();                                                                         \
    QString typeName() const override                                                                        \
    {                                                                                                        \
        return staticTypeName();                                                                             \
    }                                                                                                        \
    void readFields(const QJsonObject &fields) override;                                                     \
    std::unique_ptr<TransferObject> clone() const override                                                   \
    {                                                                                                        \
        return std::make_unique<Class>(*this);                                                               \
    }                                                                                                        \
    void Kopyala(const Class &source);                                                                       \
    friend bool operator==(const Class &a, const Class &b);                                                  \
    FIELDS(KOLVAR_TRANSFER_ACCESSORS)                                                                        \
                                                                                                             \
protected:                                                                                                   \
    void writeFields(JsonWriter &out, int &nextId) const override;                                           \
                                                                                                             \
private:                                                                                                     \
    FIELDS(KOLVAR_TRANSFER_MEMBER)

// The matching definitions; Unit is the wire unit name ("baglantiu").
#define KOLVAR_TRANSFER_CLASS_IMPL(Class, Unit, FIELDS)                                                      \
    QString Class::staticTypeName()                                                                          \
    {                                                                                                        \
        return QStringLiteral(Unit "." #Class);                                                              \
    }                                                                                                        \
    void Class::Kopyala(const Class &source)                                                                 \
    {                                                                                                        \
        FIELDS(KOLVAR_TRANSFER_COPY)                                                                         \
    }                                                                                                        \
    bool operator==(const Class &a, const Class &b)                                                          \
    {                                                                                                        \
        return true FIELDS(KOLVAR_TRANSFER_EQUAL);                                                           \
    }                                                                                                        \
    void Class::writeFields(JsonWriter &out, int &nextId) const                                              \
    {                                                                                                        \
        Q_UNUSED(nextId);                                                                                    \
        FIELDS(KOLVAR_TRANSFER_WRITE)                                                                        \
    }                                                                                                        \
    void Class::readFields(const QJsonObject &fields)                                                        \
    {                                                                                                        \
        FIELDS(KOLVAR_TRANSFER_READ)                                                                         \
    }
