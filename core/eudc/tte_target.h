// The one rule for writing a slot's TTE file: never over something that is not a font.
#pragma once

namespace eudc {

// True when path may be (re)written as a TTE file: nothing is there, or an empty file, or a file
// that starts with a TrueType or OpenType signature (a damaged TTE file is still ours to mend).
bool MayReplaceTteFile(const char* path);

}  // namespace eudc
