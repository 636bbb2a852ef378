// Paths of source files: where a stored path points, names, extensions and the
// case-insensitive comparison used for duplicates.
#pragma once

#include <string>
#include <string_view>

namespace vantorelle {

// A stored path is absolute when it starts with '/', when its second character
// is ':' (a Windows drive) or when it starts with two backslashes (a Windows
// share). Windows paths are looked up only where they say.
bool IsAbsoluteStoredPath(std::string_view stored);

// The full path of a stored path: absolute ones stay as they are; relative
// ones, with '\' or '/' separators, lie below the project directory.
std::string ResolveStoredPath(std::string_view stored, std::string_view projectDirectory);

// The name after the last '/' or '\'.
std::string FileNameOf(std::string_view path);

// The text after the last '.' of a file name; empty when there is none.
std::string ExtensionOf(std::string_view name);

bool EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace vantorelle
