// Whether a font of a face exists in the Big5 character set on this workstation.
#pragma once

namespace eudc {

bool Big5FaceExists(const char* faceName);

}  // namespace eudc
