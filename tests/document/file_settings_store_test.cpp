// The settings file: where it lives, what survives from one run to the next,
// and what a damaged file leaves behind.
#include "document/file_settings_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>

#include "document/checksum.h"
#include "document/settings_values.h"
#include "support/temp_dir.h"

namespace vantorelle {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

// Sets or clears one environment variable for the life of the object.
class EnvironmentScope {
 public:
  EnvironmentScope(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~EnvironmentScope() {
    if (old_) {
      setenv(name_.c_str(), old_->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }
  EnvironmentScope(const EnvironmentScope&) = delete;
  EnvironmentScope& operator=(const EnvironmentScope&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

SettingsBytes ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return SettingsBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const fs::path& path, const SettingsBytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> FolderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

SettingsSections SampleSections() {
  SettingsSections sections;
  sections["Document"]["UndoRedo Depth"] = std::int32_t{100};
  sections["Document"]["Lowest"] = std::numeric_limits<std::int32_t>::min();
  sections["Document"]["SelColorAV"] = SettingsBytes{185, 106, 155};
  sections["Tracks Array"]["Empty"] = SettingsBytes{};
  sections["Tracks Array"]["Track_1"] = SettingsBytes(300, 0xA5);
  sections["Empty Section"];
  return sections;
}

// A header with a correct checksum around any payload, so that checks past
// the checksum can be reached.
SettingsBytes FileAround(const SettingsBytes& payload) {
  SettingsBytes file{'V', 'R', 'S', 'T', 1, 0, 0, 0};
  const std::uint32_t length = static_cast<std::uint32_t>(payload.size());
  const std::uint32_t crc = Crc32(payload.data(), payload.size());
  for (int shift = 0; shift < 32; shift += 8) file.push_back(static_cast<std::uint8_t>(length >> shift));
  for (int shift = 0; shift < 32; shift += 8) file.push_back(static_cast<std::uint8_t>(crc >> shift));
  file.insert(file.end(), payload.begin(), payload.end());
  return file;
}

// One section "S" holding one value "v" of the given type, length and data.
SettingsBytes OneValuePayload(std::uint8_t type, std::uint32_t length, const SettingsBytes& data) {
  SettingsBytes payload{1, 0, 0, 0, 1, 0, 'S', 1, 0, 0, 0, 1, 0, 'v', type};
  for (int shift = 0; shift < 32; shift += 8) payload.push_back(static_cast<std::uint8_t>(length >> shift));
  payload.insert(payload.end(), data.begin(), data.end());
  return payload;
}

TEST(SettingsFileFormat, EncodedSectionsDecodeUnchanged) {
  const SettingsBytes file = EncodeSettingsFile(SampleSections());
  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "VRST");
  EXPECT_EQ(DecodeSettingsFile(file), SampleSections());
  EXPECT_EQ(DecodeSettingsFile(EncodeSettingsFile({})), SettingsSections{});
}

TEST(SettingsFileFormat, EveryTruncationAndEveryFlippedBitIsRefused) {
  const SettingsBytes file = EncodeSettingsFile(SampleSections());
  for (std::size_t length = 0; length < file.size(); ++length) {
    EXPECT_FALSE(DecodeSettingsFile(SettingsBytes(file.begin(), file.begin() + length))) << "length " << length;
  }
  for (std::size_t at = 0; at < file.size(); ++at) {
    for (int bit = 0; bit < 8; ++bit) {
      SettingsBytes damaged = file;
      damaged[at] ^= static_cast<std::uint8_t>(1 << bit);
      EXPECT_FALSE(DecodeSettingsFile(damaged)) << "byte " << at << " bit " << bit;
    }
  }
  SettingsBytes longer = file;
  longer.push_back(0);
  EXPECT_FALSE(DecodeSettingsFile(longer));
}

TEST(SettingsFileFormat, PayloadsThatPassTheChecksumAreStillChecked) {
  EXPECT_TRUE(DecodeSettingsFile(FileAround(OneValuePayload(2, 2, {7, 8}))));
  // A length beyond the file, up to one that would wrap a 32-bit size.
  EXPECT_FALSE(DecodeSettingsFile(FileAround(OneValuePayload(2, 3, {7, 8}))));
  EXPECT_FALSE(DecodeSettingsFile(FileAround(OneValuePayload(2, 0xFFFFFFFFu, {7, 8}))));
  // A number is four bytes; the type tag must be known.
  EXPECT_FALSE(DecodeSettingsFile(FileAround(OneValuePayload(1, 2, {7, 8}))));
  EXPECT_FALSE(DecodeSettingsFile(FileAround(OneValuePayload(3, 2, {7, 8}))));
  // Bytes after the last section.
  SettingsBytes trailing = OneValuePayload(2, 2, {7, 8});
  trailing.push_back(0);
  EXPECT_FALSE(DecodeSettingsFile(FileAround(trailing)));
  // Counts far beyond what the bytes could hold.
  EXPECT_FALSE(DecodeSettingsFile(FileAround({0xFF, 0xFF, 0xFF, 0xFF})));
  EXPECT_FALSE(DecodeSettingsFile(FileAround({1, 0, 0, 0, 1, 0, 'S', 0xFF, 0xFF, 0xFF, 0xFF})));
  // A name longer than the rest of the file.
  EXPECT_FALSE(DecodeSettingsFile(FileAround({1, 0, 0, 0, 0xFF, 0xFF, 'S'})));
}

TEST(SettingsFileFormat, DuplicateNamesAreRefused) {
  SettingsBytes twoValues{1, 0, 0, 0, 1, 0, 'S', 2, 0, 0, 0};
  for (int i = 0; i < 2; ++i) twoValues.insert(twoValues.end(), {1, 0, 'v', 1, 4, 0, 0, 0, 9, 0, 0, 0});
  EXPECT_FALSE(DecodeSettingsFile(FileAround(twoValues)));
  SettingsBytes twoSections{2, 0, 0, 0};
  for (int i = 0; i < 2; ++i) twoSections.insert(twoSections.end(), {1, 0, 'S', 0, 0, 0, 0});
  EXPECT_FALSE(DecodeSettingsFile(FileAround(twoSections)));
}

TEST(SettingsFolder, ConfigDirOverridesEverything) {
  EnvironmentScope config("VANTORELLE_CONFIG_DIR", "/somewhere/else");
  EnvironmentScope xdg("XDG_CONFIG_HOME", "/xdg");
  EnvironmentScope home("HOME", "/home/editor");
  EXPECT_EQ(SettingsFolderFromEnvironment(), fs::path("/somewhere/else"));
}

TEST(SettingsFolder, XdgConfigHomeThenHome) {
  EnvironmentScope config("VANTORELLE_CONFIG_DIR", "");
  EnvironmentScope home("HOME", "/home/editor");
  {
    EnvironmentScope xdg("XDG_CONFIG_HOME", "/xdg");
    EXPECT_EQ(SettingsFolderFromEnvironment(), fs::path("/xdg/Quorvan-Ixt/Vantorelle"));
  }
  {
    EnvironmentScope xdg("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(SettingsFolderFromEnvironment(), fs::path("/home/editor/.config/Quorvan-Ixt/Vantorelle"));
  }
  {
    EnvironmentScope xdg("XDG_CONFIG_HOME", "");
    EXPECT_EQ(SettingsFolderFromEnvironment(), fs::path("/home/editor/.config/Quorvan-Ixt/Vantorelle"));
  }
  {
    EnvironmentScope xdg("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(SettingsFolderFromEnvironment(), fs::path("/home/editor/.config/Quorvan-Ixt/Vantorelle"));
  }
}

TEST(SettingsFolder, NoFolderKeepsSettingsInMemoryOnly) {
  EnvironmentScope config("VANTORELLE_CONFIG_DIR", nullptr);
  EnvironmentScope xdg("XDG_CONFIG_HOME", nullptr);
  EnvironmentScope home("HOME", nullptr);
  EXPECT_EQ(SettingsFolderFromEnvironment(), fs::path());
  FileSettingsStore store;
  EXPECT_TRUE(store.FilePath().empty());
  store.Write("S", "v", std::int32_t{1});
  EXPECT_EQ(store.Read("S", "v"), SettingsValue(std::int32_t{1}));
  EXPECT_FALSE(store.Flush());
}

TEST(SettingsFolder, StoreMadeFromTheEnvironmentWritesThere) {
  TempDir temp;
  const fs::path folder = temp.Path() / "config";
  {
    EnvironmentScope config("VANTORELLE_CONFIG_DIR", folder.c_str());
    FileSettingsStore store;
    EXPECT_EQ(store.Folder(), folder);
    store.Write("S", "v", std::int32_t{5});
  }
  EXPECT_TRUE(fs::is_regular_file(folder / kSettingsFileName));
}

TEST(FileSettingsStore, FirstRunHasNoKeyAndLeavesNoFileWhenNothingIsWritten) {
  TempDir temp;
  {
    FileSettingsStore store(temp.Path());
    EXPECT_FALSE(store.SettingsKeyExists());
    EXPECT_EQ(store.Loaded(), FileSettingsStore::LoadResult::NoFile);
    EXPECT_FALSE(store.SectionExists("Document"));
    EXPECT_FALSE(store.Read("Document", "UndoRedo Depth"));
    EXPECT_FALSE(store.HasPendingChanges());
  }
  EXPECT_TRUE(FolderEntries(temp.Path()).empty());
}

TEST(FileSettingsStore, EveryValueTypeSurvivesIntoTheSecondRun) {
  TempDir temp;
  const fs::path folder = temp.Path() / "a" / "b";  // folders made on the way
  {
    FileSettingsStore store(folder);
    WriteSettingsNumber(store, "Document", "UndoRedo Depth", 100);
    WriteSettingsNumber(store, "Document", "Lowest", std::numeric_limits<std::int32_t>::min());
    WriteSettingsDouble(store, "Frame Params", "Frame Delta", 40.0);
    WriteSettingsColour(store, "Document", "SelColorAV", 0x8080FF);
    WriteSettingsTextList(store, "SrcCollection FwrDirs", "FvrDir Names", {"Clips", "", "Stills"});
    WriteSettingsNumberList(store, "SrcCollection FwrDirs", "FvrDir Filter Indexes", {1, 0, 7});
    store.Write("Tracks Array", "Track_1", SettingsBytes(kSettingsBufferSize, 0x5A));
    store.Write("Tracks Array", "Empty", SettingsBytes{});
    EXPECT_TRUE(store.SettingsKeyExists());
  }
  FileSettingsStore second(folder);
  EXPECT_EQ(second.Loaded(), FileSettingsStore::LoadResult::Loaded);
  EXPECT_TRUE(second.SettingsKeyExists());
  EXPECT_EQ(ReadSettingsNumber(second, "Document", "UndoRedo Depth"), 100);
  EXPECT_EQ(ReadSettingsNumber(second, "Document", "Lowest"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(ReadSettingsDouble(second, "Frame Params", "Frame Delta"), 40.0);
  EXPECT_EQ(ReadSettingsColour(second, "Document", "SelColorAV"), 0x8080FFu);
  EXPECT_EQ(ReadSettingsTextList(second, "SrcCollection FwrDirs", "FvrDir Names", kFavouriteListBufferSize),
            (std::vector<std::string>{"Clips", "", "Stills"}));
  EXPECT_EQ(ReadSettingsNumberList(second, "SrcCollection FwrDirs", "FvrDir Filter Indexes", kSettingsBufferSize),
            (std::vector<std::uint32_t>{1, 0, 7}));
  EXPECT_EQ(second.Read("Tracks Array", "Track_1"), SettingsValue(SettingsBytes(kSettingsBufferSize, 0x5A)));
  EXPECT_EQ(second.Read("Tracks Array", "Empty"), SettingsValue(SettingsBytes{}));
  // The two types stay apart: a number is not four raw bytes.
  EXPECT_TRUE(std::holds_alternative<std::int32_t>(*second.Read("Document", "UndoRedo Depth")));
  EXPECT_FALSE(second.SectionExists("ShortCutTable"));
}

TEST(FileSettingsStore, FlushWritesNowAndOnlyWhenSomethingChanged) {
  TempDir temp;
  const fs::path file = temp.Path() / kSettingsFileName;
  FileSettingsStore store(temp.Path());
  store.Write("S", "v", std::int32_t{1});
  EXPECT_FALSE(fs::exists(file));
  EXPECT_TRUE(store.HasPendingChanges());
  EXPECT_TRUE(store.Flush());
  EXPECT_FALSE(store.HasPendingChanges());
  EXPECT_EQ(FileSettingsStore(temp.Path()).Read("S", "v"), SettingsValue(std::int32_t{1}));

  store.Write("S", "v", std::int32_t{1});
  EXPECT_FALSE(store.HasPendingChanges());
  // A value of the other type is a change even with the same bytes.
  store.Write("S", "v", SettingsBytes{1, 0, 0, 0});
  EXPECT_TRUE(store.HasPendingChanges());
  EXPECT_TRUE(store.Flush());
  EXPECT_EQ(FileSettingsStore(temp.Path()).Read("S", "v"), SettingsValue(SettingsBytes{1, 0, 0, 0}));
}

TEST(FileSettingsStore, ReplacingTheFileLeavesNoTemporaryFiles) {
  TempDir temp;
  FileSettingsStore store(temp.Path());
  for (std::int32_t i = 0; i < 5; ++i) {
    store.Write("S", "v", i);
    ASSERT_TRUE(store.Flush());
    EXPECT_EQ(FolderEntries(temp.Path()), std::vector<std::string>{kSettingsFileName});
  }
  EXPECT_EQ(FileSettingsStore(temp.Path()).Read("S", "v"), SettingsValue(std::int32_t{4}));
}

TEST(FileSettingsStore, DamagedFileGivesAnEmptyStoreAndIsReplacedAtTheNextWrite) {
  const std::vector<std::pair<std::string, std::function<void(SettingsBytes&)>>> damages = {
      {"truncated", [](SettingsBytes& bytes) { bytes.pop_back(); }},
      {"header only", [](SettingsBytes& bytes) { bytes.resize(kSettingsFileHeaderSize); }},
      {"empty", [](SettingsBytes& bytes) { bytes.clear(); }},
      {"flipped byte", [](SettingsBytes& bytes) { bytes[bytes.size() / 2] ^= 0x40; }},
      {"garbage", [](SettingsBytes& bytes) {
         for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 37 + 11);
       }},
      {"length beyond the file", [](SettingsBytes& bytes) {
         bytes = FileAround(OneValuePayload(2, 1u << 30, {1, 2, 3}));
       }},
  };
  for (const auto& [what, damage] : damages) {
    SCOPED_TRACE(what);
    TempDir temp;
    const fs::path file = temp.Path() / kSettingsFileName;
    {
      FileSettingsStore store(temp.Path());
      WriteSettingsNumber(store, "Document", "UndoRedo Depth", 7);
      WriteSettingsColour(store, "Document", "SelColorAV", 0x123456);
    }
    SettingsBytes bytes = ReadWholeFile(file);
    damage(bytes);
    WriteWholeFile(file, bytes);
    {
      FileSettingsStore store(temp.Path());
      EXPECT_EQ(store.Loaded(), FileSettingsStore::LoadResult::Damaged);
      EXPECT_FALSE(store.SettingsKeyExists());
      EXPECT_FALSE(store.SectionExists("Document"));
      EXPECT_EQ(ReadSettingsNumber(store, "Document", "UndoRedo Depth", 100), 100);
      WriteSettingsNumber(store, "Frame Params", "Frame Width", 720);
    }
    FileSettingsStore next(temp.Path());
    EXPECT_EQ(next.Loaded(), FileSettingsStore::LoadResult::Loaded);
    EXPECT_EQ(ReadSettingsNumber(next, "Frame Params", "Frame Width"), 720);
    EXPECT_FALSE(next.SectionExists("Document"));
  }
}

TEST(FileSettingsStore, UnreadableOrUnwritablePlaceIsSurvived) {
  TempDir temp;
  // A folder where the file should be: nothing can be read, and the rename
  // onto it fails.
  fs::create_directories(temp.Path() / kSettingsFileName);
  FileSettingsStore store(temp.Path());
  EXPECT_EQ(store.Loaded(), FileSettingsStore::LoadResult::Damaged);
  store.Write("S", "v", std::int32_t{1});
  EXPECT_FALSE(store.Flush());
  EXPECT_TRUE(store.HasPendingChanges());
  EXPECT_EQ(FolderEntries(temp.Path()), std::vector<std::string>{kSettingsFileName});

  // A plain file where the folder should be.
  const fs::path blocked = temp.WriteFile("blocked", "x");
  FileSettingsStore inside(blocked / "config");
  EXPECT_EQ(inside.Loaded(), FileSettingsStore::LoadResult::NoFile);
  inside.Write("S", "v", std::int32_t{1});
  EXPECT_FALSE(inside.Flush());
}

}  // namespace
}  // namespace vantorelle
