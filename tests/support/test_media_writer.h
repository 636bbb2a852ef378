// Writers that make small media files at test time with libavformat and
// libavcodec: MJPEG and uncompressed AVIs (optionally with PCM sound), WAVs,
// and PNG/JPEG/BMP/TGA/TIFF images (solid, from given pixels, with alpha or
// grey). Frames can carry their frame number as a pattern of
// large blocks that survives JPEG compression, so tests can check that the
// frame decoded at a time is the right one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantorelle::testing {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
};

enum class FramePattern { Solid, FrameNumbered };

enum class MovieCodec {
  Mjpeg,         // all-intra JPEG frames ("MJPG")
  Uncompressed,  // raw BGR24 frames (DIB)
  Mpeg4,         // inter-coded frames with key frames every gopSize frames
};

struct MovieParams {
  int width = 320;
  int height = 240;
  double framesPerSecond = 25.0;
  int frameCount = 25;
  MovieCodec codec = MovieCodec::Mjpeg;
  int gopSize = 12;  // Mpeg4 only
  FramePattern pattern = FramePattern::FrameNumbered;
  Rgb colour{200, 40, 40};  // Solid pattern, and the background of numbered frames
  bool withAudio = false;   // 16-bit PCM stereo at audioSampleRate
  int audioSampleRate = 48000;
  double audioSeconds = -1.0;  // < 0: as long as the video
  bool withVideo = true;       // false: an AVI holding sound only
};

struct WavParams {
  int sampleRate = 44100;
  int channels = 2;
  int bitsPerSample = 16;
  double seconds = 1.0;
  bool headerOnly = false;  // a header that announces data, and no samples
};

enum class ImageFormat { Png, Jpeg, Bmp, Tga, Tiff, Webp, Gif };

// Whether WriteImagePixels stores the fourth byte of each pixel. Only PNG, TGA
// and TIFF can; asking JPEG or BMP to fails.
enum class ImageAlpha { Drop, Keep };

// Each returns true on success; on failure error (when given) says why.
bool WriteAvi(const std::string& path, const MovieParams& params, std::string* error = nullptr);
bool WriteWav(const std::string& path, const WavParams& params, std::string* error = nullptr);
// A 16-bit PCM WAV of exactly these samples (channels interleaved).
bool WriteWavSamples(const std::string& path, int sampleRate, int channels,
                     const std::vector<std::int16_t>& interleaved, std::string* error = nullptr);
bool WriteImage(const std::string& path, ImageFormat format, int width, int height, Rgb colour,
                std::string* error = nullptr);
// rgba: rows top to bottom, width × 4 bytes each, in the order R, G, B, A.
bool WriteImagePixels(const std::string& path, ImageFormat format, int width, int height,
                      const std::vector<std::uint8_t>& rgba, ImageAlpha alpha = ImageAlpha::Drop,
                      std::string* error = nullptr);
// One grey level, stored as an 8-bit grey image (PNG, TGA and TIFF only).
bool WriteGreyImage(const std::string& path, ImageFormat format, int width, int height,
                    std::uint8_t level, std::string* error = nullptr);

// Reads the frame number that a FrameNumbered frame carries from packed RGB24
// pixels (3 bytes a pixel, rows of width × 3 bytes); -1 when none can be read.
int ReadFrameNumber(const std::uint8_t* rgb, int width, int height);

}  // namespace vantorelle::testing
