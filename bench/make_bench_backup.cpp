// Writes a backup for the restore benchmark: 16 slots, each with a full TTE section of 6400
// glyphs of about 120 points, and each section also as a file of its own (the copy's anchor).
//   make_bench_backup <TQClient.tqb> <folder for the section files>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "backup_writer.h"
#include "eudccore/tte_install.h"
#include "foundation/mem_file.h"
#include "truetype/fixed_point.h"
#include "truetype/glyph_builder.h"
#include "truetype/tt_font_file.h"
#include "truetype/tt_glyph.h"

namespace {

// A ring of 120 points, a little different for every code and slot.
TTGlyph RingGlyph(uint32_t code, int slot) {
    TTGlyph glyph;
    CTTGlyphBuilder builder(&glyph, fixed::kOne, 0, 0, 0, 0);
    builder.BeginGlyph();
    for (int contour = 0; contour < 3; ++contour) {
        builder.BeginContour();
        const double r = 150 + 50 * contour + (code + slot) % 40, cx = 512 + 20 * contour, cy = 300;
        for (int i = 0; i < 40; ++i) {
            const double a = 2 * M_PI * i / 40;
            builder.AddPoint(i % 3 ? CGlyphBuilder::kOnCurve : CGlyphBuilder::kOffCurve,
                             fixed::FromInt(static_cast<int>(cx + r * std::cos(a))),
                             fixed::FromInt(static_cast<int>(cy + r * std::sin(a))));
        }
        builder.EndContour();
    }
    builder.EndGlyph();
    glyph.SetMetrics(1024, 1024, 100, 100);
    return glyph;
}

std::string Section(int slot) {
    std::string bytes(static_cast<size_t>(GetNewTteData(nullptr)), '\0');
    GetNewTteData(reinterpret_cast<unsigned char*>(bytes.data()));
    HMemFile file;
    file.Attach(bytes.data(), static_cast<uint32_t>(bytes.size()), nullptr);
    TTFontFile font;
    if (!font.Attach(&file)) return {};
    for (uint32_t code = 0xE000; code <= 0xF8FF; ++code) font.PutGlyph(static_cast<uint16_t>(code), RingGlyph(code, slot));
    if (!font.Close()) return {};
    return std::string(reinterpret_cast<const char*>(file.GetData()), file.GetLength());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_bench_backup <TQClient.tqb> <section folder>\n");
        return 2;
    }
    backupwriter::BackupContents contents;
    std::filesystem::create_directories(argv[2]);
    for (int slot = 0; slot < backup::kSlotCount; ++slot) {
        char name[64];
        std::snprintf(name, sizeof name, "BENCH%02d.TTE", slot);
        contents.fontTable[static_cast<size_t>(slot)] =
            backupwriter::MakeFontRecord("Bench " + std::to_string(slot), std::string("Windows\xA5\xD8\xBF\xFD\\") + name, "");
        contents.tteSections[static_cast<size_t>(slot)] = Section(slot);
        if (contents.tteSections[static_cast<size_t>(slot)]->empty()) return 1;
        std::ofstream(std::filesystem::path(argv[2]) / name, std::ios::binary) << *contents.tteSections[static_cast<size_t>(slot)];
    }
    return backupwriter::WriteBackup(argv[1], contents) ? 0 : 1;
}
