#include "command_line.h"

#include "common/ansi_text.h"

RestoreOptions ParseCommandLine(const std::vector<std::string>& arguments) {
    RestoreOptions options;
    for (const std::string& arg : arguments) {
        if (eudc::EqualNoCaseAnsi(arg, "/Silent"))
            options.silent = true;
        else if (eudc::StartsWithNoCaseAnsi(arg, "Date:"))
            options.versionText = arg.substr(5);
        else if (eudc::EqualNoCaseAnsi(arg, "/Verbose"))
            options.verbose = true;
        else if (arg == "/?" || arg == "-h" || arg == "--help")
            options.help = true;
        else if (arg == "--version")
            options.showVersion = true;
    }
    return options;
}
