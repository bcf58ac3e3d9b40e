// Browser profile names as the pool hands them to the runtime: a folder name
// the runtime creates under the user data folder, so nothing that could climb
// out of it or be refused by the file system survives.
#pragma once

#include <string>
#include <string_view>

namespace Corvane {

// The last path part, only a-z A-Z 0-9 space # $ ( ) + - . @ _ ~, lower case,
// at most 64 characters, without trailing dots and spaces.
std::u16string SanitizeProfileName(std::u16string_view name);

}  // namespace Corvane
