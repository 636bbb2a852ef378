#include "playback/software_board/movie_file_types.h"

#include <array>

#include "playback/software_board/import_filter_text.h"

namespace vantorelle {
namespace {

// A fixed list rather than FFmpeg's demuxer extensions: those name many
// formats people never keep as media (playlists, subtitles, raw streams).
constexpr std::array<MovieFileType, 29> kTypes{{
    {"avi", "AVI"},
    {"mp4", "MPEG-4"},
    {"m4v", "MPEG-4"},
    {"mov", "QuickTime"},
    {"mkv", "Matroska"},
    {"webm", "WebM"},
    {"mts", "MPEG transport stream"},
    {"m2ts", "MPEG transport stream"},
    {"ts", "MPEG transport stream"},
    {"mpg", "MPEG program stream"},
    {"mpeg", "MPEG program stream"},
    {"vob", "MPEG program stream"},
    {"mxf", "MXF"},
    {"flv", "Flash Video"},
    {"ogv", "Ogg Video"},
    {"wmv", "Windows Media"},
    {"asf", "Windows Media"},
    {"wma", "Windows Media"},
    {"mp3", "MP3"},
    {"aac", "AAC"},
    {"m4a", "MPEG-4 Audio"},
    {"flac", "FLAC"},
    {"ogg", "Ogg"},
    {"oga", "Ogg"},
    {"opus", "Opus"},
    {"aif", "AIFF"},
    {"aiff", "AIFF"},
    {"wav", "Wave"},
    {"3gp", "3GPP"},
}};

}  // namespace

std::span<const MovieFileType> MovieFileTypes() { return kTypes; }

std::string MovieImportFilter() {
  std::string filter;
  AppendFilterPart(filter, "Movie and Sound Files", ExtensionPatterns(MovieFileTypes(), 0, kTypes.size()));
  for (std::size_t first = 0; first < kTypes.size();) {
    std::size_t last = first + 1;
    while (last < kTypes.size() && kTypes[last].description == kTypes[first].description) ++last;
    AppendFilterPart(filter, kTypes[first].description, ExtensionPatterns(MovieFileTypes(), first, last));
    first = last;
  }
  return filter;
}

}  // namespace vantorelle
