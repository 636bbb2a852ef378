// vantorelle-cli render in HD, 4K, vertical and SD formats: the file has the
// format's size, exact rate, pixel shape and colours, and its pictures are
// the sources' own frames, exactly, on both sides of a cut.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "document/headless_views.h"
#include "document/project_storage.h"
#include "model/file_facts.h"
#include "model/video_format.h"
#include "support/cli_runner.h"
#include "support/document_fixture.h"
#include "support/media_file_reader.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::CliRun;
using testing::RunCli;

enum class SourceCodec { Mjpeg, H264, ProRes };

const char* CodecName(SourceCodec codec) {
  switch (codec) {
    case SourceCodec::Mjpeg: return "MJPEG";
    case SourceCodec::H264: return "H.264";
    case SourceCodec::ProRes: return "ProRes";
  }
  return "";
}

bool RunFfmpeg(const std::string& arguments) {
  const std::string command = "ffmpeg -nostdin -loglevel error -y " + arguments;
  return std::system(command.c_str()) == 0;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// What ffprobe says of a file's first picture stream, by field name.
std::map<std::string, std::string> ProbePictureStream(const std::string& path) {
  const std::string command =
      "ffprobe -v error -select_streams v:0 -show_entries stream=codec_name,width,height,r_frame_rate,"
      "avg_frame_rate,sample_aspect_ratio,color_range,color_space,color_transfer,color_primaries "
      "-of default=noprint_wrappers=1 " + Quoted(path);
  std::map<std::string, std::string> fields;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return fields;
  char line[512];
  while (std::fgets(line, sizeof line, pipe.get())) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const std::size_t equals = text.find('=');
    if (equals != std::string::npos) fields[text.substr(0, equals)] = text.substr(equals + 1);
  }
  return fields;
}

// The planes of a file's first picture as 8-bit 4:2:0 YUV, unconverted.
std::vector<std::uint8_t> FirstPictureYuv(const std::string& path) {
  const std::string command = "ffmpeg -nostdin -loglevel error -i " + Quoted(path) +
                              " -frames:v 1 -f rawvideo -pix_fmt yuv420p -";
  std::vector<std::uint8_t> bytes;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return bytes;
  std::uint8_t buffer[65536];
  std::size_t read = 0;
  while ((read = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) bytes.insert(bytes.end(), buffer, buffer + read);
  return bytes;
}

class RenderFormatsCli : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testing::CliPath().empty()) GTEST_SKIP() << "VANTORELLE_CLI is not set";
  }

  // Frame-numbered pictures of the format's size and rate on a background
  // colour, in the codec given (made as MJPEG, then transcoded).
  std::string NumberedSource(const std::string& name, const VideoFormat& format, int frames, SourceCodec codec,
                             testing::Rgb background) {
    testing::MovieParams params;
    params.width = format.width;
    params.height = format.height;
    params.framesPerSecond = format.frameRate / 1000.0;
    params.frameCount = frames;
    params.colour = background;
    const std::string mjpeg = dir_.File(name + ".avi");
    std::string error;
    EXPECT_TRUE(testing::WriteAvi(mjpeg, params, &error)) << error;
    if (codec == SourceCodec::Mjpeg) return mjpeg;
    const std::string path = dir_.File(name + (codec == SourceCodec::H264 ? ".mp4" : ".mov"));
    const std::string encoder = codec == SourceCodec::H264
                                    ? "-c:v libx264 -preset ultrafast -crf 10 -pix_fmt yuv420p"
                                    : "-c:v prores_ks -profile:v 0 -pix_fmt yuv422p10le";
    EXPECT_TRUE(RunFfmpeg("-i " + Quoted(mjpeg) + " " + encoder + " " + Quoted(path)));
    return path;
  }

  static CSrc& AddMovie(testing::TestDocument& doc, const std::string& path, const VideoFormat& format, int frames) {
    CSrc& source = doc.AddSource(path, frames * 1'000'000.0 / format.frameRate,
                                 SourceFlags::MovieFile | SourceFlags::VideoStream);
    source.frameWidth = format.width;
    source.frameHeight = format.height;
    source.modified = LastWriteText(ReadFileFacts(path)->lastWrite);
    return source;
  }

  static void Place(testing::TestDocument& doc, CSrc& source, TimeMs start, TimeMs inPoint, TimeMs duration) {
    auto clip = std::make_unique<CFilm>();
    clip->source = &source;
    clip->name = source.name;
    clip->start = start;
    clip->inPoint = inPoint;
    clip->duration = duration;
    clip->sourceLength = source.duration;
    clip->flags = source.flags;
    ++source.usageCount;
    doc.Track(0).InsertInOrder(std::move(clip));
    doc.ExpectConsistent({&source});
  }

  testing::TempDir dir_;
};

struct FormatCase {
  const char* name;  // as given to --video-standard
  VideoFormat format;
  SourceCodec first;
  SourceCodec second;
  int framesEach;
  const char* rate;  // as ffprobe writes it
  const char* pixelShape;
  const char* matrix;
  const char* primaries;
  const char* transfer;
};

TEST_F(RenderFormatsCli, TheFileHasTheFormatsSizeRateShapeAndColoursAndTheExactFramesAtACut) {
  const FormatCase cases[] = {
      {"1920x1080@25", {1920, 1080, 25000}, SourceCodec::H264, SourceCodec::ProRes, 5, "25/1", "1:1", "bt709",
       "bt709", "bt709"},
      {"720p59.94", {1280, 720, 59940}, SourceCodec::ProRes, SourceCodec::Mjpeg, 5, "60000/1001", "1:1", "bt709",
       "bt709", "bt709"},
      {"2160p25", {3840, 2160, 25000}, SourceCodec::H264, SourceCodec::Mjpeg, 3, "25/1", "1:1", "bt709", "bt709",
       "bt709"},
      {"1080x1920@30", {1080, 1920, 30000}, SourceCodec::Mjpeg, SourceCodec::H264, 5, "30/1", "1:1", "bt709",
       "bt709", "bt709"},
      // Classic PAL keeps its pixels unsaid, in BT.601 colours.
      {"pal", {720, 576, 25000}, SourceCodec::H264, SourceCodec::Mjpeg, 5, "25/1", "N/A", "bt470bg", "bt470bg",
       "smpte170m"},
      {"640x360@29.97", {640, 360, 29970}, SourceCodec::ProRes, SourceCodec::H264, 5, "30000/1001", "1:1",
       "smpte170m", "smpte170m", "smpte170m"},
  };
  constexpr int kSecondIn = 2;  // the second clip starts at this frame of its source
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.name);
    const VideoFormat& format = c.format;
    const double frame = 1'000'000.0 / format.frameRate;
    const int n = c.framesEach;
    const std::string project = dir_.File(std::string(c.name) + ".vrp");
    {
      testing::TestDocument doc;
      testing::VideoStandardScope inFormat{StandardOf(format)};
      HeadlessDocumentViews views;
      doc.doc.AttachViews(&views);
      // Both clips are cut inside their sources, which run on past them.
      CSrc& first = AddMovie(
          doc, NumberedSource(std::string(c.name) + "-a", format, n + 1, c.first, {200, 30, 30}), format, n + 1);
      CSrc& second = AddMovie(
          doc, NumberedSource(std::string(c.name) + "-b", format, kSecondIn + n + 1, c.second, {30, 30, 200}),
          format, kSecondIn + n + 1);
      Place(doc, first, 0.0, 0.0, n * frame);
      Place(doc, second, n * frame, kSecondIn * frame, n * frame);
      doc.doc.times.rangeStart = 0.0;
      doc.doc.times.rangeStop = 2 * n * frame;
      ASSERT_TRUE(SaveProjectFile(doc.doc, project));
    }
    const std::string out = dir_.File(std::string(c.name) + ".mp4");
    const CliRun run = RunCli({"--video-standard", c.name, "render", project, out, "--format", "mp4", "--quiet"});
    ASSERT_EQ(run.status, 0) << run.err;

    auto probe = ProbePictureStream(out);
    EXPECT_EQ(probe["codec_name"], "h264");
    EXPECT_EQ(probe["width"], std::to_string(format.width));
    EXPECT_EQ(probe["height"], std::to_string(format.height));
    EXPECT_EQ(probe["r_frame_rate"], c.rate);
    EXPECT_EQ(probe["avg_frame_rate"], c.rate);
    EXPECT_EQ(probe["sample_aspect_ratio"], c.pixelShape);
    EXPECT_EQ(probe["color_range"], "tv");
    EXPECT_EQ(probe["color_space"], c.matrix);
    EXPECT_EQ(probe["color_primaries"], c.primaries);
    EXPECT_EQ(probe["color_transfer"], c.transfer);

    const auto media = testing::DecodeMediaFile(out);
    ASSERT_TRUE(media);
    ASSERT_EQ(media->frames.size(), static_cast<std::size_t>(2 * n));
    for (int i = 0; i < 2 * n; ++i) {
      const bool second = i >= n;
      const int expected = second ? kSecondIn + i - n : i;
      const std::string from = CodecName(second ? c.second : c.first);
      EXPECT_EQ(testing::ReadFrameNumber(media->frames[i].data(), format.width, format.height), expected)
          << "frame " << i << " (" << from << ")";
      // The corner of the pattern shows the source's background.
      const auto corner = media->MeanColour(i, format.width / 16, format.height / 12, 8);
      EXPECT_NEAR(corner.r, second ? 30 : 200, 20) << "frame " << i << " (" << from << ")";
      EXPECT_NEAR(corner.b, second ? 200 : 30, 20) << "frame " << i << " (" << from << ")";
    }
  }
}

TEST_F(RenderFormatsCli, BarsMadeInBt709ComeOutInBt709WithinTwoLevels) {
  const std::string bars = dir_.File("bars.mp4");
  ASSERT_TRUE(RunFfmpeg("-f lavfi -i smptehdbars=size=1920x1080:rate=25 -frames:v 3 -c:v libx264 -qp 0 "
                        "-pix_fmt yuv420p -colorspace bt709 -color_primaries bt709 -color_trc bt709 "
                        "-color_range tv " + Quoted(bars)));
  const VideoFormat format{1920, 1080, 25000};
  const std::string project = dir_.File("bars.vrp");
  {
    testing::TestDocument doc;
    HeadlessDocumentViews views;
    doc.doc.AttachViews(&views);
    CSrc& source = AddMovie(doc, bars, format, 3);
    Place(doc, source, 0.0, 0.0, 3 * 40.0);
    ASSERT_TRUE(SaveProjectFile(doc.doc, project));
  }
  const std::string out = dir_.File("out.mp4");
  const CliRun run = RunCli({"--video-standard", "1080p25", "render", project, out, "--format", "mp4", "--quiet"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ProbePictureStream(out)["color_space"], "bt709");

  const std::vector<std::uint8_t> made = FirstPictureYuv(bars);
  const std::vector<std::uint8_t> rendered = FirstPictureYuv(out);
  constexpr int kWidth = 1920;
  constexpr int kHeight = 1080;
  ASSERT_EQ(made.size(), static_cast<std::size_t>(kWidth * kHeight * 3 / 2));
  ASSERT_EQ(rendered.size(), made.size());
  const auto sample = [&](const std::vector<std::uint8_t>& planes, int x, int y, int plane) {
    if (plane == 0) return static_cast<int>(planes[static_cast<std::size_t>(y) * kWidth + x]);
    const std::size_t chroma = static_cast<std::size_t>(kWidth) * kHeight / 4;
    return static_cast<int>(planes[static_cast<std::size_t>(kWidth) * kHeight + (plane - 1) * chroma +
                                   static_cast<std::size_t>(y / 2) * (kWidth / 2) + x / 2]);
  };
  int compared = 0;
  // Every flat patch of the 75% bars and the grey beside them, away from
  // their edges (the rows below hold colours no RGB picture can carry).
  for (const int y : {100, 400}) {
    for (int x = 24; x < kWidth - 24; x += 8) {
      bool flat = true;
      for (int plane = 0; plane < 3; ++plane) {
        flat = flat && sample(made, x - 20, y, plane) == sample(made, x, y, plane) &&
               sample(made, x + 20, y, plane) == sample(made, x, y, plane);
      }
      if (!flat) continue;
      ++compared;
      for (int plane = 0; plane < 3; ++plane) {
        EXPECT_NEAR(sample(rendered, x, y, plane), sample(made, x, y, plane), 2)
            << "plane " << plane << " at " << x << "," << y;
      }
    }
  }
  EXPECT_GT(compared, 300);
}

TEST_F(RenderFormatsCli, AFormatTheBoardCannotRunInIsRefusedWithTheReason) {
  const CliRun odd = RunCli({"--video-standard", "1921x1080@25", "dump", "x.vrp"});
  EXPECT_EQ(odd.status, 2);
  EXPECT_NE(odd.err.find("1921x1080 must be even"), std::string::npos) << odd.err;
  const CliRun rate = RunCli({"dump", "x.vrp"}, {"VANTORELLE_VIDEO_STANDARD=1080p48"});
  EXPECT_EQ(rate.status, 2);
  EXPECT_NE(rate.err.find("\"48\" is not one of"), std::string::npos) << rate.err;
  const CliRun help = RunCli({"--help"});
  EXPECT_NE(help.out.find("WIDTHxHEIGHT@RATE"), std::string::npos) << help.out;
}

}  // namespace
}  // namespace vantorelle
