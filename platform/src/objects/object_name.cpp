#include "objects/object_name.h"

#include <string_view>

#include "platform/fileapi.h"
#include "prefix.h"
#include "text.h"

namespace platform::objects {

namespace {

// Wine converts a Create name into a 261-unit buffer and an Open name into MAX_PATH units, both
// with the terminator.
constexpr size_t kCreateLimit = 260;
constexpr size_t kOpenLimit = MAX_PATH - 1;
constexpr size_t kHostNameMax = 255;

std::string FileNameOf(std::wstring_view name) {
    const std::string utf8 = text::WideToUtf8(name);
    if (utf8 == ".") return "%2E";
    if (utf8 == "..") return "%2E%2E";
    std::string out;
    for (char c : utf8) {
        if (c == '%')
            out += "%25";
        else if (c == '/')
            out += "%2F";
        else
            out += c;
    }
    return out;
}

std::optional<ObjectName> Refuse(DWORD error) {
    SetLastError(error);
    return std::nullopt;
}

}  // namespace

std::optional<ObjectName> ParseObjectName(LPCSTR name, NameUse use) {
    const std::wstring wide = text::AnsiToWide(name ? name : "");
    if (wide.size() > (use == NameUse::Create ? kCreateLimit : kOpenLimit)) return Refuse(ERROR_FILENAME_EXCED_RANGE);
    std::wstring_view rest = wide;
    if (rest.starts_with(L'\\')) return Refuse(ERROR_BAD_PATHNAME);
    ObjectName out;
    for (;;) {
        if (rest.starts_with(L"Global\\")) {
            out.global = true;
            rest.remove_prefix(7);
        } else if (rest.starts_with(L"Local\\")) {
            rest.remove_prefix(6);
        } else {
            break;
        }
    }
    if (rest.empty() || rest.starts_with(L'\\')) return Refuse(ERROR_INVALID_NAME);
    if (rest.find(L'\\') != std::wstring_view::npos) return Refuse(ERROR_PATH_NOT_FOUND);
    out.fileName = FileNameOf(rest);
    if (out.fileName.size() > kHostNameMax) return Refuse(ERROR_FILENAME_EXCED_RANGE);
    return out;
}

std::filesystem::path ObjectsFolder() { return prefix::StateDir() / "objects"; }

std::filesystem::path NamespaceFolder(bool global) { return ObjectsFolder() / (global ? "global" : "local"); }

}  // namespace platform::objects
