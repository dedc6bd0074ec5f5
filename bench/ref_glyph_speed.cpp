// GetRefGlyph against FreeType on the same glyphs, in one run: for every code of a full TTE file
// (6400 glyphs from make_bench_backup) linked to the face the restore asks for, (a) GetRefGlyph
// and (b) FT_Load_Glyph(FT_LOAD_NO_SCALE) + FT_Outline_Decompose with the face opened once.
// Rounds alternate between the two; the best round of each is reported per code.
//
//   ref_glyph_speed <TTE file> <new prefix folder> [rounds] [codes]
//
// The prefix folder is made and used (WINEPREFIX is set to it, host fonts are off) and removed.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "eudccore/ref_glyph.h"
#include "eudccore/tte_install.h"
#include "platform/winreg.h"

namespace fs = std::filesystem;

namespace {

constexpr unsigned kFirstCode = 0xE000;
constexpr unsigned kCodeCount = 6400;
// "細明體", the face of slot 0, in code page 950.
constexpr const char* kFace = "\xB2\xD3\xA9\xFA\xC5\xE9";

bool WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string WindowsPath(const fs::path& hostPath) {
    std::string s = "Z:" + fs::absolute(hostPath).string();
    for (char& c : s)
        if (c == '/') c = '\\';
    return s;
}

// The prefix: the empty template as the only font of the Fonts folder, and the TTE linked to the
// face under EUDC\950, as the restore finds a workstation.
bool MakePrefix(const fs::path& root, const fs::path& tte) {
    const fs::path fonts = root / "drive_c" / "windows" / "Fonts";
    std::error_code ec;
    fs::create_directories(fonts, ec);
    fs::create_directories(root / "dosdevices", ec);
    std::string base(static_cast<size_t>(GetNewTteData(nullptr)), '\0');
    if (base.empty() || GetNewTteData(reinterpret_cast<unsigned char*>(base.data())) <= 0) return false;
    if (!WriteBytes(fonts / "mingliu.ttf", base)) return false;
    const fs::path linked = root / "drive_c" / "users" / "Public" / "Documents" / "BENCH00.TTE";
    fs::create_directories(linked.parent_path(), ec);
    fs::copy_file(tte, linked, fs::copy_options::overwrite_existing, ec);
    if (ec) return false;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "EUDC\\950", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const std::string path = WindowsPath(linked);
    const LONG rc = RegSetValueExA(key, kFace, 0, REG_SZ, reinterpret_cast<const BYTE*>(path.c_str()),
                                   static_cast<DWORD>(path.size() + 1));
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// One pass of GetRefGlyph over the codes; the bytes written are summed so that nothing is skipped.
bool RefGlyphPass(unsigned codes, std::vector<unsigned char>& buffer, double& seconds, uint64_t& bytes) {
    bytes = 0;
    const auto start = Clock::now();
    for (unsigned i = 0; i < codes; ++i) {
        const int n = GetRefGlyph(kFirstCode + i, kFace, buffer.data());
        if (n <= 12) {
            std::fprintf(stderr, "GetRefGlyph(U+%04X) gave %d\n", kFirstCode + i, n);
            return false;
        }
        bytes += static_cast<uint64_t>(n) + buffer[12];
    }
    seconds = Seconds(start, Clock::now());
    return true;
}

int MoveTo(const FT_Vector* to, void* user) {
    *static_cast<long*>(user) += to->x + to->y;
    return 0;
}
int LineTo(const FT_Vector* to, void* user) {
    *static_cast<long*>(user) += to->x - to->y;
    return 0;
}
int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
    *static_cast<long*>(user) += control->x + to->y;
    return 0;
}
int CubicTo(const FT_Vector*, const FT_Vector*, const FT_Vector* to, void* user) {
    *static_cast<long*>(user) += to->x;
    return 0;
}

bool FreeTypePass(FT_Face face, unsigned codes, double& seconds, long& sum) {
    const FT_Outline_Funcs funcs{MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
    sum = 0;
    const auto start = Clock::now();
    for (unsigned i = 0; i < codes; ++i) {
        const FT_UInt index = FT_Get_Char_Index(face, kFirstCode + i);
        if (index == 0 || FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE) != 0 ||
            FT_Outline_Decompose(&face->glyph->outline, &funcs, &sum) != 0) {
            std::fprintf(stderr, "FreeType could not load U+%04X\n", kFirstCode + i);
            return false;
        }
    }
    seconds = Seconds(start, Clock::now());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: ref_glyph_speed <TTE file> <new prefix folder> [rounds] [codes]\n");
        return 2;
    }
    const fs::path tte = argv[1];
    const fs::path root = fs::absolute(argv[2]);
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    const unsigned codes =
        argc > 4 ? std::clamp<unsigned>(static_cast<unsigned>(std::strtoul(argv[4], nullptr, 10)), 1, kCodeCount)
                 : kCodeCount;
    std::error_code ec;
    if (fs::exists(root, ec)) {
        std::fprintf(stderr, "%s exists already\n", root.c_str());
        return 2;
    }
    setenv("WINEPREFIX", root.c_str(), 1);
    setenv("EUDC_HOST_FONTS", "0", 1);
    int status = 1;
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (!MakePrefix(root, tte)) {
        std::fprintf(stderr, "could not make the prefix in %s\n", root.c_str());
    } else if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, tte.c_str(), 0, &face) != 0) {
        std::fprintf(stderr, "FreeType could not open %s\n", tte.c_str());
    } else {
        std::vector<unsigned char> buffer(EUDC_REF_GLYPH_BUFFER_SIZE);
        double bestRef = 1e30, bestFt = 1e30;
        uint64_t bytes = 0;
        long sum = 0;
        bool ok = true;
        for (int r = 0; ok && r < rounds; ++r) {
            double ref = 0, ft = 0;
            ok = RefGlyphPass(codes, buffer, ref, bytes) && FreeTypePass(face, codes, ft, sum);
            bestRef = std::min(bestRef, ref);
            bestFt = std::min(bestFt, ft);
        }
        if (ok) {
            const double refUs = bestRef * 1e6 / codes, ftUs = bestFt * 1e6 / codes;
            std::printf("%u codes, best of %d rounds (check %llu %ld)\n", codes, rounds,
                        static_cast<unsigned long long>(bytes), sum);
            std::printf("GetRefGlyph:                      %9.2f us per code\n", refUs);
            std::printf("FreeType load + decompose:        %9.2f us per code\n", ftUs);
            std::printf("GetRefGlyph / FreeType:           %9.1f   (goal: 25 or less)\n", refUs / ftUs);
            status = 0;
        }
    }
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
    fs::remove_all(root, ec);
    return status;
}
