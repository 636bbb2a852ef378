// Making sources from files and finding stored sources again, against the
// recording fake board so every component answer can be chosen.
#include "playback/source_reading.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <utime.h>

#include "model/file_facts.h"
#include "model/file_in_work.h"
#include "support/fake_board.h"
#include "support/scripted_user_interface.h"
#include "support/temp_dir.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;
using testing::FakeComponentFactory;
using testing::FakeMovie;
using testing::ScriptedUserInterface;
using testing::TempDir;

class SourceReadingTest : public ::testing::Test {
 protected:
  SourceReadingTest() { images_.AddFilter("Images(*.bmp;*.jpg)|*.bmp;*.jpg|"); }

  SourceReadContext Context(FrameSizeRule rule = {}) {
    return SourceReadContext{MediaReadContext{factory_, ui_, rule}, images_, nullptr};
  }

  // A file on disk that the fake board knows as the given movie.
  std::string Movie(const std::string& name, FakeMovie movie) {
    const std::string path = dir_.WriteFile(name, std::string(2048, 'm'));
    factory_.Config().movies[path] = movie;
    return path;
  }

  static void SetModificationTime(const std::string& path, std::time_t when) {
    utimbuf times{when, when};
    ASSERT_EQ(utime(path.c_str(), &times), 0);
  }

  TempDir dir_;
  FakeComponentFactory factory_;
  ScriptedUserInterface ui_;
  StillImageExtensions images_;
};

TEST_F(SourceReadingTest, MovieFileGetsStreamsDurationAndFrameSize) {
  FakeMovie movie;
  movie.streamFlags = KlpStream::JpegVideo | KlpStream::Audio;
  movie.videoDurationS = 4.0;
  movie.audioDurationS = 5.0;
  const std::string path = Movie("clip.AVI", movie);
  SetModificationTime(path, 1796459400);

  const auto source = MakeSourceFromFile(Context(), path);
  ASSERT_TRUE(source);
  EXPECT_EQ(source->name, "clip.AVI");
  EXPECT_EQ(source->path, path);
  EXPECT_EQ(source->flags, SourceFlags::MovieFile | SourceFlags::VideoStream | SourceFlags::AudioStream);
  EXPECT_EQ(source->duration, 4000.0);  // the picture's length when there is a picture
  EXPECT_EQ(source->frameWidth, 720);
  EXPECT_EQ(source->frameHeight, 576);
  EXPECT_EQ(source->size, 2048u);
  EXPECT_EQ(source->modified, "05/12/2026 08:30:00");
  EXPECT_EQ(source->icon, SourceIcon::Movie);
  EXPECT_EQ(source->usageCount, 0);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SourceReadingTest, ARelativePathBecomesTheFullPathOfTheFile) {
  FakeMovie movie;
  movie.streamFlags = KlpStream::Audio;
  movie.audioDurationS = 1.0;
  const std::string path = Movie("voice.wav", movie);
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(std::filesystem::path(path).parent_path().parent_path());
  const std::string relative =
      (std::filesystem::path(path).parent_path().filename() / "." / "voice.wav").string();
  const auto source = MakeSourceFromFile(Context(), relative);
  std::filesystem::current_path(before);
  ASSERT_TRUE(source);
  EXPECT_EQ(source->path, path) << "a path relative to the working folder would be lost once the tool ends";
  EXPECT_EQ(source->name, "voice.wav");
}

TEST_F(SourceReadingTest, StreamKindsMapOntoSourceFlags) {
  FakeMovie sound;
  sound.streamFlags = KlpStream::Audio;
  sound.width = 0;
  sound.height = 0;
  sound.videoDurationS = 0;
  sound.audioDurationS = 2.5;
  const auto wav = MakeSourceFromFile(Context({true, {720, 576}}), Movie("voice.Wav", sound));
  ASSERT_TRUE(wav) << "a sound-only file has no frame size to check";
  EXPECT_EQ(wav->flags, SourceFlags::MovieFile | SourceFlags::AudioStream);
  EXPECT_EQ(wav->duration, 2500.0);
  EXPECT_EQ(wav->icon, SourceIcon::Sound);

  FakeMovie alpha;
  alpha.streamFlags = KlpStream::AlphaVideo;
  const auto key = MakeSourceFromFile(Context(), Movie("key.avi", alpha));
  ASSERT_TRUE(key);
  EXPECT_EQ(key->flags, SourceFlags::MovieFile | SourceFlags::AlphaStream);

  FakeMovie nothing;
  nothing.streamFlags = 0x4 | 0x100;  // kinds the editor does not know
  const std::string odd = Movie("odd.avi", nothing);
  EXPECT_FALSE(MakeSourceFromFile(Context(), odd));
  ASSERT_EQ(ui_.messages.size(), 1u) << "a refusal is never silent";
  EXPECT_EQ(ui_.messages[0].text, "Can't use the file " + odd + ":\nno picture or sound stream.");
}

// Whatever its name, a file that is no still image is the movie component's
// to open; a missing file is left to the caller.
TEST_F(SourceReadingTest, AFileOfAnyNameIsOfferedToTheMovieComponent) {
  const std::string phone = Movie("phone.MP4", FakeMovie{});
  const std::string nameless = Movie("noextension", FakeMovie{});
  EXPECT_TRUE(MakeSourceFromFile(Context(), phone));
  EXPECT_TRUE(MakeSourceFromFile(Context(), nameless));
  EXPECT_EQ(factory_.CountCalls("IKlpPlayMovie::OpenFile(" + phone + ")"), 1);
  EXPECT_EQ(factory_.CountCalls("IKlpPlayMovie::OpenFile(" + nameless + ")"), 1);

  factory_.ClearCalls();
  EXPECT_FALSE(MakeSourceFromFile(Context(), dir_.File("gone.avi")));
  EXPECT_EQ(factory_.Calls().size(), 0u);
  EXPECT_TRUE(ui_.messages.empty());

  // The component's refusal of what it cannot read comes with the reason.
  factory_.Config().results["IKlpPlayMovie::OpenFile"] = KlpBadFormat;
  const std::string notes = dir_.WriteFile("notes.txt", "Shopping list: film, tape.\n");
  EXPECT_FALSE(MakeSourceFromFile(Context(), notes));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Can't use the file " + notes + ":\nno picture or sound stream.");
  EXPECT_EQ(ui_.messages[0].caption, "Vantorelle");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Warning);
}

TEST_F(SourceReadingTest, StillImageOnlyWhenTheImageComponentListsItsExtension) {
  const std::string jpg = dir_.WriteFile("picture.JPG", "jpegbytes");
  factory_.Config().images[jpg] = {640, 360};
  const auto image = MakeSourceFromFile(Context(), jpg);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->flags, SourceFlags::VideoStream);
  EXPECT_EQ(image->duration, 0.0);
  EXPECT_EQ(image->frameWidth, 640);
  EXPECT_EQ(image->frameHeight, 360);
  EXPECT_EQ(image->icon, SourceIcon::Image);

  const std::string png = dir_.WriteFile("picture.png", "pngbytes");
  factory_.Config().images[png] = {10, 10};
  EXPECT_FALSE(MakeSourceFromFile(Context(), png)) << "png is not in this component's filter";
  EXPECT_EQ(factory_.CountCalls("IKlpPlayTitleImage::LoadFromFile(" + png), 0);
  EXPECT_EQ(factory_.CountCalls("IKlpPlayMovie::OpenFile(" + png + ")"), 1) << "it may still be a movie";

  StillImageExtensions none;
  SourceReadContext noImages{MediaReadContext{factory_, ui_, {}}, none, nullptr};
  EXPECT_FALSE(MakeSourceFromFile(noImages, jpg));
  EXPECT_EQ(factory_.CountCalls("IKlpPlayTitleImage::LoadFromFile(" + jpg), 1);
}

// The board fits every picture into the output frame.
TEST_F(SourceReadingTest, MoviePicturesOfAnyFrameSizeJoinAProjectThatHoldsAnother) {
  FakeMovie small;
  small.width = 352;
  small.height = 288;
  const std::string path = Movie("small.avi", small);
  const auto source = MakeSourceFromFile(Context({true, {720, 576}}), path);
  ASSERT_TRUE(source);
  EXPECT_EQ(source->frameWidth, 352);
  EXPECT_EQ(source->frameHeight, 288);
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(SourceReadingTest, ComponentFailuresAreReportedWithTheirStep) {
  const std::string path = Movie("clip.avi", FakeMovie{});
  factory_.Config().results["IKlpPlayMovie::OpenFile"] = KlpFail;
  EXPECT_FALSE(MakeSourceFromFile(Context(), path));
  factory_.Config().results = {{"IKlpPlayMovie::GetMovieInfo", KlpFail}};
  EXPECT_FALSE(MakeSourceFromFile(Context(), path));
  factory_.Config().results = {{"Create:IKlpPlayMovie", KlpClassNotRegistered}};
  EXPECT_FALSE(MakeSourceFromFile(Context(), path));

  const std::string jpg = dir_.WriteFile("p.jpg", "x");
  factory_.Config().images[jpg] = {};
  factory_.Config().results = {{"IKlpPlayTitleImage::LoadFromFile", KlpFail}};
  EXPECT_FALSE(MakeSourceFromFile(Context(), jpg));
  factory_.Config().results = {{"IKlpPlayTitleImage::GetImageInfo", KlpFail}};
  EXPECT_FALSE(MakeSourceFromFile(Context(), jpg));

  std::vector<std::string> captions;
  for (const auto& message : ui_.messages) captions.push_back(message.caption);
  EXPECT_THAT(captions, ElementsAre("Error -- OpenFile failed", "Error -- GetMovieInfo failed",
                                    "Error -- CoCreateInstance failed", "Error -- Load file failed",
                                    "Error -- Getting image info failed"));
}

TEST_F(SourceReadingTest, CheckFindsRelativeStoredPathsBelowTheProjectDirectory) {
  const std::string path = Movie("media/a.avi", FakeMovie{});
  const auto facts = ReadFileFacts(path);
  CSrc stored("", "a.avi");
  stored.storedPath = "media\\a.avi";
  stored.modified = LastWriteText(facts->lastWrite);
  stored.flags = SourceFlags::MovieFile | SourceFlags::VideoStream | SourceFlags::AudioStream;

  EXPECT_EQ(CheckSourceAgainstDisk(Context(), stored, dir_.Path().string()), DiskCheck::Found);
  EXPECT_EQ(stored.path, path);
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(factory_.Calls().size(), 0u) << "an unchanged file is not read again";

  CSrc windows("", "a.avi");
  windows.storedPath = "E:\\media\\a.avi";
  EXPECT_EQ(CheckSourceAgainstDisk(Context(), windows, dir_.Path().string()), DiskCheck::Missing);
  CSrc gone("", "b.avi");
  gone.storedPath = "media/b.avi";
  EXPECT_EQ(CheckSourceAgainstDisk(Context(), gone, dir_.Path().string()), DiskCheck::Missing);
}

TEST_F(SourceReadingTest, ChangedFileIsReportedAndReadAgain) {
  FakeMovie movie;
  movie.videoDurationS = 10.001;  // one millisecond longer than stored
  const std::string path = Movie("a.avi", movie);
  CSrc stored("", "a.avi");
  stored.storedPath = path;
  stored.modified = "01/01/2020 00:00:00";
  stored.flags = SourceFlags::MovieFile | SourceFlags::VideoStream | SourceFlags::AudioStream;
  stored.duration = 10'000.0;
  stored.frameWidth = 720;
  stored.frameHeight = 576;
  stored.usageCount = 2;

  EXPECT_EQ(CheckSourceAgainstDisk(Context(), stored, "/elsewhere"), DiskCheck::Found);
  EXPECT_THAT(ui_.MessageTexts(),
              ElementsAre("Source file " + path + " \n was modified.",
                          "Source file " + path + " \n has different parameters."));
  EXPECT_EQ(ui_.messages[0].caption, "Load Clip Collection");
  EXPECT_EQ(ui_.messages[1].caption, "Load Clip Collection");
  EXPECT_NEAR(stored.duration, 10'001.0, 1e-6);
  EXPECT_EQ(stored.modified, LastWriteText(ReadFileFacts(path)->lastWrite));
  EXPECT_EQ(stored.size, 2048u);
  EXPECT_EQ(stored.usageCount, 2) << "clips keep using the source";
}

TEST_F(SourceReadingTest, RereadThatFailsLeavesTheSourceAsItWas) {
  const std::string path = Movie("a.avi", FakeMovie{});
  factory_.Config().results["IKlpPlayMovie::OpenFile"] = KlpFail;
  CSrc stored("/old/a.avi", "a.avi");
  stored.storedPath = path;
  stored.modified = "01/01/2020 00:00:00";
  stored.duration = 1234.0;
  EXPECT_EQ(CheckSourceAgainstDisk(Context(), stored, "/"), DiskCheck::RereadFailed);
  EXPECT_EQ(stored.duration, 1234.0);
  EXPECT_EQ(stored.modified, "01/01/2020 00:00:00");

  EXPECT_FALSE(RereadSource(Context(), stored, dir_.File("missing.avi")));
  EXPECT_EQ(stored.duration, 1234.0);
}

TEST_F(SourceReadingTest, RereadWithSameParametersIsQuietAndTakesTheNewPath) {
  const std::string path = Movie("moved/a.avi", FakeMovie{});
  CSrc stored("/old/a.avi", "a.avi");
  stored.flags = SourceFlags::MovieFile | SourceFlags::VideoStream | SourceFlags::AudioStream;
  stored.duration = 10'000.0;
  stored.frameWidth = 720;
  stored.frameHeight = 576;
  ASSERT_TRUE(RereadSource(Context(), stored, path));
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(stored.path, path);
  EXPECT_EQ(stored.name, "a.avi");
}

TEST_F(SourceReadingTest, SourcesMadeFromFilesAreGuardedByTheWorkerBuffer) {
  FileInWork buffer;
  SourceReadContext context = Context();
  context.fileInWork = &buffer;
  const auto source = MakeSourceFromFile(context, Movie("a.avi", FakeMovie{}));
  ASSERT_TRUE(source);
  EXPECT_EQ(source->Guard(), &buffer);
}

}  // namespace
}  // namespace vantorelle
