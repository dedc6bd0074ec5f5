// The Reg* functions over the prefix's hives.
//
// There is no WOW64 redirection: the prefix is a 64-bit one (#arch=win64) and KEY_WOW64_32KEY /
// KEY_WOW64_64KEY are accepted and ignored, so every caller sees the same (64-bit) view.
#include <algorithm>
#include <cstring>
#include <memory>
#include <unordered_set>

#include "platform/winreg.h"
#include "../text.h"
#include "hive_store.h"
#include "reg_parse.h"

using platform::registry::ChangeHive;
using platform::registry::Hive;
using platform::registry::HiveId;
using platform::registry::Key;
using platform::registry::NowTicks;
using platform::registry::ReadHive;
using platform::registry::RegistryMutex;
using platform::registry::Value;

namespace {

constexpr REGSAM kMaximumAllowed = 0x02000000u;
constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;

// An open key: which hive and the path of the key in it. Handles name keys by path, so a key
// that was deleted (here or by another process) is found missing on the next call.
struct RegKeyHandle {
    HiveId hive;
    std::vector<std::wstring> path;
    REGSAM access;
};

// Every handle handed out; a pointer not in here is never dereferenced.
std::unordered_set<const RegKeyHandle*>& LiveHandles() {
    static std::unordered_set<const RegKeyHandle*> handles;
    return handles;
}

// What a handle stands for.
struct Target {
    HiveId hive = HiveId::Machine;
    std::vector<std::wstring> path;
    REGSAM access = 0;
    bool predefined = false;
};

LONG Resolve(HKEY key, Target& t) {
    if (key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER || key == HKEY_CLASSES_ROOT) {
        t.hive = key == HKEY_CURRENT_USER ? HiveId::User : HiveId::Machine;
        t.path.clear();
        // HKEY_CLASSES_ROOT is the machine's classes; there are no per-user classes here.
        if (key == HKEY_CLASSES_ROOT) t.path = {L"Software", L"Classes"};
        t.access = KEY_ALL_ACCESS;
        t.predefined = true;
        return ERROR_SUCCESS;
    }
    const auto* h = reinterpret_cast<const RegKeyHandle*>(key);
    if (!key || !LiveHandles().count(h)) return ERROR_INVALID_HANDLE;
    t.hive = h->hive;
    t.path = h->path;
    t.access = h->access;
    t.predefined = false;
    return ERROR_SUCCESS;
}

REGSAM MapAccess(REGSAM access) {
    if (access & GENERIC_READ) access |= KEY_READ;
    if (access & GENERIC_WRITE) access |= KEY_WRITE;
    if (access & GENERIC_EXECUTE) access |= KEY_EXECUTE;
    if (access & (GENERIC_ALL | kMaximumAllowed)) access |= KEY_ALL_ACCESS;
    return access;
}

// Splits a subkey path at backslashes. Empty parts (a trailing or doubled backslash) are
// skipped; a leading backslash is refused as Windows refuses it.
LONG SplitPath(const std::wstring& sub, std::vector<std::wstring>& out) {
    if (!sub.empty() && sub[0] == L'\\') return ERROR_BAD_PATHNAME;
    size_t i = 0;
    while (i < sub.size()) {
        size_t j = sub.find(L'\\', i);
        if (j == std::wstring::npos) j = sub.size();
        if (j > i) {
            if (j - i > kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
            out.emplace_back(sub, i, j - i);
        }
        i = j + 1;
    }
    if (out.size() > platform::registry::kMaxKeyDepth) return ERROR_INVALID_PARAMETER;
    return ERROR_SUCCESS;
}

Key* Walk(Key* from, const std::vector<std::wstring>& path, size_t begin = 0) {
    Key* k = from;
    for (size_t i = begin; i < path.size() && k; ++i) k = k->FindSubkey(path[i]);
    return k;
}

// The key a target names in the hive: ERROR_KEY_DELETED when an open key is gone;
// ERROR_FILE_NOT_FOUND when HKEY_CLASSES_ROOT's base key does not exist.
LONG FindTarget(const Hive& hive, const Target& t, Key*& key) {
    key = Walk(const_cast<Key*>(&hive.root), t.path);
    if (key) return ERROR_SUCCESS;
    return t.predefined ? ERROR_FILE_NOT_FOUND : ERROR_KEY_DELETED;
}

std::wstring FromAnsi(LPCSTR s) { return s ? platform::text::AnsiToWide(s) : std::wstring(); }
std::wstring FromWide(LPCWSTR s) { return s ? std::wstring(s) : std::wstring(); }

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// True when the data ends in a zero character of unit bytes.
bool EndsWithTerminator(const std::vector<uint8_t>& bytes, size_t unit) {
    if (bytes.size() < unit) return false;
    for (size_t i = bytes.size() - unit; i < bytes.size(); ++i)
        if (bytes[i] != 0) return false;
    return true;
}

std::vector<uint8_t> WideBytes(std::wstring_view w) {
    std::vector<uint8_t> out(w.size() * 2);
    for (size_t i = 0; i < w.size(); ++i) {
        out[2 * i] = static_cast<uint8_t>(w[i] & 0xFF);
        out[2 * i + 1] = static_cast<uint8_t>((w[i] >> 8) & 0xFF);
    }
    return out;
}

// A string value's data in code page 950, as the A functions return it. An odd last byte is
// dropped, as Windows converts whole UTF-16 units only.
std::vector<uint8_t> AnsiData(const Value& v) {
    std::wstring w(v.data.size() / 2, L'\0');
    for (size_t i = 0; i < w.size(); ++i) w[i] = static_cast<wchar_t>(v.data[2 * i] | (v.data[2 * i + 1] << 8));
    const std::string a = platform::text::WideToAnsi(w);
    return std::vector<uint8_t>(a.begin(), a.end());
}

// The W functions take and give string data as WCHAR arrays (one UTF-16 unit per element, however
// wide WCHAR is); the hive keeps it as UTF-16LE bytes.
std::vector<uint8_t> WcharData(const Value& v) {
    std::vector<uint8_t> out((v.data.size() / 2) * sizeof(WCHAR));
    for (size_t i = 0; i < v.data.size() / 2; ++i) {
        const auto c = static_cast<WCHAR>(v.data[2 * i] | (v.data[2 * i + 1] << 8));
        std::memcpy(out.data() + i * sizeof(WCHAR), &c, sizeof c);
    }
    return out;
}

std::vector<uint8_t> FromWcharData(const BYTE* data, DWORD size) {
    std::wstring w(size / sizeof(WCHAR), L'\0');
    for (size_t i = 0; i < w.size(); ++i) std::memcpy(&w[i], data + i * sizeof(WCHAR), sizeof(WCHAR));
    return WideBytes(w);
}

// Copies data out the way RegQueryValueEx does: size only for null data, ERROR_MORE_DATA
// (with the size needed) for a buffer too small.
LONG CopyData(const std::vector<uint8_t>& bytes, LPBYTE data, LPDWORD dataSize) {
    const auto need = static_cast<DWORD>(bytes.size());
    if (!data) {
        if (dataSize) *dataSize = need;
        return ERROR_SUCCESS;
    }
    if (*dataSize < need) {
        *dataSize = need;
        return ERROR_MORE_DATA;
    }
    if (need) std::memcpy(data, bytes.data(), need);
    *dataSize = need;
    return ERROR_SUCCESS;
}

// Copies a name with its terminator into a buffer of *size characters; the size without the
// terminator comes back. Too small: ERROR_MORE_DATA and nothing changed.
LONG CopyName(const std::string& name, LPSTR buf, LPDWORD size) {
    if (name.size() >= *size) return ERROR_MORE_DATA;
    std::memcpy(buf, name.data(), name.size());
    buf[name.size()] = '\0';
    *size = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

void StoreFileTime(void* out, uint64_t ticks) {
    if (!out) return;
    const uint32_t ft[2] = {static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32)};
    std::memcpy(out, ft, sizeof ft);  // FILETIME: low part, then high part
}

HKEY NewHandle(HiveId hive, std::vector<std::wstring> path, REGSAM access) {
    auto* h = new RegKeyHandle{hive, std::move(path), access};
    LiveHandles().insert(h);
    return reinterpret_cast<HKEY>(h);
}

LONG OpenKey(HKEY key, const std::wstring& sub, REGSAM access, PHKEY result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::lock_guard<std::mutex> guard(RegistryMutex());
    Target t;
    if (LONG rc = Resolve(key, t)) return rc;
    std::vector<std::wstring> path = t.path;
    const size_t base = path.size();
    if (LONG rc = SplitPath(sub, path)) return rc;
    const LONG rc = ReadHive(t.hive, [&](const Hive& hive) -> LONG {
        Key* k = nullptr;
        if (LONG r = FindTarget(hive, t, k)) return r;
        return Walk(k, path, base) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
    if (rc != ERROR_SUCCESS) return rc;
    *result = NewHandle(t.hive, std::move(path), MapAccess(access));
    return ERROR_SUCCESS;
}

LONG CreateKey(HKEY key, const std::wstring& sub, DWORD reserved, const std::wstring& cls, REGSAM access,
               PHKEY result, LPDWORD disposition) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    if (reserved) return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> guard(RegistryMutex());
    Target t;
    if (LONG rc = Resolve(key, t)) return rc;
    std::vector<std::wstring> path = t.path;
    const size_t base = path.size();
    if (LONG rc = SplitPath(sub, path)) return rc;
    auto created = std::make_shared<bool>(false);
    // REG_OPTION_VOLATILE keys are kept like any other: they would otherwise be visible to this
    // process only, while the system shares its keys between processes.
    const LONG rc = ChangeHive(t.hive, [t, path, base, cls, created](Hive& hive, bool apply, bool& changed) -> LONG {
        Key* k = nullptr;
        // HKEY_CLASSES_ROOT's base key is made along with the rest.
        if (t.predefined) {
            k = &hive.root;
        } else if (LONG r = FindTarget(hive, t, k)) {
            return r;
        }
        const size_t from = t.predefined ? 0 : base;
        size_t i = from;
        for (; i < path.size(); ++i) {
            Key* next = k->FindSubkey(path[i]);
            if (!next) break;
            k = next;
        }
        *created = i < path.size();
        changed = *created;
        if (!*created) return ERROR_SUCCESS;
        if (i >= base && !(t.access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
        if (!apply) return ERROR_SUCCESS;
        const uint64_t now = NowTicks();
        k->Touch(now);
        for (; i < path.size(); ++i) {
            k = k->GetOrAddSubkey(path[i]);
            k->Touch(now);
        }
        if (!cls.empty()) k->className = cls;
        return ERROR_SUCCESS;
    });
    if (rc != ERROR_SUCCESS) return rc;
    if (disposition) *disposition = *created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = NewHandle(t.hive, std::move(path), MapAccess(access));
    return ERROR_SUCCESS;
}

// Runs read on the key a handle names, after the access check.
template <typename Fn>
LONG WithKey(HKEY key, REGSAM need, Fn read) {
    Target t;
    if (LONG rc = Resolve(key, t)) return rc;
    if ((t.access & need) != need) return ERROR_ACCESS_DENIED;
    return ReadHive(t.hive, [&](const Hive& hive) -> LONG {
        Key* k = nullptr;
        if (LONG r = FindTarget(hive, t, k)) return r;
        return read(*k);
    });
}

LONG QueryValue(HKEY key, const std::wstring& name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize,
                bool ansi) {
    if (reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> guard(RegistryMutex());
    return WithKey(key, KEY_QUERY_VALUE, [&](const Key& k) -> LONG {
        const Value* v = k.FindValue(name);
        if (!v) {
            if (type) *type = REG_NONE;  // as Wine answers for a missing value
            return ERROR_FILE_NOT_FOUND;
        }
        if (type) *type = v->type;
        if (!data && !dataSize) return ERROR_SUCCESS;
        if (!IsStringType(v->type)) return CopyData(v->data, data, dataSize);
        const std::vector<uint8_t> bytes = ansi ? AnsiData(*v) : WcharData(*v);
        const DWORD room = data ? *dataSize : 0;
        const LONG rc = CopyData(bytes, data, dataSize);
        // A string stored without its terminator gets one where the buffer has room; the size
        // returned does not count it.
        const size_t unit = ansi ? 1 : sizeof(WCHAR);
        if (rc == ERROR_SUCCESS && data && !EndsWithTerminator(bytes, unit) && bytes.size() + unit <= room)
            std::memset(data + bytes.size(), 0, unit);
        return rc;
    });
}

LONG SetValue(HKEY key, const std::wstring& name, DWORD reserved, DWORD type, std::vector<uint8_t> bytes) {
    (void)reserved;  // ignored, as Windows ignores it
    if (name.size() > kMaxValueNameLength) return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> guard(RegistryMutex());
    Target t;
    if (LONG rc = Resolve(key, t)) return rc;
    if (!(t.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    return ChangeHive(t.hive, [t, name, type, bytes](Hive& hive, bool apply, bool& changed) -> LONG {
        Key* k = nullptr;
        if (LONG r = FindTarget(hive, t, k)) return r;
        const Value* old = k->FindValue(name);
        // Setting what is already there changes nothing, not even the key's time.
        changed = !old || old->type != type || old->data != bytes;
        if (!apply || !changed) return ERROR_SUCCESS;
        Value& v = k->GetOrAddValue(name);
        v.type = type;
        v.data = bytes;
        v.rawLength = 0;
        k->Touch(NowTicks());
        return ERROR_SUCCESS;
    });
}

LONG DeleteValue(HKEY key, const std::wstring& name) {
    std::lock_guard<std::mutex> guard(RegistryMutex());
    Target t;
    if (LONG rc = Resolve(key, t)) return rc;
    if (!(t.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
    return ChangeHive(t.hive, [t, name](Hive& hive, bool apply, bool& changed) -> LONG {
        Key* k = nullptr;
        if (LONG r = FindTarget(hive, t, k)) return r;
        if (!k->FindValue(name)) return ERROR_FILE_NOT_FOUND;
        changed = true;
        if (!apply) return ERROR_SUCCESS;
        k->RemoveValue(name);
        k->Touch(NowTicks());
        return ERROR_SUCCESS;
    });
}

LONG DeleteKey(HKEY key, const std::wstring& sub) {
    std::lock_guard<std::mutex> guard(RegistryMutex());
    Target t;
    if (LONG rc = Resolve(key, t)) return rc;
    std::vector<std::wstring> path = t.path;
    const size_t base = path.size();
    if (LONG rc = SplitPath(sub, path)) return rc;
    // The hive roots and HKEY_CLASSES_ROOT's base key cannot be deleted.
    if (path.empty() || (t.predefined && path.size() == base)) return ERROR_ACCESS_DENIED;
    return ChangeHive(t.hive, [t, path, base](Hive& hive, bool apply, bool& changed) -> LONG {
        Key* k = nullptr;
        if (LONG r = FindTarget(hive, t, k)) return r;
        Key* victim = Walk(k, path, base);
        if (!victim) return ERROR_FILE_NOT_FOUND;
        if (!victim->subkeys.empty()) return ERROR_ACCESS_DENIED;  // as Windows: subkeys first
        changed = true;
        if (!apply) return ERROR_SUCCESS;
        Key* parent = victim->parent;
        parent->RemoveSubkey(victim);
        parent->Touch(NowTicks());
        return ERROR_SUCCESS;
    });
}

}  // namespace

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) {
    (void)options;
    return OpenKey(key, FromAnsi(subKey), access, result);
}

LONG RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM access, PHKEY result) {
    (void)options;
    return OpenKey(key, FromWide(subKey), access, result);
}

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR cls, DWORD options, REGSAM access,
                     LPSECURITY_ATTRIBUTES sa, PHKEY result, LPDWORD disposition) {
    (void)options;
    (void)sa;
    if (!subKey) return ERROR_INVALID_PARAMETER;
    return CreateKey(key, FromAnsi(subKey), reserved, FromAnsi(cls), access, result, disposition);
}

LONG RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR cls, DWORD options, REGSAM access,
                     LPSECURITY_ATTRIBUTES sa, PHKEY result, LPDWORD disposition) {
    (void)options;
    (void)sa;
    if (!subKey) return ERROR_INVALID_PARAMETER;
    return CreateKey(key, FromWide(subKey), reserved, FromWide(cls), access, result, disposition);
}

LONG RegCloseKey(HKEY key) {
    if (key == HKEY_LOCAL_MACHINE || key == HKEY_CURRENT_USER || key == HKEY_CLASSES_ROOT) return ERROR_SUCCESS;
    std::lock_guard<std::mutex> guard(RegistryMutex());
    const auto* h = reinterpret_cast<const RegKeyHandle*>(key);
    if (!key || !LiveHandles().erase(h)) return ERROR_INVALID_HANDLE;
    delete h;
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
    return QueryValue(key, FromAnsi(name), reserved, type, data, dataSize, true);
}

LONG RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
    return QueryValue(key, FromWide(name), reserved, type, data, dataSize, false);
}

LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize) {
    if (!data && dataSize) return ERROR_INVALID_PARAMETER;
    std::vector<uint8_t> bytes(data, data + (data ? dataSize : 0));
    // Strings arrive in code page 950 and are kept in UTF-16. A size that leaves the terminator
    // out still stores the string terminated, as Windows and Wine do (they look at the byte past
    // the size for it; that byte is not ours to read, so the terminator is simply added).
    if (IsStringType(type)) {
        if (!bytes.empty() && bytes.back() != 0) bytes.push_back(0);
        bytes = WideBytes(platform::text::AnsiToWide(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
    }
    return SetValue(key, FromAnsi(name), reserved, type, std::move(bytes));
}

LONG RegSetValueExW(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize) {
    if (!data && dataSize) return ERROR_INVALID_PARAMETER;
    if (IsStringType(type)) return SetValue(key, FromWide(name), reserved, type, FromWcharData(data, dataSize));
    return SetValue(key, FromWide(name), reserved, type, std::vector<uint8_t>(data, data + (data ? dataSize : 0)));
}

LONG RegDeleteValueA(HKEY key, LPCSTR name) { return DeleteValue(key, FromAnsi(name)); }
LONG RegDeleteValueW(HKEY key, LPCWSTR name) { return DeleteValue(key, FromWide(name)); }

LONG RegDeleteKeyA(HKEY key, LPCSTR subKey) {
    if (!subKey) return ERROR_INVALID_PARAMETER;
    return DeleteKey(key, FromAnsi(subKey));
}

LONG RegDeleteKeyW(HKEY key, LPCWSTR subKey) {
    if (!subKey) return ERROR_INVALID_PARAMETER;
    return DeleteKey(key, FromWide(subKey));
}

LONG RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPDWORD type, LPBYTE data,
                   LPDWORD dataSize) {
    if (!name || !nameSize || reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> guard(RegistryMutex());
    return WithKey(key, KEY_QUERY_VALUE, [&](const Key& k) -> LONG {
        if (index >= k.values.size()) return ERROR_NO_MORE_ITEMS;
        const Value& v = k.values[index];
        if (LONG rc = CopyName(platform::text::WideToAnsi(v.name), name, nameSize)) return rc;
        if (type) *type = v.type;
        if (!data && !dataSize) return ERROR_SUCCESS;
        return CopyData(IsStringType(v.type) ? AnsiData(v) : v.data, data, dataSize);
    });
}

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved, LPSTR cls,
                   LPDWORD clsSize, void* lastWriteTime) {
    if (!name || !nameSize || reserved || (cls && !clsSize)) return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> guard(RegistryMutex());
    return WithKey(key, KEY_ENUMERATE_SUB_KEYS, [&](const Key& k) -> LONG {
        if (index >= k.subkeys.size()) return ERROR_NO_MORE_ITEMS;
        const Key& sub = *k.subkeys[index];
        const std::string className = platform::text::WideToAnsi(sub.className.value_or(L""));
        if (cls && className.size() >= *clsSize) return ERROR_MORE_DATA;
        if (LONG rc = CopyName(platform::text::WideToAnsi(sub.name), name, nameSize)) return rc;
        if (cls) CopyName(className, cls, clsSize);
        else if (clsSize) *clsSize = static_cast<DWORD>(className.size());
        StoreFileTime(lastWriteTime, sub.modified);
        return ERROR_SUCCESS;
    });
}

// Name lengths are given in code page 950 bytes, so a buffer of that many characters (plus the
// terminator) always holds what RegEnumKeyExA / RegEnumValueA return; data sizes are the stored
// UTF-16 sizes, which the code page 950 form never exceeds.
LONG RegQueryInfoKeyA(HKEY key, LPSTR cls, LPDWORD clsSize, LPDWORD reserved, LPDWORD subKeys, LPDWORD maxSubKeyLen,
                      LPDWORD maxClassLen, LPDWORD values, LPDWORD maxValueNameLen, LPDWORD maxValueLen,
                      LPDWORD securityDescriptor, void* lastWriteTime) {
    if (reserved || (cls && !clsSize)) return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> guard(RegistryMutex());
    return WithKey(key, KEY_QUERY_VALUE, [&](const Key& k) -> LONG {
        const std::string className = platform::text::WideToAnsi(k.className.value_or(L""));
        if (cls) {
            if (className.size() >= *clsSize) {
                *clsSize = static_cast<DWORD>(className.size());
                return ERROR_MORE_DATA;
            }
            CopyName(className, cls, clsSize);
        } else if (clsSize) {
            *clsSize = static_cast<DWORD>(className.size());
        }
        size_t maxSub = 0, maxCls = 0, maxName = 0, maxData = 0;
        for (const auto& s : k.subkeys) {
            maxSub = std::max(maxSub, platform::text::WideToAnsi(s->name).size());
            if (s->className) maxCls = std::max(maxCls, platform::text::WideToAnsi(*s->className).size());
        }
        for (const Value& v : k.values) {
            maxName = std::max(maxName, platform::text::WideToAnsi(v.name).size());
            maxData = std::max(maxData, v.data.size());
        }
        if (subKeys) *subKeys = static_cast<DWORD>(k.subkeys.size());
        if (maxSubKeyLen) *maxSubKeyLen = static_cast<DWORD>(maxSub);
        if (maxClassLen) *maxClassLen = static_cast<DWORD>(maxCls);
        if (values) *values = static_cast<DWORD>(k.values.size());
        if (maxValueNameLen) *maxValueNameLen = static_cast<DWORD>(maxName);
        if (maxValueLen) *maxValueLen = static_cast<DWORD>(maxData);
        if (securityDescriptor) *securityDescriptor = 0;  // keys carry no security descriptors here
        StoreFileTime(lastWriteTime, k.modified);
        return ERROR_SUCCESS;
    });
}
