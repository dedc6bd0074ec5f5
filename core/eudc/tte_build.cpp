#include "eudc/tte_build.h"

#include "eudc/tte_target.h"
#include "eudccore/tt_font_file.h"
#include "eudccore/tte_install.h"
#include "foundation/file_replace.h"
#include "foundation/mem_file.h"
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

TteError BuildTteFromSource(const char* sourcePath, std::vector<uint8_t>& out) {
    std::vector<uint8_t> empty;
    if (const TteError e = EmptyTte(empty); e != TteError::None) return e;
    HMemFile destinationFile;
    destinationFile.Attach(empty.data(), static_cast<uint32_t>(empty.size()), nullptr);
    TTFontFile destination;
    if (!destination.Attach(&destinationFile)) return TteError::TemplateUnavailable;

    HMemFile sourceFile;
    TTFontFile source;
    if (!sourcePath || !sourceFile.Open(sourcePath, kReadExisting) || !source.Attach(&sourceFile))
        return TteError::SourceUnreadable;
    const GlyphCopyResult copied = CopyEudcGlyphs(source, destination);
    source.Close();
    if (copied.unreadable > 0) return TteError::SourceGlyphDamaged;
    if (copied.notStored > 0 || !destination.Close()) return TteError::GlyphNotStored;
    const uint8_t* data = destinationFile.GetData();
    out.assign(data, data + destinationFile.GetLength());
    return TteError::None;
}

DWORD ReplaceTteFile(const char* path, const std::vector<uint8_t>& bytes) {
    if (!MayReplaceTteFile(path)) return ToLastError(TteError::NotOurFile);
    return ReplaceFileContent(path, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

}  // namespace eudc
