// Whole-font TTE operations on a full font: TTE_2_TTE mirroring 6400 glyphs into a fresh template,
// and Compare_TTE over the same 6400 codes. Runs in a throw-away prefix.
//
//   tte_copy_bench [--emit-dir=DIR] [benchmark flags]
//
// With --emit-dir the source font and the empty template are also written to DIR (source.tte,
// template.tte), so that other tools can be timed on the very same files.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "eudccore/font_slot.h"
#include "eudccore/tte_copy.h"
#include "eudccore/tte_install.h"
#include "eudccore/tte_update.h"
#include "foundation/endian.h"
#include "foundation/mem_file.h"
#include "truetype/tt_font_file.h"
#include "truetype/tt_glyph.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kFirstCode = 0xE000;
constexpr uint32_t kLastCode = 0xF8FF;
constexpr int kCodeCount = static_cast<int>(kLastCode - kFirstCode + 1);
constexpr int kSlot = 0;
const char* const kSlotFileName = "BENCH.TTE";

struct Setup {
    fs::path scratch;
    fs::path destination;  // host path rewritten with the template before every copy
    std::string sourceWin, destinationWin;
    std::string templateBytes;
};
Setup g;

std::string WindowsPath(const fs::path& hostPath) {
    std::string s = "Z:" + fs::absolute(hostPath).string();
    for (char& c : s)
        if (c == '/') c = '\\';
    return s;
}

bool WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// One closed four-point box as a glyf entry (34 bytes), its metrics following the box.
TTGlyph Box(int16_t x0, int16_t y0, int16_t x1, int16_t y1) {
    uint8_t d[34] = {};
    endian::StoreBE16(&d[0], 1);
    endian::StoreBE16(&d[2], static_cast<uint16_t>(x0));
    endian::StoreBE16(&d[4], static_cast<uint16_t>(y0));
    endian::StoreBE16(&d[6], static_cast<uint16_t>(x1));
    endian::StoreBE16(&d[8], static_cast<uint16_t>(y1));
    endian::StoreBE16(&d[10], 3);  // last point
    endian::StoreBE16(&d[12], 0);  // no instructions
    for (int i = 0; i < 4; ++i) d[14 + i] = 0x01;  // on-curve, 16-bit deltas
    const int16_t xs[4] = {x0, 0, static_cast<int16_t>(x1 - x0), 0};
    const int16_t ys[4] = {y0, static_cast<int16_t>(y1 - y0), 0, static_cast<int16_t>(y0 - y1)};
    for (int i = 0; i < 4; ++i) endian::StoreBE16(&d[18 + 2 * i], static_cast<uint16_t>(xs[i]));
    for (int i = 0; i < 4; ++i) endian::StoreBE16(&d[26 + 2 * i], static_cast<uint16_t>(ys[i]));
    TTGlyph glyph;
    glyph.SetData(d, sizeof d);
    glyph.SetMetrics(1024, 1024, x0, static_cast<int16_t>(820 - y1));
    return glyph;
}

// A distinct box for every code, so that a copy that mixes glyphs up cannot compare equal.
TTGlyph GlyphFor(int i) {
    const auto x0 = static_cast<int16_t>((i % 80) * 4);
    const auto y0 = static_cast<int16_t>((i / 80) * 4 - 200);
    return Box(x0, y0, static_cast<int16_t>(x0 + 400 + i % 7), static_cast<int16_t>(y0 + 300 + i % 11));
}

bool WriteSourceFont(const fs::path& path) {
    if (!WriteBytes(path, g.templateBytes)) return false;
    HMemFile file;
    if (!file.Open(WindowsPath(path).c_str(), 0x8012)) return false;
    TTFontFile font;
    bool ok = font.Attach(&file);
    for (int i = 0; ok && i < kCodeCount; ++i) ok = font.PutGlyph(static_cast<uint16_t>(kFirstCode + i), GlyphFor(i));
    if (font.IsOpen() && !font.Close()) ok = false;
    return file.Close() && ok;
}

bool Fail(const char* what) {
    std::fprintf(stderr, "tte_copy_bench: %s\n", what);
    return false;
}

bool Prepare(const fs::path& emitDir) {
    char pattern[] = "/tmp/tte_copy_bench.XXXXXX";
    if (!mkdtemp(pattern)) return Fail("cannot make a scratch folder");
    g.scratch = pattern;
    const fs::path prefix = g.scratch / "prefix";
    setenv("WINEPREFIX", prefix.c_str(), 1);
    setenv("EUDC_HOST_FONTS", "0", 1);

    const int size = GetNewTteData(nullptr);
    if (size <= 0) return Fail("no TTE template for this system");
    g.templateBytes.assign(static_cast<size_t>(size), '\0');
    if (GetNewTteData(reinterpret_cast<unsigned char*>(g.templateBytes.data())) != size)
        return Fail("cannot load the TTE template");

    const fs::path source = g.scratch / "source.tte";
    if (!WriteSourceFont(source)) return Fail("cannot build the source font");
    g.sourceWin = WindowsPath(source);
    g.destination = g.scratch / "destination.tte";
    g.destinationWin = WindowsPath(g.destination);

    // The font manager's slot names a bare file, which lives in C:\ProgramData; it receives one
    // copy made by TTE_2_TTE, so the comparison also proves the copy right.
    if (!TteUpdate_Init(TSM_CommonAppData)) return Fail("cannot start the font manager");
    _TQFontData_Struc1* record = Get_TteUpdate()->Get_FontTTE(kSlot);
    std::memset(record, 0, sizeof *record);
    std::strcpy(record->FaceName, "Bench");
    std::strcpy(record->TteFileName, kSlotFileName);
    const fs::path slotFolder = prefix / "drive_c" / "ProgramData";
    fs::create_directories(slotFolder);
    const fs::path slotFile = slotFolder / kSlotFileName;
    if (!WriteBytes(slotFile, g.templateBytes)) return Fail("cannot write the slot's file");
    if (!TTE_2_TTE(g.sourceWin.c_str(), WindowsPath(slotFile).c_str(), true, false)) return Fail("TTE_2_TTE failed");
    if (!Compare_TTE(g.sourceWin.c_str(), kSlot)) return Fail("the copy differs from its source");

    if (!emitDir.empty()) {
        std::error_code ec;
        fs::create_directories(emitDir, ec);
        if (!WriteBytes(emitDir / "source.tte", ReadBytes(source)) ||
            !WriteBytes(emitDir / "template.tte", g.templateBytes))
            return Fail("cannot write to the emit folder");
    }
    return true;
}

void BM_TTE_2_TTE(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        const bool fresh = WriteBytes(g.destination, g.templateBytes);
        state.ResumeTiming();
        if (!fresh || !TTE_2_TTE(g.sourceWin.c_str(), g.destinationWin.c_str(), true, false)) {
            state.SkipWithError("TTE_2_TTE failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kCodeCount);
}
BENCHMARK(BM_TTE_2_TTE)->Unit(benchmark::kMillisecond);

void BM_Compare_TTE(benchmark::State& state) {
    for (auto _ : state) {
        if (!Compare_TTE(g.sourceWin.c_str(), kSlot)) {
            state.SkipWithError("Compare_TTE found a difference");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kCodeCount);
}
BENCHMARK(BM_Compare_TTE)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // Our own flag goes before Google Benchmark sees the rest.
    fs::path emitDir;
    std::vector<char*> args;
    const std::string emitFlag = "--emit-dir=";
    for (int i = 0; i < argc; ++i) {
        if (i > 0 && std::strncmp(argv[i], emitFlag.c_str(), emitFlag.size()) == 0)
            emitDir = argv[i] + emitFlag.size();
        else
            args.push_back(argv[i]);
    }
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;

    const bool ready = Prepare(emitDir);
    if (ready) benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    TteUpdate_Uninit();
    std::error_code ec;
    if (!g.scratch.empty()) fs::remove_all(g.scratch, ec);
    return ready ? 0 : 1;
}
