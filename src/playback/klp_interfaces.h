// The board's play components: the operations the editor calls and the results
// it relies on. Every operation returns a KlpResult (0 = success). Components
// are made through an IKlpComponentFactory, used through one interface and
// released when the operation that made them ends. A component handed to
// another (a movie to a super clip, a super clip to a time line) is borrowed:
// its owner keeps it alive for as long as the receiver uses it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "playback/klp_result.h"

namespace vantorelle {

// Stream flags reported by IKlpPlayMovie::GetMovieInfo.
namespace KlpStream {
inline constexpr std::uint32_t YCrCbVideo = 0x1;   // uncompressed (decoded) picture stream
inline constexpr std::uint32_t JpegVideo = 0x2;    // JPEG-compressed picture stream
inline constexpr std::uint32_t VideoKinds = 0x7;
inline constexpr std::uint32_t AlphaVideo = 0x10;  // picture stream carrying alpha
inline constexpr std::uint32_t AlphaKinds = 0x30;
inline constexpr std::uint32_t Audio = 0x1000;
}  // namespace KlpStream

// Time line states for PutState.
enum KlpTimeLineState : std::int32_t {
  KlpStateStopped = 0,
  KlpStatePrepared = 2,
  KlpStatePaused = 3,
  KlpStatePlaying = 4,
};

// Optional extra output of GetMovieInfo: what the source properties show.
struct KlpMovieExtraInfo {
  double audioSampleRate = 0.0;       // Hz
  std::int32_t audioBitsPerSample = 0;
  std::int32_t audioChannels = 0;
};

// AVI stream header as stored in an AVI file's strh chunk; the second word is
// the codec's four-character code.
struct KlpAviStreamHeader {
  std::uint32_t fccType = 0;
  std::uint32_t fccHandler = 0;
  std::uint32_t flags = 0;
  std::uint16_t priority = 0;
  std::uint16_t language = 0;
  std::uint32_t initialFrames = 0;
  std::uint32_t scale = 0;
  std::uint32_t rate = 0;
  std::uint32_t start = 0;
  std::uint32_t length = 0;
  std::uint32_t suggestedBufferSize = 0;
  std::uint32_t quality = 0;
  std::uint32_t sampleSize = 0;
  std::array<std::int16_t, 4> frame{};  // left, top, right, bottom
};

// Chunk flag of a key frame in an AVI index.
inline constexpr std::uint32_t KlpAviKeyFrame = 0x10;

class IKlpComponent {
 public:
  virtual ~IKlpComponent() = default;
};

class IKlpPlayJPEGImage;
class IKlpPlayYCrCbImage;

class IKlpYCrCbImageRGB {
 public:
  virtual ~IKlpYCrCbImageRGB() = default;
  // 3 bytes a pixel, rows top to bottom, no row padding.
  virtual KlpResult GetRGBData(std::uint8_t* buffer, std::size_t byteCount) = 0;
};

class IKlpPlayYCrCbImage : public IKlpComponent {
 public:
  // The RGB view of the same image; valid while the image lives.
  virtual KlpResult QueryYCrCbImageRGB(IKlpYCrCbImageRGB*& rgb) = 0;
};

class IKlpPlayJPEGImage : public IKlpComponent {
 public:
  virtual KlpResult DecompressToImage(IKlpPlayYCrCbImage& image) = 0;
};

class IKlpPlayMovie : public IKlpComponent {
 public:
  virtual KlpResult OpenFile(const std::string& name) = 0;
  virtual KlpResult GetMovieInfo(std::int32_t reserved, std::uint32_t& streamFlags,
                                 std::int32_t& width, std::int32_t& height,
                                 double& videoDurationS, double& framesPerSecond,
                                 double& audioDurationS, KlpMovieExtraInfo* extra) = 0;
  virtual KlpResult CopyToJPEGImage(IKlpPlayJPEGImage& image, double timeS) = 0;
  virtual KlpResult CopyToYCrCbImage(IKlpPlayYCrCbImage& image, double timeS) = 0;
  // Whether the open movie's pictures have transparent parts (an alpha channel).
  virtual bool HasTransparency() const { return false; }
  // The movie and sound file types offered for opening, in the title image's
  // filter form: description|pattern|description|pattern...
  virtual KlpResult GetImportFilter(std::string& filter) = 0;
};

class IKlpPlayStillImage : public IKlpComponent {
 public:
  virtual KlpResult OpenFile(const std::string& name, std::int32_t reserved) = 0;
  // Whether the open image has transparent parts.
  virtual bool HasTransparency() const { return false; }
};

class IKlpTitleImageRGB {
 public:
  virtual ~IKlpTitleImageRGB() = default;
  // 4 bytes a pixel (width × height × 4 bytes), R, G, B and alpha; the editor
  // drops the fourth byte for its pictures, the title tasks use it.
  virtual KlpResult GetRGBData(std::uint8_t* buffer, std::size_t byteCount) = 0;
};

class IKlpPlayTitleImage : public IKlpComponent {
 public:
  virtual KlpResult GetImageInfo(std::int32_t& width, std::int32_t& height) = 0;
  // Text of '|'-separated parts: description|pattern|description|pattern...
  virtual KlpResult GetImportFilter(std::string& filter) = 0;
  virtual KlpResult LoadFromFile(const std::string& name, std::int32_t reserved) = 0;
  // The RGB view of the same image; valid while the image lives.
  virtual KlpResult QueryTitleImageRGB(IKlpTitleImageRGB*& rgb) = 0;
};

class IGetAVIInfo : public IKlpComponent {
 public:
  virtual KlpResult LoadFile(const std::string& name) = 0;
  virtual KlpResult GetVideoStreamCount(std::int32_t& count) = 0;
  virtual KlpResult GetVideoStreamInfo(std::int32_t stream, KlpAviStreamHeader& header,
                                       std::int32_t headerSize, std::uint32_t& streamKey,
                                       std::int32_t& formatSize, std::int32_t reserved) = 0;
  virtual KlpResult GetVideoFrameCount(std::int32_t stream, std::int32_t& count) = 0;
  // Copies the stream format (a bitmap information header and any codec data).
  virtual KlpResult GetVideoFormat(std::int32_t stream, std::uint8_t* format,
                                   std::int32_t formatSize, std::uint32_t streamKey) = 0;
  virtual KlpResult GetFrameChunk(std::int32_t stream, std::int32_t frame,
                                  std::uint64_t& fileOffset, std::uint32_t& byteCount,
                                  std::uint32_t& chunkFlags) = 0;
};

class IKlpSuperClip : public IKlpComponent {
 public:
  virtual KlpResult AddMovieFragment(IKlpPlayMovie& movie, double inPointS, double durationS) = 0;
  virtual KlpResult AddMovieFragmentWithAudio(IKlpPlayMovie& movie, double inPointS,
                                              double durationS, double level, double fadeInS,
                                              double fadeOutS, std::int32_t mode) = 0;
  // A still image shown for the duration, fitted like a movie picture. Boards
  // that cannot show stills on a video line answer KlpNotImplemented.
  virtual KlpResult AddStillImageFragment(IKlpPlayStillImage& /*image*/, double /*durationS*/) {
    return KlpNotImplemented;
  }
};

class IKlpVTimeLine : public IKlpComponent {
 public:
  virtual KlpResult PutState(std::int32_t state) = 0;
  virtual KlpResult GetRestTime(double& seconds) = 0;
  virtual KlpResult AddEmpty(double seconds) = 0;
  virtual KlpResult AddMovie(IKlpSuperClip& clip) = 0;
  virtual KlpResult Reset(std::int32_t reserved) = 0;
  virtual KlpResult SetWindow(std::int32_t left, std::int32_t top, std::int32_t width,
                              std::int32_t height) = 0;
};

class IKlpAudioTimeLine : public IKlpComponent {
 public:
  virtual KlpResult PutState(std::int32_t state) = 0;
  virtual KlpResult GetLength(double& seconds) = 0;
  virtual KlpResult AddEmpty(double seconds) = 0;
  virtual KlpResult AddMovie(IKlpSuperClip& clip) = 0;
  virtual KlpResult Reset(std::int32_t reserved) = 0;
};

class IKlpMovableTitleTask : public IKlpComponent {
 public:
  virtual KlpResult PutState(std::int32_t state) = 0;
  virtual KlpResult AddEmpty(std::int32_t pixels) = 0;
  virtual KlpResult AddData(IKlpPlayStillImage& image, std::int32_t inPixels,
                            std::int32_t lengthPixels) = 0;
};

class IKlpSlideTitleTask : public IKlpComponent {
 public:
  virtual KlpResult PutState(std::int32_t state) = 0;
  virtual KlpResult AddImage(IKlpPlayStillImage& image, double seconds) = 0;
  virtual KlpResult AddEmpty(double seconds) = 0;
  virtual KlpResult GetRestTime(double& seconds) = 0;
  virtual KlpResult AddData(IKlpPlayStillImage& image, double lengthS, double fadeInS,
                            double fadeOutS) = 0;
};

// Placement of a crawling title: the movable title task's creation values.
struct KlpMovableTitleParams {
  double speed = 0.0;  // pixels per second
  std::int32_t direction = 0;
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::int32_t precision = 0;
};

// Region of a slide title: the slide title task's creation values.
struct KlpSlideTitleParams {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

class IKlpBoard : public IKlpComponent {
 public:
  virtual KlpResult GetChannelValue(std::int32_t channel, std::int32_t index,
                                    std::int32_t& value) = 0;
  virtual KlpResult SetChannelValue(std::int32_t channel, std::int32_t index,
                                    std::int32_t value) = 0;
  virtual KlpResult GetVideoFormat(std::int32_t channel, std::int32_t& width,
                                   std::int32_t& height, double* framesPerSecond) = 0;
  virtual KlpResult SetChannelFlag(std::int32_t channel, std::int32_t flag,
                                   std::int32_t value) = 0;
  virtual KlpResult CreateSuperClip(std::uint32_t kind, std::int32_t param,
                                    std::unique_ptr<IKlpSuperClip>& clip) = 0;
  virtual KlpResult CreateVTimeLine(std::int32_t channel, std::uint32_t bufferSize,
                                    std::uint32_t lowWater, std::int32_t reserved,
                                    std::unique_ptr<IKlpVTimeLine>& timeLine) = 0;
  virtual KlpResult SetChannelMode(std::int32_t channel, std::int32_t mode) = 0;
  virtual KlpResult ResetChannelMode(std::int32_t channel, std::int32_t mode) = 0;
  virtual KlpResult CreateAudioTimeLine(std::int32_t channel, std::uint32_t bufferSize,
                                        std::uint32_t lowWater, std::int32_t reserved,
                                        std::unique_ptr<IKlpAudioTimeLine>& timeLine) = 0;
  virtual KlpResult GetBoardTime(std::int32_t channel, double& seconds) = 0;
  virtual KlpResult CreateMovableTitleTask(std::int32_t channel,
                                           const KlpMovableTitleParams& params, double scale,
                                           double blend,
                                           std::unique_ptr<IKlpMovableTitleTask>& task) = 0;
  virtual KlpResult CreateSlideTitleTask(std::int32_t channel, const KlpSlideTitleParams& params,
                                         double scale, double blend,
                                         std::unique_ptr<IKlpSlideTitleTask>& task) = 0;
};

// Creates components by kind, as the component system does by class identifier.
// A factory with no board answers every creation with a failure.
class IKlpComponentFactory {
 public:
  virtual ~IKlpComponentFactory() = default;
  virtual KlpResult CreateBoard(std::unique_ptr<IKlpBoard>& board) = 0;
  virtual KlpResult CreatePlayMovie(std::unique_ptr<IKlpPlayMovie>& movie) = 0;
  virtual KlpResult CreatePlayStillImage(std::unique_ptr<IKlpPlayStillImage>& image) = 0;
  virtual KlpResult CreatePlayYCrCbImage(std::unique_ptr<IKlpPlayYCrCbImage>& image) = 0;
  virtual KlpResult CreatePlayJPEGImage(std::unique_ptr<IKlpPlayJPEGImage>& image) = 0;
  virtual KlpResult CreatePlayTitleImage(std::unique_ptr<IKlpPlayTitleImage>& image) = 0;
  virtual KlpResult CreateGetAVIInfo(std::unique_ptr<IGetAVIInfo>& info) = 0;
};

// The factory of a machine without a board: every creation fails.
class NoBoardFactory final : public IKlpComponentFactory {
 public:
  KlpResult CreateBoard(std::unique_ptr<IKlpBoard>&) override { return KlpClassNotRegistered; }
  KlpResult CreatePlayMovie(std::unique_ptr<IKlpPlayMovie>&) override { return KlpClassNotRegistered; }
  KlpResult CreatePlayStillImage(std::unique_ptr<IKlpPlayStillImage>&) override { return KlpClassNotRegistered; }
  KlpResult CreatePlayYCrCbImage(std::unique_ptr<IKlpPlayYCrCbImage>&) override { return KlpClassNotRegistered; }
  KlpResult CreatePlayJPEGImage(std::unique_ptr<IKlpPlayJPEGImage>&) override { return KlpClassNotRegistered; }
  KlpResult CreatePlayTitleImage(std::unique_ptr<IKlpPlayTitleImage>&) override { return KlpClassNotRegistered; }
  KlpResult CreateGetAVIInfo(std::unique_ptr<IGetAVIInfo>&) override { return KlpClassNotRegistered; }
};

}  // namespace vantorelle
