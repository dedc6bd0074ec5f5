// The restore tool's command line.
#pragma once
#include <string>
#include <vector>

struct RestoreOptions {
    bool silent = false;
    std::string versionText;  // empty unless "Date:" is given
    bool verbose = false;      // "/Verbose": print each step
    bool help = false;         // "/?", "-h", "--help": print the usage, do nothing else
    bool showVersion = false;  // "--version": print the program's version, do nothing else
};

// Scans the arguments (after the program name) from first to last: "/Silent" in any letter case
// sets the silent flag; an argument starting with "Date:" in any letter case sets the version text
// to its rest (a later one wins); "/Verbose" in any letter case, "/?", "-h", "--help" and
// "--version" set their flags; every other argument is ignored.
RestoreOptions ParseCommandLine(const std::vector<std::string>& arguments);
