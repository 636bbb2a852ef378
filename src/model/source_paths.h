// Paths of source files: where a stored path points, names, extensions and the
// case-insensitive comparison used for extensions. Paths themselves compare
// exactly: two names that differ in case are two files on Linux.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantorelle {

// A stored path is absolute when it starts with '/', when its second character
// is ':' (a Windows drive) or when it starts with two backslashes (a Windows
// share). Windows paths are looked up only where they say.
bool IsAbsoluteStoredPath(std::string_view stored);

// The full path of a stored path: absolute ones stay as they are; relative
// ones, with '\' or '/' separators, lie below the project directory.
std::string ResolveStoredPath(std::string_view stored, std::string_view projectDirectory);

// Where a stored source may lie, in the order to try: a relative path below
// the project directory as written (a backslash is a legal file-name
// character), then with its backslashes read as separators; an absolute
// path as it is. Each place once.
std::vector<std::string> StoredPathLocations(std::string_view stored, std::string_view projectDirectory);

// The name after the last '/' or '\'.
std::string FileNameOf(std::string_view path);

// The text after the last '.' of a file name; empty when there is none.
std::string ExtensionOf(std::string_view name);

bool EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace vantorelle
