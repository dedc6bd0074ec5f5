#include "gdi/font_catalogue.h"

#include <fontconfig/fontconfig.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "prefix.h"

namespace fs = std::filesystem;

namespace platform::gdi {

namespace {

// What tells one version of a file from another without reading it.
struct FileStamp {
    uintmax_t size = 0;
    int64_t mtimeSec = 0;
    int64_t mtimeNsec = 0;
    uintmax_t inode = 0;
    uintmax_t device = 0;
    bool operator==(const FileStamp&) const = default;
};

std::optional<FileStamp> Stamp(const fs::path& file) {
    struct stat st;
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return FileStamp{static_cast<uintmax_t>(st.st_size), static_cast<int64_t>(st.st_mtim.tv_sec),
                     static_cast<int64_t>(st.st_mtim.tv_nsec), static_cast<uintmax_t>(st.st_ino),
                     static_cast<uintmax_t>(st.st_dev)};
}

struct CachedFile {
    FileStamp stamp;
    std::vector<FontFace> faces;
};

struct HostFonts {
    std::string key;  // the fontconfig configuration file they were listed with
    std::vector<FontFace> faces;
};

struct State {
    std::mutex lock;
    std::map<std::string, CachedFile> prefixFiles;
    std::optional<HostFonts> host;
    std::string key;
    std::shared_ptr<const std::vector<FontFace>> catalogue;
};

State& TheState() {
    static State* state = new State;
    return *state;
}

bool HostFontsWanted() {
    const char* v = std::getenv("EUDC_HOST_FONTS");
    return !(v && std::string(v) == "0");
}

std::vector<fs::path> HostFontFiles() {
    std::vector<fs::path> files;
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config) return files;
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, static_cast<char*>(nullptr));
    FcFontSet* set = pattern && objects ? FcFontList(config, pattern, objects) : nullptr;
    if (set) {
        for (int i = 0; i < set->nfont; ++i) {
            FcChar8* file = nullptr;
            if (FcPatternGetString(set->fonts[i], FC_FILE, 0, &file) == FcResultMatch && file)
                files.emplace_back(reinterpret_cast<const char*>(file));
        }
        FcFontSetDestroy(set);
    }
    if (objects) FcObjectSetDestroy(objects);
    if (pattern) FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    // fontconfig lists a collection once per face; each file is read once, all its faces at a time.
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    return files;
}

const std::vector<FontFace>& HostFaces(State& state) {
    const char* cfg = std::getenv("FONTCONFIG_FILE");
    const std::string key = cfg ? cfg : "";
    if (!state.host || state.host->key != key) {
        HostFonts host{key, {}};
        for (const fs::path& file : HostFontFiles()) {
            auto faces = ReadFontFaces(file);
            for (auto& f : faces) host.faces.push_back(std::move(f));
        }
        state.host = std::move(host);
    }
    return state.host->faces;
}

}  // namespace

fs::path PrefixFontsFolder() {
    auto p = prefix::ToHost(L"C:\\windows\\Fonts");
    return p ? *p : prefix::Root() / "drive_c" / "windows" / "Fonts";
}

bool IsFontFileName(const fs::path& name) {
    std::string ext = name.extension().string();
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext == ".ttf" || ext == ".ttc" || ext == ".otf" || ext == ".tte";
}

std::shared_ptr<const std::vector<FontFace>> FontCatalogue() {
    const fs::path folder = PrefixFontsFolder();
    std::vector<std::pair<fs::path, FileStamp>> listing;
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        if (!IsFontFileName(it->path().filename())) continue;
        if (auto stamp = Stamp(it->path())) listing.emplace_back(it->path(), *stamp);
    }
    std::sort(listing.begin(), listing.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    const bool host = HostFontsWanted();
    std::string key = folder.string();
    key += host ? "\n+host:" : "\n-host";
    if (host) {
        const char* cfg = std::getenv("FONTCONFIG_FILE");
        key += cfg ? cfg : "";
    }
    for (const auto& [path, st] : listing) {
        key += '\n' + path.filename().string() + '|' + std::to_string(st.size) + '|' + std::to_string(st.mtimeSec) +
               '.' + std::to_string(st.mtimeNsec) + '|' + std::to_string(st.inode) + '|' + std::to_string(st.device);
    }

    State& state = TheState();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.catalogue && state.key == key) return state.catalogue;

    std::map<std::string, CachedFile> files;
    auto faces = std::make_shared<std::vector<FontFace>>();
    for (const auto& [path, st] : listing) {
        auto old = state.prefixFiles.find(path.string());
        CachedFile entry;
        if (old != state.prefixFiles.end() && old->second.stamp == st)
            entry = std::move(old->second);
        else
            entry = CachedFile{st, ReadFontFaces(path)};
        faces->insert(faces->end(), entry.faces.begin(), entry.faces.end());
        files.emplace(path.string(), std::move(entry));
    }
    state.prefixFiles = std::move(files);  // files no longer in the folder are forgotten
    if (host) {
        const auto& hostFaces = HostFaces(state);
        faces->insert(faces->end(), hostFaces.begin(), hostFaces.end());
    }
    state.key = std::move(key);
    state.catalogue = std::move(faces);
    return state.catalogue;
}

}  // namespace platform::gdi
