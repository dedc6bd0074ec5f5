// Writes a sample TQClient.tqb for the demo:
//   make_sample_backup OUT [--tte SLOT=FILE]... [--liu FILE] [--no-windows6-flag]
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "backup_writer.h"

namespace {

bool ReadFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
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
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--no-windows6-flag") {
            contents.compatFlags = 0;
        } else if (arg == "--liu" && i + 1 < argc) {
            std::string bytes;
            if (!ReadFile(argv[++i], bytes)) return Usage();
            contents.liuBox = bytes;
        } else if (arg == "--tte" && i + 1 < argc) {
            const std::string spec = argv[++i];
            const size_t eq = spec.find('=');
            if (eq == std::string::npos) return Usage();
            const int slot = std::atoi(spec.substr(0, eq).c_str());
            std::string bytes;
            if (slot < 0 || slot >= backup::kSlotCount || !ReadFile(spec.substr(eq + 1), bytes)) return Usage();
            contents.tteSections[static_cast<size_t>(slot)] = bytes;
        } else {
            return Usage();
        }
    }
    if (!backupwriter::WriteBackup(argv[1], contents)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
