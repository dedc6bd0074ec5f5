// How a module declares its resources on this platform: the tables registered here belong to the
// module whose data they are (the program, the library), as resources compiled into a PE file
// belong to it.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "platform/wintypes.h"

namespace platform {

struct StringResource {
    UINT id;
    const wchar_t* text;  // UTF-16 units, as a compiled string table holds them
};

// Produces a resource's bytes when it is first loaded; the bytes stay alive for the process.
using ResourceBuilder = std::vector<BYTE> (*)();

struct BinaryResource {
    const char* type;  // "TTE", "DLL", ...
    UINT id;
    ResourceBuilder build;
};

// The entries must lie in the registering module's own data (a static table).
void RegisterStringTable(const StringResource* entries, size_t count);
void RegisterBinaryResources(const BinaryResource* entries, size_t count);

// The handle of the module an address lies in.
HMODULE ModuleOfAddress(const void* address);

// The handle of the calling module: compiled into each module (inline functions are hidden in
// the program and the library), so that each finds itself.
inline HMODULE GetOwnModuleHandle() {
    static const char self = 0;
    return ModuleOfAddress(&self);
}

}  // namespace platform

