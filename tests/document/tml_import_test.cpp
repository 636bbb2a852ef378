// Reading Velmo timeline projects and importing their clip items into the
// clip clipboard, with project files written field by field and media files
// that the fake board knows as movies.
#include "document/tml_import.h"

#include <algorithm>
#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "document/tml_reader.h"
#include "support/document_fixture.h"
#include "support/hostile_files.h"
#include "support/temp_dir.h"
#include "support/tml_builder.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::FakeImage;
using testing::FakeMovie;
using testing::TempDir;
using testing::TestDocument;
using testing::TmlBuilder;
using testing::TmlBytes;
using testing::TmlChunk;
using testing::TmlChunkWithSize;
using testing::TmlI32;
using testing::TmlItemBuilder;
using testing::TmlText;

constexpr const char* kTmlPath = "/media/show/project.tml";

TmlReadResult Read(const TmlBuilder& file) { return ReadTimelineProjectBytes(file.Bytes(), kTmlPath); }

TmlItem OnlyItem(const TmlBuilder& file) {
  const TmlReadResult read = Read(file);
  EXPECT_EQ(read.status, TmlStatus::Ok);
  EXPECT_EQ(read.project.items.size(), 1u);
  return read.project.items.empty() ? TmlItem{} : read.project.items.front();
}

// --- Reading ---------------------------------------------------------------

TEST(TmlReaderTest, ItemFieldsMakeTheItem) {
  TmlItemBuilder item;
  item.Name("Opening").Start(1000).Stop(5000).InPoint(200).OutPoint(999).PictureFile("/m/a.avi").PictureSlot(2)
      .SoundFile("/M/A.AVI").SoundSlot(3).Level(300).I32Field(457, 2500).I32Field(466, 7).I32Field(467, 0);
  const TmlItem read = OnlyItem(TmlBuilder().Item(item));
  EXPECT_EQ(read.name, "Opening");
  EXPECT_EQ(read.filePath, "/m/a.avi");
  EXPECT_EQ(read.start, 1000);
  EXPECT_EQ(read.stop, 5000);
  EXPECT_EQ(read.inPoint, 200);
  EXPECT_EQ(read.outPoint, 4200);  // computed: stop − start + in point
  EXPECT_EQ(read.pictureSlot, 2);
  EXPECT_EQ(read.soundSlot, 3);
  EXPECT_TRUE(read.pictureFile);
  EXPECT_TRUE(read.soundFile);  // the same file in another case
  EXPECT_EQ(read.level, 300);   // channel and master at 512
  EXPECT_DOUBLE_EQ(read.value457, 2.5);
  EXPECT_EQ(read.itemFlags, 0x1u);
}

TEST(TmlReaderTest, MissingSlotsBecomeZeroAndSidesWithoutFileMinusOne) {
  const TmlItem picture = OnlyItem(TmlBuilder().Item(TmlItemBuilder().Start(0).Stop(100).PictureFile("/a.avi")
                                                          .SoundSlot(4).PictureSlot(-7)));
  EXPECT_EQ(picture.pictureSlot, 0);
  EXPECT_EQ(picture.soundSlot, -1);
  EXPECT_EQ(picture.level, 0);  // no sound slot, no level
  const TmlItem sound = OnlyItem(TmlBuilder().Item(TmlItemBuilder().Start(0).Stop(100).SoundFile("/a.wav")));
  EXPECT_EQ(sound.pictureSlot, -1);
  EXPECT_EQ(sound.soundSlot, 0);
  EXPECT_EQ(sound.level, 512);
}

TEST(TmlReaderTest, ItemsThatMakeNoClipsAreKeptUnusable) {
  const auto read = Read(TmlBuilder()
                             .Item(TmlItemBuilder().Movie("/a.avi", 0, 19, 0, 0))      // shorter than 20 ms
                             .Item(TmlItemBuilder().Movie("/a.avi", 100, 50, 0, 0))    // stop before start
                             .Item(TmlItemBuilder().Start(0).Stop(1000).PictureSlot(1))  // no file
                             .Item(TmlItemBuilder().Movie("/a.avi", 0, 1000, 32, 0))   // no such picture slot
                             .Item(TmlItemBuilder().Movie("/a.avi", 0, 1000, 0, 40))   // no such sound channel
                             .Item(TmlItemBuilder().Movie("/a.avi", 0, 20, 0, 0)));
  ASSERT_EQ(read.status, TmlStatus::Ok);
  ASSERT_EQ(read.project.items.size(), 6u);
  int usable = 0;
  for (const TmlItem& item : read.project.items) usable += item.Usable() ? 1 : 0;
  EXPECT_EQ(usable, 1);  // only the 20 ms item
}

TEST(TmlReaderTest, RelativePathsLieBelowTheProjectFolder) {
  auto path = [](const std::string& stored) {
    return OnlyItem(TmlBuilder().Item(TmlItemBuilder().Start(0).Stop(100).PictureFile(stored))).filePath;
  };
  EXPECT_EQ(path("clip.avi"), "/media/show/clip.avi");
  EXPECT_EQ(path("media\\takes\\clip.avi"), "/media/show/media/takes/clip.avi");
  EXPECT_EQ(path("/elsewhere/clip.avi"), "/elsewhere/clip.avi");
  EXPECT_EQ(path("C:\\Velmo\\clip.avi"), "C:\\Velmo\\clip.avi");
  EXPECT_EQ(path("\\\\server\\share\\clip.avi"), "\\\\server\\share\\clip.avi");
  const std::string longName(255, 'n');
  EXPECT_EQ(path(longName), ("/media/show/" + longName).substr(0, 260));
}

TEST(TmlReaderTest, AnItemKeepsOneFile) {
  const TmlItem pictureFirst =
      OnlyItem(TmlBuilder().Item(TmlItemBuilder().Start(0).Stop(100).PictureFile("/a.avi").SoundFile("/b.wav")));
  EXPECT_EQ(pictureFirst.filePath, "/a.avi");
  EXPECT_TRUE(pictureFirst.pictureFile);
  EXPECT_FALSE(pictureFirst.soundFile);
  EXPECT_EQ(pictureFirst.soundSlot, -1);

  const TmlItem soundFirst =
      OnlyItem(TmlBuilder().Item(TmlItemBuilder().Start(0).Stop(100).SoundFile("/b.wav").PictureFile("/a.avi")));
  EXPECT_EQ(soundFirst.filePath, "/a.avi");  // the picture file takes over and drops the sound
  EXPECT_TRUE(soundFirst.pictureFile);
  EXPECT_FALSE(soundFirst.soundFile);

  const TmlItem same =
      OnlyItem(TmlBuilder().Item(TmlItemBuilder().Start(0).Stop(100).SoundFile("/a.avi").PictureFile("/A.avi")));
  EXPECT_TRUE(same.pictureFile);
  EXPECT_TRUE(same.soundFile);
}

TEST(TmlReaderTest, EnvelopeGivesFadesAndLevel) {
  TmlItemBuilder item;
  item.Movie("/a.avi", 10000, 15000, -1, 0).Level(256).Envelope({{0, 0}, {500, 1024}, {4500, 1024}, {5000, 0}});
  const TmlItem read = OnlyItem(TmlBuilder().Item(item));
  EXPECT_EQ(read.fadeIn, 500);
  EXPECT_EQ(read.fadeOut, 500);
  EXPECT_EQ(read.level, 512);  // the plateau 1024 × 256 ÷ 512
}

TEST(TmlReaderTest, EnvelopeIsSearchedBetweenInAndOutPoint) {
  // In point 1000, out point 3000: the rise at 1500 and the fall from 2800.
  TmlItemBuilder item;
  item.Movie("/a.avi", 0, 2000, -1, 0).InPoint(1000).Envelope(
      {{0, 0}, {900, 0}, {1500, 512}, {2800, 512}, {3500, 0}, {4000, 0}});
  const TmlItem read = OnlyItem(TmlBuilder().Item(item));
  EXPECT_EQ(read.fadeIn, 500);
  EXPECT_EQ(read.fadeOut, 200);
  EXPECT_EQ(read.level, 512);
}

TEST(TmlReaderTest, FlatEnvelopeHasNoFades) {
  TmlItemBuilder item;
  item.Movie("/a.avi", 0, 2000, -1, 0).Envelope({{0, 256}, {2000, 256}});
  const TmlItem read = OnlyItem(TmlBuilder().Item(item));
  EXPECT_EQ(read.fadeIn, 0);
  EXPECT_EQ(read.fadeOut, 0);
  EXPECT_EQ(read.level, 256);
}

TEST(TmlReaderTest, EnvelopesOfTooFewOrTooManyPointsAreIgnored) {
  std::vector<std::pair<std::int32_t, std::int32_t>> many(1000, {100, 100});
  for (const auto& points : {std::vector<std::pair<std::int32_t, std::int32_t>>{{0, 100}}, many}) {
    TmlItemBuilder item;
    item.Movie("/a.avi", 0, 2000, -1, 0).Envelope(points);
    const TmlItem read = OnlyItem(TmlBuilder().Item(item));
    EXPECT_EQ(read.level, 512);
    EXPECT_EQ(read.fadeIn, 0);
  }
  // Without a sound slot the envelope does nothing either.
  TmlItemBuilder picture;
  picture.Movie("/a.avi", 0, 2000, 0, -1).Envelope({{0, 0}, {500, 1024}, {2000, 1024}});
  EXPECT_EQ(OnlyItem(TmlBuilder().Item(picture)).fadeIn, 0);
}

TEST(TmlReaderTest, ChannelAndMasterLevelsScaleTheItemLevel) {
  const auto read = Read(TmlBuilder()
                             .ChannelLevels({512, 256, 1024})
                             .MasterLevel(1024)
                             .Item(TmlItemBuilder().Movie("/a.wav", 0, 100, -1, 1).Level(512))
                             .Item(TmlItemBuilder().Movie("/a.wav", 200, 300, -1, 2).Level(100))
                             .Item(TmlItemBuilder().Movie("/a.wav", 400, 500, -1, 9).Level(512)));
  ASSERT_EQ(read.project.items.size(), 3u);
  EXPECT_EQ(read.project.items[0].level, 512);  // 256 × 512 × 1024 ÷ 262144
  EXPECT_EQ(read.project.items[1].level, 400);  // 1024 × 100 × 1024 ÷ 262144
  EXPECT_EQ(read.project.items[2].level, 1024);  // channel 9 keeps 512
}

TEST(TmlReaderTest, LevelChunksOfOtherSizes) {
  TmlBytes longTable;
  for (int i = 0; i < 40; ++i) {
    const TmlBytes value = TmlI32(1000 + i);
    longTable.insert(longTable.end(), value.begin(), value.end());
  }
  const auto read = Read(TmlBuilder()
                             .SubChunk(124, longTable)            // only the first 32 values
                             .SubChunk(128, TmlBytes(5, 0x11))    // skipped
                             .Item(TmlItemBuilder().Movie("/a.wav", 0, 100, -1, 31)));
  ASSERT_EQ(read.status, TmlStatus::Ok);
  EXPECT_EQ(read.project.channelLevels[31], 1031u);
  EXPECT_EQ(read.project.masterLevel, 512u);
  const auto huge = Read(TmlBuilder().ChannelLevels({0xFFFFFFFF}).MasterLevel(0xFFFFFFFF).Item(
      TmlItemBuilder().Movie("/a.wav", 0, 100, -1, 0).Level(2048)));
  EXPECT_EQ(huge.project.items.at(0).level, 2147483647);  // held to the largest level, not wrapped
}

TEST(TmlReaderTest, ItemsAreKeptInStartOrderLaterTiesFirst) {
  const auto read = Read(TmlBuilder()
                             .Item(TmlItemBuilder().Name("c").Movie("/a.avi", 3000, 4000, 0, -1))
                             .Item(TmlItemBuilder().Name("a").Movie("/a.avi", 1000, 2000, 0, -1))
                             .Item(TmlItemBuilder().Name("d").Movie("/a.avi", 2000, 3000, 0, -1))
                             .Item(TmlItemBuilder().Name("b").Movie("/a.avi", 1000, 2000, 0, -1)));
  std::vector<std::string> names;
  for (const TmlItem& item : read.project.items) names.push_back(item.name);
  EXPECT_THAT(names, ElementsAre("b", "a", "d", "c"));
}

// A damaged or hostile file may hold a great many items; putting each one
// into place as it was read once took time quadratic in their count.
TEST(TmlReaderTest, ManyItemsAreOrderedByStartWithLaterTiesFirst) {
  constexpr int kItems = 40000;
  TmlBuilder file;
  for (int i = 0; i < kItems; ++i) {
    const std::int32_t start = (i % 7) * 1000;
    file.Item(TmlItemBuilder().Name(std::to_string(i)).Start(start).Stop(start + 100));
  }
  const auto read = Read(file);
  ASSERT_EQ(read.status, TmlStatus::Ok);
  ASSERT_EQ(read.project.items.size(), static_cast<std::size_t>(kItems));
  for (std::size_t k = 1; k < read.project.items.size(); ++k) {
    const TmlItem& before = read.project.items[k - 1];
    const TmlItem& after = read.project.items[k];
    ASSERT_LE(before.start, after.start) << "at " << k;
    if (before.start == after.start) ASSERT_GT(std::stoi(before.name), std::stoi(after.name)) << "at " << k;
  }
}

TEST(TmlReaderTest, ChunksAroundTheProjectAndUnknownFieldsAreSkipped) {
  TmlItemBuilder item;
  item.Field(999, TmlBytes(7, 0xEE)).Field(401, TmlBytes(129, 'x')).Field(401, {}).Movie("/a.avi", 0, 100, 0, -1);
  const auto read = Read(TmlBuilder()
                             .ChunkBefore(7, TmlBytes(13, 0xAB))
                             .ChunkBefore(400, TmlBytes(3, 0))
                             .SubChunk(55, TmlBytes(9, 0xCD))
                             .Item(item)
                             .ChunkAfter(100, TmlBytes(1, 0)));  // a second project chunk is never read
  ASSERT_EQ(read.status, TmlStatus::Ok);
  ASSERT_EQ(read.project.items.size(), 1u);
  EXPECT_EQ(read.project.items[0].name, "");
}

TEST(TmlReaderTest, UnusableFilesAreRefused) {
  const TmlItemBuilder good = TmlItemBuilder().Movie("/a.avi", 0, 100, 0, 0);
  auto withField = [&](std::uint32_t id, const TmlBytes& data) {
    TmlItemBuilder item = good;
    item.Field(id, data);
    return TmlBuilder().Item(item).Bytes();
  };
  auto itemBytes = [](const TmlBytes& raw) { return TmlBuilder().SubChunk(400, raw).Bytes(); };
  const std::string header = std::string("TimeLine Project (c) Firm Quorvan") + '\0';
  auto afterHeader = [&](const TmlBytes& raw) {
    TmlBytes bytes(header.begin(), header.end());
    bytes.insert(bytes.end(), raw.begin(), raw.end());
    return bytes;
  };
  const std::vector<std::pair<std::string, TmlBytes>> cases = {
      {"empty file", {}},
      {"other header", TmlBuilder().Header("TimeLine Project (c) Firm Quorvam" + std::string(1, '\0')).Bytes()},
      {"header without its 0 byte", TmlBuilder().Header("TimeLine Project (c) Firm Quorvan!").Bytes()},
      {"no chunks", afterHeader({})},
      {"no project chunk", afterHeader(TmlChunk(7, TmlBytes(4, 0)))},
      {"negative chunk size", afterHeader(TmlChunkWithSize(7, -1, {}))},
      {"chunk past the end", afterHeader(TmlChunkWithSize(100, 100, TmlChunk(128, TmlI32(1))))},
      {"half a chunk header", afterHeader(TmlBytes{100, 0, 0})},
      {"only an empty project chunk", afterHeader(TmlChunkWithSize(100, 0, {}))},
      {"sub-chunk past the project chunk",
       afterHeader(TmlChunk(100, TmlChunkWithSize(128, 8, TmlI32(1))))},
      {"negative sub-chunk size", TmlBuilder().RawSubChunkBytes(TmlChunkWithSize(400, -8, {})).Bytes()},
      {"stray bytes after the sub-chunks", TmlBuilder().MasterLevel(512).RawSubChunkBytes({1, 2, 3}).Bytes()},
      {"field with negative size", itemBytes(TmlChunkWithSize(402, -4, TmlI32(0)))},
      {"field past the item", itemBytes(TmlChunkWithSize(402, 8, TmlI32(0)))},
      {"half a field header", itemBytes({0x92, 1, 0, 0, 4})},
      {"start of 2 bytes", withField(402, {0, 0})},
      {"stop of 8 bytes", withField(403, TmlBytes(8, 0))},
      {"slot of 2 bytes", withField(455, {1, 0})},
      {"sound slot of 0 bytes", withField(462, {})},
      {"negative start", withField(402, TmlI32(-1))},
      {"stop past a day", withField(403, TmlI32(86400001))},
      {"negative in point", withField(405, TmlI32(-5))},
      {"out point past a day", withField(406, TmlI32(86400001))},
      {"level above 2048", withField(465, TmlI32(2049))},
      {"negative level", withField(465, TmlI32(-1))},
      {"picture path of 261 bytes", withField(456, TmlBytes(261, 'p'))},
      {"sound path of 261 bytes", withField(461, TmlBytes(261, 's'))},
      {"envelope of 12 bytes", withField(301, TmlBytes(12, 0))},
      {"flag of 1 byte", withField(466, {1})},
  };
  for (const auto& [what, bytes] : cases) {
    const TmlReadResult read = ReadTimelineProjectBytes(bytes, kTmlPath);
    EXPECT_EQ(read.status, TmlStatus::Unusable) << what;
    EXPECT_THAT(read.project.items, IsEmpty()) << what;
  }
  // The limits themselves are fine.
  EXPECT_EQ(ReadTimelineProjectBytes(withField(403, TmlI32(86400000)), kTmlPath).status, TmlStatus::Ok);
  EXPECT_EQ(ReadTimelineProjectBytes(withField(465, TmlI32(2048)), kTmlPath).status, TmlStatus::Ok);
  EXPECT_EQ(ReadTimelineProjectBytes(withField(456, TmlBytes(260, 'p')), kTmlPath).status, TmlStatus::Ok);
}

TEST(TmlReaderTest, ChunksAndSubChunksOfSizeZeroAreSkipped) {
  const std::string header = std::string("TimeLine Project (c) Firm Quorvan") + '\0';
  TmlBytes bytes(header.begin(), header.end());
  const TmlBytes item = TmlItemBuilder().Movie("/a.avi", 0, 100, 0, 0).Data();
  TmlBytes project = TmlChunkWithSize(400, 0, {});
  for (const TmlBytes& part : {TmlChunkWithSize(55, 0, {}), TmlChunk(400, item), TmlChunkWithSize(128, 0, {}),
                               TmlChunk(128, TmlI32(256))}) {
    project.insert(project.end(), part.begin(), part.end());
  }
  for (const TmlBytes& part : {TmlChunkWithSize(7, 0, {}), TmlChunkWithSize(100, 0, {}), TmlChunk(100, project)}) {
    bytes.insert(bytes.end(), part.begin(), part.end());
  }
  const TmlReadResult read = ReadTimelineProjectBytes(bytes, kTmlPath);
  ASSERT_EQ(read.status, TmlStatus::Ok);
  ASSERT_EQ(read.project.items.size(), 1u);  // an empty item chunk makes no item
  EXPECT_EQ(read.project.items[0].filePath, "/a.avi");
  EXPECT_EQ(read.project.masterLevel, 256u);

  // A project whose only sub-chunk is empty reads as a project without items.
  const TmlReadResult empty =
      ReadTimelineProjectBytes(TmlBuilder().RawSubChunkBytes(TmlChunkWithSize(400, 0, {})).Bytes(), kTmlPath);
  EXPECT_EQ(empty.status, TmlStatus::Ok);
  EXPECT_THAT(empty.project.items, IsEmpty());
}

TmlBuilder SmallProject() {
  TmlItemBuilder item;
  item.Name("n").Movie("clip.avi", 0, 1000, 1, 2).Level(400).Envelope({{0, 0}, {100, 512}, {1000, 512}});
  return TmlBuilder().ChannelLevels({512, 512}).MasterLevel(512).Item(item).Item(
      TmlItemBuilder().Movie("/b.wav", 40, 80, -1, 0));
}

TEST(TmlReaderTest, EveryTruncationIsRefused) {
  const TmlBytes whole = SmallProject().Bytes();
  ASSERT_EQ(ReadTimelineProjectBytes(whole, kTmlPath).status, TmlStatus::Ok);
  for (std::size_t length = 0; length < whole.size(); ++length) {
    const TmlBytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
    EXPECT_EQ(ReadTimelineProjectBytes(cut, kTmlPath).status, TmlStatus::Unusable) << length << " bytes";
  }
}

TEST(TmlReaderTest, EveryDamagedByteReadsWithoutHarm) {
  const TmlBytes whole = SmallProject().Bytes();
  for (std::size_t at = 0; at < whole.size(); ++at) {
    for (const std::uint8_t value : {std::uint8_t{0x00}, std::uint8_t{0x7F}, std::uint8_t{0x80}, std::uint8_t{0xFF}}) {
      TmlBytes damaged = whole;
      damaged[at] = value;
      const TmlReadResult read = ReadTimelineProjectBytes(damaged, kTmlPath);
      EXPECT_TRUE(read.status == TmlStatus::Ok || read.status == TmlStatus::Unusable);
      for (const TmlItem& item : read.project.items) {
        EXPECT_LE(item.filePath.size(), kTmlMaxPathLength);
        EXPECT_LT(item.pictureSlot, kTmlSlotCount);
        EXPECT_LT(item.soundSlot, kTmlSlotCount);
      }
    }
  }
}

TEST(TmlReaderTest, FileThatCannotBeOpened) {
  TempDir dir;
  EXPECT_EQ(ReadTimelineProject(dir.File("none.tml")).status, TmlStatus::CannotOpen);
  const std::string path = dir.WriteFile("p.tml", SmallProject().Text());
  const TmlReadResult read = ReadTimelineProject(path);
  EXPECT_EQ(read.status, TmlStatus::Ok);
  EXPECT_EQ(read.project.items.at(0).filePath, dir.File("clip.avi"));
  EXPECT_EQ(ReadTimelineProject(dir.WriteFile("bad.tml", "TimeLine")).status, TmlStatus::Unusable);
}

TEST(TmlReaderTest, OnlyARegularFileIsReadAndTheReasonIsKept) {
  TempDir dir;
  const std::string pipe = dir.File("pipe.tml");
  testing::MakeFifo(pipe);
  std::filesystem::create_directories(dir.File("folder.tml"));
  testing::PipeWatch watch(pipe);
  const TmlReadResult fromPipe = ReadTimelineProject(pipe);
  EXPECT_FALSE(watch.HadToRelease());
  EXPECT_EQ(fromPipe.status, TmlStatus::CannotOpen);
  EXPECT_EQ(fromPipe.reason, "Not a regular file");
  const TmlReadResult fromFolder = ReadTimelineProject(dir.File("folder.tml"));
  EXPECT_EQ(fromFolder.status, TmlStatus::CannotOpen);
  EXPECT_EQ(fromFolder.reason, "Is a directory");
  EXPECT_EQ(ReadTimelineProject(dir.File("none.tml")).reason, "No such file or directory");
}

// --- The question and the slot limits -----------------------------------

TEST(TmlSurplusSlotsTest, QuestionTexts) {
  EXPECT_EQ(TmlSurplusSlotsQuestion(2, 2, 2, 2), "");
  EXPECT_EQ(TmlSurplusSlotsQuestion(3, 4, 2, 1),
            "There're 3 audio and 4 video tracks in the selected Velmo project.\n"
            "But in the current project there're 2 audio and 1 video tracks only.\n"
            "Superfluous clips will be deleted!");
  EXPECT_EQ(TmlSurplusSlotsQuestion(3, 1, 2, 1),
            "There're 3 audio tracks in the selected Velmo project.\n"
            "But in the current project there're 2 audio tracks only.\n"
            "Superfluous clips will be deleted!");
  EXPECT_EQ(TmlSurplusSlotsQuestion(0, 5, 2, 2),
            "There're 5 video tracks in the selected Velmo project.\n"
            "But in the current project there're 2 video tracks only.\n"
            "Superfluous clips will be deleted!");
}

TEST(TmlSurplusSlotsTest, LimitIsTheSlotOfTheLastTrack) {
  EXPECT_EQ(TmlSlotLimitKey({0, 3, 7}, 2), 4);
  EXPECT_EQ(TmlSlotLimitKey({0, 3, 7}, 1), 1);
  EXPECT_EQ(TmlSlotLimitKey({0, 3, 7}, 3), 8);
  EXPECT_EQ(TmlSlotLimitKey({0, 3, 7}, 5), 8);  // fewer used slots than tracks
  EXPECT_EQ(TmlSlotLimitKey({0, 3, 7}, 0), 8);  // no tracks
  EXPECT_EQ(TmlSlotLimitKey({}, 2), 0);
}

// --- The import ----------------------------------------------------------

class RecordingHost : public ITmlImportHost {
 public:
  void SetWaitCursor(bool shown) override { waitCursor.push_back(shown); }
  bool OfferToClipCollection(CSrc& source) override {
    offered.push_back(source.name);
    return source.name != refuse;
  }
  void AddToFramePictureCache(CSrc& source) override { framePictures.push_back(source.name); }
  void Repaint(std::uint32_t mask) override { repaints.push_back(mask); }

  std::string refuse;
  std::vector<bool> waitCursor;
  std::vector<std::string> offered;
  std::vector<std::string> framePictures;
  std::vector<std::uint32_t> repaints;
};

class TmlImportTest : public ::testing::Test {
 protected:
  // A file on disk that the fake board reads as a movie of the given streams.
  std::string Movie(const std::string& name, std::uint32_t streams = KlpStream::JpegVideo | KlpStream::Audio,
                    double seconds = 10.0) {
    const std::string path = dir_.WriteFile(name, std::string(1024, 'm'));
    FakeMovie movie;
    movie.streamFlags = streams;
    movie.videoDurationS = (streams & KlpStream::VideoKinds) ? seconds : 0.0;
    movie.audioDurationS = (streams & KlpStream::Audio) ? seconds : 0.0;
    if (!(streams & KlpStream::VideoKinds)) movie.width = movie.height = 0;
    t_.board.Config().movies[path] = movie;
    return path;
  }

  TmlImportResult Import(const TmlBuilder& file) {
    t_.ui.openAnswers.push_back(dir_.WriteFile("show.tml", file.Text()));
    return ImportVelmoProject(t_.doc, host_);
  }

  std::vector<std::string> Messages() const { return t_.ui.MessageTexts(); }
  const std::vector<std::unique_ptr<CFilm>>& Clipboard() const { return t_.doc.timeline.clipboard; }

  // The index in the track list of a clipboard clip's track.
  int TrackIndexOf(const CFilm& clip) {
    for (std::size_t i = 0; i < t_.doc.timeline.tracks.size(); ++i) {
      if (t_.doc.timeline.tracks[i].get() == clip.track) return static_cast<int>(i);
    }
    return -1;
  }

  TempDir dir_;
  TestDocument t_;
  RecordingHost host_;
};

TEST_F(TmlImportTest, ARelativeProjectPathGivesFullSourcePathsMergedWithCollectedOnes) {
  const std::string take = Movie("take.avi");
  const std::string music = Movie("music.wav", KlpStream::Audio, 20.0);
  CSrc& collected = t_.AddSource(take, 10000.0, SourceFlags::MovieFile | SourceFlags::VideoStream |
                                                     SourceFlags::AudioStream);
  TmlItemBuilder picture;
  picture.Name("Take").Movie("take.avi", 0, 4000, 0, -1);
  TmlItemBuilder sound;
  sound.Name("Music").Movie("music.wav", 0, 8000, -1, 1);
  dir_.WriteFile("show.tml", TmlBuilder().Item(picture).Item(sound).Text());
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir_.Path());
  const TmlImportResult result = ImportVelmoProjectFile(t_.doc, host_, "show.tml");
  std::filesystem::current_path(before);

  ASSERT_EQ(result.outcome, TmlImportOutcome::Imported);
  EXPECT_EQ(result.sourcesAdded, 1);
  ASSERT_EQ(t_.doc.sources.size(), 2u);
  EXPECT_EQ(t_.doc.sources[1]->path, music);
  const auto usesCollected = [&](const std::unique_ptr<CFilm>& clip) { return clip->source == &collected; };
  EXPECT_TRUE(std::any_of(Clipboard().begin(), Clipboard().end(), usesCollected));
}

TEST_F(TmlImportTest, SmallProjectEndsInTheClipboard) {
  Movie("take.avi");
  Movie("music.wav", KlpStream::Audio, 20.0);
  TmlItemBuilder take;
  take.Name("Take").Movie("take.avi", 1010, 5010, 0, 0).InPoint(2000).Envelope(
      {{0, 0}, {2400, 512}, {5600, 512}, {6000, 0}});
  TmlItemBuilder music;
  music.Name("Music").Movie("music.wav", 0, 8000, -1, 1).Level(256);
  const std::size_t sourcesBefore = t_.doc.sources.size();
  const std::size_t undoBefore = t_.doc.undoHistory.EntryCount();
  t_.doc.timeline.clipboard.push_back(std::make_unique<CFilm>());  // replaced by the import

  const TmlImportResult result = Import(TmlBuilder().Item(take).Item(music));

  ASSERT_EQ(t_.ui.openRequests.size(), 1u);
  const FileDialogRequest& request = t_.ui.openRequests[0];
  EXPECT_EQ(request.title, "Import Velmo Project");
  ASSERT_EQ(request.filters.size(), 1u);
  EXPECT_EQ(request.filters[0].first, "Velmo project(*.tml)");
  EXPECT_EQ(request.filters[0].second, "*.tml");
  EXPECT_EQ(request.defaultExtension, "tml");

  EXPECT_EQ(result.outcome, TmlImportOutcome::Imported);
  EXPECT_EQ(result.sourcesAdded, 2);
  EXPECT_EQ(result.clipsPlaced, 3);
  ASSERT_EQ(t_.doc.sources.size(), sourcesBefore + 2);
  // Handed on newest first: the music starts first, so the take was imported last.
  EXPECT_EQ(t_.doc.sources[sourcesBefore]->path, dir_.File("take.avi"));
  EXPECT_EQ(t_.doc.sources[sourcesBefore + 1]->path, dir_.File("music.wav"));
  EXPECT_THAT(host_.offered, ElementsAre("take.avi", "music.wav"));
  EXPECT_THAT(host_.framePictures, ElementsAre("take.avi"));
  EXPECT_THAT(host_.repaints, ElementsAre(RedrawMask::All));
  EXPECT_THAT(Messages(), IsEmpty());

  ASSERT_EQ(Clipboard().size(), 3u);
  // Sound clips first, by slot: take's sound (slot 0), the music (slot 1); then take's picture.
  const CFilm& takeSound = *Clipboard()[0];
  const CFilm& musicSound = *Clipboard()[1];
  const CFilm& takePicture = *Clipboard()[2];
  EXPECT_EQ(TrackIndexOf(takeSound), 2);  // first audio track
  EXPECT_EQ(TrackIndexOf(musicSound), 3);
  EXPECT_EQ(TrackIndexOf(takePicture), 0);  // first video track

  EXPECT_EQ(takeSound.name, "Take");
  EXPECT_EQ(takeSound.flags, ClipFlags::MovieFile | ClipFlags::AudioStream);
  EXPECT_EQ(takeSound.start, 1000.0);  // on the 40 ms frame grid
  EXPECT_EQ(takeSound.duration, 4000.0);
  EXPECT_EQ(takeSound.inPoint, 2000.0);
  EXPECT_EQ(takeSound.fadeIn, 400.0);
  EXPECT_EQ(takeSound.fadeOut, 400.0);
  EXPECT_DOUBLE_EQ(takeSound.volume, 1.0);
  EXPECT_EQ(takeSound.sourceLength, 10000.0);
  EXPECT_EQ(takeSound.source, t_.doc.sources[sourcesBefore].get());

  EXPECT_EQ(musicSound.name, "Music");
  EXPECT_DOUBLE_EQ(musicSound.volume, 0.5);
  EXPECT_EQ(musicSound.duration, 8000.0);

  EXPECT_EQ(takePicture.flags, ClipFlags::MovieFile | ClipFlags::VideoStream);
  EXPECT_EQ(takePicture.start, 1000.0);
  EXPECT_EQ(takePicture.inPoint, 2000.0);
  EXPECT_EQ(takePicture.fadeIn, 0.0);
  EXPECT_DOUBLE_EQ(takePicture.volume, 1.0);
  for (const auto& clip : Clipboard()) {
    EXPECT_TRUE(clip->links.empty());
    EXPECT_EQ(clip->selection, 0);
  }

  // The person places them: the import itself changed neither flag nor history.
  EXPECT_FALSE(t_.doc.IsModified());
  EXPECT_EQ(t_.doc.undoHistory.EntryCount(), undoBefore);
  std::vector<const CSrc*> sources;
  for (const auto& source : t_.doc.sources) sources.push_back(source.get());
  t_.ExpectConsistent(sources);
  ASSERT_FALSE(host_.waitCursor.empty());
  EXPECT_FALSE(host_.waitCursor.back());
}

TEST_F(TmlImportTest, LevelsGiveVolumes) {
  Movie("a.wav", KlpStream::Audio);
  Import(TmlBuilder()
             .Item(TmlItemBuilder().Movie("a.wav", 0, 1000, -1, 0).Level(512))
             .Item(TmlItemBuilder().Movie("a.wav", 0, 1000, -1, 1).Level(0)));
  ASSERT_EQ(Clipboard().size(), 2u);
  EXPECT_DOUBLE_EQ(Clipboard()[0]->volume, 1.0);
  EXPECT_EQ(TrackIndexOf(*Clipboard()[0]), 2);
  EXPECT_DOUBLE_EQ(Clipboard()[1]->volume, 0.01);  // level 0: the quietest a clip gets
  EXPECT_EQ(TrackIndexOf(*Clipboard()[1]), 3);
}

TEST_F(TmlImportTest, MissingFileIsReportedAndTheRestImported) {
  Movie("here.avi");
  const TmlImportResult result = Import(TmlBuilder()
                                            .Item(TmlItemBuilder().Movie("gone\\lost.avi", 0, 1000, 0, -1))
                                            .Item(TmlItemBuilder().Movie("here.avi", 2000, 3000, 0, -1)));
  EXPECT_THAT(Messages(), ElementsAre("Can't find file: '" + dir_.File("gone/lost.avi") + "'"));
  EXPECT_EQ(t_.ui.messages[0].icon, MessageIcon::None);
  EXPECT_EQ(t_.ui.messages[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(result.sourcesAdded, 1);
  ASSERT_EQ(Clipboard().size(), 1u);
  EXPECT_EQ(Clipboard()[0]->start, 2000.0);
}

TEST_F(TmlImportTest, RelativePathsAreFoundBesideTheProjectFile) {
  Movie("media/takes/one.avi");
  Import(TmlBuilder().Item(TmlItemBuilder().Movie("media\\takes\\one.avi", 0, 1000, 0, 0)));
  EXPECT_THAT(Messages(), IsEmpty());
  ASSERT_EQ(Clipboard().size(), 2u);
  EXPECT_EQ(Clipboard()[0]->source->path, dir_.File("media/takes/one.avi"));
}

TEST_F(TmlImportTest, UnreadableFilesEndSilently) {
  t_.ui.openAnswers.push_back(dir_.WriteFile("bad.tml", "TimeLine Project"));
  const TmlImportResult bad = ImportVelmoProject(t_.doc, host_);
  EXPECT_EQ(bad.outcome, TmlImportOutcome::Unreadable);
  EXPECT_EQ(bad.status, TmlStatus::Unusable);
  t_.ui.openAnswers.push_back(dir_.File("missing.tml"));
  EXPECT_EQ(ImportVelmoProject(t_.doc, host_).status, TmlStatus::CannotOpen);
  EXPECT_EQ(ImportVelmoProject(t_.doc, host_).outcome, TmlImportOutcome::NoFileChosen);
  EXPECT_THAT(Messages(), IsEmpty());
  EXPECT_THAT(Clipboard(), IsEmpty());
  EXPECT_THAT(host_.repaints, IsEmpty());
}

TEST_F(TmlImportTest, ProjectWithoutSourcesEndsWithoutChanges) {
  t_.board.Config().movies.clear();
  dir_.WriteFile("unknown.avi", "x");  // on disk, but the board cannot read it
  t_.doc.timeline.clipboard.push_back(std::make_unique<CFilm>());
  const TmlImportResult result = Import(TmlBuilder()
                                            .Item(TmlItemBuilder().Movie("unknown.avi", 0, 1000, 0, 0))
                                            .Item(TmlItemBuilder().Movie("x.avi", 0, 10, 0, 0)));  // too short
  EXPECT_EQ(result.outcome, TmlImportOutcome::NoSources);
  EXPECT_EQ(Clipboard().size(), 1u);
}

TEST_F(TmlImportTest, TwoItemsOfOneFileMakeOneSource) {
  Movie("a.avi");
  const std::size_t before = t_.doc.sources.size();
  Import(TmlBuilder()
             .Item(TmlItemBuilder().Movie("a.avi", 0, 1000, 0, 0))
             .Item(TmlItemBuilder().Movie("A.avi", 2000, 3000, 1, 1)));  // another case: a file of its own
  ASSERT_EQ(t_.doc.sources.size(), before + 1);
  ASSERT_EQ(Clipboard().size(), 2u);  // the second item's file does not exist here
  Import(TmlBuilder()
             .Item(TmlItemBuilder().Movie("a.avi", 0, 1000, 0, 0))
             .Item(TmlItemBuilder().Movie("a.avi", 2000, 3000, 1, 1)));
  EXPECT_EQ(t_.doc.sources.size(), before + 1);  // already in the project
  ASSERT_EQ(Clipboard().size(), 4u);
  for (const auto& clip : Clipboard()) EXPECT_EQ(clip->source, t_.doc.sources[before].get());
}

TEST_F(TmlImportTest, LaterItemOfASlotReplacesTheEarlierClip) {
  Movie("a.avi");
  Import(TmlBuilder()
             .Item(TmlItemBuilder().Movie("a.avi", 4000, 5000, 0, 0))
             .Item(TmlItemBuilder().Movie("a.avi", 1000, 2000, 0, -1)));
  ASSERT_EQ(Clipboard().size(), 2u);
  EXPECT_EQ(Clipboard()[0]->flags & ClipFlags::AudioStream, ClipFlags::AudioStream);
  EXPECT_EQ(Clipboard()[0]->start, 4000.0);
  EXPECT_EQ(Clipboard()[1]->start, 4000.0);  // the picture of the later start replaced the earlier one
  EXPECT_TRUE(Clipboard()[1]->links.empty());
}

TEST_F(TmlImportTest, SurplusPictureSlotsAnsweredOk) {
  Movie("a.avi", KlpStream::JpegVideo);
  const TmlImportResult result = Import(TmlBuilder()
                                            .Item(TmlItemBuilder().Movie("a.avi", 0, 1000, 0, -1))
                                            .Item(TmlItemBuilder().Movie("a.avi", 1000, 2000, 3, -1))
                                            .Item(TmlItemBuilder().Movie("a.avi", 2000, 3000, 7, -1)));
  ASSERT_EQ(t_.ui.messages.size(), 1u);
  EXPECT_EQ(t_.ui.messages[0].text, TmlSurplusSlotsQuestion(0, 3, 2, 2));
  EXPECT_EQ(t_.ui.messages[0].caption, "Import Velmo Project");
  EXPECT_EQ(t_.ui.messages[0].icon, MessageIcon::Warning);
  EXPECT_EQ(t_.ui.messages[0].buttons, MessageButtons::OkCancel);
  EXPECT_EQ(result.outcome, TmlImportOutcome::Imported);
  ASSERT_EQ(Clipboard().size(), 2u);
  EXPECT_EQ(Clipboard()[0]->start, 0.0);
  EXPECT_EQ(TrackIndexOf(*Clipboard()[0]), 0);
  EXPECT_EQ(Clipboard()[1]->start, 1000.0);
  EXPECT_EQ(TrackIndexOf(*Clipboard()[1]), 1);
}

TEST_F(TmlImportTest, SurplusSoundSlotsAnsweredOkKeepTheFirstChannels) {
  Movie("a.wav", KlpStream::Audio);
  Import(TmlBuilder()
             .Item(TmlItemBuilder().Movie("a.wav", 0, 1000, -1, 5))
             .Item(TmlItemBuilder().Movie("a.wav", 1000, 2000, -1, 2))
             .Item(TmlItemBuilder().Movie("a.wav", 2000, 3000, -1, 9)));
  EXPECT_THAT(Messages(), ElementsAre(TmlSurplusSlotsQuestion(3, 0, 2, 2)));
  ASSERT_EQ(Clipboard().size(), 2u);
  EXPECT_EQ(Clipboard()[0]->start, 1000.0);  // slot 2 → first audio track
  EXPECT_EQ(TrackIndexOf(*Clipboard()[0]), 2);
  EXPECT_EQ(Clipboard()[1]->start, 0.0);  // slot 5 → second
  EXPECT_EQ(TrackIndexOf(*Clipboard()[1]), 3);
}

TEST_F(TmlImportTest, SurplusSlotsAnsweredCancelUndoTheImport) {
  Movie("a.avi");
  const std::size_t before = t_.doc.sources.size();
  t_.doc.timeline.clipboard.push_back(std::make_unique<CFilm>());
  t_.ui.messageAnswers.push_back(MessageAnswer::Cancel);
  const TmlImportResult result = Import(TmlBuilder()
                                            .Item(TmlItemBuilder().Movie("a.avi", 0, 1000, 0, 0))
                                            .Item(TmlItemBuilder().Movie("a.avi", 1000, 2000, 1, 1))
                                            .Item(TmlItemBuilder().Movie("a.avi", 2000, 3000, 2, 2)));
  EXPECT_EQ(result.outcome, TmlImportOutcome::Declined);
  EXPECT_THAT(Messages(), ElementsAre(TmlSurplusSlotsQuestion(3, 3, 2, 2)));
  EXPECT_EQ(t_.doc.sources.size(), before);
  EXPECT_EQ(Clipboard().size(), 1u);  // the clipboard as it was
  EXPECT_THAT(host_.offered, IsEmpty());
}

TEST_F(TmlImportTest, ClipsWithoutATrackOfTheirGroupAreDropped) {
  Movie("a.avi");
  auto& tracks = t_.doc.timeline.tracks;
  tracks.erase(std::remove_if(tracks.begin(), tracks.end(),
                              [](const auto& track) { return track->Group() == TrackGroup::Audio; }),
               tracks.end());
  Import(TmlBuilder().Item(TmlItemBuilder().Movie("a.avi", 0, 1000, 0, 0)).Item(
      TmlItemBuilder().Movie("a.avi", 1000, 2000, 0, 1)));
  EXPECT_THAT(Messages(), ElementsAre(TmlSurplusSlotsQuestion(2, 1, 0, 2)));
  ASSERT_EQ(Clipboard().size(), 1u);
  EXPECT_EQ(Clipboard()[0]->flags, ClipFlags::MovieFile | ClipFlags::VideoStream);
  EXPECT_EQ(TrackIndexOf(*Clipboard()[0]), 0);
}

TEST_F(TmlImportTest, ClipsAreFittedToTheirSource) {
  Movie("short.avi", KlpStream::JpegVideo | KlpStream::Audio, 2.0);
  Import(TmlBuilder()
             .Item(TmlItemBuilder().Movie("short.avi", 0, 5000, 0, -1))                  // longer than the file
             .Item(TmlItemBuilder().Movie("short.avi", 0, 1000, -1, 0).InPoint(2000)));  // starts past its end
  ASSERT_EQ(Clipboard().size(), 1u);
  EXPECT_EQ(Clipboard()[0]->duration, 2000.0);
  EXPECT_EQ(Clipboard()[0]->flags & ClipFlags::VideoStream, ClipFlags::VideoStream);
}

TEST_F(TmlImportTest, RefusedSourceTakesItsClipsAlong) {
  Movie("keep.avi");
  Movie("refuse.avi");
  host_.refuse = "refuse.avi";
  const TmlImportResult result = Import(TmlBuilder()
                                            .Item(TmlItemBuilder().Movie("keep.avi", 0, 1000, 0, 0))
                                            .Item(TmlItemBuilder().Movie("refuse.avi", 1000, 2000, 1, 1)));
  EXPECT_EQ(result.sourcesAdded, 1);
  EXPECT_THAT(host_.offered, ElementsAre("refuse.avi", "keep.avi"));
  ASSERT_EQ(Clipboard().size(), 2u);
  for (const auto& clip : Clipboard()) EXPECT_EQ(clip->source->name, "keep.avi");
}

TEST_F(TmlImportTest, SidesTheFileLacksMakeNoClip) {
  Movie("silent.avi", KlpStream::JpegVideo);
  Movie("voice.wav", KlpStream::Audio);
  Import(TmlBuilder()
             .Item(TmlItemBuilder().Movie("silent.avi", 0, 1000, 0, 0))
             .Item(TmlItemBuilder().Movie("voice.wav", 1000, 2000, 1, 1)));
  ASSERT_EQ(Clipboard().size(), 2u);
  EXPECT_EQ(Clipboard()[0]->source->name, "voice.wav");
  EXPECT_EQ(Clipboard()[0]->flags, ClipFlags::MovieFile | ClipFlags::AudioStream);
  EXPECT_EQ(TrackIndexOf(*Clipboard()[0]), 2);  // its only used sound slot: the first audio track
  EXPECT_EQ(Clipboard()[1]->source->name, "silent.avi");
  EXPECT_EQ(Clipboard()[1]->flags, ClipFlags::MovieFile | ClipFlags::VideoStream);
}

TEST_F(TmlImportTest, EachMediaFileIsReadOnceHoweverManyItemsNameIt) {
  const std::string take = Movie("take.avi");
  const std::string music = Movie("music.wav", KlpStream::Audio, 20.0);
  const std::string still = dir_.WriteFile("still.jpg", "jpeg");
  t_.board.Config().images[still] = FakeImage{};
  const std::string unreadable = dir_.WriteFile("unreadable.avi", "x");  // on disk, but the board cannot read it
  TmlBuilder file;
  for (int i = 0; i < 4; ++i) {
    const std::int32_t at = i * 10000;
    file.Item(TmlItemBuilder().Movie("take.avi", at, at + 1000, 0, 0))
        .Item(TmlItemBuilder().Movie("music.wav", at + 1000, at + 2000, -1, 1))
        .Item(TmlItemBuilder().Start(at + 2000).Stop(at + 3000).PictureFile("still.jpg").PictureSlot(1))
        .Item(TmlItemBuilder().Movie("unreadable.avi", at + 3000, at + 4000, 0, 0))
        .Item(TmlItemBuilder().Movie("gone.avi", at + 4000, at + 5000, 0, 0));
  }
  const TmlImportResult result = Import(file);

  ASSERT_EQ(result.outcome, TmlImportOutcome::Imported);
  EXPECT_EQ(t_.board.CountCalls("IKlpPlayMovie::OpenFile(" + take + ")"), 1);
  EXPECT_EQ(t_.board.CountCalls("IKlpPlayMovie::OpenFile(" + music + ")"), 1);
  EXPECT_EQ(t_.board.CountCalls("IKlpPlayMovie::OpenFile(" + unreadable + ")"), 1);
  EXPECT_EQ(t_.board.CountCalls("IKlpPlayTitleImage::LoadFromFile(" + still), 1);
  // A missing file is still named for every item; an unreadable one is reported once.
  const auto count = [&](const std::string& start) {
    const auto texts = Messages();
    return std::count_if(texts.begin(), texts.end(), [&](const std::string& text) { return text.rfind(start, 0) == 0; });
  };
  EXPECT_EQ(count("Can't find file: '"), 4);
  EXPECT_EQ(t_.ui.messages.size(), 5u);
  // Each file joins once, its items' clips sharing the one source.
  EXPECT_EQ(result.sourcesAdded, 3);
  EXPECT_THAT(host_.offered, ElementsAre("still.jpg", "music.wav", "take.avi"));
  ASSERT_EQ(Clipboard().size(), 4u);  // the last item of each slot: take's two sides, music, still
  for (const auto& clip : Clipboard()) EXPECT_EQ(clip->source, t_.doc.FindSourceByPath(clip->source->path));
  EXPECT_EQ(t_.doc.FindSourceByPath(music)->duration, 20000.0);
  EXPECT_EQ(t_.doc.FindSourceByPath(take)->duration, 10000.0);
  EXPECT_EQ(t_.doc.FindSourceByPath(still)->frameWidth, FakeImage{}.width);
}

TEST(TmlImportContextTest, ReplacingAndDroppingClipsLeavesNoLinkBehind) {
  CSrc source("/a.avi", "a.avi");
  source.duration = 1000.0;
  TmlImportContext context;
  auto picture = std::make_unique<CFilm>(&source);
  auto sound = std::make_unique<CFilm>(&source);
  CFilm::Link(*picture, *sound);
  CFilm* soundClip = sound.get();
  context.picture.Store(0, std::move(picture));
  context.sound.Store(0, std::move(sound));
  context.picture.Store(0, std::make_unique<CFilm>(&source));
  EXPECT_TRUE(soundClip->links.empty());
  EXPECT_THAT(context.picture.UsedSlots(), ElementsAre(0));
  EXPECT_EQ(context.picture.uses[0], 2);

  auto other = std::make_unique<CFilm>(&source);
  CFilm::Link(*other, *context.picture.clips.at(1));
  CFilm* kept = context.picture.clips.at(1).get();
  context.sound.Store(5, std::move(other));
  context.sound.DropAbove(1);
  EXPECT_TRUE(kept->links.empty());
  EXPECT_EQ(context.sound.clips.size(), 1u);
  EXPECT_THAT(context.sound.UsedSlots(), ElementsAre(0, 5));
}

}  // namespace
}  // namespace vantorelle
