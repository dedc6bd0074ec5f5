#include "windows_path.h"

namespace platform::path {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

wchar_t Upper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c; }

// Applies the components of rest to full, one by one.
void Append(FullPath& full, std::wstring_view rest) {
    size_t i = 0;
    while (i < rest.size()) {
        size_t j = i;
        while (j < rest.size() && !IsSeparator(rest[j])) ++j;
        const std::wstring_view comp = rest.substr(i, j - i);
        if (comp == L"..") {
            if (!full.components.empty()) full.components.pop_back();
        } else if (!comp.empty() && comp != L".") {
            full.components.emplace_back(comp);
        }
        i = j + 1;
    }
}

}  // namespace

std::wstring FullPath::ToString() const {
    std::wstring out{drive, L':'};
    if (components.empty()) return out + L'\\';
    for (const auto& c : components) out += L'\\' + c;
    return out;
}

std::optional<FullPath> MakeFull(std::wstring_view name, const CurrentDirectoryFn& currentDirectoryFn) {
    if (name.starts_with(L"\\\\?\\") || name.starts_with(L"\\??\\")) name.remove_prefix(4);
    if (name.size() >= 2 && IsSeparator(name[0]) && IsSeparator(name[1])) return std::nullopt;  // UNC

    std::optional<FullPath> current;
    std::wstring currentText;
    auto Current = [&]() -> std::optional<FullPath> {
        if (!current) {
            currentText = currentDirectoryFn ? currentDirectoryFn() : std::wstring();
            const std::wstring_view currentDirectory = currentText;
            if (currentDirectory.size() < 2 || !IsDriveLetter(currentDirectory[0]) || currentDirectory[1] != L':' ||
                (currentDirectory.size() > 2 && !IsSeparator(currentDirectory[2])))
                return std::nullopt;
            current = FullPath{Upper(currentDirectory[0]), {}};
            Append(*current, currentDirectory.substr(2));
        }
        return current;
    };

    FullPath full;
    if (name.size() >= 2 && IsDriveLetter(name[0]) && name[1] == L':') {
        full.drive = Upper(name[0]);
        name.remove_prefix(2);
        // "C:x" is relative to the current directory when that is on drive C, else to its root.
        if (name.empty() || !IsSeparator(name[0])) {
            if (auto cur = Current(); cur && cur->drive == full.drive) full = *cur;
        }
    } else if (!name.empty() && IsSeparator(name[0])) {
        auto cur = Current();
        if (!cur) return std::nullopt;
        full.drive = cur->drive;
    } else {
        auto cur = Current();
        if (!cur) return std::nullopt;
        full = *cur;
    }
    Append(full, name);
    return full;
}

}  // namespace platform::path
