// Resolution of a slot's TTE file name into a full path.
#include <cctype>
#include <cstring>
#include <string>

#include "common/process_version.h"
#include "common/registry_helpers.h"
#include "common/system_folders.h"
#include "eudccore/eudc_registry.h"
#include "platform/shell.h"
#include "platform/sysinfo.h"
#include "platform/winnls.h"

namespace {

// Directory tokens, code page 950.
const char kTokenWindows[] = "Windows\xA5\xD8\xBF\xFD";                         // "Windows目錄"
const char kTokenSystem[] = "Windows_System\xA5\xD8\xBF\xFD";                   // "Windows_System目錄"
const char kTokenFonts[] = "Windows_Fonts\xA5\xD8\xBF\xFD";                     // "Windows_Fonts目錄"
const char kTokenShared[] = "\xA6@\xA5\xCE\xA4\xE5\xA5\xF3\xA5\xD8\xBF\xFD";  // "共用文件目錄"


// folder + "\" unless it already ends in one + name.
std::string Join(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '\\') return folder + name;
    return folder + "\\" + name;
}

bool SpecialFolderIsCommonAppData() {
    DWORD value = 0;
    return eudc::RegReadDword(HKEY_LOCAL_MACHINE, "Software\\Velmora\\TQFontClient", "SpecialFolder", &value) &&
           value == 1;
}

// Index of the last '\' that is not the trail byte of a double-byte character; npos when none.
size_t LastSeparator(const std::string& path) {
    size_t last = std::string::npos;
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (path[i] == '\\') last = i;
    }
    return last;
}

// A drive letter or a leading separator: the name does not depend on a current directory.
bool IsAbsolute(const std::string& path) {
    if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') return true;
    return !path.empty() && (path[0] == '\\' || path[0] == '/');
}

// The resolution itself; the result may be longer than a path buffer holds.
bool Resolve(std::string& path, _TerminalServiceMode_ mode) {
    while (!path.empty() && std::isspace(static_cast<unsigned char>(path.back()))) path.pop_back();
    const size_t sep = LastSeparator(path);
    const std::string dir = sep == std::string::npos ? std::string() : path.substr(0, sep);
    const std::string file = sep == std::string::npos ? path : path.substr(sep + 1);

    if (mode == TSM_UserAppData) {
        path = Join(eudc::ShellFolder(CSIDL_APPDATA), file);
        return true;
    }
    if (mode == TSM_CommonAppData || mode == TSM_CommonAppData2) {
        path = Join(eudc::ShellFolder(CSIDL_COMMON_APPDATA), file);
        return true;
    }
    const int version = eudc::WindowsVersionCode();
    if (version == 16 || version == 21 || dir == kTokenShared) {
        const int folder = SpecialFolderIsCommonAppData() ? CSIDL_COMMON_APPDATA : CSIDL_COMMON_DOCUMENTS;
        path = Join(eudc::ShellFolder(folder), file);
        return true;
    }
    const std::string windows = eudc::WindowsDirectory(version);
    const std::string system = eudc::SystemDirectory();
    if (!dir.empty()) {
        if (dir == kTokenWindows)
            path = windows + "\\" + file;
        else if (dir == kTokenSystem)
            path = system + "\\" + file;
        else if (dir == kTokenFonts)
            path = windows + "\\FONTS\\" + file;
        else if (!IsAbsolute(path))
            // A relative name is taken in the Fonts folder, where the system looks for a relative
            // EUDC link; left as it is, it would land wherever the program happens to run.
            path = windows + "\\FONTS\\" + path;
        else
            return true;  // an ordinary path stays as it is
        return !file.empty();
    }
    if (version >= 11 && version <= 15)
        path = windows + "\\FONTS\\" + file;
    else
        path = windows + "\\" + file;
    return true;
}

}  // namespace

bool EudcRegistry::CaculateTTE(char* path, _TerminalServiceMode_ mode) {
    if (!path) return false;
    std::string resolved(path, strnlen(path, kPathSize - 1));
    const bool ok = Resolve(resolved, mode);
    if (resolved.size() > kPathSize - 1) {
        // Would not fit the 260-byte buffer: refused, the slot then counts as having no TTE file.
        path[0] = '\0';
        return false;
    }
    std::memcpy(path, resolved.c_str(), resolved.size() + 1);
    return ok;
}

bool EudcRegistry::Trans_2_RealTteFileName(const _TQFontData_Struc1* record, char* out, _TerminalServiceMode_ mode) {
    if (!record || !out) return false;
    const size_t n = strnlen(record->TteFileName, sizeof record->TteFileName);
    if (n == 0) {
        out[0] = '\0';
        return false;
    }
    std::memcpy(out, record->TteFileName, n);
    out[n] = '\0';
    return CaculateTTE(out, mode);
}
