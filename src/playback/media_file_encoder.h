// Writes what the board plays into a media file other players read: MJPEG
// pictures with PCM sound in AVI, H.264 with AAC in MP4, ProRes 422 HQ with
// PCM in MOV, VP9 with Opus in WebM, sound alone in WAV or FLAC, or one
// picture as PNG. The YUV pictures of MP4, MOV and WebM are limited-range in
// the colours of OutputColourOf, tagged so; AVI holds no colour tags, so its
// JPEG pictures stay full-range BT.601, as every JPEG reader takes them. The
// encoders run threads of their own where they offer them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct AVFrame;

namespace vantorelle {

enum class MediaFileFormat {
  AviMjpegPcm,
  Mp4H264Aac,
  MovProResPcm,  // ProRes 422 HQ, 10-bit 4:2:2
  WebmVp9Opus,
  WavPcm,        // sound only
  FlacSound,     // sound only
  PngPicture,    // the first picture only, RGB
};

// Whether a format holds pictures, sound or both.
bool FormatHasPictures(MediaFileFormat format);
bool FormatHasSound(MediaFileFormat format);

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
  // On the picture encoder's own scale: H.264's and VP9's constant-rate
  // factor, MJPEG's quantiser. 0 takes the format's default (20, 31, 3); the
  // other formats have none.
  int quality = 0;
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
  // A sound-only file takes none and ignores it; a PNG keeps the first.
  bool WriteVideoFrame(const std::uint8_t* rgb24);
  // The next picture as decoded or composed YUV of the file's size: taken
  // as it is when its format and range are the encoder's, converted once
  // (matrix, range, format) otherwise.
  bool WriteVideoFrame(const AVFrame& yuv);
  // Interleaved stereo samples in [-1, 1]; values beyond are limited. A PNG
  // ignores them.
  bool WriteAudio(const float* interleavedStereo, std::size_t frames);
  // Flushes the encoders and writes the file's index. Nothing can be written after it.
  bool Finish();
  // Closes the file as it stands, without flushing the encoders (whose
  // look-ahead may hold seconds of work) or writing the index: for a file
  // about to be thrown away.
  void Abandon();

  std::int64_t VideoFramesWritten() const;
  std::int64_t AudioFramesWritten() const;
  const std::string& Error() const;

 private:
  struct State;
  explicit MediaFileEncoder(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace vantorelle
