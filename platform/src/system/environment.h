// The environment a program gets when Wine starts it in the prefix: the profile variables, then
// the values of HKEY_LOCAL_MACHINE's Session Manager\Environment, then those of
// HKEY_CURRENT_USER\Environment, REG_EXPAND_SZ values expanded. The host's own environment does
// not leak in (Wine keeps TEMP, TMP and the like out of it too).
#pragma once
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace platform::environment {

// The value of one variable (names compare without regard to ASCII case); nullopt when unset or
// empty.
std::optional<std::wstring> Variable(std::wstring_view name);
// The value of the first of the names that is set, from one reading of the environment.
std::optional<std::wstring> FirstVariable(std::initializer_list<std::wstring_view> names);

// Replaces every %NAME% whose variable is set; the others stay as they are, as Win32 leaves them.
std::wstring Expand(std::wstring_view text);

}  // namespace platform::environment
