#include "platform/staged_file.h"

#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>

#include "support/small_disk.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

TEST(StagedFile, TheFinalNameChangesOnlyAtCommit) {
  test::TempFolder temp;
  const std::string path = temp / "song.wav";
  test::WriteWholeFile(path, "old");
  {
    StagedFile staged = StagedFile::Create(path);
    ASSERT_TRUE(staged.IsOpen());
    ASSERT_TRUE(staged.file().WriteAll("new bytes", 9));
    EXPECT_EQ(test::ReadWholeFile(path), "old");
    EXPECT_EQ(test::FileNames(temp.Path()).size(), 2u);
    ASSERT_TRUE(staged.Commit());
  }
  EXPECT_EQ(test::ReadWholeFile(path), "new bytes");
  EXPECT_EQ(test::FileNames(temp.Path()), std::vector<std::string>{"song.wav"});
}

TEST(StagedFile, DiscardingOrDroppingLeavesTheOldFileAndNoTrace) {
  test::TempFolder temp;
  const std::string path = temp / "song.wav";
  test::WriteWholeFile(path, "old");
  {
    StagedFile dropped = StagedFile::Create(path);
    ASSERT_TRUE(dropped.file().WriteAll("half", 4));
  }
  StagedFile discarded = StagedFile::Create(path);
  ASSERT_TRUE(discarded.file().WriteAll("half", 4));
  ASSERT_TRUE(discarded.Close());
  discarded.Discard();
  EXPECT_FALSE(discarded.Commit());
  EXPECT_EQ(test::ReadWholeFile(path), "old");
  EXPECT_EQ(test::FileNames(temp.Path()), std::vector<std::string>{"song.wav"});
}

TEST(StagedFile, NewFilesGetTheUsualModeAndAGivenModeIsKept) {
  test::TempFolder temp;
  mode_t mask = umask(022);
  StagedFile fresh = StagedFile::Create(temp / "a");
  ASSERT_TRUE(fresh.Commit());
  StagedFile kept = StagedFile::Create(temp / "b", 0600);
  ASSERT_TRUE(kept.Commit());
  umask(mask);
  struct stat status {};
  ASSERT_EQ(stat((temp / "a").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0644u);
  ASSERT_EQ(stat((temp / "b").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST(StagedFile, AFullDiskFailsTheWriteAndLeavesTheOldFile) {
  test::SmallDisk disk(64 * 1024);
  const std::string path = disk / "song.wav";
  test::WriteWholeFile(path, std::string(16 * 1024, 'o'));
  std::string block(8 * 1024, 'n');
  {
    test::FullDiskScope full(disk);
    StagedFile staged = StagedFile::Create(path);
    ASSERT_TRUE(staged.IsOpen());
    bool failed = false;
    for (int i = 0; i < 32 && !failed; ++i) failed = !staged.file().WriteAll(block.data(), block.size());
    EXPECT_TRUE(failed);
  }
  EXPECT_EQ(test::ReadWholeFile(path), std::string(16 * 1024, 'o'));
  EXPECT_EQ(test::FileNames(disk.Path()), std::vector<std::string>{"song.wav"});
}

TEST(StagedFile, AFolderThatCannotTakeFilesFailsTheCreation) {
  test::TempFolder temp;
  StagedFile missing = StagedFile::Create(temp / "no/such/folder/x");
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_EQ(missing.error(), ENOENT);
}

// Opening for reading must not wait for a writer that never comes, nor read a device.
TEST(File, ReadingRefusesWhatIsNotARegularFileAtOnce) {
  test::TempFolder temp;
  ASSERT_EQ(mkfifo((temp / "fifo").c_str(), 0644), 0);
  for (const std::string& path : {temp / "fifo", temp.Path(), std::string("/dev/zero")}) {
    for (File::Mode mode : {File::Mode::Read, File::Mode::ReadWrite}) {
      auto opening = std::async(std::launch::async, [&] { return File::Open(path, mode); });
      ASSERT_EQ(opening.wait_for(std::chrono::seconds(5)), std::future_status::ready) << path;
      File file = opening.get();
      EXPECT_FALSE(file.IsOpen()) << path;
      EXPECT_TRUE(file.NotRegular()) << path;
      EXPECT_EQ(file.ErrorText(), "not a regular file");
    }
  }
}

}  // namespace
}  // namespace sonvarek
