// TTGlyph: one TrueType glyph with its four metrics, as it travels between the parts of the
// system. Its data is one `glyf` entry exactly as stored in a font (big-endian); the serialized
// record puts a 12-byte little-endian header in front of it.
//
// Not exported from the library: the restore tool compiles its own copy of this class, and
// glyphs cross the library boundary only as serialized records.
#pragma once
#include <cstdint>

class TTGlyph {
public:
    // The metrics of a reset glyph.
    static constexpr uint16_t kResetAdvanceWidth = 1024;
    static constexpr uint16_t kResetAdvanceHeight = 1024;
    static constexpr int16_t kResetLeftSideBearing = 357;
    static constexpr int16_t kResetTopSideBearing = 359;
    // Size of the serialized record's header.
    static constexpr uint32_t kRecordHeaderSize = 12;

    // Starts reset.
    TTGlyph();
    ~TTGlyph();
    TTGlyph(const TTGlyph& other);
    TTGlyph& operator=(const TTGlyph& other);
    TTGlyph(TTGlyph&& other) noexcept;
    TTGlyph& operator=(TTGlyph&& other) noexcept;

    // Frees the data; length 0; metrics 1024, 1024, 357, 359.
    void Reset();
    // True when the length is 0 or there is no data.
    bool IsEmpty() const;

    void SetMetrics(uint16_t advanceWidth, uint16_t advanceHeight, int16_t leftSideBearing, int16_t topSideBearing);
    // Any pointer may be null.
    void GetMetrics(uint16_t* advanceWidth, uint16_t* advanceHeight, int16_t* leftSideBearing,
                    int16_t* topSideBearing) const;
    uint16_t AdvanceWidth() const { return advanceWidth_; }
    uint16_t AdvanceHeight() const { return advanceHeight_; }
    int16_t LeftSideBearing() const { return leftSideBearing_; }
    int16_t TopSideBearing() const { return topSideBearing_; }

    // Takes over data (a block from std::malloc, or null) of length bytes; the old data is freed.
    void AttachData(uint8_t* data, uint32_t length);
    // Hands the data block (to be released with std::free) and its length to the caller; the
    // glyph keeps its metrics and becomes empty.
    uint8_t* DetachData(uint32_t* length);
    // Copies length bytes into a new block owned by the glyph; false when the block cannot be had.
    bool SetData(const uint8_t* data, uint32_t length);
    // Makes the data length (> 0) bytes long for the caller to fill, in the glyph's own block when
    // that holds them, so that a glyph read over and over needs no new block each time; the old
    // bytes count no more. Null, with the glyph unchanged, when no block can be had.
    uint8_t* ResizeData(uint32_t length);
    const uint8_t* Data() const { return data_; }
    uint32_t Length() const { return length_; }

    // xMin, yMin, xMax, yMax from bytes 2..9; all 0 and false without (enough) data.
    bool GetBoundingBox(int16_t* xMin, int16_t* yMin, int16_t* xMax, int16_t* yMax) const;
    // numberOfContours and the point count (last end point + 1). An empty glyph has 0 and 0. Fails
    // for anything but a well-formed simple glyph: a composite glyph, end points that are not
    // ascending, or end points, instructions, flags or coordinates that do not fit the data.
    bool GetContourInfo(int16_t* numberOfContours, uint32_t* pointCount) const;
    // Whether data of length bytes is a well-formed simple glyph (or empty), as GetContourInfo
    // would find it in a glyph holding those bytes.
    static bool IsSimpleGlyph(const uint8_t* data, uint32_t length);
    // Whether bytes 2..9 hold the box of the points (true for an empty glyph and one without
    // points; false for data that is no well-formed simple glyph).
    bool HasTrueBoundingBox() const;
    // Stores the box of the points in bytes 2..9; false for data that is no well-formed simple glyph.
    bool FixBoundingBox();

    // With a null buffer only measures; otherwise writes the record (length + 12 bytes).
    uint32_t Serialize(uint8_t* buffer) const;
    // Releases the data first; false when size < 12 or the length field exceeds size - 12,
    // otherwise takes the metrics and a copy of the data.
    bool Deserialize(const uint8_t* buffer, uint32_t size);

    // Two empty glyphs are equal; otherwise the four metrics, the length and the bytes must be.
    bool Equals(const TTGlyph& other) const;

private:
    // What one walk over the data found; kept until the data changes, so that a glyph is walked
    // once however often it is asked.
    enum class ShapeState : uint8_t { Unknown, Good, Bad };
    struct Shape {
        int16_t contours = 0;
        uint32_t points = 0;
        uint32_t flagsAt = 0, xAt = 0, yAt = 0;  // where the flags and the coordinates start
        bool runs = false;                       // whether any flag repeats
        ShapeState boxState = ShapeState::Unknown;
        int16_t box[4] = {};  // xMin, yMin, xMax, yMax of the points
    };
    static bool Parse(const uint8_t* data, uint32_t length, Shape& shape);
    const Shape* CheckedShape() const;
    // The box of the points, worked out once; null for a glyph without points or one whose
    // coordinates leave the 16-bit range.
    const int16_t* Box() const;
    // Whether the glyph has points whose box is known (then in shape_.box).
    enum class BoxCheck { NoPoints, Points, Malformed };
    BoxCheck CheckBox() const;
    void FreeData();

    uint16_t advanceWidth_ = kResetAdvanceWidth;
    uint16_t advanceHeight_ = kResetAdvanceHeight;
    int16_t leftSideBearing_ = kResetLeftSideBearing;
    int16_t topSideBearing_ = kResetTopSideBearing;
    uint32_t length_ = 0;
    uint32_t capacity_ = 0;  // bytes data_'s block holds
    uint8_t* data_ = nullptr;
    mutable ShapeState shapeState_ = ShapeState::Unknown;
    mutable Shape shape_;
};
