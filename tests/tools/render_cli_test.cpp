// vantorelle-cli render on a project made of generated media: the pictures
// and sound in the file are those playback makes, frame by frame.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>
#include <utility>

#include <nlohmann/json.hpp>

#include "document/headless_views.h"
#include "document/project_storage.h"
#include "model/file_facts.h"
#include "support/cli_runner.h"
#include "support/document_fixture.h"
#include "support/file_bytes.h"
#include "support/media_file_reader.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

using testing::CliRun;
using testing::RunCli;
using testing::FileBytes;
namespace fs = std::filesystem;

extern "C" char** environ;

// The tool started without waiting for it, its output thrown away.
pid_t StartCli(const std::vector<std::string>& arguments) {
  const std::string tool = testing::CliPath();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv{const_cast<char*>(tool.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = -1;
  if (posix_spawn(&child, tool.c_str(), &actions, nullptr, argv.data(), environ) != 0) child = -1;
  posix_spawn_file_actions_destroy(&actions);
  return child;
}

// Hidden files of the folder a render to name may have made.
std::vector<std::string> TemporariesOf(const fs::path& folder, const std::string& name) {
  std::vector<std::string> found;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string file = entry.path().filename().string();
    if (file.rfind("." + name, 0) == 0) found.push_back(file);
  }
  return found;
}

// Lowers the largest file this process and its children may write, as a
// full disk would stop them; the old limit comes back at the end of scope.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);  // a write past it fails with EFBIG instead
    const rlimit limit{bytes, old_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldSignal_);
  }

 private:
  rlimit old_{};
  void (*oldSignal_)(int) = SIG_DFL;
};

class RenderCli : public ::testing::Test {
 protected:
  void SetUp() override {
    if (testing::CliPath().empty()) GTEST_SKIP() << "VANTORELLE_CLI is not set";
  }

  CSrc& Movie(testing::TestDocument& project, const std::string& name, testing::Rgb colour, int width = 720,
              int height = 576) {
    testing::MovieParams params;
    params.width = width;
    params.height = height;
    params.frameCount = 25;
    params.pattern = testing::FramePattern::Solid;
    params.colour = colour;
    const std::string path = dir_.File(name);
    EXPECT_TRUE(testing::WriteAvi(path, params));
    CSrc& source = project.AddSource(path, 1000.0, SourceFlags::MovieFile | SourceFlags::VideoStream);
    source.frameWidth = width;
    source.frameHeight = height;
    source.modified = LastWriteText(ReadFileFacts(path)->lastWrite);
    return source;
  }

  static CFilm& Place(testing::TestDocument& project, std::size_t track, CSrc& source, TimeMs start, TimeMs duration) {
    auto clip = std::make_unique<CFilm>();
    clip->source = &source;
    clip->name = source.name;
    clip->start = start;
    clip->duration = duration;
    clip->sourceLength = source.duration;
    clip->flags = source.flags;
    ++source.usageCount;
    return project.Track(track).InsertInOrder(std::move(clip));
  }

  // A project of one red movie and a tone placed clips times one after
  // another, its range over all of them unless times says otherwise.
  std::string RedProject(int clips, const std::function<void(ProjectTimes&)>& times = {}) {
    const std::string project = dir_.File("show.vrp");
    testing::TestDocument doc;
    HeadlessDocumentViews views;
    doc.doc.AttachViews(&views);
    CSrc& red = Movie(doc, "red.avi", {255, 0, 0});
    testing::WavParams wav;
    wav.sampleRate = 48000;
    const std::string tonePath = dir_.File("tone.wav");
    EXPECT_TRUE(testing::WriteWav(tonePath, wav));
    CSrc& tone = doc.AddSource(tonePath, 1000.0, SourceFlags::MovieFile | SourceFlags::AudioStream);
    tone.modified = LastWriteText(ReadFileFacts(tonePath)->lastWrite);
    for (int i = 0; i < clips; ++i) {
      Place(doc, 0, red, 1000.0 * i, 1000.0);
      Place(doc, 2, tone, 1000.0 * i, 1000.0);
    }
    doc.doc.times.rangeStart = 0.0;
    doc.doc.times.rangeStop = 1000.0 * clips;
    if (times) times(doc.doc.times);
    EXPECT_TRUE(SaveProjectFile(doc.doc, project));
    return project;
  }

  static double Rms(const std::vector<float>& stereo, double fromS, double toS) {
    const std::size_t from = static_cast<std::size_t>(fromS * 48000) * 2;
    const std::size_t to = std::min(stereo.size(), static_cast<std::size_t>(toS * 48000) * 2);
    double sum = 0.0;
    for (std::size_t i = from; i < to; ++i) sum += stereo[i] * stereo[i];
    return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0.0;
  }

  testing::TempDir dir_;
};

TEST_F(RenderCli, PicturesAndSoundFollowTheTimeline) {
  const std::string project = dir_.File("show.vrp");
  {
    testing::TestDocument doc;
    HeadlessDocumentViews views;
    doc.doc.AttachViews(&views);
    // Red then blue on the first video track, a gap there filled by green
    // from the second, and a tone fading in over its first second.
    Place(doc, 0, Movie(doc, "red.avi", {255, 0, 0}), 0.0, 1000.0);
    Place(doc, 0, Movie(doc, "blue.avi", {0, 0, 255}), 1000.0, 1000.0);
    Place(doc, 1, Movie(doc, "green.avi", {0, 255, 0}), 2000.0, 1000.0);
    testing::WavParams wav;
    wav.sampleRate = 48000;
    wav.seconds = 3.0;
    const std::string tonePath = dir_.File("tone.wav");
    ASSERT_TRUE(testing::WriteWav(tonePath, wav));
    CSrc& tone = doc.AddSource(tonePath, 3000.0, SourceFlags::MovieFile | SourceFlags::AudioStream);
    tone.modified = LastWriteText(ReadFileFacts(tonePath)->lastWrite);
    Place(doc, 2, tone, 0.0, 3000.0).fadeIn = 1000.0;
    // The same tone once more from 2 s, in phase with the first: the mix doubles.
    Place(doc, 3, tone, 2000.0, 1000.0);
    // A yellow slide in its region for the whole play, and a white strip
    // crawling to the left through the bottom region at 4 pixels a frame.
    const auto image = [&](const std::string& name, int w, int h, testing::Rgb colour) -> CSrc& {
      const std::string path = dir_.File(name);
      EXPECT_TRUE(testing::WriteImage(path, testing::ImageFormat::Png, w, h, colour));
      CSrc& source = doc.AddSource(path, 0.0, SourceFlags::VideoStream);
      source.frameWidth = w;
      source.frameHeight = h;
      source.modified = LastWriteText(ReadFileFacts(path)->lastWrite);
      return source;
    };
    CTrack& slides = doc.Track(4);
    slides.regionLeft = 100;
    slides.regionTop = 100;
    slides.regionWidth = 200;
    slides.regionHeight = 100;
    Place(doc, 4, image("slide.png", 200, 100, {255, 255, 0}), 0.0, 3000.0);
    CTrack& crawl = doc.Track(5);
    crawl.regionLeft = 0;
    crawl.regionTop = 480;
    crawl.regionWidth = 720;
    crawl.regionHeight = 60;
    crawl.direction = 0;  // to the left
    crawl.maxSpeed = 2.0;
    CSrc& strip = image("strip.png", 200, 60, {255, 255, 255});
    Place(doc, 5, strip, 0.0, crawl.DefaultClipDuration(strip, doc.doc.durations));
    doc.doc.times.rangeStart = 0.0;
    doc.doc.times.rangeStop = 3000.0;
    ASSERT_TRUE(SaveProjectFile(doc.doc, project));
  }

  const std::string out = dir_.File("out.avi");
  const CliRun run = RunCli({"render", project, out, "--quiet"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto media = testing::DecodeMediaFile(out);
  ASSERT_TRUE(media);
  EXPECT_EQ(media->videoCodec, "mjpeg");
  EXPECT_EQ(media->audioCodec, "pcm_s16le");
  ASSERT_EQ(media->frames.size(), 75u);
  const auto expect = [&](std::size_t frame, int r, int g, int b) {
    const auto colour = media->MeanColour(frame, 352, 300, 16);
    EXPECT_NEAR(colour.r, r, 12) << "frame " << frame;
    EXPECT_NEAR(colour.g, g, 12) << "frame " << frame;
    EXPECT_NEAR(colour.b, b, 12) << "frame " << frame;
  };
  expect(0, 255, 0, 0);
  expect(24, 255, 0, 0);
  expect(25, 0, 0, 255);
  expect(49, 0, 0, 255);
  expect(50, 0, 255, 0);
  expect(74, 0, 255, 0);

  // The slide covers its region over every picture.
  for (std::size_t frame : {0u, 30u, 74u}) {
    const auto slide = media->MeanColour(frame, 190, 140, 16);
    EXPECT_NEAR(slide.r, 255, 12) << "frame " << frame;
    EXPECT_NEAR(slide.g, 255, 12) << "frame " << frame;
    EXPECT_NEAR(slide.b, 0, 30) << "frame " << frame;
  }
  // At its clip's start the strip stands at the region's left edge (it came
  // in during its lead-in) and leaves it 4 pixels a frame: its right edge
  // goes from 199 to 0 over 50 frames.
  const auto stripRight = [&](std::size_t frame) {
    const auto& pixels = media->frames[frame];
    int right = -1;
    for (int x = 0; x < 720; ++x) {
      const std::size_t at = (static_cast<std::size_t>(510) * 720 + static_cast<std::size_t>(x)) * 3;
      if (pixels[at] > 200 && pixels[at + 1] > 200 && pixels[at + 2] > 200) right = x;
    }
    return right;
  };
  EXPECT_NEAR(stripRight(0), 199, 1);
  for (std::size_t frame = 1; frame < 49; ++frame) {
    EXPECT_NEAR(stripRight(frame), stripRight(frame - 1) - 4, 1) << "frame " << frame;
  }
  EXPECT_EQ(stripRight(50), -1);
  // Nothing of the strip outside its region.
  EXPECT_LT(media->MeanColour(10, 50, 460, 8).g, 60);

  // The sound lasts as long as the pictures, rises linearly over the first
  // second, stays at the file's level (a 440 Hz sine of 8000 / 32768) and
  // doubles where the second tone joins it, with the green picture.
  EXPECT_NEAR(static_cast<double>(media->audio.size() / 2), 3.0 * 48000, 1920.0);
  const double full = 8000.0 / 32768.0 / std::sqrt(2.0);
  EXPECT_LT(Rms(media->audio, 0.0, 0.05), 0.1 * full);
  EXPECT_NEAR(Rms(media->audio, 0.45, 0.55), 0.5 * full, 0.1 * full);
  EXPECT_NEAR(Rms(media->audio, 1.4, 1.9), full, 0.05 * full);
  EXPECT_NEAR(Rms(media->audio, 2.2, 2.8), 2.0 * full, 0.1 * full);
  double joined = 0.0;
  for (double t = 1.8; t < 2.2; t += 0.005) {
    if (Rms(media->audio, t, t + 0.005) > 1.5 * full) {
      joined = t;
      break;
    }
  }
  EXPECT_NEAR(joined, 2.0, 0.04) << "sound and picture out of step";
}

TEST_F(RenderCli, AHalfTransparentImageAboveAMovieIsLaidOverIt) {
  const std::string project = dir_.File("layers.vrp");
  {
    testing::TestDocument doc;
    HeadlessDocumentViews views;
    doc.doc.AttachViews(&views);
    // A blue movie on the lower video track for a second; above it a red
    // image at half opacity for its first 0.6 s.
    Place(doc, 1, Movie(doc, "blue.avi", {0, 0, 255}), 0.0, 1000.0);
    const std::string path = dir_.File("half.png");
    std::vector<std::uint8_t> rgba;
    for (int i = 0; i < 160 * 120; ++i) rgba.insert(rgba.end(), {255, 0, 0, 128});
    ASSERT_TRUE(testing::WriteImagePixels(path, testing::ImageFormat::Png, 160, 120, rgba, testing::ImageAlpha::Keep));
    CSrc& half = doc.AddSource(path, 0.0, SourceFlags::VideoStream);
    half.frameWidth = 160;
    half.frameHeight = 120;
    half.modified = LastWriteText(ReadFileFacts(path)->lastWrite);
    Place(doc, 0, half, 0.0, 600.0);
    doc.doc.times.rangeStart = 0.0;
    doc.doc.times.rangeStop = 1000.0;
    ASSERT_TRUE(SaveProjectFile(doc.doc, project));
  }
  const std::string out = dir_.File("out.avi");
  const CliRun run = RunCli({"render", project, out, "--quiet"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto media = testing::DecodeMediaFile(out);
  ASSERT_TRUE(media);
  ASSERT_EQ(media->frames.size(), 25u);
  const auto expect = [&](std::size_t frame, int r, int g, int b) {
    const auto colour = media->MeanColour(frame, 352, 280, 16);
    EXPECT_NEAR(colour.r, r, 12) << "frame " << frame;
    EXPECT_NEAR(colour.g, g, 12) << "frame " << frame;
    EXPECT_NEAR(colour.b, b, 12) << "frame " << frame;
  };
  // Red at 128 of 255 over blue, then the blue alone.
  expect(0, 128, 0, 127);
  expect(14, 128, 0, 127);
  expect(15, 0, 0, 255);
  expect(24, 0, 0, 255);
}

TEST_F(RenderCli, HalfTransparentVpxMoviesAboveAMovieAreLaidOverIt) {
  if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg program on PATH";
  // WebM keeps the alpha of VP8 and VP9 beside the pictures, where only
  // libvpx's decoders find it.
  const std::pair<const char*, const char*> movies[] = {
      {"vp9.webm", "-c:v libvpx-vp9 -pix_fmt yuva420p -crf 10 -b:v 0"},
      {"vp8.webm", "-c:v libvpx -pix_fmt yuva420p -auto-alt-ref 0 -crf 4 -b:v 2M"},
  };
  for (const auto& [name, encoding] : movies) {
    SCOPED_TRACE(name);
    const std::string project = dir_.File(std::string(name) + ".vrp");
    {
      testing::TestDocument doc;
      HeadlessDocumentViews views;
      doc.doc.AttachViews(&views);
      // A blue movie on a B track for a second; above it, on the alpha
      // track, red at half opacity for its first 0.6 s.
      doc.doc.timeline.AddTrackInKindOrder(std::make_unique<CTrack>(TrackTypes::VideoAlfa, 48));
      doc.doc.timeline.AddTrackInKindOrder(std::make_unique<CTrack>(TrackTypes::VideoB, 48));
      ASSERT_EQ(doc.Track(2).Kind(), TrackKind::VideoAlfa);
      ASSERT_EQ(doc.Track(3).Kind(), TrackKind::VideoB);
      Place(doc, 3, Movie(doc, "blue.avi", {0, 0, 255}), 0.0, 1000.0);
      const std::string path = dir_.File(name);
      const std::string command = "ffmpeg -nostdin -loglevel error -y -f lavfi -i "
                                  "'color=c=0xFF0000@0.5:s=160x120:r=25:d=0.6,format=argb' " +
                                  std::string(encoding) + " '" + path + "'";
      ASSERT_EQ(std::system(command.c_str()), 0);
      CSrc& half = doc.AddSource(path, 600.0, SourceFlags::MovieFile | SourceFlags::AlphaStream);
      half.frameWidth = 160;
      half.frameHeight = 120;
      half.modified = LastWriteText(ReadFileFacts(path)->lastWrite);
      Place(doc, 2, half, 0.0, 600.0);
      doc.doc.times.rangeStart = 0.0;
      doc.doc.times.rangeStop = 1000.0;
      ASSERT_TRUE(SaveProjectFile(doc.doc, project));
    }
    const std::string out = dir_.File(std::string(name) + ".avi");
    const CliRun run = RunCli({"render", project, out, "--quiet"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto media = testing::DecodeMediaFile(out);
    ASSERT_TRUE(media);
    ASSERT_EQ(media->frames.size(), 25u);
    const auto expect = [&](std::size_t frame, int r, int g, int b) {
      const auto colour = media->MeanColour(frame, 352, 280, 16);
      EXPECT_NEAR(colour.r, r, 12) << "frame " << frame;
      EXPECT_NEAR(colour.g, g, 12) << "frame " << frame;
      EXPECT_NEAR(colour.b, b, 12) << "frame " << frame;
    };
    expect(0, 128, 0, 127);
    expect(14, 128, 0, 127);
    expect(15, 0, 0, 255);
    expect(24, 0, 0, 255);
  }
}

TEST_F(RenderCli, PicturesKeepTheirShapeInTheNarrowPixelsOfPal) {
  const std::string project = dir_.File("shapes.vrp");
  {
    testing::TestDocument doc;
    HeadlessDocumentViews views;
    doc.doc.AttachViews(&views);
    // A wide square-pixel picture, then a PAL picture that says nothing of
    // its pixels.
    Place(doc, 0, Movie(doc, "wide.avi", {255, 0, 0}, 1280, 720), 0.0, 1000.0);
    Place(doc, 0, Movie(doc, "pal.avi", {0, 0, 255}), 1000.0, 1000.0);
    ASSERT_TRUE(SaveProjectFile(doc.doc, project));
  }
  const std::string out = dir_.File("out.avi");
  const CliRun run = RunCli({"render", project, out, "--quiet"});
  ASSERT_EQ(run.status, 0) << run.err;
  const auto media = testing::DecodeMediaFile(out);
  ASSERT_TRUE(media);
  ASSERT_EQ(media->frames.size(), 50u);
  const auto brightness = [&](std::size_t frame, int x, int y) {
    const auto colour = media->MeanColour(frame, x, y, 4);
    return colour.r + colour.g + colour.b;
  };
  // 16:9 shown in 4:3 with pixels 16:15 wide: 432 of 576 lines, bars of 72.
  EXPECT_LT(brightness(10, 360, 60), 40);
  EXPECT_GT(brightness(10, 360, 80), 200);
  EXPECT_GT(brightness(10, 360, 496), 200);
  EXPECT_LT(brightness(10, 360, 516), 40);
  // The PAL picture fills the frame: no bars at the sides.
  EXPECT_GT(brightness(35, 4, 288), 200);
  EXPECT_GT(brightness(35, 712, 288), 200);
}

TEST_F(RenderCli, BadOptionsAndProjectsFailOnStderr) {
  EXPECT_EQ(RunCli({"render", "only-one.vrp"}).status, 2);
  EXPECT_EQ(RunCli({"render", "a.vrp", "b.avi", "--format", "mov"}).status, 2);
  EXPECT_EQ(RunCli({"render", "a.vrp", "b.avi", "--range", "500:100"}).status, 2);
  const CliRun missing = RunCli({"render", dir_.File("none.vrp"), dir_.File("b.avi"), "--quiet"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("cannot be opened"), std::string::npos) << missing.err;
}

TEST_F(RenderCli, AnOutputThatIsAnInputIsRefusedAndLeftAlone) {
  const std::string project = RedProject(1);
  const std::string movie = dir_.File("red.avi");
  const auto movieBytes = FileBytes(movie);
  const auto projectBytes = FileBytes(project);
  fs::create_symlink(movie, dir_.File("movie-link.avi"));
  fs::create_hard_link(movie, dir_.File("movie-hard.avi"));
  fs::create_symlink(project, dir_.File("project-link.avi"));
  fs::create_directories(dir_.File("sub"));
  for (const std::string output : {movie, dir_.File("sub/../red.avi"), dir_.File("movie-link.avi"),
                                   dir_.File("movie-hard.avi"), project, dir_.File("project-link.avi")}) {
    const CliRun run = RunCli({"render", project, output, "--quiet"});
    EXPECT_EQ(run.status, 2) << output << ": " << run.err;
    EXPECT_NE(run.err.find("never writes over its own inputs"), std::string::npos) << run.err;
    EXPECT_EQ(FileBytes(movie), movieBytes) << output;
    EXPECT_EQ(FileBytes(project), projectBytes) << output;
    EXPECT_TRUE(fs::is_symlink(dir_.File("movie-link.avi")));
  }
  EXPECT_TRUE(TemporariesOf(dir_.Path(), "red.avi").empty());
  EXPECT_TRUE(TemporariesOf(dir_.Path(), "show.vrp").empty());

  // A file of the same name elsewhere is not an input.
  const CliRun elsewhere = RunCli({"render", project, dir_.File("sub/red.avi"), "--quiet"});
  EXPECT_EQ(elsewhere.status, 0) << elsewhere.err;
  EXPECT_TRUE(testing::DecodeMediaFile(dir_.File("sub/red.avi")));
}

TEST_F(RenderCli, AFailedRenderLeavesTheOldFileAndNoPartOfTheNewOne) {
  const std::string project = RedProject(2);
  const std::string out = dir_.WriteFile("out.avi", "the render of yesterday");
  const auto before = FileBytes(out);
  CliRun run;
  for (const std::string format : {"avi", "mp4"}) {
    {
      // Far less than two seconds of pictures and sound (the limit holds
      // for the tool's messages too, so they must fit).
      FileSizeLimit full(16 * 1024);
      run = RunCli({"render", project, out, "--quiet", "--format", format});
    }
    EXPECT_EQ(run.status, 1) << format << ": " << run.err;
    EXPECT_NE(run.err.find("File too large"), std::string::npos) << format << ": " << run.err;
    EXPECT_EQ(FileBytes(out), before) << format;
    EXPECT_TRUE(TemporariesOf(dir_.Path(), "out.avi").empty()) << format;
  }

  // Through a link to it, the same: the link stays a link.
  fs::create_symlink(out, dir_.File("latest.avi"));
  {
    FileSizeLimit full(64 * 1024);
    run = RunCli({"render", project, dir_.File("latest.avi"), "--quiet"});
  }
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(FileBytes(out), before);
  EXPECT_TRUE(TemporariesOf(dir_.Path(), "out.avi").empty());
  EXPECT_TRUE(TemporariesOf(dir_.Path(), "latest.avi").empty());

  // With room, the render replaces the file the link points to.
  run = RunCli({"render", project, dir_.File("latest.avi"), "--quiet"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::is_symlink(dir_.File("latest.avi")));
  const auto media = testing::DecodeMediaFile(out);
  ASSERT_TRUE(media);
  EXPECT_EQ(media->frames.size(), 50u);
  EXPECT_TRUE(TemporariesOf(dir_.Path(), "out.avi").empty());
}

TEST_F(RenderCli, AnInterruptedOrKilledRenderLeavesTheOldFile) {
  // A minute of pictures: long enough to be stopped half way.
  const std::string project = RedProject(60);
  const std::string out = dir_.WriteFile("out.avi", "the render of yesterday");
  const auto before = FileBytes(out);
  // Starts a render and waits until it is writing its file.
  const auto startAndWait = [&]() -> pid_t {
    const pid_t child = StartCli({"render", project, out, "--quiet"});
    EXPECT_GT(child, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
      if (FileBytes(out) != before) break;  // writing over the old file
      const auto temporaries = TemporariesOf(dir_.Path(), "out.avi");
      std::error_code gone;  // the temporary may be renamed away meanwhile
      if (!temporaries.empty() && fs::file_size(dir_.Path() / temporaries.front(), gone) > 100'000 && !gone) break;
      if (waitpid(child, nullptr, WNOHANG) == child) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return child;
  };

  for (const int signal : {SIGTERM, SIGINT}) {
    const pid_t child = startAndWait();
    ASSERT_GT(child, 0) << "the render ended before it could be stopped";
    kill(child, signal);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << "signal " << signal;
    EXPECT_EQ(FileBytes(out), before) << "signal " << signal;
    EXPECT_TRUE(TemporariesOf(dir_.Path(), "out.avi").empty()) << "signal " << signal;
  }

  const pid_t child = startAndWait();
  ASSERT_GT(child, 0) << "the render ended before it could be stopped";
  kill(child, SIGKILL);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  EXPECT_EQ(FileBytes(out), before);
  // The next render to the same file clears what the killed one left.
  const CliRun next = RunCli({"render", project, out, "--quiet", "--range", "0:400"});
  ASSERT_EQ(next.status, 0) << next.err;
  EXPECT_TRUE(TemporariesOf(dir_.Path(), "out.avi").empty());
  const auto media = testing::DecodeMediaFile(out);
  ASSERT_TRUE(media);
  EXPECT_EQ(media->frames.size(), 10u);
}

// The render's JSON, parsed; null when the render failed.
nlohmann::json RenderJson(const CliRun& run) {
  if (run.status != 0) return nullptr;
  return nlohmann::json::parse(run.out, nullptr, false);
}

bool IsBlack(const testing::DecodedMedia& media, std::size_t frame) {
  const auto colour = media.MeanColour(frame, 352, 280, 32);
  return colour.r < 20 && colour.g < 20 && colour.b < 20;
}

bool IsRed(const testing::DecodedMedia& media, std::size_t frame) {
  const auto colour = media.MeanColour(frame, 352, 280, 32);
  return colour.r > 230 && colour.g < 20 && colour.b < 20;
}

TEST_F(RenderCli, TheWholeProjectIsRenderedWhereverTheTimeMarkWasLeft) {
  // Inside the last clip, and at the end, where a play of it leaves the mark.
  for (const double mark : {2500.0, 3000.0}) {
    const std::string project = RedProject(3, [&](ProjectTimes& times) {
      times.rangeStart = times.rangeStop = 0.0;
      times.timeMark = mark;
    });
    const std::string out = dir_.File("out.avi");
    const CliRun run = RunCli({"render", project, out, "--quiet"});
    const nlohmann::json json = RenderJson(run);
    ASSERT_TRUE(json.is_object()) << "mark " << mark << ": " << run.err;
    EXPECT_EQ(json["from"], 0.0) << mark;
    EXPECT_EQ(json["to"], 3000.0) << mark;
    EXPECT_EQ(json["frames"], 75) << mark;
    const auto media = testing::DecodeMediaFile(out);
    ASSERT_TRUE(media);
    ASSERT_EQ(media->frames.size(), 75u);
    EXPECT_TRUE(IsRed(*media, 0));
    EXPECT_TRUE(IsRed(*media, 74));
  }
}

TEST_F(RenderCli, TheProjectsRangeIsRenderedWholeWhateverTheTimeMark) {
  const std::string project = RedProject(3, [](ProjectTimes& times) {
    times.rangeStart = 1000.0;
    times.rangeStop = 2000.0;
    times.timeMark = 1500.0;
  });
  const CliRun run = RunCli({"render", project, dir_.File("out.avi"), "--quiet"});
  const nlohmann::json json = RenderJson(run);
  ASSERT_TRUE(json.is_object()) << run.err;
  EXPECT_EQ(json["from"], 1000.0);
  EXPECT_EQ(json["to"], 2000.0);
  EXPECT_EQ(json["frames"], 25);
}

TEST_F(RenderCli, ARangeGivenRunsIntoBlackButStopsAtTheProjectSize) {
  const std::string project = RedProject(2, [](ProjectTimes& times) { times.projectSize = 3000.0; });
  const std::string out = dir_.File("out.avi");
  const CliRun run = RunCli({"render", project, out, "--quiet", "--range", "1000:10000"});
  const nlohmann::json json = RenderJson(run);
  ASSERT_TRUE(json.is_object()) << run.err;
  EXPECT_EQ(json["from"], 1000.0);
  EXPECT_EQ(json["to"], 3000.0);
  const auto media = testing::DecodeMediaFile(out);
  ASSERT_TRUE(media);
  ASSERT_EQ(media->frames.size(), 50u);
  EXPECT_TRUE(IsRed(*media, 24));
  EXPECT_TRUE(IsBlack(*media, 25));
  EXPECT_TRUE(IsBlack(*media, 49));

  // Wholly past the last clip but inside the project: black.
  const CliRun black = RunCli({"render", project, out, "--quiet", "--range", "2200:2600"});
  ASSERT_EQ(black.status, 0) << black.err;
  const auto blackMedia = testing::DecodeMediaFile(out);
  ASSERT_TRUE(blackMedia);
  ASSERT_EQ(blackMedia->frames.size(), 10u);
  EXPECT_TRUE(IsBlack(*blackMedia, 0));
  EXPECT_TRUE(IsBlack(*blackMedia, 9));
}

TEST_F(RenderCli, ARangeShorterThanAFrameIsRefused) {
  const std::string project = RedProject(2, [](ProjectTimes& times) { times.projectSize = 3000.0; });
  const std::string out = dir_.File("out.avi");
  // Too short as given, and too short once cut at the project's size.
  for (const std::string range : {"0:20", "1000:1039", "2990:5000", "5000:9000"}) {
    const CliRun run = RunCli({"render", project, out, "--quiet", "--range", range});
    EXPECT_EQ(run.status, 2) << range << ": " << run.err;
    EXPECT_NE(run.err.find("shorter than one frame"), std::string::npos) << range << ": " << run.err;
    EXPECT_FALSE(fs::exists(out)) << range;
  }
  // The project's own range, too short: the project is at fault, not the command line.
  const std::string shortRange = RedProject(2, [](ProjectTimes& times) {
    times.rangeStart = 1000.0;
    times.rangeStop = 1010.0;
  });
  const CliRun run = RunCli({"render", shortRange, out, "--quiet"});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("shorter than one frame"), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(RenderCli, OfflineOrUnreadableSourcesStopTheRenderUnlessAllowed) {
  const std::string project = RedProject(2);
  const std::string out = dir_.File("out.avi");
  const std::string movie = dir_.File("red.avi");
  const std::string tone = dir_.File("tone.wav");
  fs::rename(movie, dir_.File("away.avi"));
  fs::rename(tone, dir_.File("away.wav"));
  CliRun run = RunCli({"render", project, out, "--quiet"});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("offline source (file not found), cannot be rendered: " + movie), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("offline source (file not found), cannot be rendered: " + tone), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(out));

  // Allowed, they are black and silence, and still named.
  run = RunCli({"render", project, out, "--quiet", "--allow-offline"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("rendered as black and silence: " + movie), std::string::npos) << run.err;
  auto media = testing::DecodeMediaFile(out);
  ASSERT_TRUE(media);
  ASSERT_EQ(media->frames.size(), 50u);
  EXPECT_TRUE(IsBlack(*media, 0));
  EXPECT_TRUE(IsBlack(*media, 49));
  EXPECT_LT(Rms(media->audio, 0.0, 2.0), 1e-4);
  fs::remove(out);

  // A movie there but not readable as one.
  fs::rename(dir_.File("away.wav"), tone);
  dir_.WriteFile("red.avi", std::string(4096, 'x'));
  run = RunCli({"render", project, out, "--quiet"});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find(movie), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find(tone), std::string::npos) << run.err;
  EXPECT_FALSE(fs::exists(out));
  run = RunCli({"render", project, out, "--quiet", "--allow-offline"});
  ASSERT_EQ(run.status, 0) << run.err;
  media = testing::DecodeMediaFile(out);
  ASSERT_TRUE(media);
  ASSERT_EQ(media->frames.size(), 50u);
  EXPECT_TRUE(IsBlack(*media, 10));
  EXPECT_GT(Rms(media->audio, 0.2, 1.8), 0.1);  // the tone is back
}

TEST_F(RenderCli, FFmpegsOwnLogLinesOnlyWithVerbose) {
  const std::string project = RedProject(1);
  const std::string out = dir_.File("out.mp4");
  const CliRun quiet = RunCli({"render", project, out, "--quiet", "--format", "mp4"});
  EXPECT_EQ(quiet.status, 0) << quiet.err;
  EXPECT_EQ(quiet.err, "");
  // FFmpeg's lines name the part that speaks, as "[libx264 @ 0x...]": there
  // is something to keep quiet.
  const CliRun verbose = RunCli({"render", project, out, "--quiet", "--format", "mp4", "--verbose"});
  EXPECT_EQ(verbose.status, 0) << verbose.err;
  EXPECT_NE(verbose.err.find(" @ 0x"), std::string::npos) << verbose.err;
}

TEST_F(RenderCli, RangesBeyondADayOrWithoutNumbersAreRefused) {
  for (const char* range : {"0:inf", "0:1e300", "nan:100", "0:86400001"}) {
    EXPECT_EQ(RunCli({"render", "a.vrp", "b.avi", "--range", range}).status, 2) << range;
  }
}

}  // namespace
}  // namespace vantorelle
