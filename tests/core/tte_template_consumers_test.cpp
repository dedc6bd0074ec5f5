// The built-in EUDC templates as other font software sees them: the OpenType sanitizer and FreeType.
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "common/own_resource.h"
#include "resources/tte_templates.h"
#include "support/temp_prefix.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes LoadTemplate(UINT id) {
    eudc::EnsureTemplateResources();
    const DWORD size = eudc::LoadOwnResource(id, nullptr, 0, "TTE");
    Bytes bytes(size);
    if (size != 0 && eudc::LoadOwnResource(id, bytes.data(), 0, "TTE") != size) bytes.clear();
    return bytes;
}

struct Expected {
    UINT id;
    long glyphs;
    FT_ULong lastCode;
};
const Expected kTemplates[] = {{2038, 6402, 0xF8FF}, {2039, 6219, 0xF848}, {2040, 6219, 0xF848}};

fs::path FindOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        const size_t colon = dirs.find(':', start);
        const std::string dir = dirs.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        std::error_code ec;
        const fs::path candidate = fs::path(dir.empty() ? "." : dir) / program;
        if (fs::is_regular_file(candidate, ec)) return candidate;
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    return {};
}

struct RunResult {
    int status;
    std::string output;
};

constexpr const char* kOtsMissing = "ots-sanitize is not on PATH: install the Debian package opentype-sanitizer";

// Runs ots-sanitize on the file; status is the program's exit status (-1 when it did not exit).
RunResult Sanitize(const fs::path& ots, const fs::path& font) {
    const std::string command = "'" + ots.string() + "' '" + font.string() + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return {-1, "cannot start ots-sanitize"};
    RunResult r{-1, {}};
    char chunk[256];
    while (size_t n = std::fread(chunk, 1, sizeof chunk, pipe)) r.output.append(chunk, n);
    const int raw = pclose(pipe);
    if (raw != -1 && WIFEXITED(raw)) r.status = WEXITSTATUS(raw);
    return r;
}

class FreeTypeLibrary {
public:
    FreeTypeLibrary() { ok_ = FT_Init_FreeType(&lib_) == 0; }
    ~FreeTypeLibrary() {
        if (ok_) FT_Done_FreeType(lib_);
    }
    bool ok() const { return ok_; }
    FT_Library get() const { return lib_; }

private:
    FT_Library lib_ = nullptr;
    bool ok_ = false;
};

}  // namespace

TEST(TteTemplateConsumers, OtsSanitizeAcceptsEachTemplate) {
    const fs::path ots = FindOnPath("ots-sanitize");
    ASSERT_FALSE(ots.empty()) << kOtsMissing;
    testsupport::TempPrefix prefix;
    for (const auto& t : kTemplates) {
        SCOPED_TRACE(t.id);
        const Bytes bytes = LoadTemplate(t.id);
        ASSERT_FALSE(bytes.empty());
        const fs::path file = prefix.scratch() / ("template" + std::to_string(t.id) + ".ttf");
        testsupport::WriteFileBytes(file, std::string(bytes.begin(), bytes.end()));
        const RunResult r = Sanitize(ots, file);
        EXPECT_EQ(r.status, 0) << r.output;
    }
}

TEST(TteTemplateConsumers, OtsSanitizeRejectsABrokenTemplate) {
    // Shows that the check above can fail: a template whose glyf table is cut short is refused.
    const fs::path ots = FindOnPath("ots-sanitize");
    ASSERT_FALSE(ots.empty()) << kOtsMissing;
    testsupport::TempPrefix prefix;
    Bytes bytes = LoadTemplate(2039);
    ASSERT_GT(bytes.size(), 16u);
    bytes.resize(bytes.size() - 16);
    const fs::path file = prefix.scratch() / "broken.ttf";
    testsupport::WriteFileBytes(file, std::string(bytes.begin(), bytes.end()));
    const RunResult r = Sanitize(ots, file);
    EXPECT_GT(r.status, 0) << r.output;
}

TEST(TteTemplateConsumers, FreeTypeLoadsEachTemplateWithItsMapping) {
    FreeTypeLibrary ft;
    ASSERT_TRUE(ft.ok());
    for (const auto& t : kTemplates) {
        SCOPED_TRACE(t.id);
        const Bytes bytes = LoadTemplate(t.id);
        FT_Face face = nullptr;
        ASSERT_EQ(FT_New_Memory_Face(ft.get(), bytes.data(), static_cast<FT_Long>(bytes.size()), 0, &face), 0);
        EXPECT_EQ(face->num_glyphs, t.glyphs);
        ASSERT_NE(face->family_name, nullptr);
        EXPECT_STREQ(face->family_name, "EUDC");
        ASSERT_NE(face->style_name, nullptr);
        EXPECT_STREQ(face->style_name, "Regular");
        EXPECT_EQ(face->units_per_EM, 1024);
        EXPECT_EQ(face->ascender, 820);
        EXPECT_EQ(face->descender, -204);
        EXPECT_TRUE(FT_HAS_VERTICAL(face));

        EXPECT_EQ(FT_Get_Char_Index(face, 0xE000), 2u);
        EXPECT_EQ(FT_Get_Char_Index(face, t.lastCode), static_cast<FT_UInt>(t.glyphs - 1));
        if (t.lastCode == 0xF8FF) {
            EXPECT_EQ(FT_Get_Char_Index(face, 0xF8FF), 6401u);
        } else {
            EXPECT_EQ(FT_Get_Char_Index(face, 0xF849), 0u);
        }
        EXPECT_EQ(FT_Get_Char_Index(face, 0xDFFF), 0u);

        // Glyph 0 is the one-contour box; a mapped glyph is empty with the full advance.
        ASSERT_EQ(FT_Load_Glyph(face, 0, FT_LOAD_NO_SCALE), 0);
        EXPECT_EQ(face->glyph->outline.n_contours, 1);
        EXPECT_EQ(face->glyph->outline.n_points, 4);
        ASSERT_EQ(FT_Load_Glyph(face, FT_Get_Char_Index(face, 0xE123), FT_LOAD_NO_SCALE), 0);
        EXPECT_EQ(face->glyph->outline.n_points, 0);
        EXPECT_EQ(face->glyph->metrics.horiAdvance, 1024);
        EXPECT_EQ(face->glyph->metrics.vertAdvance, 1024);

        // Sizing runs the font and control-value programs through the bytecode interpreter.
        ASSERT_EQ(FT_Set_Pixel_Sizes(face, 0, 16), 0);
        ASSERT_EQ(FT_Load_Glyph(face, 0, FT_LOAD_RENDER), 0);
        EXPECT_GT(face->glyph->bitmap.rows, 0u);
        EXPECT_EQ(face->glyph->advance.x, 16 * 64);
        FT_Done_Face(face);
    }
}
