// The time a movie file's own clock counts from. Both the pictures and the
// sound of a source are placed relative to it, so an offset between the
// streams (sound that starts half a second after the picture, common in MP4,
// MOV and MPEG-TS) is kept: with a picture stream, the origin is the start
// of the first picture stream that is not a cover picture (0 when it names
// none); in a sound-only file, the start of the sound stream, so the sound
// begins at its first real sample once encoder priming is cut away (0 where
// the priming itself is stamped before 0, as Matroska does).
#pragma once

extern "C" {
#include <libavformat/avformat.h>
}

namespace vantorelle {

// In seconds of the file's clock; soundStream is the stream the sound is
// read from (its start is used where there is no picture stream).
double MediaTimeOriginSeconds(const AVFormatContext& input, int soundStream);

}  // namespace vantorelle
