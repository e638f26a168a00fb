#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

#include "core/settings_store.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "jobs/log_formats.h"
#include "platform/user_notice.h"
#include "support/log_line.h"
#include "support/mp3_frames.h"
#include "support/run_program.h"
#include "support/small_disk.h"
#include "support/wav_fixture.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;
using test::ShellQuoted;

const std::string kSampleCue = std::string(SONVAREK_SAMPLE_DISC_DIR) + "/sample-disc.cue";

// The command line has no command that saves the settings: the desktop program saves
// them at exit, with the same call. This binary, started again with this variable
// naming a program folder, makes that save and ends with 0, or with 1 after the
// notice the desktop program would show.
constexpr char kSaveSettingsVariable[] = "WRITE_FAULTS_SAVE_SETTINGS";

class SettingsSaveChild final : public ::testing::Environment {
 public:
  void SetUp() override {
    const char* home = std::getenv(kSaveSettingsVariable);
    if (home == nullptr) return;
    StandardErrorNotice notice;
    PlatformFolders folders = SystemFolders(home);
    Settings settings = LoadSettings(folders, notice);
    std::string error;
    bool saved = SaveSettings(settings, GeometryFromSettings(settings), folders, &error);
    if (!saved) notice.Show(error, NoticeKind::Error);
    std::fflush(stderr);
    std::_Exit(saved ? 0 : 1);
  }
};
[[maybe_unused]] ::testing::Environment* const kSettingsSaveChild =
    ::testing::AddGlobalTestEnvironment(new SettingsSaveChild);

struct Fault {
  const char* name;
  const char* kind;  // the shim's WRITE_FAULT_KIND
  int error;
  const char* errorName;
};

// A full disk part-way is met per step by the SmallDisk tests; the write fault here is
// the failing disk that every other save meets the same way.
constexpr Fault kFaults[] = {
    {"WriteIoError", "write", EIO, "EIO"},
    {"FsyncIoError", "fsync", EIO, "EIO"},
    {"RenameAcrossDevices", "rename", EXDEV, "EXDEV"},
    {"CloseIoError", "close", EIO, "EIO"},
};

// A program folder, an output folder, inputs, and a temporary folder of their own.
struct Folders {
  test::TempFolder temp;
  std::string home = temp / "home";
  std::string out = temp / "out";
  std::string in = temp / "in";
  std::string tmp = temp / "tmp";

  Folders() {
    for (const std::string& folder : {home, out, in, tmp, temp / "user"}) fs::create_directories(folder);
  }
  // `sonvarek --home HOME` with this test's environment, standard error included.
  std::string Command(const std::string& arguments, const std::string& environment = "") const {
    return "env HOME=" + ShellQuoted(temp / "user") + " TMPDIR=" + ShellQuoted(tmp) + " " + environment + " " +
           SONVAREK_CLI + " --home " + ShellQuoted(home) + " " + arguments + " 2>&1";
  }
  std::string Wav(const std::string& name) const {
    std::string path = in + "/" + name;
    test::WriteWav(path, test::SineSamples(0.5, 2, 44100));
    return path;
  }
};

// One kind of save the user can make: what it needs and how it says that it failed.
struct Save {
  const char* name;
  // Makes the inputs and the file the save will replace; returns the path of that
  // file and sets the command's arguments.
  std::function<std::string(const Folders&, std::string& arguments)> prepare;
  const char* pattern;  // the shim's WRITE_FAULT_PATH: the final name and its hidden staging name
  int writeAfter;       // bytes that reach the file before a write fault: part-way into the save
  // The line that says so, for the system's text of the fault's error.
  std::function<std::string(const std::string& finalPath, const std::string& errorText, const Fault& fault)>
      failureLine;
  bool settingsChild = false;
};

std::string PreviousFile(const std::string& path, const std::string& bytes) {
  test::WriteWholeFile(path, bytes);
  return path;
}

// A job's log line after its time stamp.
std::string LogLineTail(const std::string& line) {
  return test::AfterTimeStamp(FormatText(line.c_str(), "2000-01-01 00:00:00"));
}
std::string FileErrorTail(const std::string&, const std::string& errorText, const Fault& = {}) {
  std::string line =
      FormatText(logformat::kErrorSystem, std::string("%s"), FormatText(logformat::kFileOperationError, errorText));
  return LogLineTail(line.substr(0, line.size() - 1));
}
std::string Told(const std::string& text) { return text::kCliPrefix + text; }

const Save kSaves[] = {
    {"RipToWav",
     [](const Folders& f, std::string& arguments) {
       arguments = "rip --image " + ShellQuoted(kSampleCue) + " --format wav --tracks 1 --rule '<number>' --output " +
                   ShellQuoted(f.out);
       return PreviousFile(f.out + "/01.WAV", "a WAV ripped before\n");
     },
     "*/out/*01.WAV*", 100000, FileErrorTail},
    {"RipToMp3",
     [](const Folders& f, std::string& arguments) {
       arguments = "rip --image " + ShellQuoted(kSampleCue) + " --format mp3 --tracks 1 --rule '<number>' --output " +
                   ShellQuoted(f.out);
       return PreviousFile(f.out + "/01.MP3", "an MP3 ripped before\n");
     },
     "*/out/*01.MP3*", 4000,
     // The ID3v2 writer renames a rewritten copy over the staged file first.
     [](const std::string& path, const std::string& errorText, const Fault& fault) {
       return FileErrorTail(path, std::strcmp(fault.kind, "rename") == 0 ? text::kTagUpdateFailed : errorText);
     }},
    {"EncodeOgg",
     [](const Folders& f, std::string& arguments) {
       arguments = "encode-ogg --output " + ShellQuoted(f.out) + " " + ShellQuoted(f.Wav("tone.wav"));
       return PreviousFile(f.out + "/tone.ogg", "an Ogg file encoded before\n");
     },
     "*/out/*tone.ogg*", 2000, FileErrorTail},
    {"DecodeMp3",
     [](const Folders& f, std::string& arguments) {
       test::ProgramResult encoded = test::RunProgram(
           f.Command("encode-mp3 --output " + ShellQuoted(f.in) + " " + ShellQuoted(f.Wav("tone.wav"))));
       EXPECT_EQ(encoded.status, 0) << encoded.out;
       arguments = "decode --output " + ShellQuoted(f.out) + " " + ShellQuoted(f.in + "/tone.MP3");
       return PreviousFile(f.out + "/tone.WAV", "a WAV decoded before\n");
     },
     "*/out/*tone.WAV*", 50000,
     [](const std::string&, const std::string&, const Fault&) { return LogLineTail(logformat::kDecodeWriteError); }},
    {"NormalizeInPlace",
     [](const Folders& f, std::string& arguments) {
       std::string path = f.Wav("quiet.wav");
       arguments = "normalize " + ShellQuoted(path);
       return path;
     },
     "*/in/*quiet.wav*", 1000,
     [](const std::string& path, const std::string& errorText, const Fault&) {
       return LogLineTail(FormatText(logformat::kErrorWriteFile, std::string("%s"), path, errorText));
     }},
    {"PlayList",
     [](const Folders& f, std::string& arguments) {
       fs::create_directories(f.temp / "lists");
       arguments = "rip --image " + ShellQuoted(kSampleCue) + " --format wav --tracks 1 --rule '<number>' --output " +
                   ShellQuoted(f.out) + " --playlist " + ShellQuoted(f.temp / "lists/rips.m3u");
       return PreviousFile(f.temp / "lists/rips.m3u", "/music/earlier.mp3\n");
     },
     "*/lists/*rips.m3u*", 8,
     [](const std::string&, const std::string&, const Fault&) { return Told(text::kPlaylistFailed); }},
    {"Settings",
     [](const Folders& f, std::string& arguments) {
       arguments = "";
       return PreviousFile(f.home + "/Settings.ini", "[Misc]\nNormalizeRatio=50\n");
     },
     "*/home/*Settings.ini*", 100,
     [](const std::string&, const std::string& errorText, const Fault&) { return Told("error: " + errorText); }, true},
    {"DiscDatabase",
     [](const Folders& f, std::string& arguments) {
       // The disc's entry as the program wrote it before.
       test::ProgramResult first =
           test::RunProgram(f.Command("info --image " + ShellQuoted(kSampleCue) + " --artist Before"));
       EXPECT_EQ(first.status, 0) << first.out;
       std::vector<std::string> entries = test::FileNames(f.home + "/db");
       EXPECT_EQ(entries.size(), 1u);
       arguments = "info --image " + ShellQuoted(kSampleCue) + " --artist After";
       return f.home + "/db/" + (entries.empty() ? "" : entries[0]);
     },
     "*/home/db/*", 20,
     [](const std::string& path, const std::string& errorText, const Fault&) {
       return Told(FormatText(text::kDiscCacheNotSaved, path, errorText));
     }},
    {"CdPlayerIniExport",
     [](const Folders& f, std::string& arguments) {
       fs::create_directories(f.home + "/db");  // made by any run that reads the disc
       arguments = "cdplayer-ini export --image " + ShellQuoted(kSampleCue);
       return PreviousFile(f.home + "/cdplayer.ini", "[12345678]\nartist=Someone\nnumtracks=1\n");
     },
     "*/home/*cdplayer.ini*", 20,
     [](const std::string& path, const std::string& errorText, const Fault&) {
       return Told(FormatText(text::kCdPlayerIniNotSaved, path, errorText));
     }},
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

// True when a line of the output is `expected` whole: a job's log line after its
// own time stamp, any other line as it stands.
bool HasLine(const std::string& output, const std::string& expected) {
  for (const std::string& line : Lines(output)) {
    if (line == expected) return true;
    bool stamped = test::HasTimeStamp(line, '(') || test::HasTimeStamp(line, '[');
    if (stamped && test::AfterTimeStamp(line) == expected) return true;
  }
  return false;
}

// The shim preloaded ahead of the sanitizer's run time, for the save's files, with the
// fault when one is given.
std::string ShimEnvironment(const Save& save, const Fault* fault) {
  const char* asan = std::getenv("ASAN_OPTIONS");
  std::string asanOptions =
      (asan != nullptr && *asan != '\0' ? std::string(asan) + ":" : std::string()) + "verify_asan_link_order=0";
  std::string environment = "LD_PRELOAD=" + ShellQuoted(WRITE_FAULT_SHIM) +
                            " ASAN_OPTIONS=" + ShellQuoted(asanOptions) +
                            " WRITE_FAULT_PATH=" + ShellQuoted(save.pattern);
  if (fault == nullptr) return environment;
  return environment + " WRITE_FAULT_KIND=" + fault->kind + " WRITE_FAULT_ERRNO=" + fault->errorName +
         " WRITE_FAULT_AFTER=" + std::to_string(save.writeAfter);
}

// The save's command, or this binary as the settings' saver, with `environment` added.
test::ProgramResult RunSave(const Save& save, const Folders& folders, const std::string& arguments,
                            const std::string& environment) {
  if (!save.settingsChild) return test::RunProgram(folders.Command(arguments, environment));
  return test::RunProgram("env HOME=" + ShellQuoted(folders.temp / "user") + " " + environment + " " +
                          kSaveSettingsVariable + "=" + ShellQuoted(folders.home) + " /proc/" +
                          std::to_string(getpid()) + "/exe 2>&1");
}

void PrintTo(const Save& save, std::ostream* out) { *out << save.name; }
void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.name; }

class WriteFaults : public ::testing::TestWithParam<std::tuple<Save, Fault>> {};

// Whatever fails, the save says so and ends with a failure status, the file it was
// to replace keeps every byte it had, and nothing half-written is left beside it.
TEST_P(WriteFaults, TheSaveFailsAloudAndLeavesThePreviousFileWhole) {
  const auto& [save, fault] = GetParam();
  Folders folders;
  std::string arguments;
  const std::string finalPath = save.prepare(folders, arguments);
  ASSERT_FALSE(HasFailure());
  const std::string previous = test::ReadWholeFile(finalPath);
  ASSERT_FALSE(previous.empty()) << finalPath;
  const std::string folder = fs::path(finalPath).parent_path().string();
  const std::vector<std::string> namesBefore = test::FileNames(folder);

  test::ProgramResult result = RunSave(save, folders, arguments, ShimEnvironment(save, &fault));

  EXPECT_EQ(result.status, 1) << result.out;
  const std::string expected = save.failureLine(finalPath, std::strerror(fault.error), fault);
  EXPECT_TRUE(HasLine(result.out, expected)) << "expected the line: " << expected << "\n" << result.out;
  EXPECT_EQ(result.out.find("Sanitizer"), std::string::npos) << result.out;
  EXPECT_TRUE(test::ReadWholeFile(finalPath) == previous) << finalPath << " was changed";
  EXPECT_EQ(test::FileNames(folder), namesBefore);
  EXPECT_TRUE(test::FileNames(folders.tmp).empty());
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<Save, Fault>>& info) {
  return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(EverySave, WriteFaults,
                         ::testing::Combine(::testing::ValuesIn(kSaves), ::testing::ValuesIn(kFaults)), CaseName);

// Without a fault chosen the shim changes nothing: the same saves succeed under it,
// so a failure above comes from the fault and not from the preloading.
TEST(WriteFaultShim, LeavesEverySaveAloneWhenNoFaultIsChosen) {
  for (const Save& save : kSaves) {
    Folders folders;
    std::string arguments;
    const std::string finalPath = save.prepare(folders, arguments);
    const std::string previous = test::ReadWholeFile(finalPath);
    test::ProgramResult result = RunSave(save, folders, arguments, ShimEnvironment(save, nullptr));
    EXPECT_EQ(result.status, 0) << save.name << "\n" << result.out;
    EXPECT_FALSE(test::ReadWholeFile(finalPath) == previous) << save.name << ": " << finalPath << " was not saved";
  }
}

}  // namespace
}  // namespace sonvarek
