// A software board wired to a virtual clock and a capture sink, with helpers
// that load movies and clips the way the playback engine does, and a writer
// for sound files of a known tone or level.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "playback/klp_interfaces.h"
#include "playback/software_board/board_output.h"
#include "playback/software_board/capture_sink.h"
#include "playback/software_board/offline_pump.h"
#include "playback/software_board/software_board_factory.h"
#include "support/temp_dir.h"

namespace vantorelle::testing {

// 16-bit PCM WAV: a sine of the frequency at the amplitude (full scale 1),
// or a constant level when the frequency is 0.
bool WriteToneWav(const std::string& path, int sampleRate, int channels, double frequency, double amplitude,
                  double seconds);

class BoardOutputRig {
 public:
  explicit BoardOutputRig(SoftwareBoardFormat format = SoftwareBoardFormat{160, 120, 25.0});

  IKlpBoard& Board() { return *board_; }
  CaptureSink& Sink() { return sink_; }
  OfflinePump& Pump() { return pump_; }
  BoardOutput& Output() { return *output_; }
  const SoftwareBoardFormat& Format() const { return format_; }
  TempDir& Dir() { return dir_; }

  std::unique_ptr<IKlpPlayMovie> Movie(const std::string& path);
  std::unique_ptr<IKlpPlayStillImage> Image(const std::string& path);
  std::unique_ptr<IKlpSuperClip> VideoClip(IKlpPlayMovie& movie, double inS, double durationS);
  std::unique_ptr<IKlpSuperClip> SoundClip(IKlpPlayMovie& movie, double inS, double durationS, double level,
                                           double fadeInS, double fadeOutS);
  std::unique_ptr<IKlpVTimeLine> VideoLine();
  std::unique_ptr<IKlpAudioTimeLine> AudioLine();

  // A solid-colour MJPEG movie of the rig's size.
  std::string SolidMovie(const std::string& name, std::uint8_t r, std::uint8_t g, std::uint8_t b, double seconds);

 private:
  TempDir dir_;
  SoftwareBoardFormat format_;
  std::shared_ptr<VirtualBoardClock> clock_;
  std::shared_ptr<BoardOutput> output_;
  CaptureSink sink_;
  std::unique_ptr<IKlpComponentFactory> factory_;
  std::unique_ptr<IKlpBoard> board_;
  OfflinePump pump_;
};

// The highest |sample| of a channel over one millisecond around a sample frame.
double PeakAround(const CaptureSink& sink, std::size_t frame, int channel);

}  // namespace vantorelle::testing
