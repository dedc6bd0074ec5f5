// The process's handle table. A HANDLE is the address of the object it stands for, but it is only
// ever used after the table has confirmed that it names a live object, so a stale or made-up value
// fails with ERROR_INVALID_HANDLE instead of being dereferenced.
#pragma once
#include <memory>

#include "platform/wintypes.h"

namespace platform::handles {

// Base of everything a HANDLE can stand for: files, mutexes, events, mappings, tokens.
class Object {
public:
    virtual ~Object() = default;
};

// Enters obj into the table and returns its handle.
HANDLE Register(std::shared_ptr<Object> obj);
// The object behind h, or null when h is no live handle. The object stays alive while the result
// is held, even if another thread closes the handle meanwhile.
std::shared_ptr<Object> Lookup(HANDLE h);
template <class T>
std::shared_ptr<T> LookupAs(HANDLE h) {
    return std::dynamic_pointer_cast<T>(Lookup(h));
}
// Removes h from the table and returns its object (null when h is no live handle).
std::shared_ptr<Object> Unregister(HANDLE h);

}  // namespace platform::handles
