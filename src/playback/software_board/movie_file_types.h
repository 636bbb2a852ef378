// The movie and sound file types the software board offers for opening: the
// common containers FFmpeg reads, by extension, with a description for each.
// The board opens any file FFmpeg reads whatever its name; this list is what
// the editor's file filters and file viewer show.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace vantorelle {

struct MovieFileType {
  std::string_view extension;    // lower case, without the dot
  std::string_view description;  // rows of one type follow each other and share it
};

std::span<const MovieFileType> MovieFileTypes();

// "Movie and Sound Files(*.avi;...)|*.avi;...|" followed by one
// description|pattern pair per type, in the image filter's form.
std::string MovieImportFilter();

}  // namespace vantorelle
