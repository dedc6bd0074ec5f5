#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "fuzz_target.h"
#include "support/temp_prefix.h"

namespace {

std::vector<RegisteredFuzzTarget>& Targets() {
    static std::vector<RegisteredFuzzTarget> targets;
    return targets;
}

}  // namespace

bool RegisterFuzzTarget(const char* name, FuzzTarget target, FuzzSeeds seeds) {
    Targets().push_back({name, target, seeds});
    return true;
}

const std::vector<RegisteredFuzzTarget>& FuzzTargets() { return Targets(); }

#ifdef EUDC_FUZZ_PROGRAM
// Before fuzzing: a throw-away prefix of its own, and with EUDC_FUZZ_WRITE_SEEDS=<dir> the seeds
// made by code written there instead of fuzzing.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string prefix = (std::filesystem::temp_directory_path() / ("eudc-fuzz-prefix-" + std::to_string(getpid()))).string();
    setenv("WINEPREFIX", prefix.c_str(), 1);
    setenv("EUDC_HOST_FONTS", "0", 1);
    if (const char* dir = std::getenv("EUDC_FUZZ_WRITE_SEEDS")) {
        std::filesystem::create_directories(dir);
        int n = 0;
        for (const auto& t : FuzzTargets())
            for (const std::string& seed : t.seeds())
                testsupport::WriteFileBytes(std::filesystem::path(dir) / ("seed-" + std::to_string(n++)), seed);
        std::exit(0);
    }
    return 0;
}
#endif
