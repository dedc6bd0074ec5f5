#include "support/wine_tools.h"

#include <cstdlib>
#include <stdexcept>

namespace fs = std::filesystem;

namespace testsupport {

namespace {

std::string Utf16LeToUtf8(const std::string& bytes) {
    std::string out;
    size_t i = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                       static_cast<unsigned char>(bytes[1]) == 0xFE
                   ? 2
                   : 0;
    for (; i + 1 < bytes.size(); i += 2) {
        uint32_t c = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
            const uint32_t low = static_cast<unsigned char>(bytes[i + 2]) | (static_cast<unsigned char>(bytes[i + 3]) << 8);
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        if (c == '\r') continue;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace

EnvChanges WineEnvironment(const fs::path& root) {
    return {{"WINEPREFIX", root.string()}, {"WINEDEBUG", "-all"}, {"DISPLAY", std::nullopt},
            {"WAYLAND_DISPLAY", std::nullopt}};
}

fs::path WineTemplate() {
    const char* dir = std::getenv("EUDC_WINE_TEMPLATE");
    if (!dir || !*dir) dir = EUDC_WINE_TEMPLATE_DIR;
    if (!fs::exists(fs::path(dir) / ".eudc-template-ready"))
        throw std::runtime_error(std::string("no Wine prefix at ") + dir +
                                 ": ctest makes it with scripts/make-wine-prefix.sh (is Wine installed?)");
    return dir;
}

void CopyWinePrefix(const fs::path& root) {
    const fs::path from = WineTemplate();
    fs::create_directories(root);
    // The large program files of the Windows folder are shared with the template through hard
    // links (nothing here writes into them); everything else is a real copy.
    for (auto it = fs::recursive_directory_iterator(from); it != fs::recursive_directory_iterator(); ++it) {
        const fs::path rel = it->path().lexically_relative(from);
        const fs::path to = root / rel;
        const auto status = it->symlink_status();
        if (fs::is_symlink(status)) {
            fs::create_directories(to.parent_path());
            fs::copy_symlink(it->path(), to);
        } else if (fs::is_directory(status)) {
            fs::create_directories(to);
        } else {
            const std::string name = rel.string();
            const bool shared = name.starts_with("drive_c/windows/") && !name.starts_with("drive_c/windows/Fonts/") &&
                                it->file_size() > 65536;
            if (shared) fs::create_hard_link(it->path(), to);
            else fs::copy_file(it->path(), to);
        }
    }
    fs::remove(root / ".eudc-template-ready");
}

ProgramRun RunWine(const TempPrefix& prefix, const std::vector<std::string>& args) {
    std::vector<std::string> argv{"wine"};
    argv.insert(argv.end(), args.begin(), args.end());
    ProgramRun run = RunProgram(argv, WineEnvironment(prefix.root()));
    const ProgramRun wait = RunProgram({"wineserver", "-w"}, WineEnvironment(prefix.root()));
    if (run.exitCode == 127 || wait.exitCode == 127) throw std::runtime_error("wine is not installed");
    return run;
}

std::string WineRegExport(const TempPrefix& prefix, const std::string& key) {
    const fs::path file = prefix.scratch() / "wine-export.reg";
    fs::remove(file);
    const ProgramRun run = RunWine(prefix, {"reg", "export", key, "Z:" + file.string(), "/y"});
    if (run.exitCode != 0) return "";
    return Utf16LeToUtf8(ReadFileBytes(file));
}

}  // namespace testsupport
