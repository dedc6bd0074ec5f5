#include <cstdio>
#include <string>

#include "platform/winuser.h"
#include "text.h"

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    std::string line = platform::text::AnsiToUtf8(caption ? caption : "Error");
    line += ": ";
    const std::string body = platform::text::AnsiToUtf8(text ? text : "");
    for (size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n') continue;  // \r\n is one break
        line += body[i];
    }
    line += '\n';
    FILE* out = (type & MB_ICONMASK) == MB_ICONHAND ? stderr : stdout;
    std::fwrite(line.data(), 1, line.size(), out);
    std::fflush(out);
    if ((type & 0xF) == MB_YESNO) return IDYES;
    return IDOK;
}
