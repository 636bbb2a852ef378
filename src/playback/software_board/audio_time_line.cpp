#include "playback/software_board/audio_time_line.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "playback/software_board/board_output.h"
#include "playback/software_board/movie_audio_reader.h"
#include "playback/software_board/output_sink.h"
#include "playback/software_board/super_clip.h"

namespace vantorelle {
namespace {

// Sound is made in chunks of a tenth of a second, up to a second ahead.
constexpr std::int64_t kChunkFrames = kBoardSampleRate / 10;
constexpr std::size_t kChunksAhead = 10;

std::int64_t SampleOf(double seconds) { return std::llround(seconds * kBoardSampleRate); }

// Makes the line's sound on the decoding thread. Piece edges fall on whole
// samples counted from the start of the line, so sound does not drift
// against the picture however many pieces there are.
class SoundProducer final : public AheadProducer<std::vector<float>> {
 public:
  explicit SoundProducer(const TimeLineContent& content) : content_(content) {}

  std::optional<std::vector<float>> Produce(std::int64_t index) override {
    const std::int64_t first = index * kChunkFrames;
    const std::int64_t end = SampleOf(content_.LengthS());
    if (first >= end) return std::nullopt;
    std::vector<float> chunk(static_cast<std::size_t>(kChunkFrames) * 2, 0.0f);
    std::int64_t at = first;
    const std::int64_t last = std::min(first + kChunkFrames, end);
    while (at < last) {
      const std::optional<ContentPiece> piece = content_.PieceAt((at + 0.5) / kBoardSampleRate);
      if (!piece) break;
      const std::int64_t pieceStart = SampleOf(piece->startS);
      const std::int64_t pieceEnd = std::min(SampleOf(piece->startS + piece->lengthS), last);
      const std::int64_t count = std::max<std::int64_t>(pieceEnd - at, 1);
      if (piece->fragment && piece->fragment->withAudio) {
        Fill(*piece->fragment, pieceStart, at, count, chunk.data() + (at - first) * 2);
      }
      at += count;
    }
    return chunk;
  }

 private:
  void Fill(const MovieFragment& fragment, std::int64_t pieceStart, std::int64_t at, std::int64_t count,
            float* out) {
    MovieAudioReader* reader = ReaderFor(fragment.path);
    if (!reader) return;
    const std::int64_t offset = at - pieceStart;
    // Read on when this follows what was read last; seek otherwise.
    if (readerPath_ != fragment.path || readerPieceStart_ != pieceStart || readerNext_ != at) {
      reader->SeekTo(fragment.inPointS + static_cast<double>(offset) / kBoardSampleRate);
    }
    reader->Read(out, static_cast<std::size_t>(count));
    readerPath_ = fragment.path;
    readerPieceStart_ = pieceStart;
    readerNext_ = at + count;
    for (std::int64_t i = 0; i < count; ++i) {
      const auto gain = static_cast<float>(
          FragmentGain(fragment, static_cast<double>(offset + i) / kBoardSampleRate));
      out[i * 2] *= gain;
      out[i * 2 + 1] *= gain;
    }
  }

  MovieAudioReader* ReaderFor(const std::string& path) {
    auto found = readers_.find(path);
    if (found == readers_.end()) {
      auto reader = std::make_unique<MovieAudioReader>();
      if (reader->Open(path) != KlpOk) reader.reset();
      found = readers_.emplace(path, std::move(reader)).first;
      if (readerPath_ == path) readerPath_.clear();
    }
    return found->second.get();
  }

  const TimeLineContent& content_;
  std::map<std::string, std::unique_ptr<MovieAudioReader>> readers_;
  std::string readerPath_;
  std::int64_t readerPieceStart_ = -1;
  std::int64_t readerNext_ = -1;
};

}  // namespace

AudioTimeLine::AudioTimeLine(std::shared_ptr<BoardOutput> output, std::shared_ptr<const BoardClock> clock)
    : output_(std::move(output)), position_(std::move(clock)) {
  output_->Add(this);
}

AudioTimeLine::~AudioTimeLine() {
  output_->Remove(this);
  std::lock_guard lock(mutex_);
  ahead_.reset();
}

KlpResult AudioTimeLine::PutState(std::int32_t state) {
  std::lock_guard lock(mutex_);
  const KlpResult result = position_.PutState(state, false);
  if (result != KlpOk) return result;
  if (state == kPlayStopped) {
    ahead_.reset();
    chunk_.clear();
    chunkAt_ = 0;
    nextChunk_ = 0;
  } else if (!ahead_) {
    ahead_ = std::make_unique<DecodeAhead<std::vector<float>>>(kChunksAhead,
                                                               std::make_unique<SoundProducer>(content_));
  }
  return KlpOk;
}

KlpResult AudioTimeLine::GetLength(double& seconds) {
  seconds = content_.LengthS();
  return KlpOk;
}

KlpResult AudioTimeLine::AddEmpty(double seconds) {
  std::lock_guard lock(mutex_);
  if (!content_.AddEmpty(seconds)) return KlpInvalidArgument;
  if (ahead_) ahead_->Notify();
  return KlpOk;
}

KlpResult AudioTimeLine::AddMovie(IKlpSuperClip& clip) {
  auto* own = dynamic_cast<SuperClip*>(&clip);
  if (!own) return KlpInvalidArgument;
  std::lock_guard lock(mutex_);
  content_.AddFragments(own->Fragments());
  if (ahead_) ahead_->Notify();
  return KlpOk;
}

KlpResult AudioTimeLine::Reset(std::int32_t) {
  std::lock_guard lock(mutex_);
  ahead_.reset();
  content_.Clear();
  position_.Rewind();
  chunk_.clear();
  chunkAt_ = 0;
  nextChunk_ = 0;
  return KlpOk;
}

bool AudioTimeLine::Playing() const {
  std::lock_guard lock(mutex_);
  return position_.Playing();
}

double AudioTimeLine::RestAt(double boardTime) const {
  std::lock_guard lock(mutex_);
  return content_.LengthS() - position_.SecondsAt(boardTime);
}

void AudioTimeLine::Pull(float* out, std::size_t frames) {
  std::lock_guard lock(mutex_);
  std::size_t done = 0;
  while (done < frames) {
    if (chunkAt_ >= chunk_.size()) {
      std::optional<std::vector<float>> next;
      if (ahead_) next = ahead_->Take(nextChunk_, true);
      ++nextChunk_;
      chunk_ = next ? std::move(*next) : std::vector<float>(static_cast<std::size_t>(kChunkFrames) * 2, 0.0f);
      chunkAt_ = 0;
    }
    const std::size_t count = std::min(frames - done, (chunk_.size() - chunkAt_) / 2);
    std::copy_n(chunk_.data() + chunkAt_, count * 2, out + done * 2);
    chunkAt_ += count * 2;
    done += count;
  }
}

}  // namespace vantorelle
