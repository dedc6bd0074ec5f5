// The same probe program asks Win32 the same questions under Wine 8.0 and over our layer, each on
// its own copy of the wineboot prefix; the answers must be equal line for line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_prefix.h"
#include "support/wine_tools.h"

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

struct Sides {
    TempPrefix layer;  // our side: the test's own prefix
    fs::path wine;     // Wine's side: a second copy

    Sides() : wine(layer.scratch() / "wine-side") {
        if (!fs::exists(EUDC_PROBE_EXE))
            throw std::runtime_error("no " EUDC_PROBE_EXE ": install mingw-w64 and configure again");
        layer.InstallWinePrefix();
        CopyWinePrefix(wine);
        fs::create_directories(layer.root() / "drive_c" / "probe");
        fs::create_directories(wine / "drive_c" / "probe");
    }
    ~Sides() { RunProgram({"wineserver", "-k"}, WineEnvironment(wine)); }

    ProgramRun UnderWine(const std::vector<std::string>& args) {
        std::vector<std::string> argv{"wine", EUDC_PROBE_EXE};
        argv.insert(argv.end(), args.begin(), args.end());
        ProgramRun run = RunProgram(argv, WineEnvironment(wine));
        for (size_t i; (i = run.out.find('\r')) != std::string::npos;) run.out.erase(i, 1);
        return run;
    }
    ProgramRun OverLayer(const std::vector<std::string>& args) {
        std::vector<std::string> argv{EUDC_PROBE_NATIVE};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProgram(argv, {{"WINEPREFIX", layer.root().string()}});
    }
    void Compare(const std::string& scenario) {
        const ProgramRun wine = UnderWine({scenario});
        const ProgramRun ours = OverLayer({scenario});
        ASSERT_EQ(wine.exitCode, 0) << scenario << ": " << wine.err;
        ASSERT_EQ(ours.exitCode, 0) << scenario << ": " << ours.err;
        EXPECT_FALSE(wine.out.empty()) << scenario;
        EXPECT_EQ(ours.out, wine.out) << scenario;
    }
};

}  // namespace

TEST(ProbeAgainstWine, FilesRegistryPathsAndTemporaryFilesAnswerAsWine) {
    Sides sides;
    for (const char* scenario : {"regsz", "tempname", "delete", "move", "paths", "temppath"}) sides.Compare(scenario);
}

TEST(ProbeAgainstWine, KernelObjectsAndSecurityAnswerAsWine) {
    Sides sides;
    for (const char* scenario : {"objects", "security"}) sides.Compare(scenario);
}

TEST(ProbeAgainstWine, VersionSettingsAnswerAsWine) {
    Sides sides;
    // win11 is left out: Wine 8.0 does not know the name; we report what Windows 11 reports.
    for (const char* setting : {"", "win98", "nt40", "winxp", "win2003", "vista", "win7", "win2008r2", "win8",
                                "win81", "win10", "WIN10"}) {
        ASSERT_EQ(sides.UnderWine({"setversion", setting}).exitCode, 0) << setting;
        ASSERT_EQ(sides.OverLayer({"setversion", setting}).exitCode, 0) << setting;
        SCOPED_TRACE(setting);
        sides.Compare("version");
    }
}
