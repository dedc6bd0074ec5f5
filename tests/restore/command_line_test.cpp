#include <gtest/gtest.h>

#include "command_line.h"

TEST(CommandLine, SilentMatchesWholeArgumentInAnyCase) {
    EXPECT_TRUE(ParseCommandLine({"/silent"}).silent);
    EXPECT_TRUE(ParseCommandLine({"x", "/SiLeNt"}).silent);
    EXPECT_FALSE(ParseCommandLine({"/Silent2"}).silent);
    EXPECT_FALSE(ParseCommandLine({"Silent"}).silent);
    EXPECT_FALSE(ParseCommandLine({}).silent);
}

TEST(CommandLine, VersionTextTakesTheRestAndLaterWins) {
    EXPECT_EQ(ParseCommandLine({"DATE:2024.1"}).versionText, "2024.1");
    EXPECT_EQ(ParseCommandLine({"Date:A", "Date:B"}).versionText, "B");
    EXPECT_EQ(ParseCommandLine({"Date:A", "Date:"}).versionText, "");
    EXPECT_EQ(ParseCommandLine({"Dat"}).versionText, "");
    EXPECT_EQ(ParseCommandLine({"Date:x:y"}).versionText, "x:y");
}
