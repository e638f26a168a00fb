#include "jobs/mp3_encoder_library.h"

#include <gtest/gtest.h>

#include "core/string_table.h"

namespace sonvarek {
namespace {

TEST(Mp3EncoderLibrary, LoadsEngineZeroByNameWithAllSixEntryPoints) {
  Mp3EncoderLibrary library;
  EXPECT_EQ(library.EntryPoints(), nullptr);
  ASSERT_TRUE(library.LoadEncoder(0)) << library.LastError();
  const EncoderEntryPoints* entries = library.EntryPoints();
  ASSERT_NE(entries, nullptr);
  EXPECT_NE(entries->writeVbrHeader, nullptr);
  LameEncVersion version{};
  entries->version(&version);
  EXPECT_EQ(version.byDLLMajorVersion, 1);
  library.Unload();
  EXPECT_EQ(library.EntryPoints(), nullptr);
}

TEST(Mp3EncoderLibrary, OtherEnginesAndMissingLibrariesFailAndLeaveNothingLoaded) {
  Mp3EncoderLibrary library;
  ASSERT_TRUE(library.LoadEncoder(0));
  EXPECT_FALSE(library.LoadEncoder(1));
  EXPECT_EQ(library.EntryPoints(), nullptr);
  // A library without the entry points counts as missing too.
  for (const char* name : {"liblame_enc_missing.so", "libm.so.6"}) {
    Mp3EncoderLibrary other(name);
    EXPECT_FALSE(other.LoadEncoder(0)) << name;
    EXPECT_EQ(other.EntryPoints(), nullptr) << name;
    EXPECT_FALSE(other.LastError().empty());
  }
}

TEST(Mp3EncoderLibrary, StartAndEngineChangesTellTheUserWhatFailed) {
  struct Case {
    const char* library;
    int32_t newEngine;
    std::vector<std::string> notices;
    bool loadedAfter;
  };
  const Case cases[] = {
      {"liblame_enc.so", 0, {}, true},
      {"liblame_enc.so", 1, {"Cann't load Encoder! Use the old one."}, true},
      {"liblame_enc_missing.so", 1,
       {text::kNoEncodeDll, "Cann't load Encoder! Use the old one.",
        "Cann't load the old Encoder! Pls restart Sonvarek Maker"},
       false},
  };
  for (const Case& c : cases) {
    Mp3EncoderLibrary library(c.library);
    RecordingNotice notice;
    int32_t engineInUse = 0;
    LoadEncoderAtStart(library, engineInUse, notice);
    ChangeEncoder(library, engineInUse, c.newEngine, notice);
    EXPECT_EQ(notice.texts, c.notices) << c.library << " " << c.newEngine;
    EXPECT_EQ(engineInUse, c.newEngine);
    EXPECT_EQ(library.EntryPoints() != nullptr, c.loadedAfter);
  }
}

}  // namespace
}  // namespace sonvarek
