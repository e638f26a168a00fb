// A long run in one process through the session layer both front ends drive: rips of a
// disc image (the sample disc by default), then decode-and-normalize batches of a file
// ripped at start, with resident memory and open file descriptors sampled after every
// round. Outputs are deleted between rounds; everything lives in a private temporary
// folder that is removed at the end. Exit status: 0 flat, 1 growing, 2 a round or the
// set-up failed, 64 a usage mistake.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "platform/folders.h"
#include "process_usage.h"
#include "soak_session.h"

namespace sonvarek::soak {
namespace {

namespace fs = std::filesystem;

constexpr int kExitFlat = 0;
constexpr int kExitGrowing = 1;
constexpr int kExitFailed = 2;
constexpr int kExitUsage = 64;
constexpr int kTableEvery = 20;

struct SoakOptions {
  int rips = 200;
  int batches = 200;
  int warmUp = 10;
  std::string format = "mp3";
  std::string image = SOAK_DEFAULT_IMAGE;
};

constexpr const char* kUsage =
    "usage: soak_bench [--rounds N] [--rips N] [--batches N] [--format mp3|wav|ogg] [--warm-up N] [--image CUE]\n"
    "  --rounds N sets both the rips and the decode-and-normalize batches (default 200 each)";

std::optional<int> Count(const std::string& text) {
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < 0 || value > 1'000'000) return std::nullopt;
  return static_cast<int>(value);
}

std::optional<SoakOptions> ParseOptions(int argc, char** argv) {
  SoakOptions options;
  if (argc % 2 == 0) return std::nullopt;  // an option without its value
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string name = argv[i];
    std::string value = argv[i + 1];
    std::optional<int> number = Count(value);
    if (name == "--format" && (value == "mp3" || value == "wav" || value == "ogg")) {
      options.format = value;
    } else if (name == "--image") {
      options.image = value;
    } else if (number && (name == "--rounds" || name == "--rips")) {
      options.rips = *number;
      if (name == "--rounds") options.batches = *number;
    } else if (number && name == "--batches") {
      options.batches = *number;
    } else if (number && name == "--warm-up") {
      options.warmUp = *number;
    } else {
      return std::nullopt;
    }
  }
  return options;
}

// The private folders of the run, removed with everything in them at the end.
class RunFolders {
 public:
  RunFolders() {
    std::string pattern = SystemTemporaryFolder() + "sonvarek-soak-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return;
    root_ = pattern;
    for (const fs::path& folder : {home(), output(), temporary(), sources()}) fs::create_directories(folder);
  }
  ~RunFolders() {
    std::error_code ignored;
    if (!root_.empty()) fs::remove_all(root_, ignored);
  }
  RunFolders(const RunFolders&) = delete;
  RunFolders& operator=(const RunFolders&) = delete;

  bool made() const { return !root_.empty(); }
  fs::path home() const { return root_ / "home"; }
  fs::path output() const { return root_ / "output"; }
  fs::path temporary() const { return root_ / "temporary"; }
  fs::path sources() const { return root_ / "sources"; }

 private:
  fs::path root_;
};

void EmptyFolder(const fs::path& folder) {
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) fs::remove_all(entry.path(), error);
}

bool FolderIsEmpty(const fs::path& folder) {
  std::error_code error;
  return fs::is_empty(folder, error) && !error;
}

// The live settings with `output` as the output folder and `format` as the rip format,
// applied as an accepted options sheet is.
bool UseFolderAndFormat(ProgramSession& session, const RunFolders& folders, const fs::path& output,
                        const std::string& format) {
  Settings wanted = session.settings();
  if (!UseOutputFolder(wanted, output.string())) return false;
  wanted.TEMPDIRECTORY = WithOneTrailingSlash(folders.temporary().string());
  wanted.temporaryFolder = wanted.TEMPDIRECTORY;
  OutputFormat chosen = format == "wav" ? OutputFormat::Wav : format == "ogg" ? OutputFormat::Ogg : OutputFormat::Mp3;
  wanted.OutputFormat = static_cast<int32_t>(chosen);
  wanted.bOpenOutputFolder = 0;
  session.ApplyOptions(std::move(wanted));
  return true;
}

bool FilesExist(const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    if (!fs::is_regular_file(file)) return false;
  }
  return !files.empty();
}

// Refresh TOC, every track checked, Extract: one file per track.
bool RipRound(ProgramSession& session) {
  if (session.RefreshToc(true) != DiscResult::Ready) return false;
  session.disc().tracks().SelectAll();
  size_t checked = session.disc().tracks().CheckedTracks().size();
  BatchOutcome ripped = RunToEnd(session, session.MakeRip());
  return ripped.succeeded && ripped.files.size() == checked && FilesExist(ripped.files);
}

// MP3 to WAV, then the WAV made normalized in place.
bool DecodeAndNormalizeRound(ProgramSession& session, const std::string& mp3) {
  BatchOutcome decoded = RunToEnd(session, session.MakeFiles(BatchKind::Decode, {mp3}));
  if (!decoded.succeeded || decoded.files.size() != 1 || !FilesExist(decoded.files)) return false;
  BatchOutcome normalized = RunToEnd(session, session.MakeFiles(BatchKind::Normalize, decoded.files));
  return normalized.succeeded && FilesExist(decoded.files);
}

// The first track of the disc ripped to MP3 into the sources folder: the decode batches' input.
std::optional<std::string> RipSource(ProgramSession& session, const RunFolders& folders) {
  if (!UseFolderAndFormat(session, folders, folders.sources(), "mp3")) return std::nullopt;
  if (session.RefreshToc(true) != DiscResult::Ready || !session.disc().SelectTracks("1")) return std::nullopt;
  BatchOutcome ripped = RunToEnd(session, session.MakeRip());
  if (!ripped.succeeded || !FilesExist(ripped.files)) return std::nullopt;
  return ripped.files.front();
}

struct Phase {
  const char* name;
  int rounds;
  std::function<bool()> round;
};

void PrintRow(int round, const std::vector<UsageSample>& samples, double seconds) {
  int64_t low = samples.back().rssKiB;
  int64_t high = low;
  size_t from = samples.size() > kTableEvery ? samples.size() - kTableEvery : 0;
  for (size_t i = from; i < samples.size(); ++i) {
    low = std::min(low, samples[i].rssKiB);
    high = std::max(high, samples[i].rssKiB);
  }
  std::printf("%6d %10lld %10lld %10lld %5d %9.2f\n", round, static_cast<long long>(samples.back().rssKiB),
              static_cast<long long>(low), static_cast<long long>(high), samples.back().fds,
              seconds / static_cast<double>(round));
  std::fflush(stdout);
}

// Runs the rounds of `phase`, sampling after each (once its outputs are deleted). False
// when a round failed or left a file in the temporary folder.
bool RunPhase(const Phase& phase, const RunFolders& folders, std::vector<UsageSample>& samples) {
  std::printf("\n%s: %d rounds\n%6s %10s %10s %10s %5s %9s\n", phase.name, phase.rounds, "round", "RSS KiB",
              "min", "max", "fds", "s/round");
  auto start = std::chrono::steady_clock::now();
  for (int round = 1; round <= phase.rounds; ++round) {
    bool succeeded = phase.round();
    EmptyFolder(folders.output());
    if (!succeeded || !FolderIsEmpty(folders.temporary())) {
      std::fprintf(stderr, "%s: round %d %s\n", phase.name, round,
                   succeeded ? "left a file in the temporary folder" : "failed");
      return false;
    }
    samples.push_back(SampleThisProcess());
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (round % kTableEvery == 0 || round == phase.rounds) PrintRow(round, samples, took.count());
  }
  return true;
}

bool PrintVerdict(const char* name, const std::vector<UsageSample>& samples, int warmUp) {
  UsageTrend trend = Trend(samples, warmUp);
  if (trend.measured == 0) {
    std::printf("%s: no rounds\n", name);
    return true;
  }
  int tenth = std::max(1, trend.measured / 10);
  int64_t growth = trend.lastRssKiB - trend.firstRssKiB;
  double percent = trend.firstRssKiB > 0 ? 100.0 * static_cast<double>(growth) / static_cast<double>(trend.firstRssKiB) : 0.0;
  std::printf("%s: %d rounds after the warm-up, median of their first %d against their last %d:\n", name,
              trend.measured, tenth, tenth);
  std::printf("  RSS %lld -> %lld KiB (%+lld KiB, %+.1f %%; tolerance %lld KiB)\n",
              static_cast<long long>(trend.firstRssKiB), static_cast<long long>(trend.lastRssKiB),
              static_cast<long long>(growth), percent, static_cast<long long>(trend.rssToleranceKiB));
  std::printf("  fds %d -> %d (%+d; tolerance 0)\n", trend.firstFds, trend.lastFds, trend.lastFds - trend.firstFds);
  std::printf("  %s: %s\n", name, trend.flat ? "flat" : "GROWING");
  return trend.flat;
}

int Soak(const SoakOptions& options) {
  RunFolders folders;
  if (!folders.made()) return kExitFailed;
  setenv("HOME", folders.home().c_str(), 1);
  setenv("SONVAREK_CD_IMAGE", options.image.c_str(), 1);

  CountingNotice notice;
  MemoryAutoRun autoRun;
  ProgramSession session(folders.home().string(), notice, autoRun);
  session.Start();
  std::optional<std::string> mp3 = RipSource(session, folders);
  if (!mp3 || !UseFolderAndFormat(session, folders, folders.output(), options.format)) {
    std::fprintf(stderr, "soak: could not rip the source file from %s\n", options.image.c_str());
    return kExitFailed;
  }
  std::printf("soak: %d rips (%s) of %s, %d decode-and-normalize batches of %s\n", options.rips,
              options.format.c_str(), options.image.c_str(), options.batches, fs::path(*mp3).filename().c_str());
  std::printf("tolerance: after %d warm-up rounds, the last tenth's median against the first tenth's:\n"
              "  fds no more; RSS at most max(%lld KiB, %d %%) more\n",
              options.warmUp, static_cast<long long>(kRssToleranceKiB), kRssTolerancePercent);

  std::vector<Phase> phases = {{"rips", options.rips, [&] { return RipRound(session); }},
                               {"decode+normalize", options.batches, [&] { return DecodeAndNormalizeRound(session, *mp3); }}};
  std::vector<std::vector<UsageSample>> series(phases.size());
  for (size_t i = 0; i < phases.size(); ++i) {
    if (!RunPhase(phases[i], folders, series[i])) return kExitFailed;
  }
  std::printf("\n");
  bool flat = true;
  for (size_t i = 0; i < phases.size(); ++i) flat = PrintVerdict(phases[i].name, series[i], options.warmUp) && flat;
  std::printf("job log: %zu lines; notices shown: %d\n", session.log().Size(), notice.count());
  session.Shutdown(WindowGeometry{});
  std::printf("verdict: %s\n", flat ? "flat" : "GROWING");
  return flat ? kExitFlat : kExitGrowing;
}

}  // namespace
}  // namespace sonvarek::soak

int main(int argc, char** argv) {
  std::optional<sonvarek::soak::SoakOptions> options = sonvarek::soak::ParseOptions(argc, argv);
  if (!options) {
    std::cerr << sonvarek::soak::kUsage << '\n';
    return sonvarek::soak::kExitUsage;
  }
  return sonvarek::soak::Soak(*options);
}
