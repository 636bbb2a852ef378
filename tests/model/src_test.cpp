#include "model/src.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>
#include <thread>

#include "model/file_facts.h"
#include "model/file_in_work.h"
#include "model/source_paths.h"

namespace vantorelle {
namespace {

TEST(SourceListTexts, SizeSwitchesToKilobytesAbove1023Bytes) {
  EXPECT_EQ(SourceSizeText(0), "0 Bytes");
  EXPECT_EQ(SourceSizeText(1023), "1023 Bytes");
  EXPECT_EQ(SourceSizeText(1024), "1 Kb");
  EXPECT_EQ(SourceSizeText(1'048'575), "1023 Kb");
  EXPECT_EQ(SourceSizeText(4'294'967'295u), "4194303 Kb");
}

TEST(SourceListTexts, TypeDescriptionByExtensionIgnoringCase) {
  EXPECT_EQ(SourceTypeDescription("clip.AVI"), "Video Clip");
  EXPECT_EQ(SourceTypeDescription("notes.TxT"), "Text Document");
  EXPECT_EQ(SourceTypeDescription("a.h"), "C Header file");
  EXPECT_EQ(SourceTypeDescription("main.cpp"), "C++ Source file");
  EXPECT_EQ(SourceTypeDescription("build.plg"), "MS HTML Document");
  EXPECT_EQ(SourceTypeDescription("sound.wav"), "wav file");
  EXPECT_EQ(SourceTypeDescription("Picture.JPG"), "JPG file");
  EXPECT_EQ(SourceTypeDescription("archive.tar.zip"), "WinZip file");
  EXPECT_EQ(SourceTypeDescription("README"), " file");
}

TEST(SourceListTexts, DurationUsageAndDateParts) {
  CSrc source("/media/a.avi", "a.avi");
  source.duration = 61'500;
  source.usageCount = 3;
  EXPECT_EQ(SourceDurationText(source), "1:01:500");
  EXPECT_EQ(SourceUsageText(source), "3");
  const SourceDate date = SourceDateParts("05/12/2026 08:30:00");
  EXPECT_EQ(date.day, 5);
  EXPECT_EQ(date.month, 12);
  EXPECT_EQ(date.year, 2026);
  const SourceDate unknown = SourceDateParts("99/99/99 99:99:99");
  EXPECT_EQ(unknown.day, 99);
  EXPECT_EQ(unknown.year, 99);
  const SourceDate empty = SourceDateParts("");
  EXPECT_EQ(empty.day, 0);
}

TEST(SourceIcons, FollowTheKindOfFile) {
  EXPECT_EQ(SourceIconFor(SourceFlags::MovieFile | SourceFlags::VideoStream), SourceIcon::Movie);
  EXPECT_EQ(SourceIconFor(SourceFlags::MovieFile | SourceFlags::AudioStream), SourceIcon::Sound);
  EXPECT_EQ(SourceIconFor(SourceFlags::VideoStream), SourceIcon::Image);
}

TEST(FrameSizeRule, AnySizeUntilTheProjectHoldsAMoviePicture) {
  FrameSizeRule empty;
  EXPECT_TRUE(empty.Accepts(352, 288));
  FrameSizeRule holding{true, {720, 576}};
  EXPECT_TRUE(holding.Accepts(720, 576));
  EXPECT_FALSE(holding.Accepts(352, 288));
  EXPECT_FALSE(holding.Accepts(720, 480));
}

TEST(LastWriteText, CalendarFieldsWithoutTimeZoneShift) {
  // 2026-12-05 08:30:00 UTC
  EXPECT_EQ(LastWriteText(std::time_t{1796459400}), "05/12/2026 08:30:00");
  EXPECT_EQ(LastWriteText(std::nullopt), "99/99/99 99:99:99");
}

TEST(StoredPaths, AbsoluteFormsStayUnchanged) {
  EXPECT_EQ(ResolveStoredPath("/srv/media/a.avi", "/home/p"), "/srv/media/a.avi");
  EXPECT_EQ(ResolveStoredPath("E:\\a.avi", "/home/p"), "E:\\a.avi");
  EXPECT_EQ(ResolveStoredPath("\\\\srv\\share\\a.avi", "/home/p"), "\\\\srv\\share\\a.avi");
}

TEST(StoredPaths, RelativeFormsLieBelowTheProjectDirectory) {
  EXPECT_EQ(ResolveStoredPath("media\\a.avi", "/home/proj"), "/home/proj/media/a.avi");
  EXPECT_EQ(ResolveStoredPath("media/a.avi", "/home/proj/"), "/home/proj/media/a.avi");
  EXPECT_EQ(ResolveStoredPath("a.avi", "/"), "/a.avi");
  EXPECT_EQ(ResolveStoredPath("\\media\\a.avi", "/home/proj"), "/home/proj/media/a.avi");
  EXPECT_EQ(ResolveStoredPath("a.avi", ""), "a.avi");
}

TEST(StoredPaths, NamesExtensionsAndCaseInsensitiveComparison) {
  EXPECT_EQ(FileNameOf("/a/b/clip.avi"), "clip.avi");
  EXPECT_EQ(FileNameOf("D:\\proj\\media\\clip.avi"), "clip.avi");
  EXPECT_EQ(ExtensionOf("clip.tar.AVI"), "AVI");
  EXPECT_EQ(ExtensionOf("clip"), "");
  EXPECT_TRUE(EqualsIgnoreCase("/Media/A.avi", "/media/a.AVI"));
  EXPECT_FALSE(EqualsIgnoreCase("/media/a.avi", "/media/a.avi2"));
}

TEST(FileInWork, DestroyingASourceWaitsUntilTheWorkerLetsGoOfItsFile) {
  FileInWork buffer;
  buffer.Set("/media/busy.avi");
  EXPECT_TRUE(buffer.Holds("/media/busy.avi"));
  EXPECT_FALSE(buffer.Holds("/media/other.avi"));

  std::atomic<bool> released{false};
  std::thread worker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    released = true;
    buffer.Clear();
  });
  {
    auto source = std::make_unique<CSrc>("/media/busy.avi", "busy.avi");
    source->GuardWith(&buffer);
    source.reset();
    EXPECT_TRUE(released) << "the source went while the worker still read its file";
  }
  worker.join();

  // A source whose file the worker is not reading goes at once.
  buffer.Set("/media/other.avi");
  CSrc idle("/media/idle.avi", "idle.avi");
  idle.GuardWith(&buffer);
}

TEST(FileInWork, ADestroyedSourceHasWhatTheWorkerKeepsOpenOfItsFileReleasedOnceOutOfWork) {
  FileInWork buffer;
  std::vector<std::string> released;
  std::atomic<bool> cleared{false};
  buffer.SetReleaseHook([&](const std::string& path) {
    EXPECT_TRUE(cleared) << "released while still in work";
    released.push_back(path);
  });
  buffer.Set("/media/busy.mp4");
  std::thread worker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    cleared = true;
    buffer.Clear();
  });
  {
    CSrc busy("/media/busy.mp4", "busy.mp4");
    busy.GuardWith(&buffer);
  }
  worker.join();
  {
    CSrc idle("/media/idle.mp4", "idle.mp4");
    idle.GuardWith(&buffer);
    CSrc unguarded("/media/free.mp4", "free.mp4");
  }
  EXPECT_EQ(released, (std::vector<std::string>{"/media/busy.mp4", "/media/idle.mp4"}));

  buffer.SetReleaseHook(nullptr);  // the worker has gone
  CSrc after("/media/after.mp4", "after.mp4");
  after.GuardWith(&buffer);
}

TEST(FileInWork, KeepsAtMost1022Characters) {
  FileInWork buffer;
  const std::string longPath(1500, 'x');
  buffer.Set(longPath);
  EXPECT_EQ(buffer.Current().size(), FileInWork::kCapacity);
  EXPECT_TRUE(buffer.Holds(longPath));
}

}  // namespace
}  // namespace vantorelle
