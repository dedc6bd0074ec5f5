#include "gdi/font_catalogue.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "gdi/change_watch.h"
#include "gdi/file_stamp.h"
#include "prefix.h"

namespace fs = std::filesystem;

namespace platform::gdi {

namespace {

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
    uint64_t generation = 0;  // when the catalogue was last checked against the files
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

std::shared_ptr<const std::vector<FontFace>> FontCatalogue() { return FontCatalogue(ChangeGeneration()); }

std::shared_ptr<const std::vector<FontFace>> FontCatalogue(uint64_t generation) {
    State& state = TheState();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.catalogue && state.generation == generation) return state.catalogue;

    const fs::path folder = PrefixFontsFolder();
    WatchFolder(folder);
    std::vector<std::pair<fs::path, FileStamp>> listing;
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        if (!IsFontFileName(it->path().filename())) continue;
        FileStamp stamp = TakeStamp(it->path());
        if (stamp.regular) listing.emplace_back(it->path(), stamp);
    }
    std::sort(listing.begin(), listing.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    const bool host = HostFontsWanted();
    std::string key = folder.string();
    key += host ? "\n+host:" : "\n-host";
    if (host) {
        const char* cfg = std::getenv("FONTCONFIG_FILE");
        key += cfg ? cfg : "";
    }
    bool changed = !state.catalogue || key != state.key || listing.size() != state.prefixFiles.size();
    std::map<std::string, CachedFile> files;
    for (const auto& [path, stamp] : listing) {
        auto old = state.prefixFiles.find(path.string());
        CachedFile entry;
        if (old != state.prefixFiles.end() && StillCurrent(old->second.stamp, stamp)) {
            entry = std::move(old->second);
        } else {
            changed = true;
            entry = CachedFile{stamp, ReadFontFaces(path)};
        }
        entry.stamp = stamp;
        files.emplace(path.string(), std::move(entry));
    }
    state.prefixFiles = std::move(files);  // files no longer in the folder are forgotten
    state.generation = generation;
    if (!changed) return state.catalogue;

    auto faces = std::make_shared<std::vector<FontFace>>();
    for (const auto& [path, stamp] : listing) {
        const CachedFile& file = state.prefixFiles.at(path.string());
        faces->insert(faces->end(), file.faces.begin(), file.faces.end());
    }
    if (host) {
        const auto& hostFaces = HostFaces(state);
        faces->insert(faces->end(), hostFaces.begin(), hostFaces.end());
    }
    state.key = std::move(key);
    state.catalogue = std::move(faces);
    return state.catalogue;
}

}  // namespace platform::gdi
