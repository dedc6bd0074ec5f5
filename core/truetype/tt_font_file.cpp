#include "truetype/tt_font_file.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

#include "foundation/base_file.h"
#include "foundation/endian.h"
#include "foundation/mem_file.h"
#include "truetype/sfnt_checksum.h"
#include "truetype/tt_glyph.h"

namespace {

constexpr uint32_t kTagOs2 = TTFontFile::MakeTag("OS/2");
constexpr uint32_t kTagCmap = TTFontFile::MakeTag("cmap");
constexpr uint32_t kTagGlyf = TTFontFile::MakeTag("glyf");
constexpr uint32_t kTagHead = TTFontFile::MakeTag("head");
constexpr uint32_t kTagHhea = TTFontFile::MakeTag("hhea");
constexpr uint32_t kTagHmtx = TTFontFile::MakeTag("hmtx");
constexpr uint32_t kTagLoca = TTFontFile::MakeTag("loca");
constexpr uint32_t kTagMaxp = TTFontFile::MakeTag("maxp");
constexpr uint32_t kTagVhea = TTFontFile::MakeTag("vhea");
constexpr uint32_t kTagVmtx = TTFontFile::MakeTag("vmtx");

constexpr uint32_t kOffsetTableSize = 12;
constexpr uint32_t kEntrySize = 16;
// Positions are sought with a signed 32-bit offset.
constexpr uint64_t kMaxFileLength = INT32_MAX;
constexpr uint32_t kSfntVersionTrueType = 0x00010000;
constexpr uint32_t kSfntVersionApple = 0x74727565;  // 'true'
constexpr uint32_t kReadAheadSize = 256 * 1024;
constexpr uint32_t kHeadAdjustmentAt = 8;

// Fields read at fixed places; each table is checked to hold them before use.
constexpr uint32_t kOs2MinLength = 78;    // up to usWinDescent
constexpr uint32_t kHeadMinLength = 54;   // up to glyphDataFormat
constexpr uint32_t kHheaMinLength = 36;   // up to numberOfHMetrics
constexpr uint32_t kMaxpMinLength = 32;   // version 1.0: maxPoints and maxContours are written back
constexpr uint16_t kMinUnitsPerEm = 16;
constexpr uint16_t kMaxUnitsPerEm = 16384;

// cmap subtable layouts.
constexpr uint32_t kFormat4HeaderSize = 14;
constexpr uint32_t kFormat2KeysAt = 6;
constexpr uint32_t kFormat2SubHeadersAt = 518;
constexpr uint32_t kFormat2SubHeaderSize = 8;

uint32_t Pad4(uint32_t n) { return (n + 3u) & ~3u; }

// Sum of big-endian words over bytes whose first one sits at `phase` (0..3) within its word.
uint32_t PhaseSum(const uint8_t* p, uint32_t n, uint32_t phase) {
    uint32_t sum = 0;
    uint32_t i = 0;
    for (; i < n && ((phase + i) & 3) != 0; ++i) sum += static_cast<uint32_t>(p[i]) << (8 * (3 - ((phase + i) & 3)));
#if defined(__SSE2__) && defined(__x86_64__)
    // The bytes of each place in the word are summed apart, in 16-bit lanes for up to 128 pairs of
    // blocks of 16 bytes (256 * 255 fits), then in 32-bit lanes; a place's sum, shifted to its
    // place, counts modulo 2^32 as the words' sum does.
    const __m128i low16 = _mm_set1_epi32(0xFFFF), lowBytes = _mm_set1_epi16(0xFF);
    __m128i places[4] = {};  // the bytes at offsets 0, 1, 2 and 3 of their words
    for (uint32_t pairs = (n - i) / 32; pairs > 0;) {
        const uint32_t round = std::min<uint32_t>(pairs, 128);
        __m128i even = _mm_setzero_si128(), odd = _mm_setzero_si128();
        for (const uint8_t* q = p + i; q < p + i + 32 * round; q += 32) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 16));
            even = _mm_add_epi16(even, _mm_add_epi16(_mm_and_si128(a, lowBytes), _mm_and_si128(b, lowBytes)));
            odd = _mm_add_epi16(odd, _mm_add_epi16(_mm_srli_epi16(a, 8), _mm_srli_epi16(b, 8)));
        }
        i += 32 * round;
        pairs -= round;
        places[0] = _mm_add_epi32(places[0], _mm_and_si128(even, low16));
        places[1] = _mm_add_epi32(places[1], _mm_and_si128(odd, low16));
        places[2] = _mm_add_epi32(places[2], _mm_srli_epi32(even, 16));
        places[3] = _mm_add_epi32(places[3], _mm_srli_epi32(odd, 16));
    }
    for (int place = 0; place < 4; ++place) {
        uint32_t lanes[4];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), places[place]);
        sum += (lanes[0] + lanes[1] + lanes[2] + lanes[3]) << (8 * (3 - place));
    }
#else
    // Four sums side by side keep the additions independent of each other.
    uint32_t s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    for (; i + 16 <= n; i += 16) {
        s0 += endian::LoadBE32(p + i);
        s1 += endian::LoadBE32(p + i + 4);
        s2 += endian::LoadBE32(p + i + 8);
        s3 += endian::LoadBE32(p + i + 12);
    }
    sum += s0 + s1 + s2 + s3;
#endif
    for (; i + 4 <= n; i += 4) sum += endian::LoadBE32(p + i);
    for (uint32_t k = 0; i < n; ++i, ++k) sum += static_cast<uint32_t>(p[i]) << (8 * (3 - k));
    return sum;
}

}  // namespace

TTFontFile::TTFontFile(HBaseFile* file) : file_(file) {}

const uint8_t* TTFontFile::MemoryBlock() const { return memory_ ? memory_->GetData() : nullptr; }

TTFontFile::~TTFontFile() { Close(); }

int TTFontFile::FindEntry(uint32_t tag) const {
    for (uint32_t i = 0; i < numTables_; ++i)
        if (endian::LoadBE32(directory_.data() + kEntrySize * i) == tag) return static_cast<int>(i);
    return -1;
}

TTFontFile::Table TTFontFile::EntryTable(int entry) const {
    const uint8_t* p = directory_.data() + kEntrySize * static_cast<uint32_t>(entry);
    return {endian::LoadBE32(p + 8), endian::LoadBE32(p + 12)};
}

bool TTFontFile::ReadAt(uint32_t offset, uint8_t* data, uint32_t length) const {
    if (length == 0) return true;
    if (!file_ || static_cast<uint64_t>(offset) + length > kMaxFileLength) return false;
    if (file_->SeekFromBegin(offset) != offset) return false;
    return file_->Read(data, length) == length;
}

bool TTFontFile::WriteAt(uint32_t offset, const uint8_t* data, uint32_t length) {
    if (length == 0) return true;
    DropReadAhead();
    if (!file_ || static_cast<uint64_t>(offset) + length > kMaxFileLength) return false;
    if (file_->SeekFromBegin(offset) != offset) return false;
    return file_->Write(data, length) == length;
}

bool TTFontFile::ReadGlyphBytes(uint32_t offset, uint8_t* data, uint32_t length) {
    const uint64_t end = static_cast<uint64_t>(offset) + length;
    // A memory file's block is read where it lies.
    if (const uint8_t* block = MemoryBlock(); block != nullptr) {
        if (end > memory_->GetLength()) return false;
        std::memcpy(data, block + offset, length);
        return true;
    }
    const bool cached = offset >= readAheadAt_ && end <= readAheadAt_ + static_cast<uint64_t>(readAhead_.size());
    if (!cached) {
        // Glyphs are mostly read in order: one read fetches the following ones too.
        const uint64_t glyfEnd = static_cast<uint64_t>(glyfOffset_) + glyfLength_;
        if (length > kReadAheadSize || end > glyfEnd) return ReadAt(offset, data, length);
        const auto n = static_cast<uint32_t>(std::min<uint64_t>(kReadAheadSize, glyfEnd - offset));
        readAhead_.resize(n);
        if (!ReadAt(offset, readAhead_.data(), n)) {
            DropReadAhead();
            return false;
        }
        readAheadAt_ = offset;
    }
    std::memcpy(data, readAhead_.data() + (offset - readAheadAt_), length);
    return true;
}

void TTFontFile::DropReadAhead() {
    readAhead_.clear();
    readAheadAt_ = 0;
}

bool TTFontFile::ReadTable(uint32_t tag, std::vector<uint8_t>& buffer, uint32_t* length) const {
    const int entry = FindEntry(tag);
    if (entry < 0 || !file_) return false;
    const Table t = EntryTable(entry);
    if (static_cast<uint64_t>(t.offset) + t.length > file_->GetLength()) return false;
    if (t.length > kMaxFileLength) return false;
    buffer.assign(Pad4(t.length), 0);
    if (!ReadAt(t.offset, buffer.data(), t.length)) {
        buffer.clear();
        return false;
    }
    if (length) *length = t.length;
    return true;
}

bool TTFontFile::WriteTable(uint32_t tag, const uint8_t* data, uint32_t length, uint32_t offset) {
    const int entry = FindEntry(tag);
    if (entry < 0) return false;
    if (length > 0 && !data) return false;
    uint8_t* p = directory_.data() + kEntrySize * static_cast<uint32_t>(entry);
    endian::StoreBE32(p + 0, tag);
    endian::StoreBE32(p + 4, length > 0 ? SfntChecksum(data, length) : 0);
    endian::StoreBE32(p + 8, offset);
    endian::StoreBE32(p + 12, length);
    // The directory now differs from the file's: Close must write it.
    if (open_) dirty_ = true;
    return WriteAt(offset, data, length);
}

void TTFontFile::Release() {
    // Swapping with empty vectors gives the memory back, not only the contents.
    std::vector<uint8_t>().swap(directory_);
    std::vector<int>().swap(behindGlyf_);
    std::vector<uint8_t>().swap(cmap_);
    std::vector<uint8_t>().swap(hmtx_);
    std::vector<uint8_t>().swap(vmtx_);
    std::vector<uint8_t>().swap(maxp_);
    std::vector<uint8_t>().swap(locaBytes_);
    std::vector<uint32_t>().swap(loca_);
    std::vector<uint8_t>().swap(readAhead_);
    readAheadAt_ = 0;
    numTables_ = 0;
    cmapLength_ = 0;
    format2_ = format4_ = -1;
    std::memset(vendorId_, 0, sizeof vendorId_);
    winAscent_ = winDescent_ = unitsPerEm_ = 0;
    longLoca_ = false;
    designBox_ = TTDesignBox{};
    glyfOffset_ = glyfLength_ = 0;
    numberOfHMetrics_ = numOfLongVerMetrics_ = 0;
    hasVmtx_ = false;
    numGlyphs_ = maxPoints_ = maxContours_ = 0;
    pendingFrom_ = UINT32_MAX;
    pendingDelta_ = 0;
    open_ = false;
    dirty_ = false;
}

const char* TTFontFile::ErrorName(Error error) {
    switch (error) {
        case Error::None: return "no error";
        case Error::NoFile: return "no font open";
        case Error::NotTrueType: return "not a TrueType font";
        case Error::BadDirectory: return "damaged table directory";
        case Error::MissingTable: return "a needed table is missing or too short";
        case Error::BadHeader: return "damaged font header";
        case Error::BadCmap: return "damaged or unusable character map";
        case Error::BadMetrics: return "damaged metrics";
        case Error::BadGlyf: return "damaged glyph table or index";
        case Error::Unmapped: return "no glyph for the code";
        case Error::BadGlyph: return "damaged glyph";
        case Error::TooLarge: return "the font would grow past its limits";
        case Error::ReadFailed: return "the font could not be read";
        case Error::WriteFailed: return "the font could not be written";
    }
    return "unknown";
}

bool TTFontFile::Attach(HBaseFile* file) {
    if (open_) Close();
    Release();
    error_ = Error::None;
    file_ = file;
    memory_ = dynamic_cast<const HMemFile*>(file);
    if (!file_) return Fail(Error::NoFile);
    if (!Load()) {
        const Error why = error_ == Error::None ? Error::BadDirectory : error_;
        Release();
        return Fail(why);
    }
    open_ = true;
    return true;
}

bool TTFontFile::Load() {
    const uint64_t fileLength = file_->GetLength();
    if (fileLength > kMaxFileLength) return Fail(Error::NotTrueType);

    // Offset table and directory.
    uint8_t header[kOffsetTableSize];
    if (fileLength < kOffsetTableSize || !ReadAt(0, header, kOffsetTableSize)) return Fail(Error::NotTrueType);
    const uint32_t version = endian::LoadBE32(header);
    if (version != kSfntVersionTrueType && version != kSfntVersionApple) return Fail(Error::NotTrueType);
    numTables_ = endian::LoadBE16(header + 4);
    const uint64_t directoryEnd = kOffsetTableSize + static_cast<uint64_t>(kEntrySize) * numTables_;
    if (numTables_ == 0 || directoryEnd > fileLength) return Fail(Error::BadDirectory);
    directory_.assign(kEntrySize * numTables_, 0);
    if (!ReadAt(kOffsetTableSize, directory_.data(), static_cast<uint32_t>(directory_.size())))
        return Fail(Error::ReadFailed);

    // Every table inside the file, behind the directory, none twice, none overlapping another.
    std::vector<std::pair<uint32_t, uint32_t>> extents;
    std::vector<uint32_t> tags;
    for (uint32_t i = 0; i < numTables_; ++i) {
        const uint32_t tag = endian::LoadBE32(directory_.data() + kEntrySize * i);
        const Table t = EntryTable(static_cast<int>(i));
        if (static_cast<uint64_t>(t.offset) + t.length > fileLength) return Fail(Error::BadDirectory);
        if (t.length > 0) {
            if (t.offset < directoryEnd) return Fail(Error::BadDirectory);
            extents.emplace_back(t.offset, t.length);
        }
        tags.push_back(tag);
    }
    std::sort(tags.begin(), tags.end());
    if (std::adjacent_find(tags.begin(), tags.end()) != tags.end()) return Fail(Error::BadDirectory);
    std::sort(extents.begin(), extents.end());
    for (size_t i = 1; i < extents.size(); ++i)
        if (static_cast<uint64_t>(extents[i - 1].first) + extents[i - 1].second > extents[i].first)
            return Fail(Error::BadDirectory);

    std::vector<uint8_t> table;
    uint32_t length = 0;

    // OS/2: vendor and Windows ascent/descent.
    if (!ReadTable(kTagOs2, table, &length) || length < kOs2MinLength) return Fail(Error::MissingTable);
    std::memcpy(vendorId_, table.data() + 58, 4);
    winAscent_ = endian::LoadBE16(table.data() + 74);
    winDescent_ = endian::LoadBE16(table.data() + 76);

    // head: em size and loca format.
    if (!ReadTable(kTagHead, table, &length) || length < kHeadMinLength) return Fail(Error::MissingTable);
    unitsPerEm_ = endian::LoadBE16(table.data() + 18);
    const uint16_t locaFormat = endian::LoadBE16(table.data() + 50);
    if (unitsPerEm_ < kMinUnitsPerEm || unitsPerEm_ > kMaxUnitsPerEm || locaFormat > 1) return Fail(Error::BadHeader);
    longLoca_ = locaFormat == 1;
    designBox_.unitsPerEm = unitsPerEm_;
    designBox_.left = 0;
    designBox_.right = static_cast<int16_t>(unitsPerEm_ - 1);
    designBox_.bottom = static_cast<int16_t>(1 - static_cast<int>(winDescent_));
    designBox_.top = static_cast<int16_t>(winAscent_);

    if (!LoadCmap()) return Fail(Error::BadCmap);

    // Horizontal and vertical headers.
    if (!ReadTable(kTagHhea, table, &length) || length < kHheaMinLength) return Fail(Error::MissingTable);
    numberOfHMetrics_ = endian::LoadBE16(table.data() + 34);
    const bool hasVhea = FindEntry(kTagVhea) >= 0;
    if (hasVhea) {
        if (!ReadTable(kTagVhea, table, &length) || length < kHheaMinLength) return Fail(Error::MissingTable);
        numOfLongVerMetrics_ = endian::LoadBE16(table.data() + 34);
    }

    // maxp: the glyph count every other count is checked against.
    uint32_t maxpLength = 0;
    if (!ReadTable(kTagMaxp, maxp_, &maxpLength) || maxpLength < kMaxpMinLength) return Fail(Error::MissingTable);
    numGlyphs_ = endian::LoadBE16(maxp_.data() + 4);
    maxPoints_ = endian::LoadBE16(maxp_.data() + 6);
    maxContours_ = endian::LoadBE16(maxp_.data() + 8);
    if (numGlyphs_ == 0) return Fail(Error::BadHeader);

    // Metrics: long metrics for 1..numGlyphs glyphs, then one bearing per remaining glyph.
    const auto metricsFit = [&](uint32_t tableLength, uint16_t longCount) {
        return longCount >= 1 && longCount <= numGlyphs_ &&
               4ull * longCount + 2ull * (numGlyphs_ - longCount) <= tableLength;
    };
    uint32_t hmtxLength = 0;
    if (!ReadTable(kTagHmtx, hmtx_, &hmtxLength)) return Fail(Error::MissingTable);
    if (!metricsFit(hmtxLength, numberOfHMetrics_)) return Fail(Error::BadMetrics);
    if (FindEntry(kTagVmtx) >= 0) {
        uint32_t vmtxLength = 0;
        if (!hasVhea || !ReadTable(kTagVmtx, vmtx_, &vmtxLength)) return Fail(Error::MissingTable);
        if (!metricsFit(vmtxLength, numOfLongVerMetrics_)) return Fail(Error::BadMetrics);
        hasVmtx_ = true;
    }

    // glyf, then loca, whose offsets must run forwards and stay inside glyf.
    const int glyfEntry = FindEntry(kTagGlyf);
    if (glyfEntry < 0) return Fail(Error::MissingTable);
    const Table glyf = EntryTable(glyfEntry);
    glyfOffset_ = glyf.offset;
    glyfLength_ = glyf.length;
    // Even an empty glyf takes the first glyph written at its offset: that place must belong to
    // no other table and lie behind the directory.
    if (glyfOffset_ < directoryEnd) return Fail(Error::BadGlyf);
    for (uint32_t i = 0; i < numTables_; ++i) {
        const Table t = EntryTable(static_cast<int>(i));
        if (static_cast<int>(i) != glyfEntry && t.length > 0 && glyfOffset_ >= t.offset &&
            glyfOffset_ < static_cast<uint64_t>(t.offset) + t.length)
            return Fail(Error::BadGlyf);
    }
    uint32_t locaLength = 0;
    if (!ReadTable(kTagLoca, locaBytes_, &locaLength)) return Fail(Error::MissingTable);
    if (!LoadLoca(locaBytes_, locaLength)) return Fail(Error::BadGlyf);

    // Tables behind glyf move with its end; one starting inside it (even an empty one) would not.
    for (uint32_t i = 0; i < numTables_; ++i) {
        const uint32_t offset = EntryTable(static_cast<int>(i)).offset;
        if (offset <= glyfOffset_) continue;
        if (offset < static_cast<uint64_t>(glyfOffset_) + glyfLength_) return Fail(Error::BadGlyf);
        behindGlyf_.push_back(static_cast<int>(i));
    }
    return true;
}

bool TTFontFile::LoadLoca(const std::vector<uint8_t>& bytes, uint32_t length) {
    const uint64_t count = static_cast<uint64_t>(numGlyphs_) + 1;
    if (count * (longLoca_ ? 4 : 2) > length) return false;
    loca_.resize(count);
    uint32_t previous = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t value = longLoca_ ? endian::LoadBE32(bytes.data() + 4 * i)
                                         : 2u * endian::LoadBE16(bytes.data() + 2 * i);
        if (value < previous || value > glyfLength_) return false;
        loca_[i] = previous = value;
    }
    return true;
}

// ---- cmap ------------------------------------------------------------------------------------

uint16_t TTFontFile::Cmap16(uint64_t at) const {
    if (at + 2 > cmapLength_) return 0;
    return endian::LoadBE16(cmap_.data() + at);
}

bool TTFontFile::LoadCmap() {
    if (!ReadTable(kTagCmap, cmap_, &cmapLength_) || cmapLength_ < 4) return false;
    const uint32_t records = endian::LoadBE16(cmap_.data() + 2);
    if (4ull + 8ull * records > cmapLength_) return false;
    for (uint32_t i = 0; i < records; ++i) {
        const uint8_t* record = cmap_.data() + 4 + 8 * i;
        if (endian::LoadBE16(record) != 3 || endian::LoadBE16(record + 2) != 1) continue;
        const uint32_t at = endian::LoadBE32(record + 4);
        if (static_cast<uint64_t>(at) + 2 > cmapLength_) return false;
        const uint16_t format = endian::LoadBE16(cmap_.data() + at);
        if (format == 2) {
            if (!CheckFormat2(at)) return false;
            format2_ = at;
        } else if (format == 4) {
            if (!CheckFormat4(at)) return false;
            format4_ = at;
            break;
        }
    }
    return format2_ >= 0 || format4_ >= 0;
}

bool TTFontFile::CheckFormat4(uint32_t at) const {
    const uint64_t base = at;
    if (base + kFormat4HeaderSize > cmapLength_) return false;
    const uint32_t segCountX2 = endian::LoadBE16(cmap_.data() + at + 6);
    if (segCountX2 == 0 || (segCountX2 & 1)) return false;
    const uint32_t segments = segCountX2 / 2;
    // endCode, reservedPad, startCode, idDelta, idRangeOffset.
    if (base + kFormat4HeaderSize + 2 + 4ull * segCountX2 > cmapLength_) return false;
    const uint64_t ends = base + kFormat4HeaderSize;
    const uint64_t starts = ends + segCountX2 + 2;
    const uint64_t ranges = starts + 2ull * segCountX2;
    int64_t previousEnd = -1;
    for (uint32_t s = 0; s < segments; ++s) {
        const uint16_t end = Cmap16(ends + 2 * s);
        const uint16_t start = Cmap16(starts + 2 * s);
        // Ascending, disjoint segments: a lookup then finds the one segment of a code, and a walk
        // over all segments visits each code at most once.
        if (start > end || start <= previousEnd) return false;
        previousEnd = end;
        const uint16_t rangeOffset = Cmap16(ranges + 2 * s);
        // The lone 0xFFFF segment is never looked up through its range, so it is not checked.
        if (rangeOffset == 0 || start == 0xFFFF) continue;
        const uint64_t last = ranges + 2 * s + rangeOffset + 2ull * (end - start);
        if (last + 2 > cmapLength_) return false;
    }
    return true;
}

bool TTFontFile::CheckFormat2(uint32_t at) const {
    const uint64_t base = at;
    if (base + kFormat2SubHeadersAt > cmapLength_) return false;
    for (uint32_t high = 0; high < 256; ++high) {
        const uint16_t key = Cmap16(base + kFormat2KeysAt + 2 * high);
        if (key % kFormat2SubHeaderSize != 0) return false;
        const uint64_t subHeader = base + kFormat2SubHeadersAt + key;
        if (subHeader + kFormat2SubHeaderSize > cmapLength_) return false;
        const uint16_t firstCode = Cmap16(subHeader);
        const uint16_t entryCount = Cmap16(subHeader + 2);
        const uint16_t rangeOffset = Cmap16(subHeader + 6);
        if (entryCount == 0) continue;
        if (static_cast<uint32_t>(firstCode) + entryCount > 256) return false;
        const uint64_t last = subHeader + 6 + rangeOffset + 2ull * (entryCount - 1);
        if (last + 2 > cmapLength_) return false;
    }
    return true;
}

uint16_t TTFontFile::Format4Glyph(uint32_t segment, uint16_t code) const {
    const uint64_t base = static_cast<uint64_t>(format4_);
    const uint32_t segCountX2 = Cmap16(base + 6);
    const uint64_t starts = base + kFormat4HeaderSize + segCountX2 + 2;
    const uint64_t deltas = starts + segCountX2;
    const uint64_t ranges = deltas + segCountX2;
    const uint16_t start = Cmap16(starts + 2 * segment);
    const uint16_t delta = Cmap16(deltas + 2 * segment);
    const uint16_t rangeOffset = Cmap16(ranges + 2 * segment);
    if (rangeOffset == 0) return static_cast<uint16_t>(code + delta);
    // Cmap16 answers 0 for anything outside the table.
    const uint16_t glyph = Cmap16(ranges + 2 * segment + rangeOffset + 2ull * (code - start));
    return glyph == 0 ? 0 : static_cast<uint16_t>(glyph + delta);
}

uint16_t TTFontFile::Format4Lookup(uint16_t code) const {
    const uint64_t base = static_cast<uint64_t>(format4_);
    const uint32_t segments = Cmap16(base + 6) / 2;
    const uint64_t ends = base + kFormat4HeaderSize;
    const uint64_t starts = ends + 2ull * segments + 2;
    for (uint32_t s = 0; s < segments; ++s) {
        if (Cmap16(ends + 2 * s) < code) continue;
        if (code < Cmap16(starts + 2 * s)) return 0;
        return Format4Glyph(s, code);
    }
    return 0;
}

uint16_t TTFontFile::Format2Glyph(uint32_t subHeader, uint8_t low) const {
    const uint16_t firstCode = Cmap16(subHeader);
    const uint16_t entryCount = Cmap16(subHeader + 2);
    const uint16_t delta = Cmap16(subHeader + 4);
    const uint16_t rangeOffset = Cmap16(subHeader + 6);
    if (low < firstCode || low >= static_cast<uint32_t>(firstCode) + entryCount) return 0;
    const uint16_t glyph = Cmap16(static_cast<uint64_t>(subHeader) + 6 + rangeOffset + 2ull * (low - firstCode));
    return glyph == 0 ? 0 : static_cast<uint16_t>(glyph + delta);
}

uint16_t TTFontFile::Format2Lookup(uint16_t code) const {
    const uint64_t base = static_cast<uint64_t>(format2_);
    const uint16_t key = Cmap16(base + kFormat2KeysAt + 2 * (code >> 8));
    if (key == 0) return 0;
    return Format2Glyph(static_cast<uint32_t>(base + kFormat2SubHeadersAt + key), static_cast<uint8_t>(code & 0xFF));
}

uint16_t TTFontFile::CodeToGlyphIndex(uint16_t code) const {
    if (!open_) return 0;
    if (format4_ >= 0) return Format4Lookup(code);
    if (format2_ >= 0) return Format2Lookup(code);
    return 0;
}

int TTFontFile::ListMappedCodes(uint16_t* buffer, int capacity) const {
    if (!open_) return 0;
    int count = 0;
    int stored = 0;
    const auto take = [&](uint32_t code) {
        ++count;
        if (buffer && stored < capacity) buffer[stored++] = static_cast<uint16_t>(code);
    };
    if (format4_ >= 0) {
        const uint64_t base = static_cast<uint64_t>(format4_);
        const uint32_t segCountX2 = Cmap16(base + 6);
        const uint64_t ends = base + kFormat4HeaderSize;
        const uint64_t starts = ends + segCountX2 + 2;
        for (uint32_t s = 0; s < segCountX2 / 2; ++s) {
            const uint32_t end = Cmap16(ends + 2 * s);
            for (uint32_t code = Cmap16(starts + 2 * s); code <= end; ++code)
                if (Format4Glyph(s, static_cast<uint16_t>(code)) != 0) take(code);
        }
    } else if (format2_ >= 0) {
        const uint64_t base = static_cast<uint64_t>(format2_);
        for (uint32_t high = 0; high < 256; ++high) {
            const uint16_t key = Cmap16(base + kFormat2KeysAt + 2 * high);
            if (key == 0) continue;
            const auto subHeader = static_cast<uint32_t>(base + kFormat2SubHeadersAt + key);
            const uint32_t firstCode = Cmap16(subHeader);
            const uint32_t entryCount = Cmap16(subHeader + 2);
            for (uint32_t low = firstCode; low < firstCode + entryCount && low < 256; ++low)
                if (Format2Glyph(subHeader, static_cast<uint8_t>(low)) != 0) take((high << 8) | low);
        }
    }
    return buffer ? stored : count;
}

// ---- glyphs ----------------------------------------------------------------------------------

void TTFontFile::LoadMetric(const std::vector<uint8_t>& table, uint16_t longCount, uint16_t index, uint16_t* advance,
                            int16_t* bearing) const {
    if (index < longCount) {
        *advance = endian::LoadBE16(table.data() + 4u * index);
        *bearing = static_cast<int16_t>(endian::LoadBE16(table.data() + 4u * index + 2));
    } else {
        *advance = endian::LoadBE16(table.data() + 4u * (longCount - 1u));
        *bearing = static_cast<int16_t>(endian::LoadBE16(table.data() + 4u * longCount + 2u * (index - longCount)));
    }
}

void TTFontFile::StoreMetric(std::vector<uint8_t>& table, uint16_t longCount, uint16_t index, uint16_t advance,
                             int16_t bearing) {
    if (index < longCount) {
        endian::StoreBE16(table.data() + 4u * index, advance);
        endian::StoreBE16(table.data() + 4u * index + 2, static_cast<uint16_t>(bearing));
    } else {
        endian::StoreBE16(table.data() + 4u * longCount + 2u * (index - longCount), static_cast<uint16_t>(bearing));
    }
}

bool TTFontFile::GetGlyph(uint16_t code, TTGlyph& glyph) {
    if (!open_) return Fail(Error::NoFile);
    const uint16_t index = CodeToGlyphIndex(code);
    if (index == 0) return Fail(Error::Unmapped);
    return ReadGlyph(index, glyph);
}

bool TTFontFile::PutGlyph(uint16_t code, const TTGlyph& glyph) {
    if (!open_) return Fail(Error::NoFile);
    const uint16_t index = CodeToGlyphIndex(code);
    if (index == 0) return Fail(Error::Unmapped);
    return WriteGlyph(index, glyph);
}

bool TTFontFile::GlyphRange(uint16_t index, uint32_t& start, uint32_t& length) {
    if (!open_) return Fail(Error::NoFile);
    if (index >= numGlyphs_) return Fail(Error::Unmapped);
    start = LocaAt(index);
    const uint32_t end = LocaAt(index + 1u);
    if (end < start || end > glyfLength_) return Fail(Error::BadGlyf);
    length = end - start;
    return true;
}

bool TTFontFile::CheckGlyph(uint16_t code, bool* empty) {
    if (!open_) return Fail(Error::NoFile);
    const uint16_t index = CodeToGlyphIndex(code);
    if (index == 0) return Fail(Error::Unmapped);
    uint32_t start = 0, length = 0;
    if (!GlyphRange(index, start, length)) return false;
    if (empty) *empty = length == 0;
    if (length == 0) return true;
    const uint64_t at = static_cast<uint64_t>(glyfOffset_) + start;
    const uint8_t* bytes = MemoryBlock();
    if (bytes) {
        if (at + length > memory_->GetLength()) return Fail(Error::ReadFailed);
        bytes += at;
    } else {
        checkBuffer_.resize(length);
        if (!ReadGlyphBytes(static_cast<uint32_t>(at), checkBuffer_.data(), length)) return Fail(Error::ReadFailed);
        bytes = checkBuffer_.data();
    }
    return TTGlyph::IsSimpleGlyph(bytes, length) ? true : Fail(Error::BadGlyph);
}

bool TTFontFile::ReadGlyph(uint16_t index, TTGlyph& glyph) {
    if (!open_) return Fail(Error::NoFile);
    if (index >= numGlyphs_) return Fail(Error::Unmapped);
    uint32_t start = 0, length = 0;
    if (!GlyphRange(index, start, length)) {
        glyph.Reset();
        return false;
    }
    if (length == 0) {
        glyph.Reset();
    } else {
        uint8_t* data = glyph.ResizeData(length);
        if (!data || !ReadGlyphBytes(glyfOffset_ + start, data, length)) {
            glyph.Reset();
            return Fail(Error::ReadFailed);
        }
        // Composite glyphs, and data that does not hold a whole simple glyph, are not readable.
        if (!glyph.GetContourInfo(nullptr, nullptr)) {
            glyph.Reset();
            return Fail(Error::BadGlyph);
        }
    }
    uint16_t advanceWidth = 0, advanceHeight = 0;
    int16_t leftSideBearing = 0, topSideBearing = 0;
    LoadMetric(hmtx_, numberOfHMetrics_, index, &advanceWidth, &leftSideBearing);
    if (hasVmtx_) {
        LoadMetric(vmtx_, numOfLongVerMetrics_, index, &advanceHeight, &topSideBearing);
    } else {
        advanceHeight = unitsPerEm_;
        int16_t yMax = 0;
        if (glyph.GetBoundingBox(nullptr, nullptr, nullptr, &yMax))
            topSideBearing = static_cast<int16_t>(winAscent_ - yMax);
    }
    glyph.SetMetrics(advanceWidth, advanceHeight, leftSideBearing, topSideBearing);
    return true;
}

void TTFontFile::AddToLocaFrom(uint32_t from, uint32_t delta) {
    // One delta is owed lazily by a suffix of the table; moving the suffix's start only touches
    // the entries in between, so edits in ascending glyph order cost O(numGlyphs) in all.
    const auto size = static_cast<uint32_t>(loca_.size());
    if (pendingFrom_ >= size) {
        pendingFrom_ = from;
        pendingDelta_ = delta;
    } else if (from >= pendingFrom_) {
        for (uint32_t i = pendingFrom_; i < from && i < size; ++i) loca_[i] += pendingDelta_;
        pendingFrom_ = from;
        pendingDelta_ += delta;
    } else {
        for (uint32_t i = from; i < pendingFrom_; ++i) loca_[i] += delta;
        pendingDelta_ += delta;
    }
}

void TTFontFile::SettleLoca() {
    for (uint32_t i = pendingFrom_; i < loca_.size(); ++i) loca_[i] += pendingDelta_;
    pendingFrom_ = UINT32_MAX;
    pendingDelta_ = 0;
}

bool TTFontFile::MoveRange(uint32_t from, uint32_t count, int64_t delta) {
    if (count == 0 || delta == 0) return true;
    std::vector<uint8_t> chunk(std::min<uint32_t>(count, 64 * 1024));
    const auto chunkSize = static_cast<uint32_t>(chunk.size());
    // Upwards from the back, downwards from the front, so that no byte is overwritten unmoved.
    for (uint32_t done = 0; done < count;) {
        const uint32_t n = std::min(chunkSize, count - done);
        const uint32_t source = delta > 0 ? from + count - done - n : from + done;
        const auto target = static_cast<uint32_t>(source + delta);
        if (!ReadAt(source, chunk.data(), n) || !WriteAt(target, chunk.data(), n)) return false;
        done += n;
    }
    return true;
}

uint64_t TTFontFile::FirstBehindGlyf() const {
    uint64_t first = UINT64_MAX;
    for (int entry : behindGlyf_) first = std::min<uint64_t>(first, EntryTable(entry).offset);
    return first;
}

int64_t TTFontFile::BehindGlyfShift(uint64_t newGlyfEnd) const {
    // Tables behind glyf move by a multiple of 4 so that each keeps its alignment; the padding
    // between the end of glyf and the first of them absorbs the rest. So the first of them ends
    // up at the first place of its alignment at or behind the end of glyf, however glyf got there.
    const int64_t need = static_cast<int64_t>(newGlyfEnd) - static_cast<int64_t>(FirstBehindGlyf());
    return ((need + 3) >> 2) << 2;  // the multiple of 4 at or above need
}

bool TTFontFile::ReplaceGlyf(const std::vector<uint8_t>& newGlyf) {
    DropReadAhead();
    const uint64_t fileLength = file_->GetLength();
    const uint64_t oldGlyfEnd = static_cast<uint64_t>(glyfOffset_) + glyfLength_;
    const uint64_t newGlyfEnd = static_cast<uint64_t>(glyfOffset_) + newGlyf.size();
    // What lies behind glyf moves as a whole: the file's rest when glyf is the last table, else
    // everything from the first table behind it on.
    const uint64_t tailFrom = behindGlyf_.empty() ? oldGlyfEnd : FirstBehindGlyf();
    const int64_t shift = behindGlyf_.empty() ? static_cast<int64_t>(newGlyfEnd) - static_cast<int64_t>(oldGlyfEnd)
                                              : BehindGlyfShift(newGlyfEnd);
    const uint64_t tailAt = tailFrom + shift;
    const uint64_t newLength = fileLength + shift;
    if (newLength > kMaxFileLength || tailFrom > fileLength) return Fail(Error::TooLarge);
    std::vector<uint8_t> tail(static_cast<size_t>(fileLength - tailFrom));
    if (!ReadAt(static_cast<uint32_t>(tailFrom), tail.data(), static_cast<uint32_t>(tail.size())))
        return Fail(Error::ReadFailed);
    const std::vector<uint8_t> padding(static_cast<size_t>(tailAt - newGlyfEnd), 0);
    if (!file_->SetLength(static_cast<uint32_t>(newLength)) ||
        !WriteAt(glyfOffset_, newGlyf.data(), static_cast<uint32_t>(newGlyf.size())) ||
        !WriteAt(static_cast<uint32_t>(newGlyfEnd), padding.data(), static_cast<uint32_t>(padding.size())) ||
        !WriteAt(static_cast<uint32_t>(tailAt), tail.data(), static_cast<uint32_t>(tail.size())))
        return Fail(Error::WriteFailed);
    glyfLength_ = static_cast<uint32_t>(newGlyf.size());
    for (int entry : behindGlyf_) {
        uint8_t* p = directory_.data() + kEntrySize * static_cast<uint32_t>(entry);
        endian::StoreBE32(p + 8, endian::LoadBE32(p + 8) + static_cast<uint32_t>(shift));
    }
    return true;
}

bool TTFontFile::PutGlyphs(std::vector<TTGlyphEdit>& edits) {
    if (!open_) return Fail(Error::NoFile);
    for (TTGlyphEdit& e : edits) e.stored = false;

    // The edits PutGlyph would take, each with the glyph it would store (a copy with the box of
    // its points where the stored box disagrees).
    struct Accepted {
        uint16_t index;
        const TTGlyph* glyph;
        size_t edit;
        int16_t contours;
        uint32_t points;
        uint32_t Length() const { return glyph->IsEmpty() ? 0 : glyph->Length(); }
    };
    std::vector<Accepted> accepted;
    std::vector<std::unique_ptr<TTGlyph>> fixed;
    for (size_t i = 0; i < edits.size(); ++i) {
        const TTGlyph* glyph = edits[i].glyph;
        const uint16_t index = CodeToGlyphIndex(edits[i].code);
        int16_t contours = 0;
        uint32_t points = 0;
        if (!glyph || index == 0 || index >= numGlyphs_ || !glyph->GetContourInfo(&contours, &points)) continue;
        if (!glyph->HasTrueBoundingBox()) {
            auto copy = std::make_unique<TTGlyph>(*glyph);
            if (!copy->FixBoundingBox()) continue;
            glyph = fixed.emplace_back(std::move(copy)).get();
        }
        accepted.push_back({index, glyph, i, contours, points});
    }
    if (accepted.empty()) return true;

    // By glyph, the last edit wins; the layout changes when any edit, in its turn, changes the
    // length its glyph has then.
    std::vector<size_t> byGlyph(accepted.size());
    for (size_t i = 0; i < byGlyph.size(); ++i) byGlyph[i] = i;
    std::stable_sort(byGlyph.begin(), byGlyph.end(),
                     [&](size_t a, size_t b) { return accepted[a].index < accepted[b].index; });
    std::vector<const Accepted*> last;  // one per edited glyph, in glyph order
    bool layoutChanges = false;
    int64_t glyfDelta = 0;
    for (size_t k = 0; k < byGlyph.size(); ++k) {
        const Accepted& a = accepted[byGlyph[k]];
        const bool first = k == 0 || accepted[byGlyph[k - 1]].index != a.index;
        const uint32_t oldLength = LocaAt(a.index + 1u) - LocaAt(a.index);
        const uint32_t before = first ? oldLength : last.back()->Length();
        if (a.Length() != before) layoutChanges = true;
        if (first) {
            last.push_back(&a);
        } else {
            glyfDelta -= static_cast<int64_t>(last.back()->Length()) - oldLength;
            last.back() = &a;
        }
        glyfDelta += static_cast<int64_t>(a.Length()) - oldLength;
    }

    if (layoutChanges) {
        const int64_t newGlyfLength = static_cast<int64_t>(glyfLength_) + glyfDelta;
        if (newGlyfLength > UINT32_MAX || newGlyfLength < 0) return Fail(Error::TooLarge);
        // Short offsets cannot hold odd glyph lengths or a glyf beyond 128 KB.
        if (!longLoca_ && !WidenLoca()) return false;
        // The new glyf: unchanged runs of glyphs as they are, the edited glyphs in their places,
        // and whatever glyf holds behind its last glyph.
        std::vector<uint8_t> glyf(static_cast<size_t>(newGlyfLength));
        std::vector<uint32_t> loca(loca_.size());
        uint32_t at = 0;
        uint32_t next = 0;  // the first glyph not yet placed
        const auto copyOld = [&](uint32_t upTo) {  // glyphs next .. upTo - 1, and loca up to upTo
            const uint32_t from = LocaAt(next), to = LocaAt(upTo);
            for (uint32_t i = next; i <= upTo && i < loca.size(); ++i) loca[i] = LocaAt(i) - from + at;
            if (!ReadAt(glyfOffset_ + from, glyf.data() + at, to - from)) return false;
            at += to - from;
            next = upTo;
            return true;
        };
        for (const Accepted* a : last) {
            if (!copyOld(a->index)) return Fail(Error::ReadFailed);
            const uint32_t n = a->Length();
            if (n > 0) std::memcpy(glyf.data() + at, a->glyph->Data(), n);
            at += n;
            next = a->index + 1u;
            loca[next] = at;
        }
        // The glyphs behind the last edited one, and whatever glyf holds behind its last glyph.
        const uint32_t from = LocaAt(next);
        for (uint32_t i = next; i < loca.size(); ++i) loca[i] = LocaAt(i) - from + at;
        if (at + (glyfLength_ - from) != glyf.size()) return Fail(Error::BadGlyf);
        if (!ReadAt(glyfOffset_ + from, glyf.data() + at, glyfLength_ - from)) return Fail(Error::ReadFailed);
        if (!ReplaceGlyf(glyf)) return false;
        loca_ = std::move(loca);
        pendingFrom_ = UINT32_MAX;
        pendingDelta_ = 0;
    } else {
        for (const Accepted* a : last)
            if (!WriteAt(glyfOffset_ + LocaAt(a->index), a->glyph->Data(), a->Length())) return Fail(Error::WriteFailed);
    }

    for (const Accepted& a : accepted) {
        if (a.contours > 0 && static_cast<uint16_t>(a.contours) > maxContours_)
            maxContours_ = static_cast<uint16_t>(a.contours);
        if (a.points > maxPoints_) maxPoints_ = static_cast<uint16_t>(a.points);
        StoreMetric(hmtx_, numberOfHMetrics_, a.index, a.glyph->AdvanceWidth(), a.glyph->LeftSideBearing());
        if (hasVmtx_)
            StoreMetric(vmtx_, numOfLongVerMetrics_, a.index, a.glyph->AdvanceHeight(), a.glyph->TopSideBearing());
        edits[a.edit].stored = true;
    }
    dirty_ = true;
    return true;
}

bool TTFontFile::MakeRoom(uint32_t oldEnd, int64_t delta, int64_t* tableDelta) {
    DropReadAhead();
    const uint64_t length = file_->GetLength();
    const uint64_t from = static_cast<uint64_t>(glyfOffset_) + oldEnd;
    *tableDelta = delta;
    if (behindGlyf_.empty()) {
        // glyf ends the file: the tail is the later glyphs, and the file simply grows or shrinks.
        if (length + std::max<int64_t>(delta, 0) > kMaxFileLength) return false;
        if (!file_->ShiftTail(static_cast<uint32_t>(from), static_cast<int32_t>(delta))) return false;
        return delta > 0 || file_->SetLength(static_cast<uint32_t>(length + delta));
    }
    const uint64_t firstBehind = FirstBehindGlyf();
    const uint64_t glyfEnd = static_cast<uint64_t>(glyfOffset_) + glyfLength_;
    const int64_t shift = BehindGlyfShift(glyfEnd + delta);
    if (length + std::max<int64_t>(shift, 0) > kMaxFileLength) return false;
    const auto laterGlyphs = static_cast<uint32_t>(glyfEnd - from);
    if (delta > 0) {
        if (!file_->ShiftTail(static_cast<uint32_t>(firstBehind), static_cast<int32_t>(shift)) ||
            !MoveRange(static_cast<uint32_t>(from), laterGlyphs, delta))
            return false;
    } else {
        if (!MoveRange(static_cast<uint32_t>(from), laterGlyphs, delta) ||
            !file_->ShiftTail(static_cast<uint32_t>(firstBehind), static_cast<int32_t>(shift)))
            return false;
    }
    if (shift < 0 && !file_->SetLength(static_cast<uint32_t>(length + shift))) return false;
    // The padding is zeros, whatever bytes the moves left there.
    const uint64_t padFrom = glyfEnd + delta;
    const uint64_t padTo = firstBehind + shift;
    const std::vector<uint8_t> zeros(static_cast<size_t>(padTo - padFrom), 0);
    if (!WriteAt(static_cast<uint32_t>(padFrom), zeros.data(), static_cast<uint32_t>(zeros.size()))) return false;
    *tableDelta = shift;
    return true;
}

bool TTFontFile::WidenLoca() {
    const int entry = FindEntry(kTagLoca);
    const int headEntry = FindEntry(kTagHead);
    if (entry < 0 || headEntry < 0) return Fail(Error::MissingTable);
    const Table loca = EntryTable(entry);
    const uint64_t newLength = 4ull * (static_cast<uint64_t>(numGlyphs_) + 1);
    const uint64_t newEnd = static_cast<uint64_t>(loca.offset) + newLength;
    // Everything from the first table behind loca moves back far enough, by a multiple of 4 so
    // that each table keeps its alignment.
    const uint64_t fileLength = file_->GetLength();
    uint64_t next = fileLength;
    for (uint32_t i = 0; i < numTables_; ++i) {
        const Table t = EntryTable(static_cast<int>(i));
        if (t.offset > loca.offset && t.offset < next) next = t.offset;
    }
    const uint64_t shift = newEnd > next ? ((newEnd - next + 3) & ~3ull) : 0;
    if (fileLength + shift > kMaxFileLength) return Fail(Error::TooLarge);
    DropReadAhead();
    if (shift > 0) {
        if (next < fileLength) {
            if (!file_->ShiftTail(static_cast<uint32_t>(next), static_cast<int32_t>(shift))) return Fail(Error::WriteFailed);
        } else if (!file_->SetLength(static_cast<uint32_t>(fileLength + shift))) {
            return Fail(Error::WriteFailed);
        }
        for (uint32_t i = 0; i < numTables_; ++i) {
            uint8_t* p = directory_.data() + kEntrySize * i;
            const uint32_t offset = endian::LoadBE32(p + 8);
            if (offset >= next) endian::StoreBE32(p + 8, static_cast<uint32_t>(offset + shift));
        }
        if (glyfOffset_ >= next) glyfOffset_ += static_cast<uint32_t>(shift);
    }
    // The space loca now takes is written by WriteBack; the padding behind it is zeros.
    const uint64_t padTo = std::max<uint64_t>(next + shift, newEnd);
    const std::vector<uint8_t> zeros(static_cast<size_t>(padTo - newEnd), 0);
    if (!WriteAt(static_cast<uint32_t>(newEnd), zeros.data(), static_cast<uint32_t>(zeros.size())))
        return Fail(Error::WriteFailed);
    endian::StoreBE32(directory_.data() + kEntrySize * static_cast<uint32_t>(entry) + 12, static_cast<uint32_t>(newLength));
    locaBytes_.assign(Pad4(static_cast<uint32_t>(newLength)), 0);
    // head.indexToLocFormat = 1.
    const uint8_t longFormat[2] = {0, 1};
    if (!WriteAt(EntryTable(headEntry).offset + 50, longFormat, 2)) return Fail(Error::WriteFailed);
    longLoca_ = true;
    dirty_ = true;
    return true;
}

bool TTFontFile::WriteGlyph(uint16_t index, const TTGlyph& given) {
    if (!open_) return Fail(Error::NoFile);
    if (index >= numGlyphs_) return Fail(Error::Unmapped);
    int16_t contours = 0;
    uint32_t points = 0;
    if (!given.GetContourInfo(&contours, &points)) return Fail(Error::BadGlyph);
    // A stored box that disagrees with the points is replaced by theirs.
    TTGlyph fixed;
    const TTGlyph* glyph = &given;
    if (!given.HasTrueBoundingBox()) {
        fixed = given;
        if (!fixed.FixBoundingBox()) return Fail(Error::BadGlyph);
        glyph = &fixed;
    }
    const uint32_t newLength = glyph->IsEmpty() ? 0 : glyph->Length();
    const uint32_t oldStart = LocaAt(index);
    const uint32_t oldEnd = LocaAt(index + 1u);
    const int64_t delta = static_cast<int64_t>(newLength) - (static_cast<int64_t>(oldEnd) - oldStart);
    if (static_cast<int64_t>(glyfLength_) + delta > UINT32_MAX) return Fail(Error::TooLarge);
    // Short offsets cannot hold odd glyph lengths or a glyf beyond 128 KB.
    if (delta != 0 && !longLoca_ && !WidenLoca()) return false;
    int64_t tableDelta = 0;
    if (delta != 0 && !MakeRoom(oldEnd, delta, &tableDelta)) return Fail(Error::WriteFailed);
    if (newLength > 0 && !WriteAt(glyfOffset_ + oldStart, glyph->Data(), newLength)) return Fail(Error::WriteFailed);
    if (delta != 0) {
        // Modular arithmetic adds a negative delta too.
        AddToLocaFrom(index + 1u, static_cast<uint32_t>(delta));
        glyfLength_ += static_cast<uint32_t>(delta);
        for (int entry : behindGlyf_) {
            uint8_t* p = directory_.data() + kEntrySize * static_cast<uint32_t>(entry);
            endian::StoreBE32(p + 8, endian::LoadBE32(p + 8) + static_cast<uint32_t>(tableDelta));
        }
    }
    if (contours > 0 && static_cast<uint16_t>(contours) > maxContours_) maxContours_ = static_cast<uint16_t>(contours);
    if (points > maxPoints_) maxPoints_ = static_cast<uint16_t>(points);
    StoreMetric(hmtx_, numberOfHMetrics_, index, glyph->AdvanceWidth(), glyph->LeftSideBearing());
    if (hasVmtx_) StoreMetric(vmtx_, numOfLongVerMetrics_, index, glyph->AdvanceHeight(), glyph->TopSideBearing());
    dirty_ = true;
    return true;
}

// ---- write-back ------------------------------------------------------------------------------

bool TTFontFile::UpdateChecksums() {
    const int glyfEntry = FindEntry(kTagGlyf);
    const int headEntry = FindEntry(kTagHead);
    if (glyfEntry < 0 || headEntry < 0) return false;
    const Table glyf = EntryTable(glyfEntry);
    const Table head = EntryTable(headEntry);
    const uint64_t fileLength = file_->GetLength();
    const uint64_t directoryEnd = kOffsetTableSize + static_cast<uint64_t>(kEntrySize) * numTables_;
    const uint64_t adjustment = static_cast<uint64_t>(head.offset) + kHeadAdjustmentAt;

    // One pass over everything behind the directory: the glyf and head checksums and the file's
    // sum, with head's checkSumAdjustment counted as 0 in all three. The sums are sums of bytes in
    // their places, so a range may be summed in parts; glyf, most of the file, is summed once
    // when it starts on a word as the file's words do.
    uint32_t glyfSum = 0, headSum = 0, bodySum = 0;
    std::vector<uint8_t> buffer;
    const uint8_t* chunk = nullptr;
    const auto sumRange = [&](uint64_t chunkAt, uint64_t from, uint64_t to, uint64_t phaseBase) -> uint32_t {
        if (from >= to) return 0;
        return PhaseSum(chunk + (from - chunkAt), static_cast<uint32_t>(to - from),
                        static_cast<uint32_t>((from - phaseBase) & 3));
    };
    const uint64_t glyfEnd = static_cast<uint64_t>(glyf.offset) + glyf.length;
    const uint64_t headEnd = static_cast<uint64_t>(head.offset) + head.length;
    const bool glyfOnWord = (glyf.offset & 3) == 0;
    const uint8_t* block = MemoryBlock();
    if (block && fileLength > memory_->GetLength()) return false;
    if (!block) buffer.resize(64 * 1024);
    for (uint64_t at = directoryEnd; at < fileLength;) {
        // A memory file is summed where it lies, in one piece.
        const auto n = static_cast<uint32_t>(block ? fileLength - at : std::min<uint64_t>(buffer.size(), fileLength - at));
        if (block) {
            chunk = block + at;
        } else {
            if (!ReadAt(static_cast<uint32_t>(at), buffer.data(), n)) return false;
            chunk = buffer.data();
        }
        const uint64_t end = at + n;
        const uint64_t glyfFrom = std::clamp<uint64_t>(glyf.offset, at, end);
        const uint64_t glyfTo = std::clamp<uint64_t>(glyfEnd, glyfFrom, end);
        const uint32_t inGlyf = sumRange(at, glyfFrom, glyfTo, glyf.offset);
        glyfSum += inGlyf;
        bodySum += sumRange(at, at, glyfFrom, 0) + sumRange(at, glyfTo, end, 0) +
                   (glyfOnWord ? inGlyf : sumRange(at, glyfFrom, glyfTo, 0));
        headSum += sumRange(at, std::max<uint64_t>(at, head.offset), std::min(end, headEnd), head.offset);
        // checkSumAdjustment counts as 0: what its bytes added is taken off again.
        const uint64_t adjustmentFrom = std::max(at, adjustment), adjustmentTo = std::min(end, adjustment + 4);
        bodySum -= sumRange(at, adjustmentFrom, adjustmentTo, 0);
        headSum -= sumRange(at, adjustmentFrom, adjustmentTo, head.offset);
        at = end;
    }
    endian::StoreBE32(directory_.data() + kEntrySize * static_cast<uint32_t>(glyfEntry) + 4, glyfSum);
    endian::StoreBE32(directory_.data() + kEntrySize * static_cast<uint32_t>(headEntry) + 4, headSum);

    uint8_t header[kOffsetTableSize];
    if (!ReadAt(0, header, kOffsetTableSize)) return false;
    const uint32_t total = SfntChecksum(header, kOffsetTableSize) +
                           SfntChecksum(directory_.data(), static_cast<uint32_t>(directory_.size())) + bodySum;
    uint8_t value[4];
    endian::StoreBE32(value, kSfntChecksumMagic - total);
    return WriteAt(static_cast<uint32_t>(adjustment), value, 4);
}

bool TTFontFile::WriteBack() {
    SettleLoca();
    for (uint32_t i = 0; i < loca_.size(); ++i) {
        if (longLoca_)
            endian::StoreBE32(locaBytes_.data() + 4 * i, loca_[i]);
        else
            endian::StoreBE16(locaBytes_.data() + 2 * i, static_cast<uint16_t>(loca_[i] / 2));
    }
    endian::StoreBE16(maxp_.data() + 6, maxPoints_);
    endian::StoreBE16(maxp_.data() + 8, maxContours_);
    const int glyfEntry = FindEntry(kTagGlyf);
    if (glyfEntry >= 0)
        endian::StoreBE32(directory_.data() + kEntrySize * static_cast<uint32_t>(glyfEntry) + 12, glyfLength_);

    bool ok = true;
    const auto writeBack = [&](uint32_t tag, const std::vector<uint8_t>& bytes) {
        const int entry = FindEntry(tag);
        if (entry < 0) return;
        const Table t = EntryTable(entry);
        ok = WriteTable(tag, bytes.data(), t.length, t.offset) && ok;
    };
    writeBack(kTagLoca, locaBytes_);
    writeBack(kTagHmtx, hmtx_);
    if (hasVmtx_) writeBack(kTagVmtx, vmtx_);
    writeBack(kTagMaxp, maxp_);
    ok = UpdateChecksums() && ok;
    ok = WriteAt(kOffsetTableSize, directory_.data(), static_cast<uint32_t>(directory_.size())) && ok;
    return ok;
}

bool TTFontFile::Close() {
    bool ok = true;
    if (open_ && dirty_) ok = WriteBack();
    Release();
    if (!ok) error_ = Error::WriteFailed;
    return ok;
}
