#include "support/wine_tools.h"

#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "platform/winnls.h"

namespace fs = std::filesystem;

namespace testsupport {

namespace {

std::string Utf16LeToUtf8(const std::string& bytes) {
    const size_t start = bytes.size() >= 2 && bytes.compare(0, 2, "\xFF\xFE") == 0 ? 2 : 0;
    std::vector<WCHAR> units;
    for (size_t i = start; i + 1 < bytes.size(); i += 2) {
        const auto unit = static_cast<WCHAR>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
        if (unit != L'\r') units.push_back(unit);
    }
    const int size = static_cast<int>(units.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, units.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, units.data(), size, out.data(), n, nullptr, nullptr);
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
