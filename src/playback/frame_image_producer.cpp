#include "playback/frame_image_producer.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "playback/frame_image_scale.h"
#include "playback/frame_image_shrink.h"
#include "playback/frame_picture.h"
#include "playback/report_com_result.h"
#include "playback/software_board/ycrcb_image_component.h"

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

// The kept movie of the file, or one opened for it; null when it cannot be
// opened. opened tells which.
std::unique_ptr<IKlpPlayMovie> OpenMovie(IKlpComponentFactory& factory, const std::string& path, IUserInterface& ui,
                                         FrameImageComponents& kept, bool& opened) {
  opened = false;
  if (std::unique_ptr<IKlpPlayMovie> movie = kept.BorrowMovie(path)) return movie;
  std::unique_ptr<IKlpPlayMovie> movie;
  if (!ReportComResult(ui, factory.CreatePlayMovie(movie), "FrameImage : IKlpPlayMovie failed") || !movie) {
    return nullptr;
  }
  if (!ReportComResult(ui, movie->OpenFile(path), "FrameImage : Open File failed")) return nullptr;
  opened = true;
  return movie;
}

bool DecodeMovieImage(IKlpComponentFactory& factory, IKlpPlayMovie& movie, FrameRequest& request, IUserInterface& ui,
                      FrameImageComponents& kept) {
  IKlpPlayYCrCbImage& image = *kept.image;
  std::uint32_t streams = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  double durationS = 0.0;
  double framesPerSecond = 0.0;
  double audioS = 0.0;
  if (!ReportComResult(ui, movie.GetMovieInfo(0, streams, width, height, durationS, framesPerSecond, audioS, nullptr),
                       "FrameImage : Cet MovieInfo failed")) {
    return false;
  }
  // A size no picture has gives up like a failing shrink: silently.
  if (width <= 0 || height <= 0 || width > kLargestPictureSide || height > kLargestPictureSide) return false;
  const double seconds = MovieFrameSeconds(request.time, durationS, framesPerSecond);
  if (streams & KlpStream::YCrCbVideo) {
    if (!ReportComResult(ui, movie.CopyToYCrCbImage(image, seconds), "FrameImage : Copy to YCrCbImage failed")) {
      return false;
    }
  } else if (streams & KlpStream::JpegVideo) {
    if (!kept.jpeg &&
        (!ReportComResult(ui, factory.CreatePlayJPEGImage(kept.jpeg), "FrameImage : Create IKlpPlayJPEGImage failed") ||
         !kept.jpeg)) {
      kept.jpeg.reset();
      return false;
    }
    if (!ReportComResult(ui, movie.CopyToJPEGImage(*kept.jpeg, seconds), "FrameImage : Copy to JPEG Image failed") ||
        !ReportComResult(ui, kept.jpeg->DecompressToImage(image), "FrameImage : Decompress to image failed")) {
      return false;
    }
  }
  // The software board's own picture is scaled to the thumbnail in one pass.
  if (const auto* own = dynamic_cast<const YCrCbImageComponent*>(&image); own && own->Picture()) {
    std::optional<std::vector<std::uint8_t>> scaled = ScaleToFrameImage(*own->Picture(), kept.scaler);
    if (!scaled) return false;
    request.pixels = std::move(*scaled);
    return true;
  }
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3, 0);
  IKlpYCrCbImageRGB* rgbView = nullptr;
  if (!ReportComResult(ui, image.QueryYCrCbImageRGB(rgbView), "FrameImage : Get RGB data failed") || !rgbView ||
      !ReportComResult(ui, rgbView->GetRGBData(rgb.data(), rgb.size()), "FrameImage : Get RGB data failed")) {
    return false;
  }
  std::optional<std::vector<std::uint8_t>> shrunk = ShrinkToFrameImage(rgb.data(), rgb.size(), width, height, width * 3);
  if (!shrunk) return false;
  request.pixels = std::move(*shrunk);
  return true;
}

bool ProduceMovieImage(IKlpComponentFactory& factory, FrameRequest& request, IUserInterface& ui,
                       FrameImageComponents& kept) {
  if (!kept.image &&
      (!ReportComResult(ui, factory.CreatePlayYCrCbImage(kept.image), "FrameImage : IKlpPlayYCrCbImage failed") ||
       !kept.image)) {
    kept.image.reset();
    return false;
  }
  bool opened = false;
  std::unique_ptr<IKlpPlayMovie> movie = OpenMovie(factory, request.path, ui, kept, opened);
  if (!movie) return false;
  // A movie that failed is closed, and opened afresh when asked again.
  if (!DecodeMovieImage(factory, *movie, request, ui, kept)) return false;
  kept.KeepMovie(request.path, std::move(movie), opened);
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
  FrameImageComponents once(1);
  return ProduceFrameImage(factory, request, once);
}

bool ProduceFrameImage(IKlpComponentFactory& factory, FrameRequest& request, FrameImageComponents& kept) {
  request.pixels.clear();
  DeferredReports ui(request.reports);
  if (IsMovieImageSource(request.flags)) return ProduceMovieImage(factory, request, ui, kept);
  if (IsStillImageSource(request.flags)) return ProduceStillImage(factory, request, ui);
  return false;
}

}  // namespace vantorelle
