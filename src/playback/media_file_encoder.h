// Writes what the board plays into a media file other players read: MJPEG
// pictures with PCM sound in AVI, or H.264 with AAC in MP4.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace vantorelle {

enum class MediaFileFormat { AviMjpegPcm, Mp4H264Aac };

struct MediaFileSettings {
  MediaFileFormat format = MediaFileFormat::AviMjpegPcm;
  int width = 720;
  int height = 576;
  // Frames per 1000 s, as the video standard gives them (25 000 for PAL).
  int framesPer1000s = 25000;
  int sampleRate = 48000;  // stereo
};

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
