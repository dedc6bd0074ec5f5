#include "eudc/tte_build.h"

#include "eudc/tte_target.h"
#include "eudccore/tte_install.h"
#include "foundation/file_replace.h"
#include "foundation/mem_file.h"
#include "foundation/os_file.h"
#include "truetype/tt_font_file.h"
#include "truetype/tte_glyph_copy.h"

namespace eudc {

namespace {

constexpr FileOpenMode kReadExisting = 0x8000;

}  // namespace

TteError EmptyTte(std::vector<uint8_t>& out) {
    const int size = GetNewTteData(nullptr);
    if (size <= 0) return TteError::TemplateUnavailable;
    out.assign(static_cast<size_t>(size), 0);
    if (GetNewTteData(out.data()) != size) return TteError::TemplateUnavailable;
    return TteError::None;
}

TteError BuildTteFromSource(const char* sourcePath, HMemFile& out) {
    std::vector<uint8_t> empty;
    if (const TteError e = EmptyTte(empty); e != TteError::None) return e;
    // The source is read through the file, glyph by glyph, as TTE_2_TTE reads a source that is
    // not in memory: it needs no block of its own size.
    OS_File sourceFile;
    TTFontFile source;
    if (!sourcePath || !sourceFile.Open(sourcePath, kReadExisting) || !source.Attach(&sourceFile))
        return TteError::SourceUnreadable;
    // The new file holds the template and at most the source's glyph data: one block for it all.
    out.Attach(empty.data(), static_cast<uint32_t>(empty.size()), nullptr);
    out.Reserve(static_cast<uint64_t>(empty.size()) + source.GlyfLength());
    TTFontFile destination;
    if (!destination.Attach(&out)) return TteError::TemplateUnavailable;
    const GlyphCopyResult copied = CopyEudcGlyphs(source, destination);
    source.Close();
    if (copied.unreadable > 0) return TteError::SourceGlyphDamaged;
    if (copied.notStored > 0 || !destination.Close()) return TteError::GlyphNotStored;
    return TteError::None;
}

DWORD ReplaceTteFile(const char* path, const uint8_t* data, uint32_t length) {
    if (!MayReplaceTteFile(path)) return ToLastError(TteError::NotOurFile);
    return ReplaceFileContent(path, data, length);
}

}  // namespace eudc
