#include "support/tt_test_fonts.h"

#include "support/run_program.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <sys/wait.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <set>
#include <stdexcept>

#include "support/temp_prefix.h"

namespace testsupport {

namespace {

void Add16(std::string& out, unsigned v) {
    out += static_cast<char>((v >> 8) & 0xFF);
    out += static_cast<char>(v & 0xFF);
}
void Add32(std::string& out, uint32_t v) {
    Add16(out, v >> 16);
    Add16(out, v & 0xFFFF);
}
void AddS16(std::string& out, int v) {
    if (v < INT16_MIN || v > INT16_MAX) throw std::invalid_argument("value does not fit 16 bits");
    Add16(out, static_cast<unsigned>(v) & 0xFFFF);
}
uint32_t TagValue(const std::string& tag) {
    if (tag.size() != 4) throw std::invalid_argument("a tag has four characters");
    return (static_cast<uint32_t>(static_cast<uint8_t>(tag[0])) << 24) |
           (static_cast<uint32_t>(static_cast<uint8_t>(tag[1])) << 16) |
           (static_cast<uint32_t>(static_cast<uint8_t>(tag[2])) << 8) | static_cast<uint8_t>(tag[3]);
}
std::string TagText(uint32_t tag) {
    std::string s(4, ' ');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((tag >> (24 - 8 * i)) & 0xFF);
    return s;
}
int FloorLog2(unsigned n) {
    int r = 0;
    while ((2u << r) <= n) ++r;
    return r;
}

}  // namespace

// ---- bytes -------------------------------------------------------------------------------------

uint16_t Get16(const std::string& bytes, size_t at) {
    if (at + 2 > bytes.size()) throw std::out_of_range("Get16 past the end");
    return static_cast<uint16_t>((static_cast<uint8_t>(bytes[at]) << 8) | static_cast<uint8_t>(bytes[at + 1]));
}
uint32_t Get32(const std::string& bytes, size_t at) {
    return (static_cast<uint32_t>(Get16(bytes, at)) << 16) | Get16(bytes, at + 2);
}
void Put16(std::string& bytes, size_t at, uint16_t value) {
    if (at + 2 > bytes.size()) throw std::out_of_range("Put16 past the end");
    bytes[at] = static_cast<char>(value >> 8);
    bytes[at + 1] = static_cast<char>(value & 0xFF);
}
void Put32(std::string& bytes, size_t at, uint32_t value) {
    Put16(bytes, at, static_cast<uint16_t>(value >> 16));
    Put16(bytes, at + 2, static_cast<uint16_t>(value & 0xFFFF));
}

// ---- directory ---------------------------------------------------------------------------------

std::vector<TableEntry> Directory(const std::string& font) {
    std::vector<TableEntry> out;
    const unsigned n = Get16(font, 4);
    for (unsigned i = 0; i < n; ++i) {
        const size_t at = 12 + 16 * i;
        out.push_back({TagText(Get32(font, at)), Get32(font, at + 4), Get32(font, at + 8), Get32(font, at + 12), at});
    }
    return out;
}

TableEntry Entry(const std::string& font, const std::string& tag) {
    for (const auto& e : Directory(font))
        if (e.tag == tag) return e;
    throw std::out_of_range("no table " + tag);
}

std::string TableOf(const std::string& font, const std::string& tag) {
    const TableEntry e = Entry(font, tag);
    if (static_cast<uint64_t>(e.offset) + e.length > font.size()) throw std::out_of_range("table past the end");
    return font.substr(e.offset, e.length);
}

TableMap TablesOf(const TestFontBuilder& builder) {
    TableMap out;
    for (const auto& [tag, bytes] : builder.Tables()) out[TagText(tag)] = bytes;
    return out;
}

TableMap TablesOf(const std::string& font) {
    TableMap out;
    for (const auto& e : Directory(font)) out[e.tag] = TableOf(font, e.tag);
    return out;
}

std::string AssembleFont(const TableMap& tables, const std::vector<std::string>& bodyOrder) {
    std::vector<std::string> order;
    for (const auto& tag : bodyOrder)
        if (tables.count(tag)) order.push_back(tag);
    for (const auto& [tag, bytes] : tables)
        if (std::find(order.begin(), order.end(), tag) == order.end()) order.push_back(tag);

    const auto n = static_cast<unsigned>(tables.size());
    std::string font;
    Add32(font, 0x00010000);
    Add16(font, n);
    const unsigned searchRange = 16u << FloorLog2(n);
    Add16(font, searchRange);
    Add16(font, static_cast<unsigned>(FloorLog2(n)));
    Add16(font, n * 16 - searchRange);
    font.resize(12 + 16 * n, '\0');
    std::map<std::string, uint32_t> offsets;
    for (const auto& tag : order) {
        offsets[tag] = static_cast<uint32_t>(font.size());
        font += tables.at(tag);
        while (font.size() % 4) font += '\0';
    }
    size_t headAt = 0;
    unsigned i = 0;
    for (const auto& [tag, bytes] : tables) {  // the map keeps tags in ascending order
        std::string summed = bytes;
        if (tag == "head") {
            Put32(summed, 8, 0);
            headAt = offsets[tag];
        }
        const size_t at = 12 + 16 * i++;
        Put32(font, at, TagValue(tag));
        Put32(font, at + 4, TableChecksum(summed));
        Put32(font, at + 8, offsets[tag]);
        Put32(font, at + 12, static_cast<uint32_t>(bytes.size()));
    }
    if (tables.count("head")) {
        Put32(font, headAt + 8, 0);
        Put32(font, headAt + 8, 0xB1B0AFBAu - TableChecksum(font));
    }
    return font;
}

// ---- glyphs ------------------------------------------------------------------------------------

std::string EncodeSimpleGlyph(const std::vector<FontContour>& contours, const std::string& instructions) {
    int xMin = INT_MAX, yMin = INT_MAX, xMax = INT_MIN, yMax = INT_MIN;
    for (const auto& c : contours)
        for (const auto& p : c) {
            xMin = std::min(xMin, p.x);
            yMin = std::min(yMin, p.y);
            xMax = std::max(xMax, p.x);
            yMax = std::max(yMax, p.y);
        }
    if (contours.empty()) xMin = yMin = xMax = yMax = 0;
    std::string out;
    AddS16(out, static_cast<int>(contours.size()));
    AddS16(out, xMin);
    AddS16(out, yMin);
    AddS16(out, xMax);
    AddS16(out, yMax);
    unsigned end = 0;
    for (const auto& c : contours) {
        if (c.empty()) throw std::invalid_argument("a contour needs a point");
        end += static_cast<unsigned>(c.size());
        Add16(out, end - 1);
    }
    Add16(out, static_cast<unsigned>(instructions.size()));
    out += instructions;
    std::string flags, xs, ys;
    int px = 0, py = 0;
    for (const auto& c : contours)
        for (const auto& p : c) {
            unsigned flag = p.onCurve ? 0x01 : 0x00;
            const int dx = p.x - px, dy = p.y - py;
            if (dx == 0) {
                flag |= 0x10;
            } else if (dx >= -255 && dx <= 255) {
                flag |= 0x02 | (dx > 0 ? 0x10 : 0);
                xs += static_cast<char>(dx > 0 ? dx : -dx);
            } else {
                AddS16(xs, dx);
            }
            if (dy == 0) {
                flag |= 0x20;
            } else if (dy >= -255 && dy <= 255) {
                flag |= 0x04 | (dy > 0 ? 0x20 : 0);
                ys += static_cast<char>(dy > 0 ? dy : -dy);
            } else {
                AddS16(ys, dy);
            }
            flags += static_cast<char>(flag);
            px = p.x;
            py = p.y;
        }
    return out + flags + xs + ys;
}

std::string EncodeCompositeGlyph(uint16_t component, int16_t dx, int16_t dy) {
    std::string out;
    AddS16(out, -1);
    for (int i = 0; i < 4; ++i) AddS16(out, 0);  // bounding box: recomputed by renderers
    Add16(out, 0x0001 | 0x0002);              // ARG_1_AND_2_ARE_WORDS | ARGS_ARE_XY_VALUES
    Add16(out, component);
    AddS16(out, dx);
    AddS16(out, dy);
    return out;
}

std::vector<std::string> GlyphsOf(const TableMap& tables) {
    const std::string& head = tables.at("head");
    const std::string& loca = tables.at("loca");
    const std::string& glyf = tables.at("glyf");
    const bool longLoca = Get16(head, 50) == 1;
    const unsigned count = Get16(tables.at("maxp"), 4);
    std::vector<std::string> out;
    for (unsigned i = 0; i < count; ++i) {
        const uint32_t start = longLoca ? Get32(loca, 4 * i) : 2u * Get16(loca, 2 * i);
        const uint32_t end = longLoca ? Get32(loca, 4 * i + 4) : 2u * Get16(loca, 2 * i + 2);
        out.push_back(glyf.substr(start, end - start));
    }
    return out;
}

void SetGlyphs(TableMap& tables, const std::vector<std::string>& glyphs, bool longLoca) {
    if (glyphs.size() != Get16(tables.at("maxp"), 4)) throw std::invalid_argument("glyph count differs");
    std::string glyf, loca;
    for (const auto& g : glyphs) {
        if (longLoca)
            Add32(loca, static_cast<uint32_t>(glyf.size()));
        else
            Add16(loca, static_cast<unsigned>(glyf.size() / 2));
        glyf += g;
        if (!longLoca && glyf.size() % 2) glyf += '\0';
    }
    if (longLoca)
        Add32(loca, static_cast<uint32_t>(glyf.size()));
    else
        Add16(loca, static_cast<unsigned>(glyf.size() / 2));
    if (!longLoca && glyf.size() > 0x1FFFE) throw std::invalid_argument("glyf too large for short offsets");
    tables["glyf"] = glyf;
    tables["loca"] = loca;
    Put16(tables.at("head"), 50, longLoca ? 1 : 0);
}

void AddVerticalMetrics(TableMap& tables, uint16_t advanceHeight, int16_t topSideBearing) {
    const unsigned count = Get16(tables.at("maxp"), 4);
    std::string vhea;
    Add32(vhea, 0x00011000);  // version 1.1
    AddS16(vhea, 820);        // vertTypoAscender
    AddS16(vhea, -204);       // vertTypoDescender
    AddS16(vhea, 204);        // vertTypoLineGap
    Add16(vhea, advanceHeight);
    AddS16(vhea, topSideBearing);
    AddS16(vhea, 0);
    AddS16(vhea, advanceHeight);
    AddS16(vhea, 0);  // caretSlopeRise
    AddS16(vhea, 1);  // caretSlopeRun
    AddS16(vhea, 0);
    for (int i = 0; i < 4; ++i) AddS16(vhea, 0);
    AddS16(vhea, 0);
    Add16(vhea, count);
    tables["vhea"] = vhea;
    std::string vmtx;
    for (unsigned i = 0; i < count; ++i) {
        Add16(vmtx, advanceHeight);
        AddS16(vmtx, topSideBearing);
    }
    tables["vmtx"] = vmtx;
}

void UseFormat2Cmap(TableMap& tables, const std::map<uint16_t, uint16_t>& codes) {
    // One subheader per lead byte, after subheader 0 (no single-byte codes).
    std::map<unsigned, std::vector<std::pair<unsigned, uint16_t>>> byLead;
    for (const auto& [code, glyph] : codes) {
        if ((code >> 8) < 0x81) throw std::invalid_argument("format 2 codes here are two-byte codes");
        byLead[code >> 8].emplace_back(code & 0xFF, glyph);
    }
    std::string keys(512, '\0');
    std::string subHeaders, glyphIds;
    Add16(subHeaders, 0);  // subheader 0: nothing
    Add16(subHeaders, 0);
    Add16(subHeaders, 0);
    Add16(subHeaders, 0);
    std::vector<std::pair<size_t, size_t>> rangeFixups;  // (subheader index, glyph array position)
    unsigned k = 1;
    for (const auto& [lead, lows] : byLead) {
        Put16(keys, 2 * lead, static_cast<uint16_t>(8 * k));
        const unsigned first = lows.front().first;
        const unsigned count = lows.back().first - first + 1;
        std::vector<uint16_t> ids(count, 0);
        for (const auto& [low, glyph] : lows) ids[low - first] = glyph;
        Add16(subHeaders, first);
        Add16(subHeaders, count);
        Add16(subHeaders, 0);  // idDelta
        Add16(subHeaders, 0);  // idRangeOffset, fixed below
        rangeFixups.emplace_back(k, glyphIds.size());
        for (uint16_t id : ids) Add16(glyphIds, id);
        ++k;
    }
    for (const auto& [index, arrayAt] : rangeFixups) {
        const size_t fieldAt = 8 * index + 6;  // within subHeaders
        Put16(subHeaders, fieldAt, static_cast<uint16_t>(subHeaders.size() - fieldAt + arrayAt));
    }
    std::string format2;
    Add16(format2, 2);
    Add16(format2, 0);  // length, below
    Add16(format2, 0);  // language
    format2 += keys + subHeaders + glyphIds;
    Put16(format2, 2, static_cast<uint16_t>(format2.size()));

    // Sanitizers want a Unicode map they know; a (3,10) format 12 one maps U+0041 to glyph 1.
    std::string format12;
    Add16(format12, 12);
    Add16(format12, 0);
    Add32(format12, 28);  // length
    Add32(format12, 0);   // language
    Add32(format12, 1);   // one group
    Add32(format12, 0x41);
    Add32(format12, 0x41);
    Add32(format12, 1);

    std::string cmap;
    Add16(cmap, 0);
    Add16(cmap, 2);
    Add16(cmap, 3);
    Add16(cmap, 1);
    Add32(cmap, 4 + 16);
    Add16(cmap, 3);
    Add16(cmap, 10);
    Add32(cmap, static_cast<uint32_t>(4 + 16 + format2.size()));
    tables["cmap"] = cmap + format2 + format12;
}

void UseShortHmtx(TableMap& tables, uint16_t longCount) {
    const unsigned count = Get16(tables.at("maxp"), 4);
    const std::string& old = tables.at("hmtx");
    std::string hmtx = old.substr(0, 4u * longCount);
    for (unsigned i = longCount; i < count; ++i) hmtx += old.substr(4 * i + 2, 2);
    tables["hmtx"] = hmtx;
    Put16(tables.at("hhea"), 34, longCount);
}

// ---- outside judges ----------------------------------------------------------------------------

bool OtsAccepts(const std::filesystem::path& fontFile, std::string* log) {
    const std::string command = "ots-sanitize '" + fontFile.string() + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return false;
    std::string output;
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    const int status = pclose(pipe);
    if (log) *log = output;
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool OtsAcceptsBytes(const std::filesystem::path& scratchFile, const std::string& font, std::string* log) {
    WriteFileBytes(scratchFile, font);
    return OtsAccepts(scratchFile, log);
}

std::string ResavedByFontTools(const std::string& font, const std::filesystem::path& scratchDir) {
    static const char kScript[] =
        "import sys\n"
        "from fontTools.ttLib import TTFont\n"
        "f = TTFont(sys.argv[1], recalcBBoxes=False)\n"
        "glyf = f['glyf']\n"
        "for name in f.getGlyphOrder():\n"
        "    glyf[name].expand(glyf)\n"
        "f.save(sys.argv[2])\n";
    const auto in = scratchDir / "fonttools-in.ttf";
    const auto out = scratchDir / "fonttools-out.ttf";
    WriteFileBytes(in, font);
    const ProgramRun run = RunProgram({"/usr/bin/python3", "-c", kScript, in.string(), out.string()});
    if (run.exitCode != 0) throw std::runtime_error("fontTools could not rewrite the font: " + run.err);
    return ReadFileBytes(out);
}

namespace {

// One face of a font held in memory, with its library.
class FreeTypeFace {
public:
    explicit FreeTypeFace(const std::string& font) : font_(font) {
        if (FT_Init_FreeType(&library_) != 0) {
            library_ = nullptr;
            return;
        }
        if (FT_New_Memory_Face(library_, reinterpret_cast<const FT_Byte*>(font_.data()),
                               static_cast<FT_Long>(font_.size()), 0, &face_) != 0)
            face_ = nullptr;
    }
    ~FreeTypeFace() {
        if (face_) FT_Done_Face(face_);
        if (library_) FT_Done_FreeType(library_);
    }
    FT_Face face() const { return face_; }

private:
    std::string font_;  // FreeType reads from it for the face's lifetime
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

}  // namespace

FreeTypeGlyph FreeTypeLoad(const std::string& font, unsigned glyphIndex) {
    FreeTypeGlyph out;
    FreeTypeFace face(font);
    if (!face.face()) {
        out.error = "the face does not open";
        return out;
    }
    const FT_Error error = FT_Load_Glyph(face.face(), glyphIndex, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING);
    if (error != 0) {
        out.error = "FT_Load_Glyph error " + std::to_string(error);
        return out;
    }
    const FT_Outline& outline = face.face()->glyph->outline;
    for (int i = 0; i < outline.n_contours; ++i) out.contourEnds.push_back(outline.contours[i]);
    for (int i = 0; i < outline.n_points; ++i)
        out.points.push_back({static_cast<int>(outline.points[i].x), static_cast<int>(outline.points[i].y),
                              (FT_CURVE_TAG(outline.tags[i]) == FT_CURVE_TAG_ON)});
    out.advance = face.face()->glyph->metrics.horiAdvance;
    out.loaded = true;
    return out;
}

std::string FreeTypeLoadsEveryGlyph(const std::string& font) {
    FreeTypeFace face(font);
    if (!face.face()) return "the face does not open";
    for (FT_Long i = 0; i < face.face()->num_glyphs; ++i) {
        const FT_Error error =
            FT_Load_Glyph(face.face(), static_cast<FT_UInt>(i), FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING);
        if (error != 0) return "glyph " + std::to_string(i) + ": FT_Load_Glyph error " + std::to_string(error);
    }
    return {};
}

long FreeTypeCharIndex(const std::string& font, uint32_t code) {
    FreeTypeFace face(font);
    if (!face.face()) return -1;
    return static_cast<long>(FT_Get_Char_Index(face.face(), code));
}

std::vector<FontPoint> FlattenContours(const std::vector<FontContour>& contours) {
    std::vector<FontPoint> out;
    for (const auto& c : contours) out.insert(out.end(), c.begin(), c.end());
    return out;
}

}  // namespace testsupport
