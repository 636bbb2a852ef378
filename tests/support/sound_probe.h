// Measuring the board's sound in tests: making sound files with the ffmpeg
// program, reading a MovieAudioReader out, and the level of a tone, the RMS
// and the position of a click in what came out (48 kHz stereo, interleaved).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vantorelle {
class MovieAudioReader;
}

namespace vantorelle::testing {

bool HasFfmpegProgram();
// Runs "ffmpeg -nostdin -loglevel error -y ARGUMENTS"; true when it succeeded.
bool RunFfmpeg(const std::string& arguments);
std::string Quoted(const std::string& path);

// frames stereo sample frames from the reader, read in uneven blocks as the
// board pulls them.
std::vector<float> ReadFrames(MovieAudioReader& reader, std::size_t frames);

// Over frames [from, from + count) of one channel (0 left, 1 right).
double Rms(const std::vector<float>& stereo, int channel, std::size_t from, std::size_t count);
// The amplitude of a sine of the given frequency (a single-bin Fourier sum).
double ToneAmplitude(const std::vector<float>& stereo, int channel, double hertz, std::size_t from,
                     std::size_t count);
// The frame whose sample is largest in magnitude, on either channel.
std::size_t LoudestFrame(const std::vector<float>& stereo, std::size_t from, std::size_t count);
float LargestMagnitude(const std::vector<float>& stereo);

}  // namespace vantorelle::testing
