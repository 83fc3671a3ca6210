#include "businessmethods.h"

#include "methodregistry.h"
#include "yontemaileleri.h"

namespace kolvar::server {

void registerBusinessMethods(MethodRegistry &registry, Database &db)
{
    registerKatalogYontemleri(registry, db);
    registerSepetYontemleri(registry, db);
    registerSiparisYontemleri(registry, db);
    registerEkstreYontemleri(registry, db);
    registerDuyuruYontemleri(registry, db);
    registerTemsilciYontemleri(registry, db);
    registerPostaYontemleri(registry, db);

    // A module-creation hook of the original host; nothing to run here.
    registry.set("DSServerModuleCreate", [](CallContext &, const QList<WireValue> &) -> CallResult {
        throw MethodError(QStringLiteral("DSServerModuleCreate sunucu içinde çalışır, uzaktan çağrılamaz"));
    });
}

} // namespace kolvar::server
