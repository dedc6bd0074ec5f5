// Decoding of the open-mode word.
#include <gtest/gtest.h>

#include "foundation/file_open_mode.h"

namespace {

struct ModeCase {
    FileOpenMode mode;
    DWORD access;
    DWORD share;
    DWORD disposition;
    bool inheritable;
};

}  // namespace

TEST(FileOpenModeTest, ModeWordsOfTheSystemDecode) {
    constexpr DWORD R = GENERIC_READ, W = GENERIC_WRITE, SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE;
    const ModeCase cases[] = {
        {0x8000, R, 0, OPEN_EXISTING, false},         {0x8010, R, 0, OPEN_EXISTING, false},
        {0x8012, R | W, 0, OPEN_EXISTING, false},     {0x8020, R, SR, OPEN_EXISTING, false},
        {0x8022, R | W, SR, OPEN_EXISTING, false},    {0x8040, R, SR | SW, OPEN_EXISTING, false},
        {0x8041, W, SR | SW, OPEN_EXISTING, false},   {0x9001, W, 0, CREATE_ALWAYS, false},
        {0x9002, R | W, 0, CREATE_ALWAYS, false},     {0x9012, R | W, 0, CREATE_ALWAYS, false},
        {0x9022, R | W, SR, CREATE_ALWAYS, false},    {0x9041, W, SR | SW, CREATE_ALWAYS, false},
        {0x0030, R, SW, OPEN_EXISTING, false},        {0x3002, R | W, 0, OPEN_ALWAYS, false},
        {0x2000, R, 0, OPEN_EXISTING, false},         {0x8080, R, 0, OPEN_EXISTING, true},
    };
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.mode);
        FileOpenRequest r;
        ASSERT_TRUE(DecodeFileOpenMode(c.mode, r));
        EXPECT_EQ(r.access, c.access);
        EXPECT_EQ(r.share, c.share);
        EXPECT_EQ(r.disposition, c.disposition);
        EXPECT_EQ(r.inheritable, c.inheritable);
    }
}

TEST(FileOpenModeTest, InvalidAccessOrSharingIsRefused) {
    for (FileOpenMode bad : {0x8003u, 0x9003u, 0x8050u, 0x8060u, 0x8070u, 0x9072u}) {
        FileOpenRequest r;
        r.access = 12345;
        EXPECT_FALSE(DecodeFileOpenMode(bad, r)) << std::hex << bad;
        EXPECT_EQ(r.access, 12345u);
    }
}
