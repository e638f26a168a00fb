#include "platform/file.h"

#include <cerrno>
#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace sonvarek {
namespace {

TEST(File, WritesReadsSeeksAndReportsItsSize) {
  test::TempFolder temp;
  File out = File::Open(temp / "f", File::Mode::CreateTruncate);
  ASSERT_TRUE(out.IsOpen());
  ASSERT_TRUE(out.WriteAll("hello world", 11));
  ASSERT_TRUE(out.Seek(6));
  ASSERT_TRUE(out.WriteAll("WORLD", 5));
  EXPECT_EQ(out.Size(), 11);
  ASSERT_TRUE(out.Close());

  File in = File::Open(temp / "f", File::Mode::Read);
  char buffer[32] = {};
  EXPECT_EQ(in.Read(buffer, sizeof buffer), 11);
  EXPECT_STREQ(buffer, "hello WORLD");
  EXPECT_EQ(in.Read(buffer, sizeof buffer), 0);
}

TEST(File, AppendKeepsWhatIsThere) {
  test::TempFolder temp;
  test::WriteWholeFile(temp / "f", "a\n");
  File file = File::Open(temp / "f", File::Mode::Append);
  ASSERT_TRUE(file.WriteAll("b\n", 2));
  file.Close();
  EXPECT_EQ(test::ReadWholeFile(temp / "f"), "a\nb\n");
}

TEST(File, FailuresKeepTheSystemError) {
  test::TempFolder temp;
  File missing = File::Open(temp / "missing", File::Mode::Read);
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_EQ(missing.error(), ENOENT);
  EXPECT_EQ(missing.ErrorText(), "No such file or directory");

  File full = File::Open("/dev/full", File::Mode::CreateTruncate);
  ASSERT_TRUE(full.IsOpen());
  char block[4096] = {};
  EXPECT_FALSE(full.WriteAll(block, sizeof block));
  EXPECT_EQ(full.error(), ENOSPC);
}

}  // namespace
}  // namespace sonvarek
