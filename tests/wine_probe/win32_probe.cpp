// Asks Win32 the questions on which the layer must answer as Wine 8.0 does, and prints one line
// per answer. Built twice from this one source: with mingw-w64 to run under Wine, and over the
// platform layer; the two outputs must be equal line for line.
//
//   win32_probe <scenario>      scenarios: version regsz tempname delete move paths temppath
//   win32_probe setversion <name>   sets Wine's version setting for the next run ("" removes it)
//
// Every scenario works under C:\probe, which the caller provides empty.
#ifdef _WIN32
#include <windows.h>
#else
#include "platform/windows.h"
#endif

#include <cstdio>
#include <cstring>
#include <string>

namespace {

void Line(const char* key, const std::string& value) { std::printf("%s %s\n", key, value.c_str()); }
void Line(const char* key, unsigned long value) { std::printf("%s %lu\n", key, value); }
// The result of a call and, when it failed, the last error.
void Outcome(const char* key, bool ok) {
    if (ok)
        Line(key, "ok");
    else
        Line(key, "error " + std::to_string(GetLastError()));
}

std::string Hex(const BYTE* data, DWORD size) {
    std::string out;
    char b[4];
    for (DWORD i = 0; i < size; ++i) {
        std::snprintf(b, sizeof b, "%02x", data[i]);
        out += b;
    }
    return out.empty() ? "-" : out;
}

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

HANDLE Open(const char* path, DWORD access, DWORD share, DWORD disposition) {
    return CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteText(const char* path, const char* text) {
    HANDLE h = Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(h, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
    CloseHandle(h);
    return ok != 0;
}

std::string ReadText(const char* path) {
    HANDLE h = Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) return "<error " + std::to_string(GetLastError()) + ">";
    char buf[256] = {};
    DWORD got = 0;
    ReadFile(h, buf, sizeof buf - 1, &got, nullptr);
    CloseHandle(h);
    return std::string(buf, got);
}

void Version() {
    OSVERSIONINFOA plain = {};
    plain.dwOSVersionInfoSize = sizeof plain;
    Outcome("plain", GetVersionExA(&plain) != 0);
    Line("plain.version", std::to_string(plain.dwMajorVersion) + "." + std::to_string(plain.dwMinorVersion) + "." +
                              std::to_string(plain.dwBuildNumber) + " platform " +
                              std::to_string(plain.dwPlatformId));
    Line("plain.csd", std::string("[") + plain.szCSDVersion + "]");

    OSVERSIONINFOEXA ex = {};
    ex.dwOSVersionInfoSize = sizeof ex;
    Outcome("ex", GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&ex)) != 0);
    Line("ex.version", std::to_string(ex.dwMajorVersion) + "." + std::to_string(ex.dwMinorVersion) + "." +
                           std::to_string(ex.dwBuildNumber) + " platform " + std::to_string(ex.dwPlatformId));
    Line("ex.csd", std::string("[") + ex.szCSDVersion + "]");
    Line("ex.servicepack", std::to_string(ex.wServicePackMajor) + "." + std::to_string(ex.wServicePackMinor));
    Line("ex.suite", ex.wSuiteMask);
    Line("ex.product", ex.wProductType);

    OSVERSIONINFOA bad = {};
    bad.dwOSVersionInfoSize = sizeof bad - 1;
    Outcome("badsize", GetVersionExA(&bad) != 0);
}

void RegistryStrings() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\EudcProbe", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        Line("create", "failed");
        return;
    }
    // REG_SZ data whose size leaves the terminator out, and one that includes it.
    Line("set.short", RegSetValueExA(key, "short", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3));
    Line("set.full", RegSetValueExA(key, "full", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 4));
    Line("set.multi", RegSetValueExA(key, "multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>("a\0b"), 3));
    // Wide data without a terminator is kept as it is; the A query then adds one where it fits.
    const WCHAR wide[] = {'a', 'b', 'c', 'd'};
    Line("set.wide", RegSetValueExW(key, L"wide", 0, REG_SZ, reinterpret_cast<const BYTE*>(wide), 3 * sizeof(WCHAR)));
    for (const char* name : {"short", "full", "multi", "wide"}) {
        const std::string n(name);
        DWORD type = 0, size = 0;
        LONG rc = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
        Line(("size." + n).c_str(), std::to_string(rc) + " type " + std::to_string(type) + " size " +
                                        std::to_string(size));
        BYTE buf[16];
        std::memset(buf, 'x', sizeof buf);
        size = sizeof buf;
        rc = RegQueryValueExA(key, name, nullptr, &type, buf, &size);
        Line(("roomy." + n).c_str(), std::to_string(rc) + " size " + std::to_string(size) + " " + Hex(buf, 6));
        std::memset(buf, 'x', sizeof buf);
        size = 3;  // exactly the characters, no room for a terminator
        rc = RegQueryValueExA(key, name, nullptr, &type, buf, &size);
        Line(("tight." + n).c_str(), std::to_string(rc) + " size " + std::to_string(size) + " " + Hex(buf, 4));
    }
    DWORD type = 0x55, size = 0;
    const LONG rc = RegQueryValueExA(key, "missing", nullptr, &type, nullptr, &size);
    Line("missing", std::to_string(rc) + " type " + std::to_string(type));
    RegCloseKey(key);
}

void TempNames() {
    CreateDirectoryA("C:\\probe\\t", nullptr);
    char name[MAX_PATH] = {};
    UINT n = GetTempFileNameA("C:\\probe\\t", "pre", 0x12345, name);
    Line("given", std::to_string(n) + " " + name + " exists " + std::to_string(Exists(name)));
    n = GetTempFileNameA("C:\\probe\\t", "pre", 0xABCD, name);
    Line("given.letters", std::to_string(n) + " " + name);
    n = GetTempFileNameA("C:\\probe\\t\\", "longprefix", 0x12, name);
    Line("given.small", std::to_string(n) + " " + name);
    std::memset(name, 0, sizeof name);
    n = GetTempFileNameA("C:\\probe\\t", "pre", 0x10000, name);
    char expected[MAX_PATH];
    std::snprintf(expected, sizeof expected, "C:\\probe\\t\\pre%x.tmp", n);
    Line("low.zero", std::string(n != 0 ? "made" : "none") + " exists " + std::to_string(Exists(name)) +
                         " named " + (std::strcmp(name, expected) == 0 ? "by-number" : name));
    std::memset(name, 0, sizeof name);
    n = GetTempFileNameA("C:\\probe\\missing", "pre", 0, name);
    Line("no.folder", std::to_string(n) + " error " + std::to_string(GetLastError()));
}

void DeleteOpen() {
    const char* f = "C:\\probe\\open.txt";
    WriteText(f, "old");
    HANDLE h = Open(f, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING);
    Outcome("open", h != INVALID_HANDLE_VALUE);
    Outcome("delete", DeleteFileA(f) != 0);
    Line("name.kept", Exists(f) ? "yes" : "no");
    HANDLE again = Open(f, GENERIC_WRITE, 0, CREATE_NEW);
    Outcome("create.new", again != INVALID_HANDLE_VALUE);
    if (again != INVALID_HANDLE_VALUE) CloseHandle(again);
    again = Open(f, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    Outcome("open.existing", again != INVALID_HANDLE_VALUE);
    if (again != INVALID_HANDLE_VALUE) CloseHandle(again);
    Outcome("delete.again", DeleteFileA(f) != 0);
    CloseHandle(h);
    Line("name.after.close", Exists(f) ? "yes" : "no");
    // Without FILE_SHARE_DELETE the delete is refused.
    WriteText(f, "old");
    h = Open(f, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    Outcome("delete.unshared", DeleteFileA(f) != 0);
    CloseHandle(h);
    Line("unshared.kept", Exists(f) ? "yes" : "no");
}

void MoveOntoOpen() {
    const char* from = "C:\\probe\\from.txt";
    const char* to = "C:\\probe\\to.txt";
    WriteText(from, "new");
    WriteText(to, "old");
    HANDLE h = Open(to, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    Outcome("move.open.target", MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0);
    Line("target", ReadText(to));
    Line("source.kept", Exists(from) ? "yes" : "no");
    CloseHandle(h);
    Outcome("move.closed.target", MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != 0);
    Line("target.after", ReadText(to));
    // An open source moves.
    WriteText(from, "src");
    h = Open(from, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING);
    Outcome("move.open.source", MoveFileExA(from, "C:\\probe\\moved.txt", 0) != 0);
    CloseHandle(h);
    Line("moved", ReadText("C:\\probe\\moved.txt"));
}

void Paths() {
    Outcome("dotdot.write", WriteText("C:\\..\\..\\probe\\dotdot.txt", "dd"));
    Line("dotdot.read", ReadText("C:\\probe\\dotdot.txt"));
    Outcome("slash.write", WriteText("C:/probe/sub/../slash.txt", "sl"));
    Line("slash.read", ReadText("C:\\probe\\slash.txt"));
    Outcome("chdir", SetCurrentDirectoryA("C:\\probe") != 0);
    char cwd[MAX_PATH] = {};
    const DWORD len = GetCurrentDirectoryA(MAX_PATH, cwd);
    Line("cwd", std::to_string(len) + " " + cwd);
    Outcome("relative.write", WriteText("rel.txt", "rl"));
    Line("relative.read", ReadText("C:\\probe\\rel.txt"));
    Outcome("relative.up", WriteText("..\\..\\..\\up.txt", "up"));
    Line("relative.up.read", ReadText("C:\\up.txt"));
    DeleteFileA("C:\\up.txt");
    Outcome("rooted.write", WriteText("\\probe\\rooted.txt", "ro"));
    Line("rooted.read", ReadText("C:\\probe\\rooted.txt"));
    Outcome("chdir.missing", SetCurrentDirectoryA("C:\\probe\\nowhere") != 0);
    std::memset(cwd, 0, sizeof cwd);
    GetCurrentDirectoryA(MAX_PATH, cwd);
    Line("cwd.kept", cwd);
    Line("cwd.size", GetCurrentDirectoryA(0, nullptr));
}

void TempPath() {
    char path[MAX_PATH] = {};
    const DWORD n = GetTempPathA(MAX_PATH, path);
    Line("temp", std::to_string(n) + " " + path);
    Line("temp.size", GetTempPathA(0, nullptr));
    WCHAR wide[MAX_PATH] = {};
    Line("temp.wide.length", GetTempPathW(MAX_PATH, wide));
}

}  // namespace

// Wine reads its version setting when a program starts, so the next run sees it.
int SetVersion(const char* name) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return 1;
    const LONG rc = *name ? RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                                           static_cast<DWORD>(std::strlen(name) + 1))
                          : RegDeleteValueA(key, "Version");
    RegCloseKey(key);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND ? 0 : 1;
}

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "setversion") return SetVersion(argv[2]);
    if (argc != 2) {
        std::fprintf(stderr, "usage: win32_probe version|regsz|tempname|delete|move|paths|temppath\n");
        return 2;
    }
    const std::string scenario = argv[1];
    if (scenario == "version") Version();
    else if (scenario == "regsz") RegistryStrings();
    else if (scenario == "tempname") TempNames();
    else if (scenario == "delete") DeleteOpen();
    else if (scenario == "move") MoveOntoOpen();
    else if (scenario == "paths") Paths();
    else if (scenario == "temppath") TempPath();
    else return 2;
    return 0;
}
