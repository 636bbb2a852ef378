#include "playback/frame_image_producer.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "playback/frame_image_shrink.h"
#include "playback/frame_picture.h"
#include "playback/report_com_result.h"

namespace vantorelle {
namespace {

// Collects the boxes ReportComResult would show, for the user-interface
// thread to show later; the worker has no dialogs of its own.
class DeferredReports final : public IUserInterface {
 public:
  explicit DeferredReports(std::vector<FrameImageReport>& reports) : reports_(reports) {}

  MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                            MessageButtons buttons) override {
    reports_.push_back(FrameImageReport{text, caption, icon, buttons});
    return MessageAnswer::Ok;
  }
  std::optional<std::string> AskOpenFileName(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> AskSaveFileName(const FileDialogRequest&) override { return std::nullopt; }
  MissingSourceAnswer AskMissingSource(const MissingSourceRequest&) override { return {}; }

 private:
  std::vector<FrameImageReport>& reports_;
};

bool ProduceMovieImage(IKlpComponentFactory& factory, FrameRequest& request, IUserInterface& ui) {
  std::unique_ptr<IKlpPlayYCrCbImage> image;
  if (!ReportComResult(ui, factory.CreatePlayYCrCbImage(image), "FrameImage : IKlpPlayYCrCbImage failed") || !image) {
    return false;
  }
  std::unique_ptr<IKlpPlayMovie> movie;
  if (!ReportComResult(ui, factory.CreatePlayMovie(movie), "FrameImage : IKlpPlayMovie failed") || !movie) {
    return false;
  }
  if (!ReportComResult(ui, movie->OpenFile(request.path), "FrameImage : Open File failed")) return false;
  std::uint32_t streams = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  double durationS = 0.0;
  double framesPerSecond = 0.0;
  double audioS = 0.0;
  if (!ReportComResult(ui, movie->GetMovieInfo(0, streams, width, height, durationS, framesPerSecond, audioS, nullptr),
                       "FrameImage : Cet MovieInfo failed")) {
    return false;
  }
  // A size no picture has gives up like a failing shrink: silently.
  if (width <= 0 || height <= 0 || width > kLargestPictureSide || height > kLargestPictureSide) return false;
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3, 0);
  const double seconds = MovieFrameSeconds(request.time, durationS, framesPerSecond);
  if (streams & KlpStream::YCrCbVideo) {
    if (!ReportComResult(ui, movie->CopyToYCrCbImage(*image, seconds), "FrameImage : Copy to YCrCbImage failed")) {
      return false;
    }
  } else if (streams & KlpStream::JpegVideo) {
    std::unique_ptr<IKlpPlayJPEGImage> jpeg;
    if (!ReportComResult(ui, factory.CreatePlayJPEGImage(jpeg), "FrameImage : Create IKlpPlayJPEGImage failed") ||
        !jpeg) {
      return false;
    }
    if (!ReportComResult(ui, movie->CopyToJPEGImage(*jpeg, seconds), "FrameImage : Copy to JPEG Image failed") ||
        !ReportComResult(ui, jpeg->DecompressToImage(*image), "FrameImage : Decompress to image failed")) {
      return false;
    }
  }
  IKlpYCrCbImageRGB* rgbView = nullptr;
  if (!ReportComResult(ui, image->QueryYCrCbImageRGB(rgbView), "FrameImage : Get RGB data failed") || !rgbView ||
      !ReportComResult(ui, rgbView->GetRGBData(rgb.data(), rgb.size()), "FrameImage : Get RGB data failed")) {
    return false;
  }
  std::optional<std::vector<std::uint8_t>> shrunk = ShrinkToFrameImage(rgb.data(), rgb.size(), width, height, width * 3);
  if (!shrunk) return false;
  request.pixels = std::move(*shrunk);
  return true;
}

bool ProduceStillImage(IKlpComponentFactory& factory, FrameRequest& request, IUserInterface& ui) {
  // A stand-in for the source with the copied facts the loader reads; it is
  // no part of the model and guards nothing.
  CSrc facts(request.path, std::string());
  facts.flags = request.flags;
  facts.frameWidth = request.imageWidth;
  facts.frameHeight = request.imageHeight;
  std::optional<FramePicture> picture = LoadStillImagePicture(factory, facts, &ui);
  if (!picture) return false;
  std::optional<std::vector<std::uint8_t>> shrunk = ShrinkToFrameImage(
      picture->pixels.data(), picture->pixels.size(), picture->width, picture->height, picture->stride);
  if (!shrunk) return false;
  request.pixels = std::move(*shrunk);
  return true;
}

}  // namespace

double MovieFrameSeconds(TimeMs requestTime, double durationS, double framesPerSecond) {
  double seconds = requestTime / 1000.0;
  if (framesPerSecond > 0.0 && durationS - seconds - 1.0 / framesPerSecond < 0.001) {
    seconds = std::max(0.0, durationS - 1.0 / framesPerSecond);
  }
  return seconds;
}

bool ProduceFrameImage(IKlpComponentFactory& factory, FrameRequest& request) {
  request.pixels.clear();
  DeferredReports ui(request.reports);
  if (IsMovieImageSource(request.flags)) return ProduceMovieImage(factory, request, ui);
  if (IsStillImageSource(request.flags)) return ProduceStillImage(factory, request, ui);
  return false;
}

}  // namespace vantorelle
