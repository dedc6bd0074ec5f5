#include "eudccore/tte_copy.h"

#include <memory>
#include <vector>

#include "eudc/tte_build.h"
#include "eudccore/eudc_registry.h"
#include "eudccore/tte_install.h"
#include "eudccore/tte_update.h"
#include "foundation/mem_file.h"
#include "foundation/os_file.h"
#include "platform/fileapi.h"
#include "truetype/tt_font_file.h"
#include "truetype/tt_glyph.h"
#include "truetype/tte_glyph_copy.h"
#include "truetype/tte_writer.h"

namespace {

constexpr FileOpenMode kReadExisting = 0x8000;       // read only, the file must exist
constexpr FileOpenMode kReadWriteExisting = 0x8012;  // read and write, exclusive, must exist

constexpr uint32_t kFirstCode = 0xE000;
constexpr uint32_t kLastCode = 0xF8FF;

std::unique_ptr<HBaseFile> MakeFile(bool inMemory) {
    if (inMemory) return std::make_unique<HMemFile>();
    return std::make_unique<OS_File>();
}

// Clears code in the destination unless it is empty there already.
bool ClearIfPresent(TTFontFile& destination, uint16_t code, TTGlyph& scratch) {
    TTGlyph existing;
    if (!destination.GetGlyph(code, existing) || existing.IsEmpty()) return true;
    scratch.Reset();
    return destination.PutGlyph(code, scratch);
}

}  // namespace

GlyphCopyResult CopyEudcGlyphs(TTFontFile& source, TTFontFile& destination) {
    GlyphCopyResult result;
    TTGlyph glyph;
    for (uint32_t c = kFirstCode; c <= kLastCode; ++c) {
        const auto code = static_cast<uint16_t>(c);
        const bool read = source.GetGlyph(code, glyph);
        // An unmapped code is no damage; anything else that fails a read is.
        if (!read && source.LastError() != TTFontFile::Error::Unmapped) ++result.unreadable;
        const bool stored = read && !glyph.IsEmpty() ? destination.PutGlyph(code, glyph)
                                                     : ClearIfPresent(destination, code, glyph);
        if (!stored) ++result.notStored;
        // Kept, not reset: its block serves the next read.
    }
    return result;
}

bool CreateEmptyTteFile(const char* path) {
    if (!path || !*path) return false;
    // A template that cannot be fetched must not pass for a fresh file.
    std::vector<uint8_t> bytes;
    if (const eudc::TteError e = eudc::EmptyTte(bytes); e != eudc::TteError::None) {
        SetLastError(eudc::ToLastError(e));
        return false;
    }
    const DWORD error = eudc::ReplaceTteFile(path, bytes.data(), static_cast<uint32_t>(bytes.size()));
    SetLastError(error);
    return error == ERROR_SUCCESS;
}

bool TTE_2_TTE(const char* sourcePath, const char* destinationPath, bool destinationInMemory, bool sourceInMemory) {
    if (!sourcePath || !destinationPath) return false;
    std::unique_ptr<HBaseFile> destinationFile = MakeFile(destinationInMemory);
    std::unique_ptr<HBaseFile> sourceFile = MakeFile(sourceInMemory);

    TTFontFile destination;
    bool destinationOpen = false;
    if (destinationFile->Open(destinationPath, kReadWriteExisting)) {
        destinationOpen = true;
        if (!destination.Attach(destinationFile.get())) {
            destinationFile->Close();
            return false;
        }
    }
    TTFontFile source;
    bool sourceOpen = false;
    if (sourceFile->Open(sourcePath, kReadExisting)) {
        sourceOpen = true;
        if (!source.Attach(sourceFile.get())) {
            sourceFile->Close();
            sourceOpen = false;
        }
    }

    bool result = false;
    if (destination.IsOpen() && source.IsOpen()) {
        CopyEudcGlyphs(source, destination);
        result = true;
    }

    if (source.IsOpen()) source.Close();
    if (sourceOpen) sourceFile->Close();
    // Edits that never reach the disk are not a copy.
    if (destination.IsOpen() && !destination.Close()) result = false;
    if (destinationOpen && !destinationFile->Close()) result = false;
    return result;
}

bool Compare_TTE(const char* path, int slot) {
    if (!path) return false;
    TteUpdate* manager = Get_TteUpdate();
    const _TQFontData_Struc1* record = manager ? manager->Get_FontTTE(slot) : nullptr;
    char slotPath[EudcRegistry::kPathSize] = {};
    if (!record || !EudcRegistry::Trans_2_RealTteFileName(record, slotPath, TSM_CommonAppData)) return false;

    HMemFile slotFile, otherFile;
    TTFontFile slotFont, otherFont;
    const bool slotOpen = slotFile.Open(slotPath, kReadExisting) && slotFont.Attach(&slotFile);
    const bool otherOpen = otherFile.Open(path, kReadExisting) && otherFont.Attach(&otherFile);

    bool equal = slotOpen && otherOpen;
    if (equal) {
        TTGlyph a, b;
        for (uint32_t c = kFirstCode; c <= kLastCode && equal; ++c) {
            a.Reset();
            b.Reset();
            slotFont.GetGlyph(static_cast<uint16_t>(c), a);
            otherFont.GetGlyph(static_cast<uint16_t>(c), b);
            equal = a.Equals(b);
        }
    }
    slotFont.Close();
    otherFont.Close();
    slotFile.Close();
    otherFile.Close();
    return equal;
}

// ---- TteBatchWriter ----------------------------------------------------------------------------

TteBatchWriter::TteBatchWriter() : font_(new TTFontFile()) {}

TteBatchWriter::~TteBatchWriter() {
    Commit();
    delete file_;
    delete font_;
}

bool TteBatchWriter::Open(bool inMemory, const char* path) {
    // The font of an earlier batch must let go of its file before the file object goes.
    Commit();
    delete file_;
    file_ = nullptr;
    if (!path) return false;
    inMemory_ = inMemory;
    file_ = MakeFile(inMemory).release();
    if (file_->Open(path, kReadWriteExisting) && font_->Attach(file_)) return true;
    file_->Close();
    delete file_;
    file_ = nullptr;
    return false;
}

bool TteBatchWriter::PutGlyph(uint16_t code, const TTGlyph& glyph) { return font_->PutGlyph(code, glyph); }

bool TteBatchWriter::Commit() {
    if (!file_) return true;
    const bool written = font_->Close();
    const bool closed = file_->Close();
    delete file_;
    file_ = nullptr;
    return written && closed;
}
