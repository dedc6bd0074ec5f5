// The process's table of GDI objects (device contexts now; fonts, bitmaps and regions later). A GDI
// handle is the address of its object, but it is only used after the table has confirmed that it
// names a live object, so a stale or made-up handle fails instead of being dereferenced.
#pragma once
#include <memory>

namespace platform::gdi {

class GdiObject {
public:
    virtual ~GdiObject() = default;
};

// Enters obj into the table and returns its handle value.
void* RegisterObject(std::shared_ptr<GdiObject> obj);
// The object behind handle, or null. The object stays alive while the result is held.
std::shared_ptr<GdiObject> LookupObject(const void* handle);
template <class T>
std::shared_ptr<T> LookupObjectAs(const void* handle) {
    return std::dynamic_pointer_cast<T>(LookupObject(handle));
}
// Removes handle from the table and returns its object (null when it names none).
std::shared_ptr<GdiObject> UnregisterObject(const void* handle);

}  // namespace platform::gdi
