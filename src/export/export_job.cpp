#include "export/export_job.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include "export/export_output_file.h"
#include "export/export_snapshot.h"
#include "export/export_snapshot_parts.h"
#include "playback/encoder_sink.h"
#include "playback/ffmpeg_handles.h"
#include "playback/media_file_encoder.h"
#include "playback/software_board/offline_pump.h"
#include "playback/software_board/output_sink.h"

extern "C" {
#include <libavutil/rational.h>
}

namespace vantorelle {
namespace {

using Clock = std::chrono::steady_clock;

// What the board plays at another size than the file's (half size with
// titles, which are placed in project pixels) goes into the file shrunk; the
// first failure is kept.
class ShrinkingEncoderSink final : public IOutputSink {
 public:
  ShrinkingEncoderSink(MediaFileEncoder& encoder, ExportFrameSize fileSize) : encoder_(encoder), fileSize_(fileSize) {}
  void OnVideoFrame(double, const RgbFrame& frame) override {
    if (!ok_) return;
    if (!scaler_) {
      scaler_.reset(sws_getContext(frame.width, frame.height, AV_PIX_FMT_RGB24, fileSize_.width, fileSize_.height,
                                   AV_PIX_FMT_RGB24, SWS_AREA, nullptr, nullptr, nullptr));
      shrunk_.resize(static_cast<std::size_t>(fileSize_.width) * fileSize_.height * 3);
    }
    if (!scaler_) {
      ok_ = false;
      return;
    }
    const std::uint8_t* from[1] = {frame.pixels.data()};
    const int fromStride[1] = {frame.width * 3};
    std::uint8_t* to[1] = {shrunk_.data()};
    const int toStride[1] = {fileSize_.width * 3};
    sws_scale(scaler_.get(), from, fromStride, 0, frame.height, to, toStride);
    ok_ = encoder_.WriteVideoFrame(shrunk_.data());
  }
  void OnAudio(double, const float* samples, std::size_t frames) override {
    if (ok_) ok_ = encoder_.WriteAudio(samples, frames);
  }
  void OnEnd() override {}
  bool Ok() const { return ok_; }

 private:
  MediaFileEncoder& encoder_;
  ExportFrameSize fileSize_;
  SwsContextPtr scaler_;
  std::vector<std::uint8_t> shrunk_;
  bool ok_ = true;
};

// What the board composes in for the file: the encoder's own YUV, so most
// pictures go from the source's YUV into the file with one conversion; RGB for
// a PNG and for files without pictures.
std::optional<YuvFormat> BoardPicturesFor(const MediaFileSettings& settings) {
  if (!FormatHasPictures(settings.format) || settings.format == MediaFileFormat::PngPicture) return std::nullopt;
  return EncoderPictureFormat(settings);
}

MediaFileFormat FileFormatOf(ExportPresetId preset) {
  switch (preset) {
    case ExportPresetId::Mp4:
    case ExportPresetId::Mp4Half: return MediaFileFormat::Mp4H264Aac;
    case ExportPresetId::ProRes: return MediaFileFormat::MovProResPcm;
    case ExportPresetId::Avi: return MediaFileFormat::AviMjpegPcm;
    case ExportPresetId::WebM: return MediaFileFormat::WebmVp9Opus;
    case ExportPresetId::Wav: return MediaFileFormat::WavPcm;
    case ExportPresetId::Flac: return MediaFileFormat::FlacSound;
    case ExportPresetId::Png: return MediaFileFormat::PngPicture;
  }
  return MediaFileFormat::AviMjpegPcm;
}

}  // namespace

struct ExportJob::State {
  std::unique_ptr<ExportSnapshot> snapshot;
  std::thread thread;
  std::atomic<bool> cancel{false};
  std::atomic<std::int64_t> framesDone{0};
  Clock::time_point began = Clock::now();
  mutable std::mutex mutex;
  std::condition_variable ended;
  ExportState state = ExportState::Running;  // under mutex
  std::string error;                          // under mutex
  double elapsedAtEnd = -1.0;                 // under mutex
  // The sink being written while the play runs, so that a cancel can free
  // a play waiting for room in its queue.
  std::mutex sinkMutex;
  EncoderSink* writingSink = nullptr;  // under sinkMutex

  void SetWritingSink(EncoderSink* sink) {
    std::lock_guard lock(sinkMutex);
    writingSink = sink;
    if (sink && cancel.load()) sink->Interrupt();
  }

  void End(ExportState how, std::string why = {}) {
    std::lock_guard lock(mutex);
    state = how;
    error = std::move(why);
    elapsedAtEnd = std::chrono::duration<double>(Clock::now() - began).count();
    ended.notify_all();
  }

  // Ends the state only once the thread's temporaries and board objects are gone.
  void Run() {
    auto [how, why] = Play();
    End(how, std::move(why));
  }
  std::pair<ExportState, std::string> Play();
};

std::pair<ExportState, std::string> ExportJob::State::Play() {
  ExportSnapshot::Parts& p = snapshot->Inside();
  std::string why;
  const auto file = ExportOutputFile::Create(p.request.output, why);
  if (!file) return {ExportState::Failed, why};
  // Square pixels are said; the narrow ones of classic PAL and NTSC are left
  // to their readers, unless the pictures are of another size than those.
  int aspectNumerator = 1;
  int aspectDenominator = 1;
  if (p.format.pixelAspect != 1.0) {
    const bool classic = (p.fileSize.width == 720 && (p.fileSize.height == 576 || p.fileSize.height == 480));
    const AVRational aspect = av_d2q(p.format.pixelAspect, 1000);
    aspectNumerator = classic ? 0 : aspect.num;
    aspectDenominator = classic ? 0 : aspect.den;
  }
  MediaFileSettings settings{FileFormatOf(p.preset->id), p.fileSize.width,  p.fileSize.height, p.standard.FrameRate,
                             kBoardSampleRate,           aspectNumerator,   aspectDenominator};
  settings.quality = p.request.crf;
  auto encoder = MediaFileEncoder::Open(file->TemporaryPath(), settings, why);
  if (!encoder) return {ExportState::Failed, why};
  // The board plays at the file's size unless titles need the project's.
  const bool shrinking = p.format.width != p.fileSize.width || p.format.height != p.fileSize.height;
  std::unique_ptr<ShrinkingEncoderSink> shrinkingSink;
  std::unique_ptr<EncoderSink> encoderSink;
  IOutputSink* sink = nullptr;
  if (shrinking) {
    shrinkingSink = std::make_unique<ShrinkingEncoderSink>(*encoder, p.fileSize);
    sink = shrinkingSink.get();
  } else {
    encoderSink = std::make_unique<EncoderSink>(*encoder, BoardPicturesFor(settings));
    sink = encoderSink.get();
    SetWritingSink(encoderSink.get());
  }
  const auto sinkOk = [&] { return shrinkingSink ? shrinkingSink->Ok() : encoderSink->Ok(); };
  p.output->SetSink(sink);
  CPlayEngine& engine = *p.engine;
  if (!engine.Prepare(p.list.playFrom, p.list.playTo, p.list, p.list.frameDelta, p.list.audioTrackKeys) ||
      !engine.Start()) {
    p.output->SetSink(nullptr);
    std::string text = "the play could not start";
    if (!p.ui.messages.empty()) text += " (" + p.ui.messages.back() + ")";
    return {ExportState::Failed, text};
  }
  OfflinePump pump(*p.output, *p.clock);
  std::int64_t frames = 0;
  // The play's frames on its grid, as playback shows them from its first to its last.
  while (frames < p.framesTotal && sinkOk() && !cancel.load() && pump.Step()) {
    ++frames;
    framesDone.store(frames);
  }
  p.output->EndPlay();
  engine.Stop();
  p.output->SetSink(nullptr);
  SetWritingSink(nullptr);
  if (cancel.load()) {
    if (encoderSink) encoderSink->Discard();
    encoder->Abandon();  // the temporary goes with the file below
    return {ExportState::Cancelled, {}};
  }
  // Everything queued reaches the encoder before it finishes.
  if (encoderSink) encoderSink->Finish();
  const bool finished = encoder->Finish();
  if (!sinkOk() || !finished) return {ExportState::Failed, encoder->Error()};
  if (!file->Commit(why)) return {ExportState::Failed, why};
  return {ExportState::Finished, {}};
}

std::unique_ptr<ExportJob> ExportJob::Start(std::unique_ptr<ExportSnapshot> snapshot) {
  auto state = std::make_unique<State>();
  state->snapshot = std::move(snapshot);
  State* running = state.get();
  if (!running->snapshot) {
    running->End(ExportState::Failed, "nothing to export");
  } else {
    running->thread = std::thread([running] { running->Run(); });
  }
  return std::unique_ptr<ExportJob>(new ExportJob(std::move(state)));
}

ExportJob::ExportJob(std::unique_ptr<State> state) : state_(std::move(state)) {}

ExportJob::~ExportJob() {
  Cancel();
  if (state_->thread.joinable()) state_->thread.join();
}

ExportProgress ExportJob::Progress() const {
  const State& s = *state_;
  ExportProgress progress;
  double elapsed = 0.0;
  {
    std::lock_guard lock(s.mutex);
    progress.state = s.state;
    progress.error = s.error;
    elapsed = s.elapsedAtEnd >= 0.0 ? s.elapsedAtEnd : std::chrono::duration<double>(Clock::now() - s.began).count();
  }
  progress.framesDone = s.framesDone.load();
  if (!s.snapshot) return progress;
  progress.output = s.snapshot->Request().output;
  progress.framesTotal = s.snapshot->FramesTotal();
  progress.elapsedSeconds = elapsed;
  progress.filmSeconds = static_cast<double>(progress.framesDone) * s.snapshot->FrameDelta() / 1000.0;
  if (elapsed > 0.0) progress.speed = progress.filmSeconds / elapsed;
  if (progress.state == ExportState::Running && progress.framesDone > 0) {
    const double perFrame = elapsed / static_cast<double>(progress.framesDone);
    progress.secondsLeft = perFrame * static_cast<double>(progress.framesTotal - progress.framesDone);
  } else if (progress.state != ExportState::Running) {
    progress.secondsLeft = 0.0;
  }
  return progress;
}

void ExportJob::Cancel() {
  State& s = *state_;
  s.cancel.store(true);
  std::lock_guard lock(s.sinkMutex);
  if (s.writingSink) s.writingSink->Interrupt();
}

ExportProgress ExportJob::Wait() {
  {
    std::unique_lock lock(state_->mutex);
    state_->ended.wait(lock, [this] { return state_->state != ExportState::Running; });
  }
  if (state_->thread.joinable()) state_->thread.join();
  return Progress();
}

}  // namespace vantorelle
