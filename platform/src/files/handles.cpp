#include "files/handles.h"

#include <mutex>
#include <unordered_map>

namespace platform::handles {

namespace {

struct Table {
    std::mutex lock;
    std::unordered_map<void*, std::shared_ptr<Object>> objects;
};

// Never destroyed: global objects may still close handles while the process shuts down.
Table& TheTable() {
    static Table* table = new Table;
    return *table;
}

}  // namespace

HANDLE Register(std::shared_ptr<Object> obj) {
    if (!obj) return nullptr;
    Table& t = TheTable();
    void* key = obj.get();
    std::lock_guard<std::mutex> guard(t.lock);
    t.objects[key] = std::move(obj);
    return key;
}

std::shared_ptr<Object> Lookup(HANDLE h) {
    Table& t = TheTable();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.objects.find(h);
    return it == t.objects.end() ? nullptr : it->second;
}

std::shared_ptr<Object> Unregister(HANDLE h) {
    Table& t = TheTable();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.objects.find(h);
    if (it == t.objects.end()) return nullptr;
    std::shared_ptr<Object> obj = std::move(it->second);
    t.objects.erase(it);
    return obj;
}

}  // namespace platform::handles
