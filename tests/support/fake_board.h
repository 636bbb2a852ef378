// A recording fake of the board's play components. Every operation is logged as
// "Interface::Operation(arguments)" and answers the result configured for it
// (success unless told otherwise); media answers come from per-file tables.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "playback/klp_interfaces.h"

namespace vantorelle::testing {

struct FakeMovie {
  std::uint32_t streamFlags = KlpStream::JpegVideo | KlpStream::Audio;
  std::int32_t width = 720;
  std::int32_t height = 576;
  double videoDurationS = 10.0;
  double framesPerSecond = 25.0;
  double audioDurationS = 10.0;
  KlpMovieExtraInfo extra{48000.0, 16, 2};
};

struct FakeImage {
  std::int32_t width = 320;
  std::int32_t height = 240;
};

struct FakeBoardConfig {
  // Result of an operation by its log name, e.g. "IKlpPlayMovie::OpenFile",
  // or of a creation, e.g. "Create:IKlpPlayMovie". Absent means success.
  std::map<std::string, KlpResult> results;

  std::int32_t videoWidth = 720;
  std::int32_t videoHeight = 576;
  double framesPerSecond = 25.0;
  double boardTimeS = 0.0;

  std::string importFilter = "Image Files(*.bmp;*.jpg;*.png)|*.bmp;*.jpg;*.png|";
  std::string movieImportFilter = "Movie Files(*.avi;*.mp4;*.wav)|*.avi;*.mp4;*.wav|";
  // Files that open, by path; a path absent from both tables fails to open.
  std::map<std::string, FakeMovie> movies;
  std::map<std::string, FakeImage> images;
};

class FakeComponentFactory : public IKlpComponentFactory {
 public:
  FakeComponentFactory() = default;
  explicit FakeComponentFactory(FakeBoardConfig config) : config_(std::move(config)) {}

  FakeBoardConfig& Config() { return config_; }
  const std::vector<std::string>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  // Number of logged calls that start with the given text.
  int CountCalls(const std::string& prefix) const;

  KlpResult CreateBoard(std::unique_ptr<IKlpBoard>& board) override;
  KlpResult CreatePlayMovie(std::unique_ptr<IKlpPlayMovie>& movie) override;
  KlpResult CreatePlayStillImage(std::unique_ptr<IKlpPlayStillImage>& image) override;
  KlpResult CreatePlayYCrCbImage(std::unique_ptr<IKlpPlayYCrCbImage>& image) override;
  KlpResult CreatePlayJPEGImage(std::unique_ptr<IKlpPlayJPEGImage>& image) override;
  KlpResult CreatePlayTitleImage(std::unique_ptr<IKlpPlayTitleImage>& image) override;
  KlpResult CreateGetAVIInfo(std::unique_ptr<IGetAVIInfo>& info) override;

  // Used by the fake components.
  KlpResult Record(const std::string& operation, const std::string& arguments = {});

 private:
  FakeBoardConfig config_;
  std::vector<std::string> calls_;
};

}  // namespace vantorelle::testing
