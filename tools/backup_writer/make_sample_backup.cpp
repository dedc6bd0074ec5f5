// Writes a sample TQClient.tqb for the demo:
//   make_sample_backup OUT [--tte SLOT=FILE]... [--liu FILE] [--no-windows6-flag]
// Without --tte, slots 0 and 1 carry sample TTE files with a few square glyphs.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "backup_writer.h"
#include "eudccore/tte_install.h"
#include "foundation/endian.h"
#include "foundation/mem_file.h"
#include "truetype/tt_font_file.h"
#include "truetype/tt_glyph.h"

namespace {

bool ReadFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

// The built-in template with a framed square at the first `count` codes, each a little different.
std::string SampleTte(int count, int shift) {
    std::string bytes(static_cast<size_t>(GetNewTteData(nullptr)), '\0');
    if (bytes.empty() || GetNewTteData(reinterpret_cast<unsigned char*>(bytes.data())) == 0) return {};
    HMemFile file;
    file.Attach(bytes.data(), static_cast<uint32_t>(bytes.size()), nullptr);
    TTFontFile font;
    if (!font.Attach(&file)) return {};
    for (int i = 0; i < count; ++i) {
        const int x0 = 100 + (i * 13 + shift) % 200, y0 = -100, x1 = x0 + 600, y1 = 700;
        uint8_t d[34] = {};
        endian::StoreBE16(d, 1);
        endian::StoreBE16(d + 2, static_cast<uint16_t>(x0));
        endian::StoreBE16(d + 4, static_cast<uint16_t>(y0));
        endian::StoreBE16(d + 6, static_cast<uint16_t>(x1));
        endian::StoreBE16(d + 8, static_cast<uint16_t>(y1));
        endian::StoreBE16(d + 10, 3);
        for (int k = 0; k < 4; ++k) d[14 + k] = 0x01;
        const int xs[4] = {x0, 0, x1 - x0, 0}, ys[4] = {y0, y1 - y0, 0, y0 - y1};
        for (int k = 0; k < 4; ++k) endian::StoreBE16(d + 18 + 2 * k, static_cast<uint16_t>(xs[k]));
        for (int k = 0; k < 4; ++k) endian::StoreBE16(d + 26 + 2 * k, static_cast<uint16_t>(ys[k]));
        TTGlyph glyph;
        glyph.SetData(d, sizeof d);
        glyph.SetMetrics(1024, 1024, static_cast<int16_t>(x0), static_cast<int16_t>(820 - y1));
        font.PutGlyph(static_cast<uint16_t>(0xE000 + i), glyph);
    }
    font.Close();
    return std::string(reinterpret_cast<const char*>(file.GetData()), file.GetLength());
}

int Usage() {
    std::fprintf(stderr, "usage: make_sample_backup OUT [--tte SLOT=FILE]... [--liu FILE] [--no-windows6-flag]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    backupwriter::BackupContents contents;
    contents.fontTable = backupwriter::ReferenceFontTable();
    // A sample Boshiamy table and input codes for the first two characters.
    contents.liuBox = std::string("LIU sample table\r\n");
    for (int i = 0; i < 2; ++i) {
        uint8_t* record = contents.CharacterRecord(i);
        record[0] = static_cast<uint8_t>('a' + i);
    }
    bool sampleSections = true;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--no-windows6-flag") {
            contents.compatFlags = 0;
        } else if (arg == "--liu" && i + 1 < argc) {
            std::string bytes;
            if (!ReadFile(argv[++i], bytes)) return Usage();
            contents.liuBox = bytes;
        } else if (arg == "--tte" && i + 1 < argc) {
            const std::string arg2 = argv[++i];
            const size_t eq = arg2.find('=');
            if (eq == std::string::npos) return Usage();
            const int slot = std::atoi(arg2.substr(0, eq).c_str());
            std::string bytes;
            if (slot < 0 || slot >= backup::kSlotCount || !ReadFile(arg2.substr(eq + 1), bytes)) return Usage();
            contents.tteSections[static_cast<size_t>(slot)] = bytes;
            sampleSections = false;
        } else {
            return Usage();
        }
    }
    if (sampleSections) {
        contents.tteSections[0] = SampleTte(24, 0);
        contents.tteSections[1] = SampleTte(12, 50);
    }
    if (!backupwriter::WriteBackup(argv[1], contents)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
