// The EUDC lock: retry rule, release on every way out, and exclusion between processes.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "eudc/eudc_lock.h"
#include "eudccore/lock_eudc.h"
#include "platform/testing.h"
#include "platform/wingdi.h"
#include "support/temp_prefix.h"

namespace pt = platform::testing;

namespace {

struct EudcLock : ::testing::Test {
    testsupport::TempPrefix prefix;
    EudcLock() {
        pt::ResetEnableEudcLog();
        pt::RecordSleeps(true);
    }
    ~EudcLock() override {
        pt::RecordSleeps(false);
        pt::ResetEnableEudcLog();
    }
};

}  // namespace

TEST_F(EudcLock, GivesUpAfterFiveAttemptsEachFollowedByASleep) {
    pt::FailEnableEudc(100);
    {
        eudc::EudcLockScope lock;
        EXPECT_FALSE(lock.held());
    }
    EXPECT_EQ(pt::EnableEudcCalls(), std::vector<BOOL>(5, FALSE));
    EXPECT_EQ(pt::RecordedSleeps(), std::vector<DWORD>(5, 1000));
}

TEST_F(EudcLock, ThirdAttemptSucceedsAfterTwoSleepsAndIsReleasedOnce) {
    pt::FailEnableEudc(2);
    {
        eudc::EudcLockScope lock;
        EXPECT_TRUE(lock.held());
        EXPECT_EQ(pt::RecordedSleeps(), std::vector<DWORD>(2, 1000));
    }
    EXPECT_EQ(pt::EnableEudcCalls(), (std::vector<BOOL>{FALSE, FALSE, FALSE, TRUE}));
}

TEST_F(EudcLock, ReleasedWhenAnExceptionLeavesTheScope) {
    try {
        eudc::EudcLockScope lock;
        ASSERT_TRUE(lock.held());
        throw std::runtime_error("boom");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(pt::EnableEudcCalls(), (std::vector<BOOL>{FALSE, TRUE}));
}

TEST_F(EudcLock, GuardClass) {
    {
        LockEUDC_Class guard;
        EXPECT_TRUE(guard.Lock(false));
        EXPECT_FALSE(guard.m_locked);
    }
    EXPECT_TRUE(pt::EnableEudcCalls().empty());
    {
        LockEUDC_Class guard;
        EXPECT_TRUE(guard.Lock(true));
        EXPECT_TRUE(guard.m_locked);
        EXPECT_EQ(pt::EnableEudcCalls(), std::vector<BOOL>{FALSE});
    }
    EXPECT_EQ(pt::EnableEudcCalls(), (std::vector<BOOL>{FALSE, TRUE}));
    pt::ResetEnableEudcLog();
    pt::FailEnableEudc(5);
    {
        LockEUDC_Class guard;
        EXPECT_FALSE(guard.Lock(true));
        EXPECT_FALSE(guard.m_locked);
    }
    EXPECT_EQ(pt::EnableEudcCalls(), std::vector<BOOL>(5, FALSE));
}

TEST_F(EudcLock, AnotherProcessHoldingTheSwitchMakesUsWait) {
    int toChild[2], toParent[2];
    ASSERT_EQ(pipe(toChild), 0);
    ASSERT_EQ(pipe(toParent), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        char c = EnableEUDC(FALSE) ? 'y' : 'n';
        (void)!write(toParent[1], &c, 1);
        (void)!read(toChild[0], &c, 1);  // hold until told
        EnableEUDC(TRUE);
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(toParent[0], &c, 1), 1);
    ASSERT_EQ(c, 'y');
    {
        eudc::EudcLockScope lock;
        EXPECT_FALSE(lock.held());
    }
    EXPECT_EQ(pt::RecordedSleeps().size(), 5u);
    (void)!write(toChild[1], "x", 1);
    int status = 0;
    waitpid(pid, &status, 0);
    {
        eudc::EudcLockScope lock;
        EXPECT_TRUE(lock.held());
    }
}
