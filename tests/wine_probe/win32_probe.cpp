// Asks Win32 the questions on which the layer must answer as Wine 8.0 does, and prints one line
// per answer. Built twice from this one source: with mingw-w64 to run under Wine, and over the
// platform layer; the two outputs must be equal line for line.
//
//   win32_probe <scenario>      scenarios: version regsz tempname delete move paths temppath objects
//                               security
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

// Named objects: what Create and Open answer for each kind, name and namespace. The last error
// is printed after every call, 77 where the call left it alone.
void Created(const char* key, HANDLE h) {
    Line(key, std::string(h ? "handle" : "null") + " error " + std::to_string(GetLastError()));
    SetLastError(77);
}

void KernelObjects() {
    SetLastError(77);
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "Global\\ProbeMutex");
    Created("mutex.new", mutex);
    Created("mutex.again", CreateMutexA(nullptr, TRUE, "Global\\ProbeMutex"));
    Created("mutex.open", OpenMutexA(SYNCHRONIZE, FALSE, "Global\\ProbeMutex"));
    Created("mutex.open.case", OpenMutexA(SYNCHRONIZE, FALSE, "Global\\probemutex"));
    Created("mutex.open.session", OpenMutexA(SYNCHRONIZE, FALSE, "ProbeMutex"));
    Created("mutex.open.missing", OpenMutexA(SYNCHRONIZE, FALSE, "Global\\Missing"));
    Created("event.over.mutex", CreateEventA(nullptr, TRUE, FALSE, "Global\\ProbeMutex"));
    Created("openevent.over.mutex", OpenEventA(EVENT_MODIFY_STATE, FALSE, "Global\\ProbeMutex"));
    Created("mapping.over.mutex",
            CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, "Global\\ProbeMutex"));
    Created("openmapping.over.mutex", OpenFileMappingA(FILE_MAP_READ, FALSE, "Global\\ProbeMutex"));
    Created("local.prefixed", CreateMutexA(nullptr, FALSE, "Local\\ProbeLocal"));
    Created("local.plain", CreateMutexA(nullptr, FALSE, "ProbeLocal"));
    Created("local.then.global", CreateMutexA(nullptr, FALSE, "Local\\Global\\ProbeMutex"));
    Created("name.namespace.only", CreateMutexA(nullptr, FALSE, "Global\\"));
    Created("name.backslash.after.namespace", CreateMutexA(nullptr, FALSE, "Global\\\\x"));
    Created("name.backslash.inside", CreateMutexA(nullptr, FALSE, "Global\\a\\b"));
    Created("name.backslash.first", CreateMutexA(nullptr, FALSE, "\\x"));
    Created("name.lower.namespace", CreateMutexA(nullptr, FALSE, "global\\x"));
    Created("name.slash", CreateMutexA(nullptr, FALSE, "a/b"));
    Created("name.dots", CreateMutexA(nullptr, FALSE, ".."));
    Created("name.create.261", CreateMutexA(nullptr, FALSE, std::string(261, 'y').c_str()));
    Created("name.open.260", OpenMutexA(SYNCHRONIZE, FALSE, std::string(260, 'y').c_str()));
    Created("unnamed", CreateMutexA(nullptr, FALSE, ""));
    Created("open.empty", OpenMutexA(SYNCHRONIZE, FALSE, ""));
    Created("open.null", OpenMutexA(SYNCHRONIZE, FALSE, nullptr));

    Created("mapping.empty", CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 0, "ProbeMap"));
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 1000, "ProbeMap");
    Created("mapping.new", mapping);
    Created("mapping.again.larger", CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 9000, "ProbeMap"));
    HANDLE reader = OpenFileMappingA(FILE_MAP_READ, FALSE, "ProbeMap");
    Created("mapping.open.read", reader);
    Created("view.write.through.reader", static_cast<HANDLE>(MapViewOfFile(reader, FILE_MAP_WRITE, 0, 0, 0)));
    Created("view.unaligned", static_cast<HANDLE>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 100, 0)));
    Created("view.past.end", static_cast<HANDLE>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 65536, 0)));
    Created("view.past.page", static_cast<HANDLE>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 4097)));
    char* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    Created("view.whole", view);
    if (view) {
        std::strcpy(view, "shared");
        const char* seen = static_cast<const char*>(MapViewOfFile(reader, FILE_MAP_READ, 0, 0, 0));
        Line("view.seen", seen ? seen : "-");
        Outcome("unmap.inside", UnmapViewOfFile(view + 10) != 0);
        Outcome("unmap.again", UnmapViewOfFile(view) != 0);
    }

    auto waited = [](const char* key, HANDLE h) {
        SetLastError(77);
        const DWORD r = WaitForSingleObject(h, 0);
        Line(key, std::to_string(r) + " error " + std::to_string(GetLastError()));
    };
    waited("wait.mutex", mutex);
    Outcome("release", ReleaseMutex(mutex) != 0);
    Outcome("release.unowned", ReleaseMutex(mutex) != 0);
    waited("wait.mapping", mapping);
    waited("wait.bad", reinterpret_cast<HANDLE>(0x1234));
    HANDLE event = CreateEventA(nullptr, FALSE, TRUE, "ProbeEvent");
    waited("wait.event.set", event);
    waited("wait.event.consumed", event);
    HANDLE setter = OpenEventA(EVENT_MODIFY_STATE, FALSE, "ProbeEvent");
    waited("wait.without.synchronize", setter);
    Outcome("set", SetEvent(setter) != 0);
    Outcome("set.mutex", SetEvent(mutex) != 0);
    Outcome("release.event", ReleaseMutex(event) != 0);
}

// The token's user and the security structures built from it.
void Security() {
    HANDLE token = nullptr;
    Outcome("thread.token", OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token) != 0);
    Outcome("process.token", OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token) != 0);
    DWORD needed = 0;
    Outcome("user.size", GetTokenInformation(token, TokenUser, nullptr, 0, &needed) != 0);
    Line("user.needed", needed);
    BYTE info[256] = {};
    Outcome("user", GetTokenInformation(token, TokenUser, info, sizeof info, &needed) != 0);
    const auto* user = reinterpret_cast<const TOKEN_USER*>(info);
    const auto* sid = static_cast<const SID*>(user->User.Sid);
    std::string text = "S";
    for (const unsigned long part : {static_cast<unsigned long>(sid->Revision),
                                     static_cast<unsigned long>(sid->IdentifierAuthority.Value[5])})
        text += '-' + std::to_string(part);
    for (BYTE i = 0; i < sid->SubAuthorityCount; ++i) text += '-' + std::to_string(sid->SubAuthority[i]);
    Line("user.sid", text);
    Line("user.sid.offset", static_cast<unsigned long>(reinterpret_cast<const BYTE*>(sid) - info));
    Line("user.attributes", user->User.Attributes);
    Line("user.length", GetLengthSid(user->User.Sid));
    CloseHandle(token);

    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    Outcome("everyone", AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone) != 0);
    Line("everyone.length", GetLengthSid(everyone));
    PSID nine = nullptr;
    Outcome("nine", AllocateAndInitializeSid(&world, 9, 0, 0, 0, 0, 0, 0, 0, 0, &nine) != 0);
    alignas(4) BYTE buffer[64] = {};
    auto* acl = reinterpret_cast<PACL>(buffer);
    Outcome("acl.small", InitializeAcl(acl, 4, ACL_REVISION) != 0);
    Outcome("acl.revision", InitializeAcl(acl, 64, 7) != 0);
    Outcome("acl", InitializeAcl(acl, sizeof(ACL) + 20, ACL_REVISION) != 0);
    Outcome("ace.first", AddAccessAllowedAce(acl, ACL_REVISION, FILE_MAP_READ | FILE_MAP_WRITE, everyone) != 0);
    Outcome("ace.full", AddAccessAllowedAce(acl, ACL_REVISION, SYNCHRONIZE, everyone) != 0);
    Outcome("ace.revision", AddAccessAllowedAce(acl, 9, SYNCHRONIZE, everyone) != 0);
    Line("acl.entries", std::to_string(acl->AceCount) + " size " + std::to_string(acl->AclSize) + " entry " +
                            Hex(buffer + sizeof(ACL), 20));
    SECURITY_DESCRIPTOR sd;
    Outcome("sd.revision", InitializeSecurityDescriptor(&sd, 2) != 0);
    Outcome("sd", InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) != 0);
    Outcome("sd.dacl", SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE) != 0);
    Line("sd.control", sd.Control);
    SECURITY_ATTRIBUTES sa = {sizeof sa, &sd, FALSE};
    SetLastError(77);
    Created("mutex.with.descriptor", CreateMutexA(&sa, FALSE, "ProbeSecured"));
    sd.Revision = 5;
    Created("mutex.bad.descriptor", CreateMutexA(&sa, FALSE, "ProbeBroken"));
    FreeSid(everyone);
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
        std::fprintf(stderr, "usage: win32_probe version|regsz|tempname|delete|move|paths|temppath|objects|security\n");
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
    else if (scenario == "objects") KernelObjects();
    else if (scenario == "security") Security();
    else return 2;
    return 0;
}
