#include "hive.h"

#include <algorithm>
#include <chrono>

namespace platform::registry {

namespace {

wchar_t FoldLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; }

template <typename T, typename GetName>
size_t LowerBound(const std::vector<T>& items, std::wstring_view n, GetName getName) {
    size_t lo = 0, hi = items.size();
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (CompareNames(getName(items[mid]), n) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

const std::wstring& KeyName(const std::unique_ptr<Key>& k) { return k->name; }
const std::wstring& ValueName(const Value& v) { return v.name; }

}  // namespace

uint64_t NowTicks() {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::system_clock::now().time_since_epoch())
                        .count();
    return kUnixEpochTicks + static_cast<uint64_t>(ns / 100);
}

int CompareNames(std::wstring_view a, std::wstring_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto x = static_cast<uint32_t>(FoldLower(a[i]));
        const auto y = static_cast<uint32_t>(FoldLower(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameName(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && CompareNames(a, b) == 0;
}

// Lookups use binary search over the sorted children. A hand-edited file may hold them out of
// order; they were still inserted in sorted position while loading, so the search holds.
Key* Key::FindSubkey(std::wstring_view n) const {
    const size_t i = LowerBound(subkeys, n, KeyName);
    if (i < subkeys.size() && SameName(subkeys[i]->name, n)) return subkeys[i].get();
    return nullptr;
}

Key* Key::GetOrAddSubkey(std::wstring_view n, bool* created) {
    if (created) *created = false;
    size_t i;
    // Files list keys in order, so while loading a new key nearly always goes last.
    if (subkeys.empty() || CompareNames(subkeys.back()->name, n) < 0) {
        i = subkeys.size();
    } else {
        i = LowerBound(subkeys, n, KeyName);
        if (i < subkeys.size() && SameName(subkeys[i]->name, n)) return subkeys[i].get();
    }
    auto child = std::make_unique<Key>();
    child->name.assign(n);
    child->parent = this;
    Key* raw = child.get();
    subkeys.insert(subkeys.begin() + static_cast<std::ptrdiff_t>(i), std::move(child));
    if (created) *created = true;
    return raw;
}

bool Key::RemoveSubkey(const Key* child) {
    for (auto it = subkeys.begin(); it != subkeys.end(); ++it) {
        if (it->get() == child) {
            subkeys.erase(it);
            return true;
        }
    }
    return false;
}

Value* Key::FindValue(std::wstring_view n) {
    const size_t i = LowerBound(values, n, ValueName);
    if (i < values.size() && SameName(values[i].name, n)) return &values[i];
    return nullptr;
}

const Value* Key::FindValue(std::wstring_view n) const { return const_cast<Key*>(this)->FindValue(n); }

Value& Key::GetOrAddValue(std::wstring_view n, bool* created) {
    if (created) *created = false;
    size_t i;
    if (values.empty() || CompareNames(values.back().name, n) < 0) {
        i = values.size();
    } else {
        i = LowerBound(values, n, ValueName);
        if (i < values.size() && SameName(values[i].name, n)) return values[i];
    }
    Value v;
    v.name.assign(n);
    if (created) *created = true;
    return *values.insert(values.begin() + static_cast<std::ptrdiff_t>(i), std::move(v));
}

bool Key::RemoveValue(std::wstring_view n) {
    const size_t i = LowerBound(values, n, ValueName);
    if (i >= values.size() || !SameName(values[i].name, n)) return false;
    values.erase(values.begin() + static_cast<std::ptrdiff_t>(i));
    return true;
}

std::string NewHivePrologue(HiveId id) {
    std::string s = "WINE REGISTRY Version 2\n";
    s += id == HiveId::Machine ? ";; All keys relative to REGISTRY\\\\Machine\n"
                               : ";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n";
    s += "\n#arch=win64\n";
    return s;
}

}  // namespace platform::registry
