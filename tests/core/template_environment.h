// A throw-away prefix set to a Windows version, so that GetNewTteData picks that template; the
// version code is computed again once the prefix is gone; and the check every written font must
// pass. Shared by the TrueType editor's tests.
#pragma once
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "common/process_version.h"
#include "eudccore/tte_install.h"
#include "support/temp_prefix.h"
#include "support/tt_test_fonts.h"

namespace testsupport {

class TemplateEnvironment {
public:
    explicit TemplateEnvironment(const char* version = "winxp") {
        prefix_->SetWindowsVersion(version);
        eudc::RefreshWindowsVersionCode();
        if (!current_) current_ = this;
    }
    ~TemplateEnvironment() {
        if (current_ == this) current_ = nullptr;
        prefix_.reset();
        eudc::RefreshWindowsVersionCode();
    }
    // The environment of the running test, whose scratch folder takes the fonts to be checked.
    static const TemplateEnvironment* Current() { return current_; }
    std::string Template() const {
        std::string bytes(static_cast<size_t>(GetNewTteData(nullptr)), '\0');
        EXPECT_FALSE(bytes.empty());
        EXPECT_EQ(GetNewTteData(reinterpret_cast<unsigned char*>(bytes.data())), static_cast<int>(bytes.size()));
        return bytes;
    }
    const testsupport::TempPrefix& prefix() const { return *prefix_; }
    std::filesystem::path Scratch(const std::string& name) const { return prefix_->scratch() / name; }

private:
    std::unique_ptr<testsupport::TempPrefix> prefix_ = std::make_unique<testsupport::TempPrefix>();
    static inline const TemplateEnvironment* current_ = nullptr;
};

// Every font the editor writes must pass ots-sanitize and load, glyph by glyph, in FreeType.
inline void ExpectSoundFont(const std::string& font) {
    const TemplateEnvironment* env = TemplateEnvironment::Current();
    ASSERT_NE(env, nullptr) << "a written font needs a scratch folder to be checked in";
    std::string log;
    EXPECT_TRUE(OtsAcceptsBytes(env->Scratch("written.ttf"), font, &log)) << log;
    EXPECT_EQ(FreeTypeLoadsEveryGlyph(font), "");
}

}  // namespace testsupport
