#include "model/source_paths.h"

#include <algorithm>
#include <cctype>

namespace vantorelle {

bool IsAbsoluteStoredPath(std::string_view stored) {
  if (!stored.empty() && stored.front() == '/') return true;
  if (stored.size() >= 2 && stored[1] == ':') return true;
  return stored.size() >= 2 && stored[0] == '\\' && stored[1] == '\\';
}

namespace {

std::string BelowDirectory(std::string relative, std::string_view projectDirectory) {
  std::string full(projectDirectory);
  while (full.size() > 1 && full.back() == '/') full.pop_back();
  if (full.empty()) return relative;
  if (full != "/") full += '/';
  std::size_t start = 0;
  while (start < relative.size() && relative[start] == '/') ++start;
  return full + relative.substr(start);
}

}  // namespace

std::string ResolveStoredPath(std::string_view stored, std::string_view projectDirectory) {
  if (IsAbsoluteStoredPath(stored)) return std::string(stored);
  std::string relative(stored);
  std::replace(relative.begin(), relative.end(), '\\', '/');
  return BelowDirectory(std::move(relative), projectDirectory);
}

std::vector<std::string> StoredPathLocations(std::string_view stored, std::string_view projectDirectory) {
  if (IsAbsoluteStoredPath(stored)) return {std::string(stored)};
  std::vector<std::string> locations{BelowDirectory(std::string(stored), projectDirectory)};
  const std::string separated = ResolveStoredPath(stored, projectDirectory);
  if (separated != locations.front()) locations.push_back(separated);
  return locations;
}

std::string FileNameOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExtensionOf(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot + 1));
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace vantorelle
