// How a module declares its resources on this platform. Each module (the program, the library)
// links its own copy of the platform layer, so the tables registered here belong to the module
// that registers them, as resources compiled into a PE file belong to it.
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

void RegisterStringTable(const StringResource* entries, size_t count);
void RegisterBinaryResources(const BinaryResource* entries, size_t count);

// The handle of the module that contains this copy of the platform layer.
HMODULE GetOwnModuleHandle();

}  // namespace platform

