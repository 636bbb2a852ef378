// Writes what the board plays into a media file other players read: MJPEG
// pictures with PCM sound in AVI, or H.264 with AAC in MP4. MP4 pictures are
// limited-range YUV in the colours of OutputColourOf, tagged so; AVI holds no
// colour tags, so its JPEG pictures stay full-range BT.601, as every JPEG
// reader takes them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct AVFrame;

namespace vantorelle {

enum class MediaFileFormat { AviMjpegPcm, Mp4H264Aac };

struct MediaFileSettings {
  MediaFileFormat format = MediaFileFormat::AviMjpegPcm;
  int width = 720;
  int height = 576;
  // Frames per 1000 s, as the video standard gives them (25 000 for PAL). The
  // file gets the exact rate: 29 970 is written as 30000/1001.
  int framesPer1000s = 25000;
  int sampleRate = 48000;  // stereo
  // Pixel shape written into the file; 0:0 writes none (the classic SD
  // formats, whose readers assume their narrow pixels).
  int pixelAspectNumerator = 1;
  int pixelAspectDenominator = 1;
};

// The colours of a written picture: which primaries, transfer and YUV matrix
// it is made and tagged with.
enum class OutputColour {
  Bt709,      // 720 lines or 1280 columns and more
  Bt601Pal,   // smaller frames at 25 or 50 (bt470bg)
  Bt601Ntsc,  // other smaller frames (smpte170m)
};
OutputColour OutputColourOf(int width, int height, int framesPer1000s);

class MediaFileEncoder {
 public:
  // None, with the reason in error, when the file or an encoder cannot be opened.
  static std::unique_ptr<MediaFileEncoder> Open(const std::string& path, const MediaFileSettings& settings,
                                                std::string& error);
  ~MediaFileEncoder();
  MediaFileEncoder(const MediaFileEncoder&) = delete;
  MediaFileEncoder& operator=(const MediaFileEncoder&) = delete;

  // The next picture: packed RGB24 rows of width × 3 bytes, top to bottom.
  bool WriteVideoFrame(const std::uint8_t* rgb24);
  // The next picture as decoded or composed YUV of the file's size: taken
  // as it is when its format and range are the encoder's, converted once
  // (matrix, range, format) otherwise.
  bool WriteVideoFrame(const AVFrame& yuv);
  // Interleaved stereo samples in [-1, 1]; values beyond are limited.
  bool WriteAudio(const float* interleavedStereo, std::size_t frames);
  // Flushes the encoders and writes the file's index. Nothing can be written after it.
  bool Finish();

  std::int64_t VideoFramesWritten() const;
  std::int64_t AudioFramesWritten() const;
  const std::string& Error() const;

 private:
  struct State;
  explicit MediaFileEncoder(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace vantorelle
