#include "support/fake_board.h"

#include <cstring>
#include <sstream>

namespace vantorelle::testing {
namespace {

template <typename... Args>
std::string Join(const Args&... args) {
  std::ostringstream out;
  const char* separator = "";
  ((out << separator << args, separator = ", "), ...);
  return out.str();
}

class FakeSuperClip : public IKlpSuperClip {
 public:
  explicit FakeSuperClip(FakeComponentFactory& log) : log_(log) {}
  KlpResult AddMovieFragment(IKlpPlayMovie&, double in, double duration) override {
    return log_.Record("IKlpSuperClip::AddMovieFragment", Join(in, duration));
  }
  KlpResult AddMovieFragmentWithAudio(IKlpPlayMovie&, double in, double duration, double level,
                                      double fadeIn, double fadeOut, std::int32_t mode) override {
    return log_.Record("IKlpSuperClip::AddMovieFragmentWithAudio",
                       Join(in, duration, level, fadeIn, fadeOut, mode));
  }
  KlpResult AddStillImageFragment(IKlpPlayStillImage&, double duration) override {
    return log_.Record("IKlpSuperClip::AddStillImageFragment", Join(duration));
  }

 private:
  FakeComponentFactory& log_;
};

class FakeVTimeLine : public IKlpVTimeLine {
 public:
  explicit FakeVTimeLine(FakeComponentFactory& log) : log_(log) {}
  KlpResult PutState(std::int32_t state) override { return log_.Record("IKlpVTimeLine::PutState", Join(state)); }
  KlpResult GetRestTime(double& seconds) override {
    seconds = 0.0;
    return log_.Record("IKlpVTimeLine::GetRestTime");
  }
  KlpResult AddEmpty(double seconds) override { return log_.Record("IKlpVTimeLine::AddEmpty", Join(seconds)); }
  KlpResult AddMovie(IKlpSuperClip&) override { return log_.Record("IKlpVTimeLine::AddMovie"); }
  KlpResult Reset(std::int32_t value) override { return log_.Record("IKlpVTimeLine::Reset", Join(value)); }
  KlpResult SetWindow(std::int32_t l, std::int32_t t, std::int32_t w, std::int32_t h) override {
    return log_.Record("IKlpVTimeLine::SetWindow", Join(l, t, w, h));
  }

 private:
  FakeComponentFactory& log_;
};

class FakeAudioTimeLine : public IKlpAudioTimeLine {
 public:
  explicit FakeAudioTimeLine(FakeComponentFactory& log) : log_(log) {}
  KlpResult PutState(std::int32_t state) override { return log_.Record("IKlpAudioTimeLine::PutState", Join(state)); }
  KlpResult GetLength(double& seconds) override {
    seconds = 0.0;
    return log_.Record("IKlpAudioTimeLine::GetLength");
  }
  KlpResult AddEmpty(double seconds) override { return log_.Record("IKlpAudioTimeLine::AddEmpty", Join(seconds)); }
  KlpResult AddMovie(IKlpSuperClip&) override { return log_.Record("IKlpAudioTimeLine::AddMovie"); }
  KlpResult Reset(std::int32_t value) override { return log_.Record("IKlpAudioTimeLine::Reset", Join(value)); }

 private:
  FakeComponentFactory& log_;
};

class FakeMovableTitleTask : public IKlpMovableTitleTask {
 public:
  explicit FakeMovableTitleTask(FakeComponentFactory& log) : log_(log) {}
  KlpResult PutState(std::int32_t state) override { return log_.Record("IKlpMovableTitleTask::PutState", Join(state)); }
  KlpResult AddEmpty(std::int32_t pixels) override { return log_.Record("IKlpMovableTitleTask::AddEmpty", Join(pixels)); }
  KlpResult AddData(IKlpPlayStillImage&, std::int32_t in, std::int32_t length) override {
    return log_.Record("IKlpMovableTitleTask::AddData", Join(in, length));
  }

 private:
  FakeComponentFactory& log_;
};

class FakeSlideTitleTask : public IKlpSlideTitleTask {
 public:
  explicit FakeSlideTitleTask(FakeComponentFactory& log) : log_(log) {}
  KlpResult PutState(std::int32_t state) override { return log_.Record("IKlpSlideTitleTask::PutState", Join(state)); }
  KlpResult AddImage(IKlpPlayStillImage&, double seconds) override { return log_.Record("IKlpSlideTitleTask::AddImage", Join(seconds)); }
  KlpResult AddEmpty(double seconds) override { return log_.Record("IKlpSlideTitleTask::AddEmpty", Join(seconds)); }
  KlpResult GetRestTime(double& seconds) override {
    seconds = 0.0;
    return log_.Record("IKlpSlideTitleTask::GetRestTime");
  }
  KlpResult AddData(IKlpPlayStillImage&, double length, double fadeIn, double fadeOut) override {
    return log_.Record("IKlpSlideTitleTask::AddData", Join(length, fadeIn, fadeOut));
  }

 private:
  FakeComponentFactory& log_;
};

class FakeBoard : public IKlpBoard {
 public:
  explicit FakeBoard(FakeComponentFactory& log) : log_(log) {}
  KlpResult GetChannelValue(std::int32_t c, std::int32_t i, std::int32_t& value) override {
    value = channelValue_;
    return log_.Record("IKlpBoard::GetChannelValue", Join(c, i));
  }
  KlpResult SetChannelValue(std::int32_t c, std::int32_t i, std::int32_t value) override {
    channelValue_ = value;
    return log_.Record("IKlpBoard::SetChannelValue", Join(c, i, value));
  }
  KlpResult GetVideoFormat(std::int32_t c, std::int32_t& w, std::int32_t& h, double* fps) override {
    w = log_.Config().videoWidth;
    h = log_.Config().videoHeight;
    if (fps) *fps = log_.Config().framesPerSecond;
    return log_.Record("IKlpBoard::GetVideoFormat", Join(c));
  }
  KlpResult SetChannelFlag(std::int32_t c, std::int32_t flag, std::int32_t value) override {
    return log_.Record("IKlpBoard::SetChannelFlag", Join(c, flag, value));
  }
  KlpResult CreateSuperClip(std::uint32_t kind, std::int32_t param,
                            std::unique_ptr<IKlpSuperClip>& clip) override {
    const KlpResult result = log_.Record("IKlpBoard::CreateSuperClip", Join(kind, param));
    if (result == KlpOk) clip = std::make_unique<FakeSuperClip>(log_);
    return result;
  }
  KlpResult CreateVTimeLine(std::int32_t c, std::uint32_t size, std::uint32_t low, std::int32_t r,
                            std::unique_ptr<IKlpVTimeLine>& timeLine) override {
    const KlpResult result = log_.Record("IKlpBoard::CreateVTimeLine", Join(c, size, low, r));
    if (result == KlpOk) timeLine = std::make_unique<FakeVTimeLine>(log_);
    return result;
  }
  KlpResult SetChannelMode(std::int32_t c, std::int32_t mode) override {
    return log_.Record("IKlpBoard::SetChannelMode", Join(c, mode));
  }
  KlpResult ResetChannelMode(std::int32_t c, std::int32_t mode) override {
    return log_.Record("IKlpBoard::ResetChannelMode", Join(c, mode));
  }
  KlpResult CreateAudioTimeLine(std::int32_t c, std::uint32_t size, std::uint32_t low,
                                std::int32_t r, std::unique_ptr<IKlpAudioTimeLine>& timeLine) override {
    const KlpResult result = log_.Record("IKlpBoard::CreateAudioTimeLine", Join(c, size, low, r));
    if (result == KlpOk) timeLine = std::make_unique<FakeAudioTimeLine>(log_);
    return result;
  }
  KlpResult GetBoardTime(std::int32_t c, double& seconds) override {
    seconds = log_.Config().boardTimeS;
    return log_.Record("IKlpBoard::GetBoardTime", Join(c));
  }
  KlpResult CreateMovableTitleTask(std::int32_t c, const KlpMovableTitleParams& p, double scale,
                                   double blend, std::unique_ptr<IKlpMovableTitleTask>& task) override {
    const KlpResult result = log_.Record(
        "IKlpBoard::CreateMovableTitleTask",
        Join(c, p.speed, p.direction, p.left, p.top, p.width, p.height, p.precision, scale, blend));
    if (result == KlpOk) task = std::make_unique<FakeMovableTitleTask>(log_);
    return result;
  }
  KlpResult CreateSlideTitleTask(std::int32_t c, const KlpSlideTitleParams& p, double scale,
                                 double blend, std::unique_ptr<IKlpSlideTitleTask>& task) override {
    const KlpResult result = log_.Record("IKlpBoard::CreateSlideTitleTask",
                                         Join(c, p.left, p.top, p.width, p.height, scale, blend));
    if (result == KlpOk) task = std::make_unique<FakeSlideTitleTask>(log_);
    return result;
  }

 private:
  FakeComponentFactory& log_;
  std::int32_t channelValue_ = 0;
};

class FakeYCrCbImage : public IKlpPlayYCrCbImage, public IKlpYCrCbImageRGB {
 public:
  explicit FakeYCrCbImage(FakeComponentFactory& log) : log_(log) {}
  KlpResult QueryYCrCbImageRGB(IKlpYCrCbImageRGB*& rgb) override {
    rgb = this;
    return log_.Record("IKlpPlayYCrCbImage::QueryYCrCbImageRGB");
  }
  KlpResult GetRGBData(std::uint8_t* buffer, std::size_t count) override {
    if (buffer) std::memset(buffer, 0x80, count);
    return log_.Record("IKlpYCrCbImageRGB::GetRGBData", Join(count));
  }

 private:
  FakeComponentFactory& log_;
};

class FakeJpegImage : public IKlpPlayJPEGImage {
 public:
  explicit FakeJpegImage(FakeComponentFactory& log) : log_(log) {}
  KlpResult DecompressToImage(IKlpPlayYCrCbImage&) override {
    return log_.Record("IKlpPlayJPEGImage::DecompressToImage");
  }

 private:
  FakeComponentFactory& log_;
};

class FakePlayMovie : public IKlpPlayMovie {
 public:
  explicit FakePlayMovie(FakeComponentFactory& log) : log_(log) {}
  KlpResult OpenFile(const std::string& name) override {
    KlpResult result = log_.Record("IKlpPlayMovie::OpenFile", name);
    auto found = log_.Config().movies.find(name);
    if (result == KlpOk && found == log_.Config().movies.end()) result = KlpFileNotFound;
    if (result == KlpOk) movie_ = found->second;
    opened_ = result == KlpOk;
    return result;
  }
  KlpResult GetMovieInfo(std::int32_t r, std::uint32_t& flags, std::int32_t& w, std::int32_t& h,
                         double& videoS, double& fps, double& audioS,
                         KlpMovieExtraInfo* extra) override {
    KlpResult result = log_.Record("IKlpPlayMovie::GetMovieInfo", Join(r));
    if (result == KlpOk && !opened_) result = KlpFail;
    if (result != KlpOk) return result;
    flags = movie_.streamFlags;
    w = movie_.width;
    h = movie_.height;
    videoS = movie_.videoDurationS;
    fps = movie_.framesPerSecond;
    audioS = movie_.audioDurationS;
    if (extra) *extra = movie_.extra;
    return result;
  }
  KlpResult CopyToJPEGImage(IKlpPlayJPEGImage&, double t) override {
    return log_.Record("IKlpPlayMovie::CopyToJPEGImage", Join(t));
  }
  KlpResult CopyToYCrCbImage(IKlpPlayYCrCbImage&, double t) override {
    return log_.Record("IKlpPlayMovie::CopyToYCrCbImage", Join(t));
  }
  KlpResult GetImportFilter(std::string& filter) override {
    KlpResult result = log_.Record("IKlpPlayMovie::GetImportFilter");
    if (result == KlpOk) filter = log_.Config().movieImportFilter;
    return result;
  }

 private:
  FakeComponentFactory& log_;
  FakeMovie movie_;
  bool opened_ = false;
};

class FakeStillImage : public IKlpPlayStillImage {
 public:
  explicit FakeStillImage(FakeComponentFactory& log) : log_(log) {}
  KlpResult OpenFile(const std::string& name, std::int32_t r) override {
    KlpResult result = log_.Record("IKlpPlayStillImage::OpenFile", Join(name, r));
    if (result == KlpOk && !log_.Config().images.count(name)) result = KlpFileNotFound;
    return result;
  }

 private:
  FakeComponentFactory& log_;
};

class FakeTitleImage : public IKlpPlayTitleImage, public IKlpTitleImageRGB {
 public:
  explicit FakeTitleImage(FakeComponentFactory& log) : log_(log) {}
  KlpResult GetImageInfo(std::int32_t& w, std::int32_t& h) override {
    KlpResult result = log_.Record("IKlpPlayTitleImage::GetImageInfo");
    if (result == KlpOk && !loaded_) result = KlpFail;
    if (result == KlpOk) {
      w = image_.width;
      h = image_.height;
    }
    return result;
  }
  KlpResult GetImportFilter(std::string& filter) override {
    KlpResult result = log_.Record("IKlpPlayTitleImage::GetImportFilter");
    if (result == KlpOk) filter = log_.Config().importFilter;
    return result;
  }
  KlpResult LoadFromFile(const std::string& name, std::int32_t r) override {
    KlpResult result = log_.Record("IKlpPlayTitleImage::LoadFromFile", Join(name, r));
    auto found = log_.Config().images.find(name);
    if (result == KlpOk && found == log_.Config().images.end()) result = KlpFileNotFound;
    if (result == KlpOk) image_ = found->second;
    loaded_ = result == KlpOk;
    return result;
  }
  KlpResult QueryTitleImageRGB(IKlpTitleImageRGB*& rgb) override {
    rgb = this;
    return log_.Record("IKlpPlayTitleImage::QueryTitleImageRGB");
  }
  KlpResult GetRGBData(std::uint8_t* buffer, std::size_t count) override {
    if (buffer) std::memset(buffer, 0x40, count);
    return log_.Record("IKlpTitleImageRGB::GetRGBData", Join(count));
  }

 private:
  FakeComponentFactory& log_;
  FakeImage image_;
  bool loaded_ = false;
};

class FakeAviInfo : public IGetAVIInfo {
 public:
  explicit FakeAviInfo(FakeComponentFactory& log) : log_(log) {}
  KlpResult LoadFile(const std::string& name) override { return log_.Record("IGetAVIInfo::LoadFile", name); }
  KlpResult GetVideoStreamCount(std::int32_t& n) override {
    n = 1;
    return log_.Record("IGetAVIInfo::GetVideoStreamCount");
  }
  KlpResult GetVideoStreamInfo(std::int32_t s, KlpAviStreamHeader& header, std::int32_t size,
                               std::uint32_t& key, std::int32_t& formatSize, std::int32_t) override {
    header = KlpAviStreamHeader{};
    header.fccHandler = 0x47504A4D;  // "MJPG"
    key = 1;
    formatSize = 40;
    return log_.Record("IGetAVIInfo::GetVideoStreamInfo", Join(s, size));
  }
  KlpResult GetVideoFrameCount(std::int32_t s, std::int32_t& count) override {
    count = 0;
    return log_.Record("IGetAVIInfo::GetVideoFrameCount", Join(s));
  }
  KlpResult GetVideoFormat(std::int32_t s, std::uint8_t* format, std::int32_t size, std::uint32_t key) override {
    if (format && size > 0) std::memset(format, 0, static_cast<std::size_t>(size));
    return log_.Record("IGetAVIInfo::GetVideoFormat", Join(s, size, key));
  }
  KlpResult GetFrameChunk(std::int32_t s, std::int32_t frame, std::uint64_t& offset,
                          std::uint32_t& bytes, std::uint32_t& flags) override {
    offset = 0;
    bytes = 0;
    flags = 0;
    return log_.Record("IGetAVIInfo::GetFrameChunk", Join(s, frame));
  }

 private:
  FakeComponentFactory& log_;
};

template <typename Fake, typename Interface>
KlpResult Make(FakeComponentFactory& factory, const char* name, std::unique_ptr<Interface>& out) {
  const KlpResult result = factory.Record(std::string("Create:") + name);
  if (result == KlpOk) out = std::make_unique<Fake>(factory);
  return result;
}

}  // namespace

KlpResult FakeComponentFactory::Record(const std::string& operation, const std::string& arguments) {
  calls_.push_back(operation + "(" + arguments + ")");
  auto configured = config_.results.find(operation);
  return configured == config_.results.end() ? KlpOk : configured->second;
}

int FakeComponentFactory::CountCalls(const std::string& prefix) const {
  int count = 0;
  for (const auto& call : calls_) count += call.rfind(prefix, 0) == 0 ? 1 : 0;
  return count;
}

KlpResult FakeComponentFactory::CreateBoard(std::unique_ptr<IKlpBoard>& out) {
  return Make<FakeBoard>(*this, "IKlpBoard", out);
}
KlpResult FakeComponentFactory::CreatePlayMovie(std::unique_ptr<IKlpPlayMovie>& out) {
  return Make<FakePlayMovie>(*this, "IKlpPlayMovie", out);
}
KlpResult FakeComponentFactory::CreatePlayStillImage(std::unique_ptr<IKlpPlayStillImage>& out) {
  return Make<FakeStillImage>(*this, "IKlpPlayStillImage", out);
}
KlpResult FakeComponentFactory::CreatePlayYCrCbImage(std::unique_ptr<IKlpPlayYCrCbImage>& out) {
  return Make<FakeYCrCbImage>(*this, "IKlpPlayYCrCbImage", out);
}
KlpResult FakeComponentFactory::CreatePlayJPEGImage(std::unique_ptr<IKlpPlayJPEGImage>& out) {
  return Make<FakeJpegImage>(*this, "IKlpPlayJPEGImage", out);
}
KlpResult FakeComponentFactory::CreatePlayTitleImage(std::unique_ptr<IKlpPlayTitleImage>& out) {
  return Make<FakeTitleImage>(*this, "IKlpPlayTitleImage", out);
}
KlpResult FakeComponentFactory::CreateGetAVIInfo(std::unique_ptr<IGetAVIInfo>& out) {
  return Make<FakeAviInfo>(*this, "IGetAVIInfo", out);
}

}  // namespace vantorelle::testing
