#include "methodregistry.h"

#include <QtGlobal>

namespace kolvar::server {

MethodRegistry::MethodRegistry()
{
    m_bodies.resize(qsizetype(methodCatalogue().size()));
}

void MethodRegistry::set(const char *name, MethodBody body)
{
    const MethodDef *method = findMethod(QString::fromLatin1(name));
    Q_ASSERT_X(method, "MethodRegistry::set", name);
    if (!method)
        qFatal("MethodRegistry::set: %s is not a catalogue method", name);
    m_bodies[method - methodCatalogue().data()] = std::move(body);
}

const MethodBody *MethodRegistry::body(const MethodDef *method) const
{
    const auto catalogue = methodCatalogue();
    if (!method || method < catalogue.data() || method >= catalogue.data() + catalogue.size())
        return nullptr;
    const MethodBody &found = m_bodies[method - catalogue.data()];
    return found ? &found : nullptr;
}

} // namespace kolvar::server
