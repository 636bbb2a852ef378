// Shortcut table files (*.vrk): their exact bytes, the files they refuse and
// why, and what a failed load leaves in the list.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "commands/shortcut_file.h"
#include "support/hostile_files.h"
#include "support/scripted_user_interface.h"
#include "support/temp_dir.h"

namespace vantorelle {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::MakeFifo;
using testing::MakeSparseFile;
using testing::PeakMemoryGrowthOf;
using testing::PipeWatch;
using testing::ScriptedUserInterface;
using testing::TempDir;

const std::string kHeader = "Vantorelle shortcut table abcde";

void Append(Bytes& bytes, std::initializer_list<std::uint8_t> more) { bytes.insert(bytes.end(), more); }

void AppendU32(Bytes& bytes, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

Bytes HeaderBytes(const std::string& text = kHeader) {
  Bytes bytes{static_cast<std::uint8_t>(text.size())};
  bytes.insert(bytes.end(), text.begin(), text.end());
  return bytes;
}

std::string AsString(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

Bytes ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(ShortcutFileBytes, HeaderCountAndRecordsInFileFieldOrder) {
  const ShortCutList list = {{0x8090, CommandGroup::Global, 0, 1, 0x2D},
                             {0x8015, CommandGroup::ClipCollection, 1, 0, 0x2E}};
  Bytes expected = HeaderBytes();
  ASSERT_EQ(expected.size(), 32u);
  EXPECT_EQ(expected[0], 0x1F);
  AppendU32(expected, 2);
  // command id, ctrl, shift, key, group
  Append(expected, {0x90, 0x80, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0x2D, 0, 0, 0, 1, 0, 0, 0});
  Append(expected, {0x15, 0x80, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0x2E, 0, 0, 0, 4, 0, 0, 0});
  EXPECT_EQ(ShortcutFileBytes(list), expected);
  EXPECT_EQ(ShortcutFileBytes(list).size(), 36u + 40u);
}

TEST(ShortcutFileBytes, EmptyListIsThirtySixBytesAndLoadsEmpty) {
  Bytes file = HeaderBytes();
  AppendU32(file, 0);
  ASSERT_EQ(file.size(), 36u);
  EXPECT_EQ(ShortcutFileBytes({}), file);
  const ShortcutFileLoad loaded = ParseShortcutFile(file);
  EXPECT_TRUE(loaded.Ok()) << loaded.error;
  EXPECT_TRUE(loaded.shortcuts.empty());
}

TEST(ShortcutFileBytes, HeaderDifferingInOneLettersCaseIsRefused) {
  Bytes file = HeaderBytes("Vantorelle Shortcut table abcde");
  ASSERT_EQ(file[0], 0x1F);
  AppendU32(file, 1);
  Append(file, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'A', 0, 0, 0, 1, 0, 0, 0});
  const ShortcutFileLoad loaded = ParseShortcutFile(file);
  EXPECT_EQ(loaded.error, "Invalide shortcut table file format");
  EXPECT_TRUE(loaded.shortcuts.empty());

  CShortCutImpex impex;
  ArchiveReader reader(file);
  impex.Load(reader);
  EXPECT_EQ(impex.badFormat, 1);
  EXPECT_EQ(reader.Offset(), 32u) << "nothing is read after the header";
}

TEST(ShortcutFileBytes, LongerHeaderEncodingsAreAccepted) {
  const Bytes record = {7, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 'K', 0, 0, 0, 5, 0, 0, 0};
  Bytes sixteen = {0xFF, 0x1F, 0x00};
  sixteen.insert(sixteen.end(), kHeader.begin(), kHeader.end());
  Bytes thirtyTwo = {0xFF, 0xFF, 0xFF, 0x1F, 0, 0, 0};
  thirtyTwo.insert(thirtyTwo.end(), kHeader.begin(), kHeader.end());
  for (Bytes file : {sixteen, thirtyTwo}) {
    AppendU32(file, 1);
    file.insert(file.end(), record.begin(), record.end());
    const ShortcutFileLoad loaded = ParseShortcutFile(file);
    ASSERT_TRUE(loaded.Ok()) << loaded.error;
    EXPECT_EQ(loaded.shortcuts, (ShortCutList{{7, CommandGroup::TimeRuler, 0, 1, 'K'}}));
  }
}

TEST(ShortcutFileBytes, CountBeyondTheRecordsIsAnArchiveErrorAndNothingIsKept) {
  Bytes file = HeaderBytes();
  AppendU32(file, 3);
  Append(file, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'A', 0, 0, 0, 1, 0, 0, 0});
  Append(file, {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'B', 0, 0, 0, 1, 0, 0, 0});
  const ShortcutFileLoad loaded = ParseShortcutFile(file);
  EXPECT_EQ(loaded.error, "Archive error for save shortcut table");
  EXPECT_TRUE(loaded.shortcuts.empty());

  Bytes huge = HeaderBytes();
  AppendU32(huge, 0xFFFFFFFFu);
  EXPECT_EQ(ParseShortcutFile(huge).error, "Archive error for save shortcut table");
  EXPECT_EQ(ParseShortcutFile({}).error, "Archive error for save shortcut table");
  EXPECT_EQ(ParseShortcutFile({0x1F, 'V', 'a'}).error, "Archive error for save shortcut table");
}

TEST(ShortcutFile, SaveThenLoadGivesTheSameListInOrder) {
  TempDir dir;
  ShortCutList list = DefaultShortCutList();
  list.push_back({0x0489, CommandGroup::FavouriteDirectories, 1, 1, 0x7B});
  const std::string path = dir.File("keys.vrk");
  EXPECT_TRUE(SaveShortcutFile(path, list).Ok());
  EXPECT_EQ(ReadFile(path), ShortcutFileBytes(list));
  const ShortcutFileLoad loaded = LoadShortcutFile(path);
  ASSERT_TRUE(loaded.Ok()) << loaded.error;
  EXPECT_EQ(loaded.shortcuts, list);
}

TEST(ShortcutFile, FailuresAndTheirTexts) {
  TempDir dir;
  EXPECT_EQ(LoadShortcutFile(dir.File("missing.vrk")).error, "Can't open file for save shortcut table");
  const ShortcutFileSave noFolder = SaveShortcutFile((dir.Path() / "no-such-folder" / "k.vrk").string(), {});
  EXPECT_EQ(noFolder.error, "Can't open file for save shortcut table");
  EXPECT_EQ(noFolder.reason, "No such file or directory");
  Bytes bad = HeaderBytes("Vantorelle shortcut table abcdE");
  AppendU32(bad, 0);
  EXPECT_EQ(LoadShortcutFile(dir.WriteFile("bad.vrk", AsString(bad))).error, "Invalide shortcut table file format");
}

TEST(ShortcutFile, FailedLoadWarnsAndGivesTheDefaults) {
  TempDir dir;
  Bytes file = HeaderBytes();
  AppendU32(file, 2);
  Append(file, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'A', 0, 0, 0, 1, 0, 0, 0});
  const std::string path = dir.WriteFile("short.vrk", AsString(file));
  ScriptedUserInterface ui;
  const ShortCutList defaults = DefaultShortCutList();
  EXPECT_EQ(LoadShortcutFileOrDefault(path, defaults, ui), defaults);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Archive error for save shortcut table");
  EXPECT_EQ(ui.messages[0].icon, MessageIcon::Warning);
}

// Files stop growing past a limit while this lives, as on a full disk: a
// write that would pass it fails with "File too large".
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &previous_);
    previousSignal_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = previous_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &previous_);
    ::signal(SIGXFSZ, previousSignal_);
  }

 private:
  rlimit previous_{};
  sighandler_t previousSignal_{};
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  lines.push_back(text.substr(start));
  return lines;
}

TEST(ShortcutFileSaving, AFailedWriteLeavesThePreviousTableWholeAndSaysWhy) {
  TempDir dir;
  ShortCutList before = DefaultShortCutList();
  const std::string path = dir.File("keys.vrk");
  ASSERT_TRUE(SaveShortcutFile(path, before).Ok());
  const Bytes previous = ReadFile(path);
  ShortCutList longer = before;
  for (int i = 0; i < 50; ++i) longer.push_back({0x0400 + i, CommandGroup::FavouriteDirectories, 1, 0, 0x41});
  ScriptedUserInterface ui;
  {
    // Room for the old table's size, not for the longer one.
    FileSizeLimit full(previous.size());
    EXPECT_FALSE(SaveShortcutFileOrWarn(path, longer, ui));
  }
  EXPECT_EQ(ReadFile(path), previous);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(Lines(ui.messages[0].text),
            (std::vector<std::string>{"File error for save shortcut table", "File too large"}));
  // Nothing of the failed save lies about.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()),
            1);
}

TEST(ShortcutFileSaving, ReplacesTheFileInOneStepNeverWritingOverTheOldBytes) {
  TempDir dir;
  const std::string path = dir.File("keys.vrk");
  ASSERT_TRUE(SaveShortcutFile(path, DefaultShortCutList()).Ok());
  const Bytes previous = ReadFile(path);
  // A second name of the old file sees whether its bytes were written over.
  const std::string oldName = dir.File("old.vrk");
  std::filesystem::create_hard_link(path, oldName);
  ShortCutList changed = DefaultShortCutList();
  changed.pop_back();
  ASSERT_TRUE(SaveShortcutFile(path, changed).Ok());
  EXPECT_EQ(ReadFile(path), ShortcutFileBytes(changed));
  EXPECT_EQ(ReadFile(oldName), previous);
}

TEST(ShortcutFileSaving, ThroughALinkWritesTheFileItNamesAndKeepsTheLink) {
  TempDir dir;
  std::filesystem::create_directories(dir.Path() / "real");
  const std::string target = dir.File("real/keys.vrk");
  ASSERT_TRUE(SaveShortcutFile(target, DefaultShortCutList()).Ok());
  const std::string link = dir.File("link.vrk");
  std::filesystem::create_symlink("real/keys.vrk", link);
  ShortCutList changed = DefaultShortCutList();
  changed.pop_back();
  ASSERT_TRUE(SaveShortcutFile(link, changed).Ok());
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadFile(target), ShortcutFileBytes(changed));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path() / "real"),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(ShortcutFileSaving, AReadOnlyTableIsRefusedAndKept) {
  TempDir dir;
  const std::string path = dir.File("keys.vrk");
  ASSERT_TRUE(SaveShortcutFile(path, DefaultShortCutList()).Ok());
  const Bytes previous = ReadFile(path);
  // No write bit for anyone: a protection even the superuser is held to.
  ::chmod(path.c_str(), 0444);
  ScriptedUserInterface ui;
  EXPECT_FALSE(SaveShortcutFileOrWarn(path, {}, ui));
  EXPECT_EQ(ReadFile(path), previous);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(Lines(ui.messages[0].text),
            (std::vector<std::string>{"Can't open file for save shortcut table", "Permission denied"}));
}

TEST(ShortcutFileLoading, OnlyRegularFilesAreOpenedAndTheReasonIsGiven) {
  TempDir dir;
  const std::string fifo = dir.File("pipe.vrk");
  MakeFifo(fifo);
  std::filesystem::create_directories(dir.Path() / "folder.vrk");
  const struct {
    std::string path;
    std::string reason;
  } cases[] = {
      {dir.File("missing.vrk"), "No such file or directory"},
      {dir.File("folder.vrk"), "Is a directory"},
      {fifo, "Not a regular file"},
      {"/dev/null", "Not a regular file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    PipeWatch watch(fifo);
    ScriptedUserInterface ui;
    const ShortCutList defaults = DefaultShortCutList();
    EXPECT_EQ(LoadShortcutFileOrDefault(c.path, defaults, ui), defaults);
    EXPECT_FALSE(watch.HadToRelease());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(Lines(ui.messages[0].text),
              (std::vector<std::string>{"Can't open file for save shortcut table", c.reason}));
  }
}

TEST(ShortcutFileLoading, AFileFarLongerThanItsCountIsRefused) {
  TempDir dir;
  Bytes front = ShortcutFileBytes(DefaultShortCutList());
  const std::string padded = dir.File("padded.vrk");
  MakeSparseFile(padded, front.size() + 1024 * 1024, front);
  EXPECT_EQ(LoadShortcutFile(padded).error, "Archive error for save shortcut table");
  // A few bytes after the records are still taken.
  const std::string tail = dir.File("tail.vrk");
  MakeSparseFile(tail, front.size() + 16, front);
  EXPECT_EQ(LoadShortcutFile(tail).shortcuts, DefaultShortCutList());

  // Eight gigabytes behind a header with an endless count: refused without
  // being read.
  Bytes endless = HeaderBytes();
  AppendU32(endless, 0xFFFFFFFFu);
  const std::string huge = dir.File("huge.vrk");
  MakeSparseFile(huge, 8ull << 30, endless);
  const std::uint64_t grown = PeakMemoryGrowthOf([&] {
    if (LoadShortcutFile(huge).error != "Archive error for save shortcut table") ::_exit(3);
  });
  EXPECT_LT(grown, 16u << 20);
}

}  // namespace
}  // namespace vantorelle
