#include "system/faults.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace platform {

namespace {

struct FaultPlan {
    testing::FaultKind kind = testing::FaultKind::Write;
    long failAt = 0;  // 0: none
    long seen[3] = {};
};

std::mutex g_mutex;
FaultPlan g_plan;
bool g_fromEnvironment = false;

void ReadEnvironmentOnce() {
    if (g_fromEnvironment) return;
    g_fromEnvironment = true;
    const char* setting = std::getenv("EUDC_TEST_FAULT");
    if (!setting) return;
    const char* colon = std::strchr(setting, ':');
    if (!colon) return;
    const std::string kind(setting, static_cast<size_t>(colon - setting));
    const long n = std::strtol(colon + 1, nullptr, 10);
    if (n <= 0) return;
    if (kind == "write") g_plan.kind = testing::FaultKind::Write;
    else if (kind == "sync") g_plan.kind = testing::FaultKind::Sync;
    else if (kind == "rename") g_plan.kind = testing::FaultKind::Rename;
    else return;
    g_plan.failAt = n;
}

}  // namespace

bool faults::Hit(testing::FaultKind kind) {
    std::lock_guard<std::mutex> guard(g_mutex);
    ReadEnvironmentOnce();
    const long count = ++g_plan.seen[static_cast<int>(kind)];
    return g_plan.failAt > 0 && kind == g_plan.kind && count == g_plan.failAt;
}

void testing::FailNth(FaultKind kind, long n) {
    std::lock_guard<std::mutex> guard(g_mutex);
    g_fromEnvironment = true;
    g_plan = FaultPlan{kind, n, {}};
}

long testing::OperationsSeen(FaultKind kind) {
    std::lock_guard<std::mutex> guard(g_mutex);
    return g_plan.seen[static_cast<int>(kind)];
}

}  // namespace platform
