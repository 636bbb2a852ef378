// How long a file's sound really lasts. Headers can promise more than the
// file holds (a download cut short, a recording that stopped: MP3 with a
// Xing frame count, MP4 with its index in front, FLAC with its sample
// count). Rather than decode a whole long file when it is opened, the
// packets near the end are read: the end of the last sound packet found
// there is the sound's real end, and where nothing is found the end is
// looked for by halving the promised length. Headers that promise less than
// the packets hold are right (encoder padding at the end), so the shorter of
// the two counts; a length the demuxer only estimated from the bit rate
// gives way to the packets.
#pragma once

#include <string>

extern "C" {
#include <libavformat/avformat.h>
}

namespace vantorelle {

// Seconds from the file's time origin to the end of its sound; moves the
// input's read position. 0 when the stream holds no readable packet.
double SoundEndSeconds(AVFormatContext& input, int soundStream);

// The same for a file; -1 when it cannot be opened or holds no sound.
double SoundEndSecondsOf(const std::string& path);

}  // namespace vantorelle
