#include "files/handles.h"

#include "handle_table.h"

namespace platform::handles {

namespace {

// Never destroyed: global objects may still close handles while the process shuts down.
HandleTable<Object>& TheTable() {
    static auto* table = new HandleTable<Object>;
    return *table;
}

}  // namespace

HANDLE Register(std::shared_ptr<Object> obj) { return TheTable().Register(std::move(obj)); }

std::shared_ptr<Object> Lookup(HANDLE h) { return TheTable().Lookup(h); }

std::shared_ptr<Object> Unregister(HANDLE h) { return TheTable().Unregister(h); }

}  // namespace platform::handles
