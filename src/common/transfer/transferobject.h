#pragma once

#include <QJsonObject>
#include <QString>

#include <memory>

namespace kolvar {

class JsonWriter;

// A plain data object that travels as
//   {"type": "unit.TClass", "id": n, "fields": {"FName": value, ...}}
// with its fields in declared order.
class TransferObject
{
public:
    TransferObject() = default;
    virtual ~TransferObject() = default;

    // "baglantiu.TSonucBilgisi", "mobilstokunit.TAcilisEkran", ...
    virtual QString typeName() const = 0;
    // Class name without the unit: "TSonucBilgisi".
    QString className() const;

    // Writes the whole object form; nextId numbers the objects of one message.
    void writeJson(JsonWriter &out, int &nextId) const;
    // Reads the members of "fields" by name; unknown members are ignored.
    virtual void readFields(const QJsonObject &fields) = 0;

    virtual std::unique_ptr<TransferObject> clone() const = 0;

protected:
    TransferObject(const TransferObject &) = default;
    TransferObject &operator=(const TransferObject &) = default;

    virtual void writeFields(JsonWriter &out, int &nextId) const = 0;
};

// Creates an empty object for a wire type ("baglantiu.TSonucBilgisi") or a
// bare class name ("TSonucBilgisi"); nullptr when unknown.
std::unique_ptr<TransferObject> createTransferObject(QStringView typeOrClass);

// Reads the object form; nullptr for JSON null or an unknown type (error set).
std::unique_ptr<TransferObject> transferObjectFromJson(const QJsonValue &value, QString *error = nullptr);

} // namespace kolvar
