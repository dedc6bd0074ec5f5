#include "command_line.h"

#include <strings.h>

RestoreOptions ParseCommandLine(const std::vector<std::string>& arguments) {
    RestoreOptions options;
    for (const std::string& arg : arguments) {
        if (strcasecmp(arg.c_str(), "/Silent") == 0)
            options.silent = true;
        else if (arg.size() >= 5 && strncasecmp(arg.c_str(), "Date:", 5) == 0)
            options.versionText = arg.substr(5);
    }
    return options;
}
