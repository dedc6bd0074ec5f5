#include <gtest/gtest.h>

#include <vector>

#include "common/own_resource.h"
#include "platform/resources.h"

namespace {
std::vector<BYTE> Build2030() { return {10, 20, 30, 40}; }
std::vector<BYTE> BuildEmpty() { return {}; }
const platform::BinaryResource kResources[] = {{"DLL", 64000, &Build2030}, {"DLL", 64001, &BuildEmpty}};
const bool kRegistered = (platform::RegisterBinaryResources(kResources, 2), true);
}  // namespace

TEST(OwnResource, SizeThenWholeOrPartialCopy) {
    ASSERT_TRUE(kRegistered);
    EXPECT_EQ(eudc::LoadOwnResource(64000), 4u);
    BYTE buf[8] = {};
    EXPECT_EQ(eudc::LoadOwnResource(64000, buf), 4u);
    EXPECT_EQ(buf[3], 40);
    BYTE part[8] = {};
    EXPECT_EQ(eudc::LoadOwnResource(64000, part, 2), 2u);
    EXPECT_EQ(part[1], 20);
    EXPECT_EQ(part[2], 0);
}

TEST(OwnResource, MissingOrEmptyIsZero) {
    BYTE buf[4] = {7, 7, 7, 7};
    EXPECT_EQ(eudc::LoadOwnResource(64001), 0u);
    EXPECT_EQ(eudc::LoadOwnResource(64002, buf), 0u);
    EXPECT_EQ(eudc::LoadOwnResource(64000, nullptr, 0, "TTE"), 0u);
    EXPECT_EQ(buf[0], 7);
}
