#include "gdi/gdi_objects.h"

#include <mutex>
#include <unordered_map>

namespace platform::gdi {

namespace {

struct Table {
    std::mutex lock;
    std::unordered_map<const void*, std::shared_ptr<GdiObject>> objects;
};

// Never destroyed: global objects may still delete GDI objects while the process shuts down.
Table& TheTable() {
    static Table* table = new Table;
    return *table;
}

}  // namespace

void* RegisterObject(std::shared_ptr<GdiObject> obj) {
    if (!obj) return nullptr;
    Table& t = TheTable();
    void* key = obj.get();
    std::lock_guard<std::mutex> guard(t.lock);
    t.objects[key] = std::move(obj);
    return key;
}

std::shared_ptr<GdiObject> LookupObject(const void* handle) {
    if (!handle) return nullptr;
    Table& t = TheTable();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.objects.find(handle);
    return it == t.objects.end() ? nullptr : it->second;
}

std::shared_ptr<GdiObject> UnregisterObject(const void* handle) {
    if (!handle) return nullptr;
    Table& t = TheTable();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.objects.find(handle);
    if (it == t.objects.end()) return nullptr;
    std::shared_ptr<GdiObject> obj = std::move(it->second);
    t.objects.erase(it);
    return obj;
}

}  // namespace platform::gdi
