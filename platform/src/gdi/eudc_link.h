// The EUDC font files linked to a face: HKEY_CURRENT_USER EUDC\950.
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace platform::gdi {

// Private-use characters are taken from linked EUDC fonts.
inline bool IsEudcCode(unsigned code) { return code >= 0xE000 && code <= 0xF8FF; }

// The host paths of the EUDC files to try for a font, best first: the file named for the face as
// it was asked for, the one named for the family it was realised on (when that name differs,
// e.g. through FontSubstitutes), then "SystemDefaultEUDCFont". The registry holds Windows paths; a
// bare file name is taken in the Fonts folder. Values that are missing, empty or no string are
// skipped; the files need not exist.
// Answers are kept until the change generation (change_watch.h) moves; user.reg's folder is
// watched for that.
using EudcLinks = std::vector<std::filesystem::path>;
std::shared_ptr<const EudcLinks> EudcLinkFiles(const std::string& askedName, const std::string& familyName,
                                               uint64_t generation);

}  // namespace platform::gdi
