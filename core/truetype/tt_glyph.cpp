#include "truetype/tt_glyph.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

#include "foundation/endian.h"
#include "truetype/glyf_format.h"

namespace {

using namespace glyf;
constexpr uint32_t kGlyphHeaderSize = glyf::kHeaderSize;

// Bytes of the x (low half) and y (high half) coordinate each flag value announces.
constexpr auto kCoordinateBytes = [] {
    std::array<uint64_t, 256> sizes{};
    for (unsigned flag = 0; flag < 256; ++flag) {
        const uint64_t x = (flag & kFlagXShort) ? 1 : (flag & kFlagXSameOrPositive) ? 0 : 2;
        const uint64_t y = (flag & kFlagYShort) ? 1 : (flag & kFlagYSameOrPositive) ? 0 : 2;
        sizes[flag] = x | (y << 32);
    }
    return sizes;
}();

constexpr uint64_t kEachByte = 0x0101010101010101ull;

// Counts, per byte lane, of the flags announcing short and long coordinates, over blocks of eight
// flags without repeat runs; a lane counts at most 255 blocks before Total must take it.
struct CoordinateCount {
    uint64_t xShort = 0, xLong = 0, yShort = 0, yLong = 0;

    void Add(uint64_t flags) {
        const uint64_t x = flags >> 1, y = flags >> 2;  // the short bits at bit 0 of each lane
        xShort += x & kEachByte;
        yShort += y & kEachByte;
        xLong += ~(x | (flags >> 4)) & kEachByte;
        yLong += ~(y | (flags >> 5)) & kEachByte;
    }
    // The coordinate bytes counted, as kCoordinateBytes gives them; the counts start again.
    uint64_t Total() {
        const auto lanes = [](uint64_t v) {  // the sum of the eight byte lanes
            v = (v & 0x00FF00FF00FF00FFull) + ((v >> 8) & 0x00FF00FF00FF00FFull);
            return (v * 0x0001000100010001ull) >> 48;
        };
        const uint64_t total = (lanes(xShort) + 2 * lanes(xLong)) | ((lanes(yShort) + 2 * lanes(yLong)) << 32);
        *this = CoordinateCount{};
        return total;
    }
};

#if defined(__SSE2__) && defined(__x86_64__)
// The coordinate bytes (x in the low half, y in the high half) that blocks of sixteen flags
// without repeat runs announce, for at most `blocks` blocks from f; f and seen move past them.
uint64_t CountSixteens(const uint8_t*& f, uint32_t& seen, uint64_t blocks) {
    const __m128i zero = _mm_setzero_si128(), one = _mm_set1_epi8(1);
    __m128i xTotal = zero, yTotal = zero;
    while (blocks > 0) {
        // A byte lane gains at most 2 a block: 127 blocks fit in it before it is added up.
        __m128i xBytes = zero, yBytes = zero;
        uint64_t round = std::min<uint64_t>(blocks, 127);
        for (; round > 0; --round) {
            const __m128i flags = _mm_loadu_si128(reinterpret_cast<const __m128i*>(f));
            if (_mm_movemask_epi8(_mm_slli_epi16(flags, 7 - 3)) != 0) {  // a repeat bit
                blocks = 0;
                break;
            }
            const __m128i x = _mm_srli_epi16(flags, 1), y = _mm_srli_epi16(flags, 2);
            const __m128i xLong = _mm_andnot_si128(_mm_or_si128(x, _mm_srli_epi16(flags, 4)), one);
            const __m128i yLong = _mm_andnot_si128(_mm_or_si128(y, _mm_srli_epi16(flags, 5)), one);
            xBytes = _mm_add_epi8(xBytes, _mm_add_epi8(_mm_and_si128(x, one), _mm_add_epi8(xLong, xLong)));
            yBytes = _mm_add_epi8(yBytes, _mm_add_epi8(_mm_and_si128(y, one), _mm_add_epi8(yLong, yLong)));
            f += 16;
            seen += 16;
            --blocks;
        }
        xTotal = _mm_add_epi64(xTotal, _mm_sad_epu8(xBytes, zero));
        yTotal = _mm_add_epi64(yTotal, _mm_sad_epu8(yBytes, zero));
    }
    const auto sum = [](__m128i v) {
        const auto upper = static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(v, v)));
        return static_cast<uint64_t>(_mm_cvtsi128_si64(v)) + upper;
    };
    return sum(xTotal) | (sum(yTotal) << 32);
}
#endif

// The change of one coordinate as its flag announces it; c moves past the bytes it takes.
inline int32_t CoordinateDelta(uint8_t flag, const uint8_t*& c, uint8_t shortBit, uint8_t sameBit) {
    if (flag & shortBit) {
        const int32_t v = *c++;
        return (flag & sameBit) ? v : -v;
    }
    if (flag & sameBit) return 0;
    const auto v = static_cast<int16_t>((c[0] << 8) | c[1]);
    c += 2;
    return v;
}

// Walks the coordinates of both axes point by point and keeps their extremes.
struct BoxWalk {
    int32_t x = 0, y = 0;
    int32_t xLow = INT32_MAX, xHigh = INT32_MIN, yLow = INT32_MAX, yHigh = INT32_MIN;
    const uint8_t* xs;
    const uint8_t* ys;

    void Step(uint8_t flag) {
        x += CoordinateDelta(flag, xs, kFlagXShort, kFlagXSameOrPositive);
        y += CoordinateDelta(flag, ys, kFlagYShort, kFlagYSameOrPositive);
        xLow = std::min(xLow, x);
        xHigh = std::max(xHigh, x);
        yLow = std::min(yLow, y);
        yHigh = std::max(yHigh, y);
    }
};

// The walk over flags spelt out one per point, both axes at once. A block of eight points that all
// take one byte on both axes is summed in 16-bit lanes, the position reached carried on to the next
// block in lanes of its own. Lanes wrap only where the walk leaves the 16-bit range; steps of one
// byte cannot do that without first passing within 255 of its edge, and such a walk is walked
// again exactly (NearEdge).
struct LaneWalk {
    BoxWalk exact;

    bool NearEdge() const {
        const auto near = [](int32_t low, int32_t high) { return low < INT16_MIN + 256 || high > INT16_MAX - 256; };
        return near(exact.xLow, exact.xHigh) || near(exact.yLow, exact.yHigh);
    }
#if defined(__SSE2__) && defined(__x86_64__)
    // Points go into the lanes as pairs, x in the low and y in the high 16 bits of a 32-bit lane:
    // four points a register, two registers a block.
    void Walk(const uint8_t* flags, uint32_t points, const uint8_t* end) {
        constexpr uint64_t kBothShort = (kFlagXShort | kFlagYShort) * kEachByte;
        const __m128i zero = _mm_setzero_si128();
        const __m128i same = _mm_set1_epi32(kFlagXSameOrPositive | (kFlagYSameOrPositive << 16));
        __m128i low = _mm_set1_epi16(INT16_MAX), high = _mm_set1_epi16(INT16_MIN);
        uint32_t i = 0;
        const auto blockOfShorts = [&](uint64_t& eight) {
            if (i + 8 > points) return false;
            std::memcpy(&eight, flags + i, 8);
            return (~eight & kBothShort) == 0 && end - exact.xs >= 8 && end - exact.ys >= 8;
        };
        while (i < points) {
            uint64_t eight = 0;
            if (!blockOfShorts(eight)) {
                // Up to the first point that is not short, so that the blocks start again behind it
                // (a glyph's first point, its absolute start, is seldom short).
                const uint64_t notShort = ~eight & kBothShort;
                const uint32_t take = i + 8 <= points && notShort != 0
                                          ? static_cast<uint32_t>(std::countr_zero(notShort)) / 8 + 1
                                          : std::min<uint32_t>(8, points - i);
                for (const uint32_t stop = i + take; i < stop; ++i) exact.Step(flags[i]);
                continue;
            }
            // The position before the block in every pair. One beyond 16 bits is already among the
            // extremes; truncating it does no harm.
            __m128i at = _mm_set1_epi32(static_cast<int>(static_cast<uint16_t>(exact.x) |
                                                         static_cast<uint32_t>(static_cast<uint16_t>(exact.y)) << 16));
            do {
                const __m128i f = _mm_cvtsi64_si128(static_cast<long long>(eight));
                const __m128i twice = _mm_unpacklo_epi8(f, f);
                const __m128i negativeLow = _mm_cmpeq_epi16(_mm_and_si128(_mm_unpacklo_epi8(twice, zero), same), zero);
                const __m128i negativeHigh = _mm_cmpeq_epi16(_mm_and_si128(_mm_unpackhi_epi8(twice, zero), same), zero);
                const __m128i bytes = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(exact.xs)),
                                                        _mm_loadl_epi64(reinterpret_cast<const __m128i*>(exact.ys)));
                __m128i first = _mm_unpacklo_epi8(bytes, zero), second = _mm_unpackhi_epi8(bytes, zero);
                first = _mm_sub_epi16(_mm_xor_si128(first, negativeLow), negativeLow);
                second = _mm_sub_epi16(_mm_xor_si128(second, negativeHigh), negativeHigh);
                first = _mm_add_epi16(first, _mm_slli_si128(first, 4));
                second = _mm_add_epi16(second, _mm_slli_si128(second, 4));
                first = _mm_add_epi16(first, _mm_slli_si128(first, 8));
                second = _mm_add_epi16(second, _mm_slli_si128(second, 8));
                first = _mm_add_epi16(first, at);
                second = _mm_add_epi16(second, _mm_shuffle_epi32(first, 0xFF));
                low = _mm_min_epi16(low, _mm_min_epi16(first, second));
                high = _mm_max_epi16(high, _mm_max_epi16(first, second));
                at = _mm_shuffle_epi32(second, 0xFF);
                exact.xs += 8;
                exact.ys += 8;
                i += 8;
            } while (blockOfShorts(eight));
            const auto pair = static_cast<uint32_t>(_mm_cvtsi128_si32(at));
            exact.x = static_cast<int16_t>(pair & 0xFFFF);
            exact.y = static_cast<int16_t>(pair >> 16);
        }
        // Lanes never used keep the far ends of the 16-bit range, which lose to any position walked.
        low = _mm_min_epi16(low, _mm_shuffle_epi32(low, 0x4E));
        high = _mm_max_epi16(high, _mm_shuffle_epi32(high, 0x4E));
        low = _mm_min_epi16(low, _mm_shuffle_epi32(low, 0xB1));
        high = _mm_max_epi16(high, _mm_shuffle_epi32(high, 0xB1));
        const auto lows = static_cast<uint32_t>(_mm_cvtsi128_si32(low));
        const auto highs = static_cast<uint32_t>(_mm_cvtsi128_si32(high));
        exact.xLow = std::min<int32_t>(exact.xLow, static_cast<int16_t>(lows & 0xFFFF));
        exact.yLow = std::min<int32_t>(exact.yLow, static_cast<int16_t>(lows >> 16));
        exact.xHigh = std::max<int32_t>(exact.xHigh, static_cast<int16_t>(highs & 0xFFFF));
        exact.yHigh = std::max<int32_t>(exact.yHigh, static_cast<int16_t>(highs >> 16));
    }
#else
    void Walk(const uint8_t* flags, uint32_t points, const uint8_t*) {
        for (uint32_t i = 0; i < points; ++i) exact.Step(flags[i]);
    }
#endif
};

}  // namespace

// Walks a simple glyph from front to back; every field must lie inside the data. The points
// themselves are added up only when the box is asked for (Box).
bool TTGlyph::Parse(const uint8_t* data, uint32_t length, Shape& shape) {
    shape = Shape{};
    if (length < kGlyphHeaderSize) return false;
    const auto n = static_cast<int16_t>(endian::LoadBE16(data));
    if (n < 0) return false;  // composite
    shape.contours = n;
    if (n == 0) return true;
    // End points and the instruction length.
    uint64_t pos = kGlyphHeaderSize + 2ull * static_cast<uint64_t>(n);
    if (pos + 2 > length) return false;
    uint32_t count = 0;
    for (int i = 0; i < n; ++i) {
        const uint32_t endPoint = endian::LoadBE16(data + kGlyphHeaderSize + 2 * i);
        // Each contour holds at least one point; the count must fit maxp's 16-bit field.
        if (endPoint >= 0xFFFF || (i > 0 && endPoint + 1 <= count)) return false;
        count = endPoint + 1;
    }
    const uint32_t instructionLength = endian::LoadBE16(data + pos);
    pos += 2 + static_cast<uint64_t>(instructionLength);
    if (pos > length) return false;
    // Flags (with repeat runs), then the sizes of the coordinates they announce.
    shape.flagsAt = static_cast<uint32_t>(pos);
    uint64_t bytes = 0;  // x in the low half, y in the high half
    uint32_t seen = 0;
    const uint8_t* f = data + pos;
    const uint8_t* const flagsEnd = data + length;
    while (seen < count) {
        // Most glyphs have runs of single flags: sixteen, then eight of them at a time, for as many
        // blocks as both the points and the data still hold.
#if defined(__SSE2__) && defined(__x86_64__)
        const uint64_t sixteens = std::min<uint64_t>((count - seen) / 16, static_cast<uint64_t>(flagsEnd - f) / 16);
        bytes += CountSixteens(f, seen, sixteens);
#endif
        CoordinateCount counted;
        uint64_t blocks = std::min<uint64_t>((count - seen) / 8, static_cast<uint64_t>(flagsEnd - f) / 8);
        for (uint32_t inLanes = 0; blocks > 0; --blocks) {
            uint64_t eight = 0;
            std::memcpy(&eight, f, 8);
            if ((eight & (kFlagRepeat * kEachByte)) != 0) break;
            counted.Add(eight);
            f += 8;
            seen += 8;
            if (++inLanes == 255) {
                bytes += counted.Total();
                inLanes = 0;
            }
        }
        bytes += counted.Total();
        if (seen >= count) break;
        if (f >= flagsEnd) return false;
        const uint8_t flag = *f++;
        uint32_t times = 1;
        if (flag & kFlagRepeat) {
            if (f >= flagsEnd) return false;
            times += *f++;
            if (times > count - seen) return false;
            shape.runs = true;
        }
        seen += times;
        bytes += times * kCoordinateBytes[flag];
    }
    const uint64_t xBytes = bytes & 0xFFFFFFFFu, yBytes = bytes >> 32;
    pos = static_cast<uint64_t>(f - data);
    if (pos + xBytes + yBytes > length) return false;
    shape.xAt = static_cast<uint32_t>(pos);
    shape.yAt = static_cast<uint32_t>(pos + xBytes);
    shape.points = count;
    return true;
}

const int16_t* TTGlyph::Box() const {
    const Shape* shape = CheckedShape();
    if (!shape || shape->points == 0) return nullptr;
    if (shape_.boxState == ShapeState::Unknown) {
        // The exact walk (BoxWalk) takes both axes at once: at most 65535 steps of at most 32768
        // each, so the sums stay inside 32 bits and a point beyond 16 bits shows in the extremes.
        // Parse measured the walk, so it stays inside the data.
        BoxWalk walk{.xs = data_ + shape_.xAt, .ys = data_ + shape_.yAt};
        const uint8_t* f = data_ + shape_.flagsAt;
        const uint32_t points = shape_.points;
        // Flags spelt out one per point (as they stand when none repeats, else first on the
        // stack when they fit there), so that the walk over the points carries no run bookkeeping.
        uint8_t spelt[512];
        bool exact = false;
        if (!shape_.runs || points <= sizeof spelt) {
            const uint8_t* const end = data_ + length_;
            for (uint32_t seen = 0; shape_.runs && seen < points;) {
                if (points - seen >= 8 && end - f >= 8) {
                    uint64_t eight = 0;
                    std::memcpy(&eight, f, 8);
                    if ((eight & (kFlagRepeat * kEachByte)) == 0) {
                        std::memcpy(spelt + seen, f, 8);
                        f += 8;
                        seen += 8;
                        continue;
                    }
                }
                const uint8_t flag = *f++;
                const uint32_t times = (flag & kFlagRepeat) ? 1u + *f++ : 1u;
                std::memset(spelt + seen, flag, times);
                seen += times;
            }
            const uint8_t* flags = shape_.runs ? spelt : data_ + shape_.flagsAt;
            LaneWalk lanes{.exact = walk};
            lanes.Walk(flags, points, end);
            walk = lanes.exact;
            exact = !lanes.NearEdge();
        }
        if (!exact) {
            walk = BoxWalk{.xs = data_ + shape_.xAt, .ys = data_ + shape_.yAt};
            f = data_ + shape_.flagsAt;
            for (uint32_t seen = 0; seen < points;) {
                const uint8_t flag = *f++;
                uint32_t times = 1;
                if (flag & kFlagRepeat) times += *f++;
                seen += times;
                for (; times > 0; --times) walk.Step(flag);
            }
        }
        const int32_t xLow = walk.xLow, xHigh = walk.xHigh, yLow = walk.yLow, yHigh = walk.yHigh;
        const bool fits = xLow >= INT16_MIN && xHigh <= INT16_MAX && yLow >= INT16_MIN && yHigh <= INT16_MAX;
        if (fits) {
            shape_.box[0] = static_cast<int16_t>(xLow);
            shape_.box[1] = static_cast<int16_t>(yLow);
            shape_.box[2] = static_cast<int16_t>(xHigh);
            shape_.box[3] = static_cast<int16_t>(yHigh);
        }
        shape_.boxState = fits ? ShapeState::Good : ShapeState::Bad;
    }
    return shape_.boxState == ShapeState::Good ? shape_.box : nullptr;
}

const TTGlyph::Shape* TTGlyph::CheckedShape() const {
    if (shapeState_ == ShapeState::Unknown)
        shapeState_ = Parse(data_, length_, shape_) ? ShapeState::Good : ShapeState::Bad;
    return shapeState_ == ShapeState::Good ? &shape_ : nullptr;
}

bool TTGlyph::IsSimpleGlyph(const uint8_t* data, uint32_t length) {
    Shape shape;
    return length == 0 || (data != nullptr && Parse(data, length, shape));
}

TTGlyph::TTGlyph() = default;

TTGlyph::~TTGlyph() { FreeData(); }

TTGlyph::TTGlyph(const TTGlyph& other)
    : advanceWidth_(other.advanceWidth_),
      advanceHeight_(other.advanceHeight_),
      leftSideBearing_(other.leftSideBearing_),
      topSideBearing_(other.topSideBearing_) {
    SetData(other.data_, other.length_);
    shapeState_ = other.shapeState_;
    shape_ = other.shape_;
}

TTGlyph& TTGlyph::operator=(const TTGlyph& other) {
    if (this != &other) {
        SetMetrics(other.advanceWidth_, other.advanceHeight_, other.leftSideBearing_, other.topSideBearing_);
        SetData(other.data_, other.length_);
        shapeState_ = other.shapeState_;
        shape_ = other.shape_;
    }
    return *this;
}

TTGlyph::TTGlyph(TTGlyph&& other) noexcept
    : advanceWidth_(other.advanceWidth_),
      advanceHeight_(other.advanceHeight_),
      leftSideBearing_(other.leftSideBearing_),
      topSideBearing_(other.topSideBearing_),
      length_(std::exchange(other.length_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      data_(std::exchange(other.data_, nullptr)),
      shapeState_(std::exchange(other.shapeState_, ShapeState::Unknown)),
      shape_(other.shape_) {}

TTGlyph& TTGlyph::operator=(TTGlyph&& other) noexcept {
    if (this != &other) {
        FreeData();
        SetMetrics(other.advanceWidth_, other.advanceHeight_, other.leftSideBearing_, other.topSideBearing_);
        length_ = std::exchange(other.length_, 0);
        capacity_ = std::exchange(other.capacity_, 0);
        data_ = std::exchange(other.data_, nullptr);
        shapeState_ = std::exchange(other.shapeState_, ShapeState::Unknown);
        shape_ = other.shape_;
    }
    return *this;
}

void TTGlyph::FreeData() {
    std::free(data_);
    data_ = nullptr;
    length_ = 0;
    capacity_ = 0;
    shapeState_ = ShapeState::Unknown;
}

void TTGlyph::Reset() {
    FreeData();
    SetMetrics(kResetAdvanceWidth, kResetAdvanceHeight, kResetLeftSideBearing, kResetTopSideBearing);
}

bool TTGlyph::IsEmpty() const { return length_ == 0 || data_ == nullptr; }

void TTGlyph::SetMetrics(uint16_t advanceWidth, uint16_t advanceHeight, int16_t leftSideBearing,
                         int16_t topSideBearing) {
    advanceWidth_ = advanceWidth;
    advanceHeight_ = advanceHeight;
    leftSideBearing_ = leftSideBearing;
    topSideBearing_ = topSideBearing;
}

void TTGlyph::GetMetrics(uint16_t* advanceWidth, uint16_t* advanceHeight, int16_t* leftSideBearing,
                         int16_t* topSideBearing) const {
    if (advanceWidth) *advanceWidth = advanceWidth_;
    if (advanceHeight) *advanceHeight = advanceHeight_;
    if (leftSideBearing) *leftSideBearing = leftSideBearing_;
    if (topSideBearing) *topSideBearing = topSideBearing_;
}

void TTGlyph::AttachData(uint8_t* data, uint32_t length) {
    if (data == data_) {
        length_ = data ? length : 0;
        capacity_ = std::max(capacity_, length_);
        shapeState_ = ShapeState::Unknown;
        return;
    }
    FreeData();
    data_ = data;
    // A length without a block would later be read from nowhere.
    length_ = data ? length : 0;
    capacity_ = length_;
}

uint8_t* TTGlyph::DetachData(uint32_t* length) {
    if (length) *length = length_;
    uint8_t* data = data_;
    data_ = nullptr;
    length_ = 0;
    capacity_ = 0;
    shapeState_ = ShapeState::Unknown;
    return data;
}

uint8_t* TTGlyph::ResizeData(uint32_t length) {
    if (length == 0) return nullptr;
    if (!data_ || capacity_ < length) {
        auto* block = static_cast<uint8_t*>(std::malloc(length));
        if (!block) return nullptr;
        FreeData();
        data_ = block;
        capacity_ = length;
    }
    length_ = length;
    shapeState_ = ShapeState::Unknown;
    return data_;
}

bool TTGlyph::SetData(const uint8_t* data, uint32_t length) {
    if (!data || length == 0) {
        FreeData();
        return true;
    }
    auto* block = static_cast<uint8_t*>(std::malloc(length));
    if (!block) return false;
    std::memcpy(block, data, length);
    FreeData();
    data_ = block;
    length_ = length;
    capacity_ = length;
    shapeState_ = ShapeState::Unknown;
    return true;
}

bool TTGlyph::GetBoundingBox(int16_t* xMin, int16_t* yMin, int16_t* xMax, int16_t* yMax) const {
    const bool have = !IsEmpty() && length_ >= kGlyphHeaderSize;
    const auto field = [&](int at) { return have ? static_cast<int16_t>(endian::LoadBE16(data_ + at)) : int16_t{0}; };
    if (xMin) *xMin = field(2);
    if (yMin) *yMin = field(4);
    if (xMax) *xMax = field(6);
    if (yMax) *yMax = field(8);
    return have;
}

bool TTGlyph::GetContourInfo(int16_t* numberOfContours, uint32_t* pointCount) const {
    int16_t contours = 0;
    uint32_t points = 0;
    if (!IsEmpty()) {
        const Shape* shape = CheckedShape();
        if (!shape) return false;
        contours = shape->contours;
        points = shape->points;
    }
    if (numberOfContours) *numberOfContours = contours;
    if (pointCount) *pointCount = points;
    return true;
}

TTGlyph::BoxCheck TTGlyph::CheckBox() const {
    if (IsEmpty()) return BoxCheck::NoPoints;
    const Shape* shape = CheckedShape();
    if (!shape) return BoxCheck::Malformed;
    if (shape->points == 0) return BoxCheck::NoPoints;
    return Box() ? BoxCheck::Points : BoxCheck::Malformed;
}

bool TTGlyph::HasTrueBoundingBox() const {
    const BoxCheck check = CheckBox();
    if (check != BoxCheck::Points) return check == BoxCheck::NoPoints;
    for (int i = 0; i < 4; ++i)
        if (static_cast<int16_t>(endian::LoadBE16(data_ + 2 + 2 * i)) != shape_.box[i]) return false;
    return true;
}

bool TTGlyph::FixBoundingBox() {
    const BoxCheck check = CheckBox();
    if (check != BoxCheck::Points) return check == BoxCheck::NoPoints;
    // The box is no part of the shape: the cached walk stays valid.
    for (int i = 0; i < 4; ++i) endian::StoreBE16(data_ + 2 + 2 * i, static_cast<uint16_t>(shape_.box[i]));
    return true;
}

uint32_t TTGlyph::Serialize(uint8_t* buffer) const {
    const uint32_t n = IsEmpty() ? 0 : length_;
    if (buffer) {
        endian::StoreLE16(buffer + 0, advanceWidth_);
        endian::StoreLE16(buffer + 2, advanceHeight_);
        endian::StoreLE16(buffer + 4, static_cast<uint16_t>(leftSideBearing_));
        endian::StoreLE16(buffer + 6, static_cast<uint16_t>(topSideBearing_));
        endian::StoreLE32(buffer + 8, n);
        if (n > 0) std::memcpy(buffer + kRecordHeaderSize, data_, n);
    }
    return n + kRecordHeaderSize;
}

bool TTGlyph::Deserialize(const uint8_t* buffer, uint32_t size) {
    FreeData();
    if (!buffer || size < kRecordHeaderSize) return false;
    const uint32_t n = endian::LoadLE32(buffer + 8);
    if (n > size - kRecordHeaderSize) return false;
    if (!SetData(buffer + kRecordHeaderSize, n)) return false;
    SetMetrics(endian::LoadLE16(buffer + 0), endian::LoadLE16(buffer + 2),
               static_cast<int16_t>(endian::LoadLE16(buffer + 4)), static_cast<int16_t>(endian::LoadLE16(buffer + 6)));
    return true;
}

bool TTGlyph::Equals(const TTGlyph& other) const {
    if (IsEmpty() && other.IsEmpty()) return true;
    if (advanceWidth_ != other.advanceWidth_ || advanceHeight_ != other.advanceHeight_ ||
        leftSideBearing_ != other.leftSideBearing_ || topSideBearing_ != other.topSideBearing_)
        return false;
    if (IsEmpty() || other.IsEmpty() || length_ != other.length_) return false;
    return std::memcmp(data_, other.data_, length_) == 0;
}
