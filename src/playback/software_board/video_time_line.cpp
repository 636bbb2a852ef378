#include "playback/software_board/video_time_line.h"

#include <cmath>
#include <algorithm>
#include <map>
#include <string>
#include <thread>

#include "playback/software_board/board_output.h"
#include "playback/software_board/frame_scaler.h"
#include "playback/software_board/movie_file_decoder.h"
#include "playback/software_board/still_picture_fit.h"
#include "playback/software_board/super_clip.h"
#include "playback/software_board/yuv_compose.h"

namespace vantorelle {
namespace {

// Frames decoded ahead of the output: a little over a quarter second at 25.
constexpr std::size_t kFramesAhead = 8;
// Frame times a hair below a piece's start still fall into it.
constexpr double kTimeSlack = 1e-7;

// Where a line has nothing to show, the lines below it show through (the
// output frame is black under them all).
SharedPicture EmptyPicture(const WindowRect& window, bool rgb) {
  auto picture = std::make_shared<LinePicture>();
  picture->clear = true;
  if (rgb) {
    picture->rgb = RgbFrame(window.width, window.height);
    picture->rgb.alpha.assign(picture->rgb.pixels.size() / 3, 0);
  }
  return picture;
}

// Pictures made before and no longer held elsewhere are made again in place:
// a new one each frame would cost the system fresh pages every frame.
class PicturePool {
 public:
  std::shared_ptr<LinePicture> Take() {
    for (const std::shared_ptr<LinePicture>& picture : pictures_) {
      if (picture.use_count() == 1) return picture;
    }
    auto picture = std::make_shared<LinePicture>();
    if (pictures_.size() < kMostKept) pictures_.push_back(picture);
    return picture;
  }

 private:
  static constexpr std::size_t kMostKept = kFramesAhead + 4;
  std::vector<std::shared_ptr<LinePicture>> pictures_;
};

// Makes the pictures of the output frame grid on the decoding thread, with
// its own decoders, so nothing the editor does with the same files meets it.
class FrameProducer final : public AheadProducer<SharedPicture> {
 public:
  FrameProducer(const TimeLineContent& content, double framesPerSecond, WindowRect window, double pixelAspect,
                std::optional<YuvFormat> yuv)
      : content_(content), framesPerSecond_(framesPerSecond),
        black_(EmptyPicture(window, !yuv)), window_(window),
        pixelAspect_(pixelAspect), yuv_(yuv) {}

  std::optional<SharedPicture> Produce(std::int64_t index) override {
    const double at = index / framesPerSecond_ + kTimeSlack;
    const std::optional<ContentPiece> piece = content_.PieceAt(at);
    if (!piece) return std::nullopt;  // past the end: nothing yet
    if (!piece->fragment) return black_;
    if (piece->fragment->still) return StillPicture(piece->fragment->still);
    OpenSource* source = SourceFor(piece->fragment->path);
    if (!source) return black_;
    MovieFileDecoder* decoder = source->decoder.get();
    const double sourceTime = piece->fragment->inPointS + (at - piece->startS);
    const AVFrame* frame = decoder->DecodeFrame(decoder->FrameAt(sourceTime));
    const ScaleOptions options{pixelAspect_, decoder->Facts().pixelAspect, decoder->Facts().rotationDegrees};
    if (!frame) return black_;
    if (yuv_) {
      std::shared_ptr<LinePicture> picture = pool_.Take();
      picture->clear = false;
      if (!source->scaler.ScaleYuv(*frame, *yuv_, window_.width, window_.height, picture->yuv, options)) return black_;
      return SharedPicture(std::move(picture));
    }
    auto picture = std::make_shared<LinePicture>();
    picture->rgb = RgbFrame(window_.width, window_.height);
    if (!source->scaler.Scale(*frame, picture->rgb, options)) return black_;
    return SharedPicture(std::move(picture));
  }

 private:
  // A still looks the same every frame: it is fitted once.
  SharedPicture StillPicture(const std::shared_ptr<const RgbaPicture>& still) {
    auto found = stills_.find(still);
    if (found == stills_.end()) {
      auto picture = std::make_shared<LinePicture>();
      picture->rgb = RgbFrame(window_.width, window_.height);
      const bool fits = FitStillPicture(*still, picture->rgb, pixelAspect_);
      if (fits && yuv_) {
        RgbFrameToYuv444(picture->rgb, *yuv_, picture->yuv);
        picture->rgb = RgbFrame();
      }
      SharedPicture fitted = fits ? SharedPicture(std::move(picture)) : black_;
      found = stills_.emplace(still, std::move(fitted)).first;
    }
    return found->second;
  }

  // Each source keeps its own scaler, so that its conversion and the frame
  // before (for deinterlacing) survive cuts to other sources.
  struct OpenSource {
    std::unique_ptr<MovieFileDecoder> decoder;
    FrameScaler scaler;
  };

  OpenSource* SourceFor(const std::string& path) {
    auto found = sources_.find(path);
    if (found == sources_.end()) {
      auto source = std::make_unique<OpenSource>();
      source->decoder = OpenPlaybackDecoder(path, threads_);
      if (!source->decoder) source.reset();
      found = sources_.emplace(path, std::move(source)).first;
    }
    return found->second.get();
  }

  const TimeLineContent& content_;
  double framesPerSecond_;
  SharedPicture black_;
  WindowRect window_;
  double pixelAspect_;
  std::optional<YuvFormat> yuv_;
  PicturePool pool_;
  int threads_ = PlaybackDecodingThreads();
  std::map<std::string, std::unique_ptr<OpenSource>> sources_;
  std::map<std::shared_ptr<const RgbaPicture>, SharedPicture> stills_;
};

}  // namespace

int PlaybackDecodingThreads() {
  const unsigned cores = std::thread::hardware_concurrency();  // 0 when not known
  return std::clamp(static_cast<int>(cores), 1, kMostPlaybackDecodingThreads);
}

std::unique_ptr<MovieFileDecoder> OpenPlaybackDecoder(const std::string& path, int threads) {
  auto decoder = std::make_unique<MovieFileDecoder>();
  if (decoder->Open(path) != KlpOk || !decoder->Facts().hasVideo) return nullptr;
  if (threads <= 1 || decoder->SetDecodingThreads(threads)) return decoder;
  // A failed switch leaves the decoder closed: open it again as it was.
  decoder = std::make_unique<MovieFileDecoder>();
  if (decoder->Open(path) != KlpOk || !decoder->Facts().hasVideo) return nullptr;
  return decoder;
}

VideoTimeLine::VideoTimeLine(std::shared_ptr<BoardOutput> output, std::shared_ptr<const BoardClock> clock,
                             double framesPerSecond, WindowRect window)
    : output_(std::move(output)), framesPerSecond_(framesPerSecond), position_(std::move(clock)), window_(window) {
  output_->Add(this);
}

VideoTimeLine::~VideoTimeLine() {
  output_->Remove(this);
  std::lock_guard lock(mutex_);
  ahead_.reset();
}

void VideoTimeLine::StartDecoding() {
  if (!ahead_) {
    ahead_ = std::make_unique<DecodeAhead<SharedPicture>>(
        kFramesAhead, std::make_unique<FrameProducer>(content_, framesPerSecond_, window_, output_->Format().pixelAspect,
                                        output_->YuvPictures()));
  }
}

KlpResult VideoTimeLine::PutState(std::int32_t state) {
  std::lock_guard lock(mutex_);
  const KlpResult result = position_.PutState(state, false);
  if (result != KlpOk) return result;
  if (state == kPlayStopped) {
    ahead_.reset();
    last_.reset();
    lastIndex_ = -1;
  } else {
    StartDecoding();
  }
  return KlpOk;
}

KlpResult VideoTimeLine::GetRestTime(double& seconds) {
  std::lock_guard lock(mutex_);
  seconds = content_.LengthS() - position_.Seconds();
  return KlpOk;
}

double VideoTimeLine::RestAt(double boardTime) const {
  std::lock_guard lock(mutex_);
  return content_.LengthS() - position_.SecondsAt(boardTime);
}

KlpResult VideoTimeLine::AddEmpty(double seconds) {
  std::lock_guard lock(mutex_);
  if (!content_.AddEmpty(seconds)) return KlpInvalidArgument;
  if (ahead_) ahead_->Notify();
  return KlpOk;
}

KlpResult VideoTimeLine::AddMovie(IKlpSuperClip& clip) {
  auto* own = dynamic_cast<SuperClip*>(&clip);
  if (!own || own->Kind() != kSuperClipVideo) return KlpInvalidArgument;
  std::lock_guard lock(mutex_);
  content_.AddFragments(own->Fragments());
  if (ahead_) ahead_->Notify();
  return KlpOk;
}

KlpResult VideoTimeLine::Reset(std::int32_t) {
  std::lock_guard lock(mutex_);
  ahead_.reset();
  content_.Clear();
  position_.Rewind();
  lastIndex_ = -1;
  return KlpOk;
}

KlpResult VideoTimeLine::SetWindow(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return KlpInvalidArgument;
  std::lock_guard lock(mutex_);
  window_ = WindowRect{left, top, width, height};
  // Pictures already made have the old size.
  const bool decoding = ahead_ != nullptr;
  ahead_.reset();
  lastIndex_ = -1;
  if (decoding) StartDecoding();
  return KlpOk;
}

bool VideoTimeLine::Playing() const {
  std::lock_guard lock(mutex_);
  return position_.Playing();
}

std::size_t VideoTimeLine::ReadyAhead() const {
  std::lock_guard lock(mutex_);
  return ahead_ ? ahead_->ReadyAhead() : 0;
}

WindowRect VideoTimeLine::Window() const {
  std::lock_guard lock(mutex_);
  return window_;
}

SharedPicture VideoTimeLine::PictureAt(double boardTime, bool wait) {
  std::lock_guard lock(mutex_);
  if (!ahead_) return last_;
  const std::int64_t index =
      static_cast<std::int64_t>(std::floor(position_.SecondsAt(boardTime) * framesPerSecond_ + 1e-6));
  // Past the end the content's last picture stays, even when the output came
  // too late for its own frame time (passing it over would drop it).
  const std::int64_t lastOfContent =
      static_cast<std::int64_t>(std::ceil(content_.LengthS() * framesPerSecond_ - 1e-6)) - 1;
  if (lastOfContent >= 0 && index > lastOfContent) {
    // A waiting output took every frame in turn.
    if (wait || lastIndex_ == lastOfContent) return last_;
    if (std::optional<SharedPicture> picture = ahead_->TakeFinal(lastOfContent)) {
      last_ = std::move(*picture);
      lastIndex_ = lastOfContent;
    }
    return last_;
  }
  if (index < 0 || index == lastIndex_) return last_;
  if (std::optional<SharedPicture> picture = ahead_->Take(index, wait)) {
    last_ = std::move(*picture);
    lastIndex_ = index;
  }
  return last_;
}

}  // namespace vantorelle
