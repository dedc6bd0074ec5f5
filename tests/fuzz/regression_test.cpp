// Runs the fuzz target of this program over the inputs made by code for it and over every input
// fuzzing found and kept (tests/fuzz/corpus/<target>/); any broken promise traps.
#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz_target.h"
#include "support/temp_prefix.h"

namespace fs = std::filesystem;

TEST(FuzzRegression, SeedsAndFoundInputs) {
    testsupport::TempPrefix prefix;
    ASSERT_EQ(FuzzTargets().size(), 1u);
    const RegisteredFuzzTarget& t = FuzzTargets().front();
    int inputs = 0;
    for (const std::string& seed : t.seeds()) {
        t.target(reinterpret_cast<const uint8_t*>(seed.data()), seed.size());
        ++inputs;
    }
    const fs::path corpus = fs::path(EUDC_FUZZ_CORPUS_DIR) / t.name;
    if (fs::is_directory(corpus)) {
        for (const auto& entry : fs::directory_iterator(corpus)) {
            SCOPED_TRACE(entry.path().string());
            const std::string bytes = testsupport::ReadFileBytes(entry.path());
            t.target(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            ++inputs;
        }
    }
    EXPECT_GT(inputs, 0);
}
