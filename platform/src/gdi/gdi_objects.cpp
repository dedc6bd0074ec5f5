#include "gdi/gdi_objects.h"

#include "handle_table.h"

namespace platform::gdi {

namespace {

// Never destroyed: global objects may still delete GDI objects while the process shuts down.
HandleTable<GdiObject>& TheTable() {
    static auto* table = new HandleTable<GdiObject>;
    return *table;
}

}  // namespace

void* RegisterObject(std::shared_ptr<GdiObject> obj) { return TheTable().Register(std::move(obj)); }

std::shared_ptr<GdiObject> LookupObject(const void* handle) { return TheTable().Lookup(handle); }

std::shared_ptr<GdiObject> UnregisterObject(const void* handle) { return TheTable().Unregister(handle); }

}  // namespace platform::gdi
