#include "system/environment.h"

#include <utility>
#include <vector>

#include "platform/winreg.h"
#include "prefix.h"
#include "registry/hive_store.h"
#include "text.h"

namespace platform::environment {

namespace {

using Variables = std::vector<std::pair<std::wstring, std::wstring>>;

void Set(Variables& vars, std::wstring name, std::wstring value) {
    for (auto& [n, v] : vars) {
        if (text::EqualNoCase(n, name)) {
            v = std::move(value);
            return;
        }
    }
    vars.emplace_back(std::move(name), std::move(value));
}

const std::wstring* Find(const Variables& vars, std::wstring_view name) {
    for (const auto& [n, v] : vars)
        if (text::EqualNoCase(n, name)) return &v;
    return nullptr;
}

std::wstring ExpandWith(const Variables& vars, std::wstring_view in) {
    std::wstring out;
    size_t i = 0;
    while (i < in.size()) {
        const size_t open = in.find(L'%', i);
        if (open == std::wstring_view::npos) break;
        const size_t close = in.find(L'%', open + 1);
        if (close == std::wstring_view::npos) break;
        out.append(in, i, open - i);
        if (const std::wstring* value = Find(vars, in.substr(open + 1, close - open - 1))) {
            out += *value;
            i = close + 1;
        } else {
            out.append(in, open, close - open);  // the closing % may open the next name
            i = close;
        }
    }
    out.append(in.substr(i));
    return out;
}

std::wstring DataString(const registry::Value& v) {
    std::wstring s(v.data.size() / 2, L'\0');
    for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<wchar_t>(v.data[2 * i] | (v.data[2 * i + 1] << 8));
    if (const size_t nul = s.find(L'\0'); nul != std::wstring::npos) s.resize(nul);
    return s;
}

void AddRegistryValues(Variables& vars, registry::HiveId hive, std::initializer_list<const wchar_t*> path) {
    std::lock_guard<std::mutex> guard(registry::RegistryMutex());
    registry::ReadHive(hive, [&](const registry::Hive& h) -> LONG {
        const registry::Key* key = &h.root;
        for (const wchar_t* part : path)
            if (!(key = key->FindSubkey(part))) return ERROR_SUCCESS;
        for (const registry::Value& v : key->values) {
            if (v.name.empty() || (v.type != REG_SZ && v.type != REG_EXPAND_SZ)) continue;
            const std::wstring data = DataString(v);
            Set(vars, v.name, v.type == REG_EXPAND_SZ ? ExpandWith(vars, data) : data);
        }
        return ERROR_SUCCESS;
    });
}

Variables Build() {
    Variables vars;
    const std::wstring profile = prefix::ProfileFolder();
    Set(vars, L"SystemDrive", L"C:");
    Set(vars, L"SystemRoot", L"C:\\windows");
    Set(vars, L"windir", L"C:\\windows");
    Set(vars, L"ALLUSERSPROFILE", L"C:\\ProgramData");
    Set(vars, L"ProgramData", L"C:\\ProgramData");
    Set(vars, L"PUBLIC", L"C:\\users\\Public");
    Set(vars, L"USERNAME", text::Utf8ToWide(prefix::UserName()));
    Set(vars, L"USERPROFILE", profile);
    Set(vars, L"APPDATA", profile + L"\\AppData\\Roaming");
    Set(vars, L"LOCALAPPDATA", profile + L"\\AppData\\Local");
    AddRegistryValues(vars, registry::HiveId::Machine,
                      {L"System", L"CurrentControlSet", L"Control", L"Session Manager", L"Environment"});
    AddRegistryValues(vars, registry::HiveId::User, {L"Environment"});
    return vars;
}

}  // namespace

std::optional<std::wstring> Variable(std::wstring_view name) { return FirstVariable({name}); }

std::optional<std::wstring> FirstVariable(std::initializer_list<std::wstring_view> names) {
    const Variables vars = Build();
    for (std::wstring_view name : names)
        if (const std::wstring* value = Find(vars, name); value && !value->empty()) return *value;
    return std::nullopt;
}

std::wstring Expand(std::wstring_view text) { return ExpandWith(Build(), text); }

}  // namespace platform::environment
