// The temporary files a save leaves behind when it is cut short. Every save
// writes ".<name>.saving-<number>" next to the file it replaces; a process
// killed before the rename leaves that file lying there for good.
#pragma once

#include <cstddef>
#include <string>

namespace vantorelle {

// True for the name of such a temporary of the file named targetName (names
// only, no folders): a dot, the name, ".saving-" and a decimal number.
bool IsSaveTemporaryName(const std::string& candidate, const std::string& targetName);

// Removes the temporaries of path left in its folder and returns how many
// went. Meant to follow a successful save of path: any temporary of it
// still there belongs to a save that can no longer finish. Other files are
// never touched.
std::size_t RemoveStaleSaveTemporaries(const std::string& path);

}  // namespace vantorelle
