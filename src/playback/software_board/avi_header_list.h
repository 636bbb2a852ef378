// The AVI header list (LIST 'hdrl'): one stream list (LIST 'strl') a stream,
// each with its stream header, format and optional OpenDML super index.
#pragma once

#include <vector>

#include "playback/software_board/avi_chunks.h"
#include "playback/software_board/avi_layout.h"

namespace vantorelle {

// Stream numbers in chunk ids have two digits, so no file has more streams.
inline constexpr std::size_t AviMaxStreams = 100;
// Real formats are a bitmap or wave header plus a little codec data.
inline constexpr std::uint64_t AviMaxFormatBytes = 1u << 20;

void ReadAviHeaderList(AviByteSource& source, const AviChunk& headerList,
                       std::vector<AviStream>& streams);

}  // namespace vantorelle
