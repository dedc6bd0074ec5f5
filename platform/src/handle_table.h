// A table of live objects keyed by handle. A handle is the address of its object, but it is only
// used after the table has confirmed that it names a live object, so a stale or made-up value is
// refused instead of being dereferenced. Kernel and GDI handles keep separate tables, as in Windows.
#pragma once
#include <memory>
#include <mutex>
#include <unordered_map>

namespace platform {

template <class Object>
class HandleTable {
public:
    // Enters obj and returns its handle (null for a null object).
    void* Register(std::shared_ptr<Object> obj) {
        if (!obj) return nullptr;
        void* key = obj.get();
        std::lock_guard<std::mutex> guard(lock_);
        objects_[key] = std::move(obj);
        return key;
    }
    // The object behind handle, or null; it stays alive while the result is held.
    std::shared_ptr<Object> Lookup(const void* handle) {
        std::lock_guard<std::mutex> guard(lock_);
        auto it = objects_.find(handle);
        return it == objects_.end() ? nullptr : it->second;
    }
    // Removes handle and returns its object (null when it names none).
    std::shared_ptr<Object> Unregister(const void* handle) {
        std::lock_guard<std::mutex> guard(lock_);
        auto it = objects_.find(handle);
        if (it == objects_.end()) return nullptr;
        std::shared_ptr<Object> obj = std::move(it->second);
        objects_.erase(it);
        return obj;
    }

private:
    std::mutex lock_;
    std::unordered_map<const void*, std::shared_ptr<Object>> objects_;
};

}  // namespace platform
