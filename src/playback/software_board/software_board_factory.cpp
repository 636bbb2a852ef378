#include "playback/software_board/software_board_factory.h"

#include <optional>

#include "playback/software_board/software_board.h"
#include "playback/software_board/avi_info_component.h"
#include "playback/software_board/jpeg_image_component.h"
#include "playback/software_board/play_movie_component.h"
#include "playback/software_board/still_image_component.h"
#include "playback/software_board/title_image_component.h"
#include "playback/software_board/ycrcb_image_component.h"

namespace vantorelle {
namespace {

class SoftwareBoardFactory final : public IKlpComponentFactory {
 public:
  SoftwareBoardFactory(const SoftwareBoardFormat& format, std::optional<SoftwareBoardWiring> wiring)
      : format_(format), wiring_(std::move(wiring)) {}

  KlpResult CreateBoard(std::unique_ptr<IKlpBoard>& board) override {
    // A wired board runs in the output's format, which follows the project's.
    board = wiring_ ? std::make_unique<SoftwareBoard>(wiring_->output->Format(), *wiring_)
                    : std::make_unique<SoftwareBoard>(format_);
    return KlpOk;
  }
  KlpResult CreatePlayMovie(std::unique_ptr<IKlpPlayMovie>& movie) override {
    movie = std::make_unique<PlayMovieComponent>();
    return KlpOk;
  }
  KlpResult CreatePlayStillImage(std::unique_ptr<IKlpPlayStillImage>& image) override {
    image = std::make_unique<StillImageComponent>();
    return KlpOk;
  }
  KlpResult CreatePlayYCrCbImage(std::unique_ptr<IKlpPlayYCrCbImage>& image) override {
    image = std::make_unique<YCrCbImageComponent>();
    return KlpOk;
  }
  KlpResult CreatePlayJPEGImage(std::unique_ptr<IKlpPlayJPEGImage>& image) override {
    image = std::make_unique<JpegImageComponent>();
    return KlpOk;
  }
  KlpResult CreatePlayTitleImage(std::unique_ptr<IKlpPlayTitleImage>& image) override {
    image = std::make_unique<TitleImageComponent>();
    return KlpOk;
  }
  KlpResult CreateGetAVIInfo(std::unique_ptr<IGetAVIInfo>& info) override {
    info = std::make_unique<AviInfoComponent>();
    return KlpOk;
  }

 private:
  SoftwareBoardFormat format_;
  std::optional<SoftwareBoardWiring> wiring_;
};

}  // namespace

std::unique_ptr<IKlpComponentFactory> CreateSoftwareBoardFactory(const SoftwareBoardFormat& format) {
  return std::make_unique<SoftwareBoardFactory>(format, std::nullopt);
}

std::unique_ptr<IKlpComponentFactory> CreateSoftwareBoardFactory(const SoftwareBoardFormat& format,
                                                                 SoftwareBoardWiring wiring) {
  return std::make_unique<SoftwareBoardFactory>(format, std::move(wiring));
}

}  // namespace vantorelle
