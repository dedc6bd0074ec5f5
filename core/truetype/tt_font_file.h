// TTFontFile: an in-place editor of one TrueType file. It maps character codes to glyph indices
// through `cmap`, reads and replaces single simple glyphs in `glyf` together with their `loca`,
// `hmtx`, `vmtx` and `maxp` entries, and writes the edited tables and the directory back on Close.
//
// Everything taken from the file is checked before it is used: Attach refuses a font whose
// directory, tables, character map or counts do not hold together, so that no later operation can
// reach outside a table or the file.
//
// Not exported from the library: the restore tool compiles its own copy of this class.
#pragma once
#include <cstdint>
#include <vector>

class HBaseFile;
class HMemFile;
class TTGlyph;

// One glyph of a PutGlyphs batch: the code, the glyph to store there (kept by the caller) and
// whether it was stored.
struct TTGlyphEdit {
    uint16_t code = 0;
    const TTGlyph* glyph = nullptr;
    bool stored = false;
};

// The box glyphs are fitted into: x from left to right, y from bottom to top, in font units.
struct TTDesignBox {
    uint16_t unitsPerEm = 0;
    int16_t left = 0;
    int16_t bottom = 0;
    int16_t right = 0;
    int16_t top = 0;
};

class TTFontFile {
public:
    // Why the last operation that failed did fail.
    enum class Error {
        None,
        NoFile,         // no file object, or the font is not open
        NotTrueType,    // no TrueType signature, or a file too large for 32-bit offsets
        BadDirectory,   // tables outside the file, in the directory, overlapping or twice
        MissingTable,   // a table the editor needs is absent or too short
        BadHeader,      // head, OS/2, hhea, vhea or maxp hold values that cannot be
        BadCmap,        // no usable Windows Unicode or Big5 subtable, or one that does not hold together
        BadMetrics,     // hmtx or vmtx too short for their counts
        BadGlyf,        // glyf starts inside another table, or loca runs backwards or past glyf
        Unmapped,       // the code has no glyph, or the index is out of range
        BadGlyph,       // glyph data that is no well-formed simple glyph
        TooLarge,       // the edit would take the font past its limits
        ReadFailed,
        WriteFailed,
    };
    static const char* ErrorName(Error error);
    // A four-character table tag as the big-endian number the directory holds.
    static constexpr uint32_t MakeTag(const char (&t)[5]) {
        return (static_cast<uint32_t>(static_cast<uint8_t>(t[0])) << 24) |
               (static_cast<uint32_t>(static_cast<uint8_t>(t[1])) << 16) |
               (static_cast<uint32_t>(static_cast<uint8_t>(t[2])) << 8) | static_cast<uint32_t>(static_cast<uint8_t>(t[3]));
    }

    // The file object may be given here or to Attach; it is never owned.
    explicit TTFontFile(HBaseFile* file = nullptr);
    ~TTFontFile();
    TTFontFile(const TTFontFile&) = delete;
    TTFontFile& operator=(const TTFontFile&) = delete;

    // Loads the font from an open file object. A font that is already open is closed first. On
    // failure every buffer is freed and the object stays closed.
    bool Attach(HBaseFile* file);
    // Glyph index of a code, 0 when the code is not mapped.
    uint16_t CodeToGlyphIndex(uint16_t code) const;
    // By code: false when the code is unmapped or the read/write fails.
    bool GetGlyph(uint16_t code, TTGlyph& glyph);
    bool PutGlyph(uint16_t code, const TTGlyph& glyph);
    // By glyph index. ReadGlyph refuses composite glyphs and glyph data that is not a well-formed
    // simple glyph. WriteGlyph refuses such glyphs too; it stores the box of the glyph's points
    // whatever box the glyph data claims, and widens short `loca` offsets to long ones when the
    // write changes the glyph's length.
    bool ReadGlyph(uint16_t index, TTGlyph& glyph);
    bool WriteGlyph(uint16_t index, const TTGlyph& glyph);
    // Whether GetGlyph would read the code, without handing out the glyph: a memory file's glyph
    // is looked at where it lies. empty (when given) tells whether the glyph has no data.
    bool CheckGlyph(uint16_t code, bool* empty = nullptr);
    // Stores many glyphs with one rewrite of glyf: the font ends as PutGlyph of each edit in
    // order leaves it, byte for byte, while PutGlyph moves every later glyph for each edit that
    // changes a glyph's length. Each edit says whether it was stored (unmapped codes and
    // malformed glyphs are not). False when the font cannot take the batch (it would grow past
    // its limits, or the file refuses a write): then no edit is stored.
    bool PutGlyphs(std::vector<TTGlyphEdit>& edits);
    // The table's bytes in a buffer padded with zeros to a multiple of 4; length (when given)
    // receives the unpadded length. False when the tag is absent or the bytes cannot all be read.
    bool ReadTable(uint32_t tag, std::vector<uint8_t>& buffer, uint32_t* length = nullptr) const;
    // Sets the directory entry of tag to a fresh checksum of data, offset and length (false when
    // the font has no such entry) and, when length is not 0, writes the bytes at offset. The
    // directory reaches the file on Close; the tables this object has loaded are not changed.
    bool WriteTable(uint32_t tag, const uint8_t* data, uint32_t length, uint32_t offset);
    // Number of codes with a glyph index other than 0 in the format 4 subtable (else the format 2
    // one). With a buffer, also stores up to capacity of them in the subtable's order and returns
    // how many it stored.
    int ListMappedCodes(uint16_t* buffer, int capacity) const;
    // When open and dirty: writes back `loca`, `hmtx`, `vmtx`, `maxp`, the `glyf` and `head`
    // checksums, `head` checkSumAdjustment and the directory. Then frees everything. False when a
    // write-back fell short. The file object stays open.
    bool Close();

    Error LastError() const { return error_; }
    bool IsOpen() const { return open_; }
    bool IsDirty() const { return dirty_; }
    HBaseFile* File() const { return file_; }
    uint16_t NumGlyphs() const { return numGlyphs_; }
    uint16_t UnitsPerEm() const { return unitsPerEm_; }
    bool HasLongLoca() const { return longLoca_; }
    bool HasVerticalMetrics() const { return hasVmtx_; }
    uint16_t MaxPoints() const { return maxPoints_; }
    uint16_t MaxContours() const { return maxContours_; }
    uint16_t WinAscent() const { return winAscent_; }
    uint16_t WinDescent() const { return winDescent_; }
    const uint8_t* VendorId() const { return vendorId_; }
    const TTDesignBox& DesignBox() const { return designBox_; }
    uint32_t GlyfOffset() const { return glyfOffset_; }
    uint32_t GlyfLength() const { return glyfLength_; }

private:
    struct Table {
        uint32_t offset = 0;
        uint32_t length = 0;
    };

    bool Load();
    bool Fail(Error error) {
        error_ = error;
        return false;
    }
    void Release();
    bool WidenLoca();
    // Directory entry index of a tag, -1 when absent.
    int FindEntry(uint32_t tag) const;
    Table EntryTable(int entry) const;
    bool LoadCmap();
    bool CheckFormat4(uint32_t at) const;
    bool CheckFormat2(uint32_t at) const;
    bool LoadLoca(const std::vector<uint8_t>& bytes, uint32_t length);
    uint16_t Format4Lookup(uint16_t code) const;
    uint16_t Format2Lookup(uint16_t code) const;
    // The glyph index a segment gives for a code inside it.
    uint16_t Format4Glyph(uint32_t segment, uint16_t code) const;
    uint16_t Format2Glyph(uint32_t subHeader, uint8_t low) const;
    uint16_t Cmap16(uint64_t at) const;

    // loca offsets, with a delta still owed by every entry from pendingFrom_ on.
    uint32_t LocaAt(uint32_t i) const { return loca_[i] + (i >= pendingFrom_ ? pendingDelta_ : 0); }
    void AddToLocaFrom(uint32_t from, uint32_t delta);
    void SettleLoca();

    // The offset of the first table behind glyf, and how far the tables behind glyf move when
    // glyf comes to end at newGlyfEnd.
    uint64_t FirstBehindGlyf() const;
    int64_t BehindGlyfShift(uint64_t newGlyfEnd) const;
    // Puts newGlyf in the place of glyf, moving what lies behind it (PutGlyphs).
    bool ReplaceGlyf(const std::vector<uint8_t>& newGlyf);
    // Opens or closes delta bytes of room at the end of the glyph ending at oldEnd; the tables
    // behind glyf move by *tableDelta.
    bool MakeRoom(uint32_t oldEnd, int64_t delta, int64_t* tableDelta);
    // Moves count bytes at from by delta inside the file.
    bool MoveRange(uint32_t from, uint32_t count, int64_t delta);
    bool WriteBack();
    bool WriteAt(uint32_t offset, const uint8_t* data, uint32_t length);
    bool ReadAt(uint32_t offset, uint8_t* data, uint32_t length) const;
    // Reads glyph data through a window that follows the reads; any write drops the window.
    bool ReadGlyphBytes(uint32_t offset, uint8_t* data, uint32_t length);
    // Where the glyph's data lies in glyf; false (with the reason) when loca does not say.
    bool GlyphRange(uint16_t index, uint32_t& start, uint32_t& length);
    void DropReadAhead();
    bool UpdateChecksums();
    void StoreMetric(std::vector<uint8_t>& table, uint16_t longCount, uint16_t index, uint16_t advance,
                     int16_t bearing);
    void LoadMetric(const std::vector<uint8_t>& table, uint16_t longCount, uint16_t index, uint16_t* advance,
                    int16_t* bearing) const;

    // The content of a memory file, read in place instead of through reads; null for other files.
    const uint8_t* MemoryBlock() const;

    HBaseFile* file_ = nullptr;
    const HMemFile* memory_ = nullptr;  // file_ when it is a memory file
    Error error_ = Error::None;
    bool dirty_ = false;
    bool open_ = false;

    // Directory entries in file byte order, 16 bytes each.
    uint16_t numTables_ = 0;
    std::vector<uint8_t> directory_;
    std::vector<int> behindGlyf_;

    std::vector<uint8_t> cmap_;
    uint32_t cmapLength_ = 0;
    int64_t format2_ = -1;  // offset in cmap_, -1 when absent
    int64_t format4_ = -1;

    uint8_t vendorId_[4] = {};
    uint16_t winAscent_ = 0;
    uint16_t winDescent_ = 0;
    uint16_t unitsPerEm_ = 0;
    bool longLoca_ = false;
    TTDesignBox designBox_;

    uint32_t glyfOffset_ = 0;
    uint32_t glyfLength_ = 0;

    std::vector<uint8_t> hmtx_;
    uint16_t numberOfHMetrics_ = 0;
    std::vector<uint8_t> vmtx_;
    bool hasVmtx_ = false;
    uint16_t numOfLongVerMetrics_ = 0;

    std::vector<uint8_t> maxp_;
    uint16_t numGlyphs_ = 0;
    uint16_t maxPoints_ = 0;
    uint16_t maxContours_ = 0;

    std::vector<uint8_t> locaBytes_;
    std::vector<uint32_t> loca_;
    uint32_t pendingFrom_ = UINT32_MAX;
    uint32_t pendingDelta_ = 0;

    std::vector<uint8_t> readAhead_;
    std::vector<uint8_t> checkBuffer_;  // a glyph CheckGlyph reads from a file object
    uint32_t readAheadAt_ = 0;
};
