#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/fileapi.h"
#include "platform/module.h"
#include "platform/winnls.h"
#include "platform/resources.h"
#include "text.h"

struct HRSRC__ {
    const platform::BinaryResource* entry;
    HMODULE module;
    std::once_flag built;
    std::vector<BYTE> bytes;
};

namespace {

struct OwnedString {
    platform::StringResource entry;
    HMODULE module;
};

struct Tables {
    std::vector<OwnedString> strings;
    std::vector<std::unique_ptr<HRSRC__>> binaries;
};

Tables& tables() {
    static Tables t;
    return t;
}

// Resources belong to the module whose tables they are; NULL names the program.
bool BelongsTo(HMODULE owner, HMODULE asked) { return owner == (asked ? asked : GetModuleHandleA(nullptr)); }

bool SameName(LPCSTR given, const char* name, UINT id) {
    if (IS_INTRESOURCE(given)) return reinterpret_cast<ULONG_PTR>(given) == id && name == nullptr;
    if (given[0] == '#') return name == nullptr && std::strtoul(given + 1, nullptr, 10) == id;
    return false;
}

bool SameType(LPCSTR given, const char* type) {
    if (IS_INTRESOURCE(given)) return false;
    return strcasecmp(given, type) == 0;
}

void Build(HRSRC__* r) {
    std::call_once(r->built, [r] { r->bytes = r->entry->build(); });
}

}  // namespace

namespace platform {

void RegisterStringTable(const StringResource* entries, size_t count) {
    const HMODULE owner = ModuleOfAddress(entries);
    for (size_t i = 0; i < count; ++i) tables().strings.push_back({entries[i], owner});
}

void RegisterBinaryResources(const BinaryResource* entries, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        auto r = std::make_unique<HRSRC__>();
        r->entry = &entries[i];
        r->module = ModuleOfAddress(entries);
        tables().binaries.push_back(std::move(r));
    }
}

}  // namespace platform

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    if (!name || !type) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    bool typeSeen = false;
    for (auto& r : tables().binaries) {
        if (!BelongsTo(r->module, module) || !SameType(type, r->entry->type)) continue;
        typeSeen = true;
        if (SameName(name, nullptr, r->entry->id)) return r.get();
    }
    SetLastError(typeSeen ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
    if (!resource || !BelongsTo(resource->module, module)) return nullptr;
    Build(resource);
    return resource;
}

LPVOID LockResource(HGLOBAL data) {
    if (!data) return nullptr;
    auto* r = static_cast<HRSRC__*>(data);
    Build(r);
    return r->bytes.empty() ? nullptr : r->bytes.data();
}

DWORD SizeofResource(HMODULE module, HRSRC resource) {
    if (!resource || !BelongsTo(resource->module, module)) return 0;
    Build(resource);
    return static_cast<DWORD>(resource->bytes.size());
}

BOOL FreeResource(HGLOBAL) { return FALSE; }

int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferSize) {
    if (!buffer || bufferSize <= 0) return 0;
    buffer[0] = '\0';
    for (const auto& owned : tables().strings) {
        if (owned.entry.id != id || !BelongsTo(owned.module, instance)) continue;
        const std::string text = platform::text::WideToAnsi(owned.entry.text);
        // Cut at a character boundary, never between the two bytes of a double-byte character.
        const size_t room = static_cast<size_t>(bufferSize - 1);
        size_t n = 0;
        while (n < text.size()) {
            const size_t step = IsDBCSLeadByte(static_cast<BYTE>(text[n])) && n + 1 < text.size() ? 2 : 1;
            if (n + step > room) break;
            n += step;
        }
        std::memcpy(buffer, text.data(), n);
        buffer[n] = '\0';
        return static_cast<int>(n);
    }
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
}
