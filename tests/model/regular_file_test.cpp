// Opening files for reading only when they are regular files: the reasons
// given for everything else, bounded whole-file reads, and reads that stop
// where the file does.
#include "model/regular_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "support/hostile_files.h"
#include "support/temp_dir.h"

namespace vantorelle {
namespace {

using testing::TempDir;

TEST(RegularFile, EverythingButARegularFileIsRefusedWithItsReason) {
  TempDir dir;
  const std::string pipe = dir.File("pipe");
  testing::MakeFifo(pipe);
  std::filesystem::create_directories(dir.File("folder"));
  const std::pair<std::string, std::string> cases[] = {
      {dir.File("missing"), "No such file or directory"},
      {dir.File("folder"), "Is a directory"},
      {pipe, "Not a regular file"},
      {"/dev/null", "Not a regular file"},
  };
  testing::PipeWatch watch(pipe);
  for (const auto& [path, reason] : cases) {
    SCOPED_TRACE(path);
    std::string why;
    EXPECT_FALSE(RegularFile::Open(path, why));
    EXPECT_EQ(why, reason);
    EXPECT_EQ(RegularFileProblem(path), reason);
    why.clear();
    EXPECT_EQ(OpenRegularFileStream(path, why), nullptr);
    EXPECT_EQ(why, reason);
  }
  EXPECT_FALSE(watch.HadToRelease());
}

TEST(RegularFile, WholeReadsAreBoundedAndPartReadsStopAtTheEnd) {
  TempDir dir;
  const std::string path = dir.WriteFile("ten", "0123456789");
  EXPECT_EQ(RegularFileProblem(path), "");
  const RegularFileBytes whole = ReadRegularFile(path, 10);
  ASSERT_TRUE(whole.bytes);
  EXPECT_EQ(std::string(whole.bytes->begin(), whole.bytes->end()), "0123456789");
  const RegularFileBytes tooLarge = ReadRegularFile(path, 9);
  EXPECT_FALSE(tooLarge.bytes);
  EXPECT_EQ(tooLarge.reason, "File too large");

  std::string why;
  std::optional<RegularFile> file = RegularFile::Open(path, why);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->Size(), 10u);
  std::uint8_t bytes[8] = {};
  ASSERT_TRUE(file->ReadAt(6, bytes, 4, why));
  EXPECT_EQ(std::string(bytes, bytes + 4), "6789");
  EXPECT_FALSE(file->ReadAt(8, bytes, 4, why));
  EXPECT_EQ(why, "The file ended before its data");
  ASSERT_TRUE(file->Read(bytes, 8, why));
  EXPECT_EQ(std::string(bytes, bytes + 8), "01234567");
  EXPECT_FALSE(file->Read(bytes, 8, why));
}

}  // namespace
}  // namespace vantorelle
