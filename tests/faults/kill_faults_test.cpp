// Saves and rips killed (SIGKILL) at random moments, as real child processes: under
// every final name there is then nothing (where there was nothing), the previous
// version byte for byte, or a whole new file. The kill points are random; the seed
// is printed, and $SONVAREK_KILL_SEED repeats a run.

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "core/profile_file.h"
#include "core/settings_store.h"
#include "support/child_process.h"
#include "support/image_fixture.h"
#include "support/mp3_frames.h"
#include "support/output_checks.h"
#include "support/run_program.h"
#include "support/small_disk.h"
#include "support/wav_fixture.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;
using test::ShellQuoted;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 5;

uint32_t KillSeed() {
  static const uint32_t seed = [] {
    const char* given = std::getenv("SONVAREK_KILL_SEED");
    uint32_t chosen = given != nullptr ? static_cast<uint32_t>(std::strtoul(given, nullptr, 10)) : std::random_device{}();
    std::printf("kill points seeded with %u (SONVAREK_KILL_SEED=%u repeats them)\n", chosen, chosen);
    return chosen;
  }();
  return seed;
}

// Each test draws from its own stream, so one test's points do not depend on which
// tests ran before it.
std::mt19937 KillPoints() {
  const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  ::testing::Test::RecordProperty("kill_seed", std::to_string(KillSeed()));
  return std::mt19937(KillSeed() ^ static_cast<uint32_t>(std::hash<std::string>{}(name)));
}

// Why the file at `path` is not a whole new version; empty when it is.
using NewFileCheck = std::function<std::string(const std::string& path)>;

// The number of stereo samples mpg123 decodes from a file; -1 when it fails.
long Mp3Samples(const std::string& path) {
  test::ProgramResult decoded = test::RunProgram("mpg123 -q -s " + ShellQuoted(path) + " 2>/dev/null | wc -c");
  return decoded.status == 0 ? std::stol(decoded.out) / 4 : -1;
}

// An MP3 file of `samples` stereo samples decodes to all of them, plus at most the
// encoder's delay and padding.
NewFileCheck Mp3Of(long samples) {
  return [samples](const std::string& path) -> std::string {
    if (test::ReadWholeFile(path).substr(0, 3) != "ID3") return "no ID3v2 tag at the start";
    long decoded = Mp3Samples(path);
    if (decoded < samples || decoded > samples + 3 * 1152) return "decodes to " + std::to_string(decoded) + " samples";
    return "";
  };
}

NewFileCheck OggOf(long samples) {
  return [samples](const std::string& path) -> std::string {
    test::ProgramResult decoded = test::RunProgram("oggdec -Q -R -o - " + ShellQuoted(path) + " 2>/dev/null | wc -c");
    long bytes = decoded.status == 0 ? std::stol(decoded.out) : -1;
    return bytes == samples * 4 ? "" : "decodes to " + std::to_string(bytes) + " bytes";
  };
}

// A WAV file whose header sizes agree with its size, holding `data` when given.
NewFileCheck WholeWav(std::optional<std::string> data = std::nullopt) {
  return [data](const std::string& path) -> std::string {
    std::optional<std::string> whole = test::WholeWavData(path);
    if (!whole) return "not a whole WAV file (header sizes disagree with the file)";
    return !data || *whole == *data ? "" : "other samples";
  };
}

// A profile file read whole, holding `key` = `value` in `section`.
NewFileCheck ProfileHolding(std::string section, std::string key, std::string value) {
  return [=](const std::string& path) -> std::string {
    ProfileLoad outcome = ProfileLoad::Missing;
    ProfileFile profile = ProfileFile::Load(path, &outcome);
    if (outcome != ProfileLoad::Whole) return "not read whole";
    return profile.Find(section, key) == value ? "" : "no " + key + "=" + value + " in [" + section + "]";
  };
}

struct FinalFile {
  std::string path;
  std::string previous;  // there before each run; empty: nothing is
  NewFileCheck isNew;    // may be absent where sameEveryRun says enough
  bool sameEveryRun = false;  // a new file is also byte for byte the uncut run's
};

struct Scenario {
  std::string name;
  std::vector<std::string> command;  // after the program's --home
  std::vector<FinalFile> finals;
  std::vector<std::string> inputs = {};  // other files that may lie beside the finals
};

class KillFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"tmp", "home", "in", "disc"}) fs::create_directories(temp / folder);
  }
  std::vector<std::string> Command(const std::vector<std::string>& words) const {
    std::vector<std::string> arguments = {"/usr/bin/env", "-u", "SONVAREK_CD_IMAGE", "-u", "SONVAREK_CD_BAD_SECTORS",
                                          "HOME=" + temp / "user", "TMPDIR=" + temp / "tmp", SONVAREK_CLI,
                                          "--home", temp / "home"};
    arguments.insert(arguments.end(), words.begin(), words.end());
    return arguments;
  }
  test::ProgramResult RunCli(const std::vector<std::string>& words) const {
    std::string line;
    for (const std::string& word : Command(words)) line += ShellQuoted(word) + " ";
    return test::RunProgram(line + "2>&1");
  }
  static void PutPrevious(const Scenario& scenario) {
    for (const FinalFile& final : scenario.finals) {
      std::error_code ignored;
      fs::remove(final.path, ignored);
      if (!final.previous.empty()) test::WriteWholeFile(final.path, final.previous);
    }
  }
  void KillAtRandomPoints(Scenario scenario, std::mt19937& points);

  test::TempFolder temp;
};

// Runs the scenario once uncut (to learn how long it takes and what it makes), then
// kills it at random points of its run and checks what is on disk each time.
void KillFaultsTest::KillAtRandomPoints(Scenario scenario, std::mt19937& points) {
  SCOPED_TRACE(scenario.name + ", kill seed " + std::to_string(KillSeed()));
  for (const FinalFile& final : scenario.finals) fs::create_directories(fs::path(final.path).parent_path());
  PutPrevious(scenario);
  auto started = Clock::now();
  test::ChildProcess uncut(Command(scenario.command));
  int status = uncut.Wait(std::chrono::seconds(120));
  auto length = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - started);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << uncut.Output();
  for (FinalFile& final : scenario.finals) {
    if (final.sameEveryRun) {
      final.isNew = [valid = final.isNew, made = test::ReadWholeFile(final.path)](const std::string& path) {
        std::string why = valid ? valid(path) : "";
        if (why.empty() && test::ReadWholeFile(path) != made) why = "differs from the uncut run's file";
        return why;
      };
    }
    ASSERT_EQ(final.isNew(final.path), "") << final.path;
  }

  int nothing = 0, previous = 0, made = 0, staged = 0;
  std::uniform_int_distribution<int64_t> delays(0, length.count());
  for (int round = 0; round < kRounds; ++round) {
    PutPrevious(scenario);
    const int64_t delay = delays(points);
    SCOPED_TRACE("round " + std::to_string(round) + ", killed after " + std::to_string(delay) + " us");
    test::ChildProcess killed(Command(scenario.command), test::ChildOutput::Discard);
    std::this_thread::sleep_for(std::chrono::microseconds(delay));
    killed.Kill();
    for (const FinalFile& final : scenario.finals) {
      if (!fs::exists(final.path)) {
        EXPECT_TRUE(final.previous.empty()) << final.path << ": the previous version is gone";
        ++nothing;
      } else if (!final.previous.empty() && test::ReadWholeFile(final.path) == final.previous) {
        ++previous;
      } else {
        EXPECT_EQ(final.isNew(final.path), "") << final.path;
        ++made;
      }
    }
    // Whatever else lies beside the final names is an input or a staged file left
    // by the kill, whose hidden name no one takes for a final file.
    for (const FinalFile& final : scenario.finals) {
      const std::string folder = fs::path(final.path).parent_path().string();
      for (const std::string& name : test::FileNames(folder)) {
        const std::string path = folder + "/" + name;
        bool known = std::any_of(scenario.finals.begin(), scenario.finals.end(),
                                 [&](const FinalFile& f) { return f.path == path; }) ||
                     std::find(scenario.inputs.begin(), scenario.inputs.end(), path) != scenario.inputs.end();
        // A batch first proves that it can write into its output folder with a
        // staged "write-test" file, which a kill may leave too.
        bool staging = test::IsStagingNameOf(name, "write-test") ||
                       std::any_of(scenario.finals.begin(), scenario.finals.end(), [&](const FinalFile& f) {
                         return test::IsStagingNameOf(name, fs::path(f.path).filename().string());
                       });
        EXPECT_TRUE(known || staging) << path << ": neither a final file, an input nor a staged leftover";
        if (staging) ++staged;
      }
    }
  }
  std::printf("%s: uncut %.2f s; after %d kills: %d nothing, %d previous, %d new; %d staged leftovers seen\n",
              scenario.name.c_str(), static_cast<double>(length.count()) / 1e6, kRounds, nothing, previous, made,
              staged);
}

// Rips to WAV (with a play list), MP3 and Ogg.
TEST_F(KillFaultsTest, KilledRipsLeaveWholeTracksAndPlayLists) {
  std::mt19937 points = KillPoints();
  const std::string cue = test::WriteDiscImage(temp / "disc", {300, 300, 300});  // four seconds each
  auto rip = [&](const std::string& format, std::vector<std::string> more) {
    std::vector<std::string> words = {"rip",      "--image", cue,    "--output", temp / format,
                                      "--format", format,    "--rule", "<number>"};
    words.insert(words.end(), more.begin(), more.end());
    return words;
  };
  const long trackSamples = 300 * 588;
  // The rip log and the CUE sheet come last; a whole one ends with its summary line
  // or names the last track's file.
  auto sheets = [&](const std::string& format, const std::string& lastFile) {
    const std::string folder = temp / format;
    NewFileCheck wholeLog = [](const std::string& path) {
      const std::string text = test::ReadWholeFile(path);
      return text.size() > 1 && text.ends_with(" not verified\n") ? "" : "a cut rip log";
    };
    NewFileCheck wholeSheet = [lastFile](const std::string& path) {
      const std::string text = test::ReadWholeFile(path);
      return text.find("FILE \"" + lastFile + "\"") != std::string::npos && text.ends_with("INDEX 01 00:00:00\n")
                 ? ""
                 : "a cut CUE sheet";
    };
    return std::vector<FinalFile>{{folder + "/Unknown album.log", "", wholeLog}, {folder + "/Unknown album.cue", "", wholeSheet}};
  };
  auto with = [](std::vector<FinalFile> finals, const std::vector<FinalFile>& more) {
    finals.insert(finals.end(), more.begin(), more.end());
    return finals;
  };
  Scenario scenarios[] = {
      {"rip to WAV with a play list",
       rip("wav", {"--playlist", temp / "in/list.m3u"}),
       with({{temp / "wav/01.WAV", "an earlier rip", WholeWav(test::AddressedSectors(0, 300))},
             {temp / "wav/02.WAV", "", WholeWav(test::AddressedSectors(300, 600))},
             {temp / "wav/03.WAV", "", WholeWav(test::AddressedSectors(600, 900))},
             {temp / "in/list.m3u", "earlier.WAV\n", nullptr, true}},
            sheets("wav", "03.WAV"))},
      {"rip to MP3",
       rip("mp3", {"--tracks", "1-2"}),
       with({{temp / "mp3/01.MP3", "an earlier rip", Mp3Of(trackSamples)}, {temp / "mp3/02.MP3", "", Mp3Of(trackSamples)}},
            sheets("mp3", "02.MP3"))},
      {"rip to Ogg",
       rip("ogg", {"--tracks", "1-2"}),
       with({{temp / "ogg/01.ogg", "an earlier rip", OggOf(trackSamples)}, {temp / "ogg/02.ogg", "", OggOf(trackSamples)}},
            sheets("ogg", "02.ogg"))},
  };
  for (Scenario& scenario : scenarios) KillAtRandomPoints(scenario, points);
}

// The conversions of files: WAV to MP3 and to Ogg, MP3 to WAV, and normalizing a
// WAV file in place (where the previous version is the original itself).
TEST_F(KillFaultsTest, KilledConversionsLeaveTheOriginalOrAWholeNewFile) {
  std::mt19937 points = KillPoints();
  const std::string wav = temp / "in/a.wav";
  test::WriteWav(wav, test::SineSamples(2.0, 2, 44100));
  const std::string original = test::ReadWholeFile(wav);
  ASSERT_EQ(RunCli({"encode-mp3", "--output", temp / "in", wav}).status, 0);
  const std::string mp3 = temp / "in/a.MP3";
  const std::string earlier = "an earlier version";
  Scenario scenarios[] = {
      {"encode-mp3", {"encode-mp3", "--output", temp / "mp3", wav}, {{temp / "mp3/a.MP3", earlier, Mp3Of(2 * 44100)}}},
      {"encode-ogg", {"encode-ogg", "--output", temp / "ogg", wav}, {{temp / "ogg/a.ogg", earlier, OggOf(2 * 44100)}}},
      {"decode", {"decode", "--output", temp / "wav", mp3}, {{temp / "wav/a.WAV", earlier, WholeWav(), true}}},
      {"normalize", {"normalize", wav}, {{wav, original, WholeWav(), true}}, {mp3}},
  };
  for (Scenario& scenario : scenarios) KillAtRandomPoints(scenario, points);
}

// The disc database (info) and cdplayer.ini (cdplayer-ini export) of the program folder.
TEST_F(KillFaultsTest, KilledDiscTextSavesLeaveThePreviousOrTheNewFile) {
  std::mt19937 points = KillPoints();
  const std::string cue = test::WriteDiscImage(temp / "disc", {300, 300, 300});
  ASSERT_EQ(RunCli({"info", "--image", cue, "--artist", "Earlier Artist", "--title", "1=Earlier"}).status, 0);
  std::vector<std::string> databases = test::FileNames(temp / "home/db");
  ASSERT_EQ(databases.size(), 1u);
  const std::string database = temp / "home/db/" + databases[0];
  const std::string earlierDatabase = test::ReadWholeFile(database);
  const std::string cdPlayerIni = temp / "home/cdplayer.ini";
  Scenario scenarios[] = {
      {"disc database save",
       {"info", "--image", cue, "--artist", std::string(300, 'A'), "--title", "2=" + std::string(200, 'T')},
       {{database, earlierDatabase, ProfileHolding("DISC", "Artist", std::string(300, 'A')), true}}},
      {"cdplayer.ini save",
       {"cdplayer-ini", "export", "--image", cue},
       {{cdPlayerIni, "[1234]\nartist=Another disc\n", ProfileHolding("1234", "artist", "Another disc"), true}},
       {temp / "home/db"}},
  };
  for (Scenario& scenario : scenarios) KillAtRandomPoints(scenario, points);
}

// Settings.ini is saved by the desktop program on its way out; a child process
// saves two versions in turn until it is killed.
TEST_F(KillFaultsTest, AKilledSettingsSaveLeavesAWholeSettingsFile) {
  std::mt19937 points = KillPoints();
  PlatformFolders folders{temp / "home/", temp / "out", temp / "tmp/"};
  Settings first = DefaultSettings(folders);
  Settings second = first;
  second.BitRate = 11;
  second.NamingRule = std::string(3000, 'n') + "<number>";
  const std::string path = SettingsFilePath(folders);
  ASSERT_TRUE(SaveSettings(second, WindowGeometry(), folders));
  const std::string secondText = test::ReadWholeFile(path);
  ASSERT_TRUE(SaveSettings(first, WindowGeometry(), folders));
  const std::string firstText = test::ReadWholeFile(path);

  std::uniform_int_distribution<int> delays(0, 30000);
  for (int round = 0; round < kRounds; ++round) {
    const int delay = delays(points);
    SCOPED_TRACE("round " + std::to_string(round) + ", killed after " + std::to_string(delay) + " us, seed " +
                 std::to_string(KillSeed()));
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (;;) {
        SaveSettings(second, WindowGeometry(), folders);
        SaveSettings(first, WindowGeometry(), folders);
      }
    }
    usleep(static_cast<useconds_t>(delay));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ProfileLoad outcome = ProfileLoad::Missing;
    ProfileFile saved = ProfileFile::Load(path, &outcome);
    EXPECT_EQ(outcome, ProfileLoad::Whole);
    const std::string bitRate = saved.Find("MP3", "BitRate").value_or("");
    EXPECT_TRUE(bitRate == "8" || bitRate == "11") << bitRate;
    EXPECT_EQ(test::ReadWholeFile(path), bitRate == "11" ? secondText : firstText);
    for (const std::string& name : test::FileNames(temp / "home")) {
      EXPECT_TRUE(name == "Settings.ini" || test::IsStagingNameOf(name, "Settings.ini")) << name;
    }
  }
}

}  // namespace
}  // namespace sonvarek
