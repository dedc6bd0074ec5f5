#include "support/temp_prefix.h"

#include <algorithm>
#include <cstdio>
#include <vector>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unistd.h>

#include "platform/winreg.h"
#include "support/wine_tools.h"

namespace fs = std::filesystem;

namespace testsupport {

TempPrefix::TempPrefix() {
    std::string tmpl = (fs::temp_directory_path() / "eudc-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    scratch_ = tmpl;
    root_ = scratch_ / "prefix";
    if (const char* old = std::getenv("WINEPREFIX")) {
        hadOldPrefix_ = true;
        oldPrefix_ = old;
    }
    setenv("WINEPREFIX", root_.c_str(), 1);
    setenv("EUDC_HOST_FONTS", "0", 1);
}

TempPrefix::~TempPrefix() {
    if (hadOldPrefix_)
        setenv("WINEPREFIX", oldPrefix_.c_str(), 1);
    else
        unsetenv("WINEPREFIX");
    std::error_code ec;
    fs::remove_all(scratch_, ec);
}

void TempPrefix::InstallFixtureRegistry() const {
    fs::create_directories(root_);
    for (const char* name : {"system.reg", "user.reg", "userdef.reg"})
        WriteFileBytes(root_ / name, ReadTestData(std::string("wine-prefix/") + name + ".gz"));
}

void TempPrefix::InstallWinePrefix() const { CopyWinePrefix(root_); }

void TempPrefix::SetWindowsVersion(const std::string& name) const {
    SetRegistryString(HKEY_CURRENT_USER, "Software\\Wine", "Version", name);
}

void SetRegistryString(HKEY root, const std::string& key, const std::string& name, const std::string& data) {
    HKEY handle = nullptr;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create " + key);
    const LONG rc = RegSetValueExA(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                                   static_cast<DWORD>(data.size() + 1));
    RegCloseKey(handle);
    if (rc != ERROR_SUCCESS) throw std::runtime_error("cannot set " + key + "\\" + name);
}

std::string SnapshotTree(const fs::path& root) {
    std::string out;
    std::error_code ec;
    if (!fs::exists(root, ec)) return "<absent>";
    std::vector<fs::path> entries;
    for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::none, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        entries.push_back(it->path());
    std::sort(entries.begin(), entries.end());
    for (const auto& p : entries) {
        out += p.lexically_relative(root).string();
        if (fs::is_symlink(p, ec)) {
            out += " -> " + fs::read_symlink(p, ec).string();
        } else if (fs::is_regular_file(p, ec)) {
            out += " = " + ReadFileBytes(p);
        }
        out += '\n';
    }
    return out;
}

std::string WithoutRegistryKey(const std::string& text, const std::string& header) {
    const size_t start = text.find("\n" + header);
    if (start == std::string::npos) return text;
    const size_t end = text.find("\n\n", start + 1);
    return text.substr(0, start + 1) + (end == std::string::npos ? "" : text.substr(end + 2));
}

std::string WindowsPath(const fs::path& hostPath) {
    std::string s = "Z:" + fs::absolute(hostPath).string();
    for (char& c : s)
        if (c == '/') c = '\\';
    return s;
}

std::string ReadFileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadTestData(const std::string& relativePath) {
    const fs::path path = fs::path(EUDC_TEST_DATA_DIR) / relativePath;
    if (path.extension() != ".gz") return ReadFileBytes(path);
    const std::string cmd = "gzip -dc '" + path.string() + "'";
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot run gzip");
    std::string out;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
    if (pclose(pipe) != 0) throw std::runtime_error("cannot inflate " + path.string());
    return out;
}

}  // namespace testsupport
