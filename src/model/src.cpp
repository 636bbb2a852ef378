#include "model/src.h"

#include <cstdio>

#include "model/file_in_work.h"
#include "model/source_paths.h"

namespace vantorelle {

CSrc::CSrc(std::string path_, std::string name_) : name(std::move(name_)), path(std::move(path_)) {}

CSrc::~CSrc() {
  if (fileInWork_) fileInWork_->WaitWhileHolding(path);
}

std::int32_t SourceIconFor(SourceFlagBits flags) {
  if ((flags & SourceFlags::MovieFile) == 0) return SourceIcon::Image;
  return HasPicture(flags) ? SourceIcon::Movie : SourceIcon::Sound;
}

std::string SourceDurationText(const CSrc& source) { return FormatTimeCompact(source.duration); }

std::string SourceUsageText(const CSrc& source) { return std::to_string(source.usageCount); }

std::string SourceSizeText(std::uint32_t size) {
  char text[32];
  if (size > 1023) {
    std::snprintf(text, sizeof text, "%u Kb", size / 1024);
  } else {
    std::snprintf(text, sizeof text, "%u Bytes", size);
  }
  return text;
}

std::string SourceTypeDescription(const std::string& name) {
  const std::string extension = ExtensionOf(name);
  static const struct {
    const char* extension;
    const char* description;
  } kKnown[] = {
      {"avi", "Video Clip"},      {"zip", "WinZip file"},   {"exe", "Application"},
      {"doc", "MS Word Document"}, {"h", "C Header file"},   {"cpp", "C++ Source file"},
      {"txt", "Text Document"},   {"plg", "MS HTML Document"},
  };
  for (const auto& known : kKnown) {
    if (EqualsIgnoreCase(extension, known.extension)) return known.description;
  }
  return extension + " file";
}

SourceDate SourceDateParts(const std::string& modified) {
  auto number = [&](std::size_t from, std::size_t count) {
    int value = 0;
    for (std::size_t i = from; i < from + count && i < modified.size(); ++i) {
      const char c = modified[i];
      if (c < '0' || c > '9') break;
      value = value * 10 + (c - '0');
    }
    return value;
  };
  return {number(0, 2), number(3, 2), number(6, 4)};
}

}  // namespace vantorelle
