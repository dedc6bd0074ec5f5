// A throw-away prefix for one test: a fresh folder that WINEPREFIX points at while the object
// lives. The prefix folder itself is not created, so tests can check that nothing was written.
#pragma once
#include <filesystem>
#include <string>

#include "platform/winreg.h"

namespace testsupport {

class TempPrefix {
public:
    TempPrefix();
    ~TempPrefix();
    TempPrefix(const TempPrefix&) = delete;
    TempPrefix& operator=(const TempPrefix&) = delete;

    const std::filesystem::path& root() const { return root_; }
    // The scratch folder around the prefix; tests may put files of their own here.
    const std::filesystem::path& scratch() const { return scratch_; }
    // Creates the prefix folder with the fixture registry files (system.reg, user.reg, userdef.reg).
    void InstallFixtureRegistry() const;
    // Fills the prefix folder with a copy of the prefix that Wine's own wineboot made for this test
    // run (see wine_tools.h). Throws when there is none.
    void InstallWinePrefix() const;
    // Sets Wine's Windows version ("winxp", "vista", ...) through the registry API.
    void SetWindowsVersion(const std::string& name) const;

private:
    std::filesystem::path scratch_;
    std::filesystem::path root_;
    std::string oldPrefix_;
    bool hadOldPrefix_ = false;
};

// Creates the key when needed and sets a REG_SZ value in it; throws std::runtime_error on failure.
void SetRegistryString(HKEY root, const std::string& key, const std::string& name, const std::string& data);

// A .reg file's text without the key of that header line ("[EUDC\\\\950]") and its values.
std::string WithoutRegistryKey(const std::string& text, const std::string& header);

// The Windows form (Z:\...) of a host path, for the A functions.
std::string WindowsPath(const std::filesystem::path& hostPath);

// The uncompressed bytes of a fixture file under tests/data (".gz" files are inflated).
std::string ReadTestData(const std::string& relativePath);
// Every file under root with its bytes, for checking that nothing changed.
std::string SnapshotTree(const std::filesystem::path& root);
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

}  // namespace testsupport
