// SIDs, the process token, access lists and descriptors, and the permissions they give the files
// of named objects.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "platform/heap.h"
#include "platform/securitybase.h"
#include "platform/synchapi.h"
#include "support/temp_prefix.h"

namespace fs = std::filesystem;
using testsupport::TempPrefix;

namespace {

PSID Everyone() {
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID sid = nullptr;
    EXPECT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &sid));
    return sid;
}

// The token's user, copied out of TokenUser.
std::vector<BYTE> TokenUserSid() {
    HANDLE token = nullptr;
    EXPECT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    std::vector<BYTE> info(256);
    DWORD size = 0;
    EXPECT_TRUE(GetTokenInformation(token, TokenUser, info.data(), static_cast<DWORD>(info.size()), &size));
    CloseHandle(token);
    PSID sid = reinterpret_cast<TOKEN_USER*>(info.data())->User.Sid;
    const auto* bytes = static_cast<const BYTE*>(sid);
    return std::vector<BYTE>(bytes, bytes + GetLengthSid(sid));
}

}  // namespace

TEST(SecurityTest, TokenUserIsThePrefixUserAsWineNamesIt) {
    HANDLE token = reinterpret_cast<HANDLE>(0x55);
    EXPECT_FALSE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_TOKEN));
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));

    DWORD needed = 0;
    EXPECT_FALSE(GetTokenInformation(token, TokenUser, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(needed, sizeof(TOKEN_USER) + 28);  // Wine 8.0 answers 44 to a 64-bit program
    std::vector<BYTE> info(needed);
    EXPECT_FALSE(GetTokenInformation(token, TokenUser, info.data(), needed - 1, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, info.data(), needed, &needed));
    const auto* user = reinterpret_cast<const TOKEN_USER*>(info.data());
    EXPECT_EQ(user->User.Sid, info.data() + sizeof(TOKEN_USER));
    EXPECT_EQ(user->User.Attributes, 0u);
    // S-1-5-21-0-0-0-1000, as Wine 8.0 reports the prefix user.
    const BYTE wine[28] = {1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xE8, 3, 0, 0};
    EXPECT_EQ(std::vector<BYTE>(info.begin() + sizeof(TOKEN_USER), info.end()), std::vector<BYTE>(wine, wine + 28));
    EXPECT_TRUE(IsValidSid(user->User.Sid));

    BYTE copy[28];
    EXPECT_FALSE(CopySid(27, copy, user->User.Sid));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_TRUE(CopySid(28, copy, user->User.Sid));
    EXPECT_EQ(std::memcmp(copy, wine, 28), 0);

    EXPECT_TRUE(CloseHandle(token));
    EXPECT_FALSE(GetTokenInformation(token, TokenUser, info.data(), needed, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_DEFAULT, &token));
    EXPECT_FALSE(GetTokenInformation(token, TokenUser, info.data(), needed, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(token);
    EXPECT_FALSE(OpenProcessToken(reinterpret_cast<HANDLE>(0x1234), TOKEN_QUERY, &token));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(SecurityTest, AccessListTakesEntriesUntilItsSizeIsUsed) {
    PSID everyone = Everyone();
    EXPECT_EQ(GetLengthSid(everyone), 12u);
    EXPECT_EQ(static_cast<const BYTE*>(everyone)[7], 1);  // world authority
    // Room for the header and exactly one entry for Everyone (4 + 4 + 12 bytes).
    alignas(4) BYTE buffer[sizeof(ACL) + 20 + 8] = {};
    auto* acl = reinterpret_cast<PACL>(buffer);
    ASSERT_TRUE(InitializeAcl(acl, sizeof(ACL) + 20, ACL_REVISION));
    EXPECT_TRUE(AddAccessAllowedAce(acl, ACL_REVISION, FILE_MAP_READ | FILE_MAP_WRITE, everyone));
    EXPECT_FALSE(AddAccessAllowedAce(acl, ACL_REVISION, SYNCHRONIZE, everyone));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALLOTTED_SPACE_EXCEEDED));
    EXPECT_EQ(acl->AceCount, 1);
    EXPECT_EQ(acl->AclSize, sizeof(ACL) + 20);
    const BYTE entry[20] = {ACCESS_ALLOWED_ACE_TYPE, 0, 20, 0, 6, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(buffer + sizeof(ACL), entry, sizeof entry), 0);
    for (size_t i = sizeof(ACL) + 20; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0) << "written past the list";

    struct Case {
        const char* what;
        std::function<BOOL()> call;
        DWORD error;
    };
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID none = nullptr;
    SECURITY_DESCRIPTOR sd;
    BYTE notASid[12] = {2, 1};
    const Case cases[] = {
        {"list smaller than its header", [&] { return InitializeAcl(acl, 4, ACL_REVISION); }, ERROR_INSUFFICIENT_BUFFER},
        {"unknown list revision", [&] { return InitializeAcl(acl, 64, 7); }, ERROR_INVALID_PARAMETER},
        {"unknown entry revision", [&] { return AddAccessAllowedAce(acl, 9, 0, everyone); }, ERROR_REVISION_MISMATCH},
        {"entry for no SID", [&] { return AddAccessAllowedAce(acl, ACL_REVISION, 0, notASid); }, ERROR_INVALID_SID},
        {"nine sub-authorities", [&] { return AllocateAndInitializeSid(&world, 9, 0, 0, 0, 0, 0, 0, 0, 0, &none); },
         ERROR_INVALID_SID},
        {"descriptor revision 2", [&] { return InitializeSecurityDescriptor(&sd, 2); }, ERROR_UNKNOWN_REVISION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetLastError(0);
        EXPECT_FALSE(c.call());
        EXPECT_EQ(GetLastError(), c.error);
    }
    EXPECT_EQ(acl->AceCount, 1) << "a refused entry changes nothing";

    ASSERT_TRUE(InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION));
    EXPECT_EQ(sd.Control, 0);
    EXPECT_TRUE(SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE));
    EXPECT_EQ(sd.Control, SE_DACL_PRESENT);
    EXPECT_EQ(sd.Dacl, acl);
    EXPECT_EQ(FreeSid(everyone), nullptr);
}

TEST(SecurityTest, EveryonesRightsDecideWhoMayOpenTheObjectsFile) {
    TempPrefix prefix;
    std::vector<BYTE> user = TokenUserSid();
    PSID everyone = Everyone();
    enum Dacl { kNone, kEntries, kNull };
    struct Case {
        const char* what;
        Dacl dacl;
        DWORD everyoneMask;  // with kEntries, followed by the user's entry with every right
        std::function<HANDLE(LPSECURITY_ATTRIBUTES)> create;
        unsigned mode;
    };
    auto mapping = [](DWORD protect) {
        return [protect](LPSECURITY_ATTRIBUTES sa) {
            return CreateFileMappingA(INVALID_HANDLE_VALUE, sa, protect, 0, 100, "Global\\Obj");
        };
    };
    auto mutex = [](LPSECURITY_ATTRIBUTES sa) { return CreateMutexA(sa, FALSE, "Global\\Obj"); };
    auto event = [](LPSECURITY_ATTRIBUTES sa) { return CreateEventA(sa, TRUE, FALSE, "Global\\Obj"); };
    const Case cases[] = {
        {"mapping read and write", kEntries, FILE_MAP_READ | FILE_MAP_WRITE, mapping(PAGE_READWRITE), 0666},
        {"mapping read", kEntries, FILE_MAP_READ, mapping(PAGE_READWRITE), 0644},
        {"mapping generic read", kEntries, GENERIC_READ, mapping(PAGE_READWRITE), 0644},
        {"mapping no right", kEntries, 0, mapping(PAGE_READWRITE), 0600},
        {"mapping default security", kNone, 0, mapping(PAGE_READWRITE), 0600},
        {"read-only mapping", kEntries, FILE_MAP_READ | FILE_MAP_WRITE, mapping(PAGE_READONLY), 0444},
        {"mutex synchronize", kEntries, SYNCHRONIZE, mutex, 0666},
        {"mutex release only", kEntries, MUTEX_MODIFY_STATE, mutex, 0600},
        {"mutex null list", kNull, 0, mutex, 0666},
        {"event modify", kEntries, EVENT_MODIFY_STATE, event, 0666},
        {"event generic all", kEntries, GENERIC_ALL, event, 0666},
        {"event default security", kNone, 0, event, 0600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        alignas(8) BYTE aclBuffer[128];
        auto* acl = reinterpret_cast<PACL>(aclBuffer);
        ASSERT_TRUE(InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION));
        ASSERT_TRUE(AddAccessAllowedAce(acl, ACL_REVISION, c.everyoneMask, everyone));
        ASSERT_TRUE(AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, user.data()));
        SECURITY_DESCRIPTOR sd;
        ASSERT_TRUE(InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION));
        ASSERT_TRUE(SetSecurityDescriptorDacl(&sd, TRUE, c.dacl == kNull ? nullptr : acl, FALSE));
        SECURITY_ATTRIBUTES sa = {sizeof sa, &sd, FALSE};
        HANDLE h = c.create(c.dacl == kNone ? nullptr : &sa);
        ASSERT_NE(h, nullptr);
        struct stat st = {};
        ASSERT_EQ(stat((prefix.root() / ".eudc" / "objects" / "global" / "Obj").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, c.mode) << std::oct << (st.st_mode & 0777);
        CloseHandle(h);
    }
    SECURITY_DESCRIPTOR broken = {};
    broken.Revision = 5;
    SECURITY_ATTRIBUTES sa = {sizeof sa, &broken, FALSE};
    EXPECT_EQ(CreateMutexA(&sa, FALSE, "Global\\Obj"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_UNKNOWN_REVISION));
    FreeSid(everyone);
}
