#include "Extensions/IslandExtension.h"

#include "Extensions/ExtensionStore.h"

namespace vesk {

kit::Element IslandExtension::page() const
{
    const ExtensionStore::Type *type = ExtensionStore::type(info().id);
    return type && type->page ? type->page(*this) : kit::Empty();
}

std::unique_ptr<QWidget> IslandExtension::makeSettingsView()
{
    const ExtensionStore::Type *type = ExtensionStore::type(info().id);
    return type && type->settings ? type->settings(*this) : std::make_unique<QWidget>();
}

}  // namespace vesk
