// Where a kernel object's name puts it on the prefix.
//
// "Global\" leads to the machine-wide namespace, "Local\" stays in the current one (the session's,
// or the machine's after "Global\"), as the links in Wine's object directories do; the rest is the
// object's own name, case-sensitive, and must hold no further backslash. Its file is that name in
// UTF-8, with '%' and '/' written %25 and %2F and the names "." and ".." as %2E and %2E%2E.
#pragma once
#include <filesystem>
#include <optional>
#include <string>

#include "platform/wintypes.h"

namespace platform::objects {

struct ObjectName {
    bool global = false;
    std::string fileName;  // in the namespace's folder
};

enum class NameUse { Create, Open };

// The object's place, or nullopt with the last error set as Wine sets it: ERROR_FILENAME_EXCED_RANGE
// for more than 260 characters (Create) or 259 (Open), and also for a file name beyond the host's
// 255 bytes; ERROR_BAD_PATHNAME for a leading backslash; ERROR_INVALID_NAME for nothing or a
// backslash after the namespace; ERROR_PATH_NOT_FOUND for a backslash inside the name.
std::optional<ObjectName> ParseObjectName(LPCSTR name, NameUse use);

// <root>/.eudc/objects, and its global/ and local/ folders.
std::filesystem::path ObjectsFolder();
std::filesystem::path NamespaceFolder(bool global);

}  // namespace platform::objects
