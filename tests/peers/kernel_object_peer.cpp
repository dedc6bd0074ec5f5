// Another process for the kernel object tests. It runs its steps in order, prints one line per
// step and ends without closing anything, as a process that is simply gone:
//   write:<mapping>:<text>   prints the text at the mapping's start ("write <text>"), then puts its own there
//   take:<mutex>             waits up to 10 s for the mutex ("take <wait result>")
//   set:<event>              sets the event ("set ok")
//   wait:<event>             waits up to 10 s for the event ("wait <wait result>")
// A failing open prints "<step> error <code>".
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/windows.h"

namespace {

void Print(const std::string& step, const std::string& outcome) {
    std::printf("%s %s\n", step.c_str(), outcome.c_str());
    std::fflush(stdout);
}

std::string Error() { return "error " + std::to_string(GetLastError()); }

void Run(const std::string& step, const std::string& name, const std::string& text) {
    if (step == "write") {
        HANDLE mapping = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name.c_str());
        char* view = mapping ? static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0)) : nullptr;
        if (!view) return Print(step, Error());
        Print(step, view);
        std::memcpy(view, text.c_str(), text.size() + 1);
    } else if (step == "take" || step == "wait") {
        HANDLE h = step == "take" ? OpenMutexA(SYNCHRONIZE, FALSE, name.c_str()) : OpenEventA(SYNCHRONIZE, FALSE, name.c_str());
        if (!h) return Print(step, Error());
        Print(step, std::to_string(WaitForSingleObject(h, 10000)));
    } else if (step == "set") {
        HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, name.c_str());
        Print(step, event && SetEvent(event) ? "ok" : Error());
    } else {
        Print(step, "unknown");
    }
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const size_t colon = arg.find(':');
        const size_t second = colon == std::string::npos ? colon : arg.find(':', colon + 1);
        Run(arg.substr(0, colon), arg.substr(colon + 1, second == std::string::npos ? second : second - colon - 1),
            second == std::string::npos ? "" : arg.substr(second + 1));
    }
    return 0;
}
