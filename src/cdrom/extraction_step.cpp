#include "cdrom/extraction_step.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "cdrom/rip_context.h"
#include "cdrom/scsi_driver.h"
#include "cdrom/track_reader.h"
#include "cdrom/track_sums.h"
#include "core/output_naming.h"
#include "core/string_table.h"
#include "core/text_format.h"
#include "jobs/job_log.h"
#include "jobs/log_formats.h"
#include "jobs/step_files.h"
#include "jobs/wav_file.h"
#include "jobs/wav_normalizer.h"
#include "platform/buffer_resize.h"
#include "platform/staged_file.h"
#include "platform/ticks.h"
#include "verify/accuraterip.h"
#include "verify/crc32.h"

namespace sonvarek {
namespace {

// Everything one extraction holds: the output file, the buffer and what was read.
class Extraction {
 public:
  Extraction(ConversionBatch& batch, RipContext& rip)
      : batch_(batch), rip_(rip), job_(batch.CurrentJob()), settings_(batch.settings), report_(rip.CurrentTrack(batch)) {}
  // An output that did not complete never takes its name (the staged file goes with
  // it), and a temporary WAV file that nothing will encode is removed.
  ~Extraction() {
    if (!keepTemporary_ && !batch_.noTemporaryFile() && !batch_.temporaryPath.empty()) {
      std::error_code ignored;  // a leftover temporary file is harmless; nothing to report
      std::filesystem::remove(batch_.temporaryPath, ignored);
    }
  }
  Extraction(const Extraction&) = delete;
  Extraction& operator=(const Extraction&) = delete;

  int Run();

 private:
  bool PrepareTemporaryFile();
  bool HasFreeSpace();
  bool AllocateBuffer();
  bool LeadInRead();
  bool OpenOutput();
  enum class LoopEnd { Completed, Cancelled, Failed };
  LoopEnd ReadBlocks();
  LoopEnd ReadPass(TrackReader::Pass pass);
  bool PrepareReader();
  void NoteFinding(uint32_t sector, bool skipped);
  void FillReport();
  bool ReadOneBlock(uint32_t sector, uint32_t count);
  bool FinishFile();
  bool Normalize();
  bool Complete();
  void LogOutcome() const;
  void Log(std::string line) const { batch_.Log(std::move(line)); }
  void LogFileError() {
    LogFileError(Output().ErrorText());
  }
  void LogFileError(const std::string& text) const { sonvarek::LogFileError(batch_, text); }
  void Drop() {
    file_.Close();
    staged_.Discard();
  }
  int Fail() {
    Drop();
    return 0;
  }

  ConversionBatch& batch_;
  RipContext& rip_;
  ConversionJob& job_;
  const Settings& settings_;
  RipTrackReport* report_;  // none for a batch made without a rip report
  std::unique_ptr<TrackReader> reader_;
  std::optional<AccurateRipChecksum> checksum_;
  TrackSums::Result sums_;
  uint32_t testCrc_ = 0;
  uint32_t copyCrc_ = 0;
  uint32_t bufferSectors_ = 26;
  std::vector<uint8_t> buffer_;
  File file_;             // the temporary WAV file
  StagedFile staged_;     // or the final WAV output, until it is complete
  File& Output() { return batch_.noTemporaryFile() ? staged_.file() : file_; }
  std::string outputPath_;   // the final or the temporary path
  std::string writtenPath_;  // where the bytes are until the output is complete
  uint32_t written_ = 0;
  SteadyClock::time_point loopStart_;
  bool keepTemporary_ = false;
};

bool Extraction::PrepareTemporaryFile() {
  if (batch_.noTemporaryFile()) return true;
  std::optional<std::string> temporary = CreateTemporaryWavFile(settings_.temporaryFolder);
  if (!temporary) {
    Log(FormatLogLine(logformat::kErrorCantOpenTemporaryFile, settings_.temporaryFolder + "PWXXXXXX"));
    return false;
  }
  batch_.temporaryPath = *temporary;
  return true;
}

bool Extraction::HasFreeSpace() {
  uint64_t needed = static_cast<uint64_t>(job_.endSector - job_.startSector) * kCdSectorBytes;
  if (needed > kMaxWavDataBytes) {
    Log(FormatLogLine(logformat::kErrorWavTooLarge, job_.sourceName));
    return false;
  }
  const std::string& where = batch_.noTemporaryFile() ? settings_.effectiveOutputFolder : batch_.temporaryPath;
  return HasFreeSpaceFor(batch_, where, needed);
}

bool Extraction::AllocateBuffer() {
  bufferSectors_ = settings_.BufferSize < 1 ? 26u : static_cast<uint32_t>(settings_.BufferSize);
  if (TryResize(buffer_, static_cast<size_t>(bufferSectors_) * kCdSectorBytes)) return true;
  Log(FormatLogLine(logformat::kErrorOutOfMemory));
  return false;
}

bool Extraction::ReadOneBlock(uint32_t sector, uint32_t count) {
  CDDAReadRequest request{sector, count, count * kCdSectorBytes, buffer_.data()};
  if (rip_.drive().ReadCDDA(request) != 0) return true;
  Log(FormatLogLine(logformat::kErrorSystem, rip_.drive().LastErrorText()));
  return false;
}

// One read before the track, whose data is not used, so the drive is spun up and
// positioned when the first block is read.
bool Extraction::LeadInRead() {
  uint32_t start = job_.startSector > bufferSectors_ ? job_.startSector - bufferSectors_ : 0;
  return ReadOneBlock(start, bufferSectors_) || settings_.BoolSkipError != 0;
}

bool Extraction::OpenOutput() {
  if (batch_.noTemporaryFile()) {
    std::optional<std::string> path = TrackOutputPath(batch_, job_, ".WAV");
    if (!path) return false;
    outputPath_ = *path;
    staged_ = StagedFile::Create(outputPath_);
    if (!staged_.IsOpen()) {
      Log(FormatLogLine(logformat::kErrorCantOpenFile, outputPath_));
      return false;
    }
    writtenPath_ = staged_.stagingPath();
    job_.outputPath = outputPath_;
    job_.outputFolder = settings_.effectiveOutputFolder;
    return true;
  }
  outputPath_ = batch_.temporaryPath;
  writtenPath_ = outputPath_;
  file_ = File::Open(outputPath_, File::Mode::CreateTruncate);
  if (!file_.IsOpen()) {
    Log(FormatLogLine(logformat::kErrorCantOpenTemporaryFile, outputPath_));
    return false;
  }
  return true;
}

// The checksums need the whole track as the disc holds it: a trimmed track has none.
bool Extraction::PrepareReader() {
  const bool secure = settings_.SecureMode != 0;
  ReadPolicy policy;
  policy.offsetSamples = settings_.ReadOffset;
  policy.skipErrors = settings_.BoolSkipError != 0;
  policy.secure = secure;
  policy.retries = settings_.SecureRetries;
  policy.leadOut = report_ != nullptr && rip_.report()->leadOut != 0 ? rip_.report()->leadOut : UINT32_MAX;
  policy.blockSectors = bufferSectors_;
  reader_ = std::make_unique<TrackReader>(rip_.drive(), policy, job_.startSector, job_.endSector);
  reader_->onFinding = [this](uint32_t sector, bool skipped) { NoteFinding(sector, skipped); };
  if (!reader_->Allocate()) {
    Log(FormatLogLine(logformat::kErrorOutOfMemory));
    return false;
  }
  if (report_ == nullptr) return true;
  const RipReport& disc = *rip_.report();
  int firstAudio = 0;
  int lastAudio = 0;
  for (const RipTocTrack& track : disc.toc) {
    if (track.isData) continue;
    if (firstAudio == 0) firstAudio = track.number;
    lastAudio = track.number;
    if (track.number == report_->number && track.startSector == job_.startSector && track.endSector == job_.endSector) {
      report_->checksummed = true;
    }
  }
  if (report_->checksummed) {
    checksum_.emplace(uint64_t{job_.endSector - job_.startSector} * 588, report_->number == firstAudio,
                      report_->number == lastAudio);
  }
  return true;
}

// m:ss.ff from the track's start, as the log names positions.
std::string TrackPosition(uint32_t sector, uint32_t trackStart) {
  uint32_t frames = sector > trackStart ? sector - trackStart : 0;
  return FormatText("%u:%02u.%02u", frames / (60 * 75), frames / 75 % 60, frames % 75);
}

void Extraction::NoteFinding(uint32_t sector, bool skipped) {
  std::string where = TrackPosition(sector, job_.startSector);
  Log(skipped ? FormatLogLine(logformat::kSectorSilenced, sector, where, job_.sourceName)
              : FormatLogLine(logformat::kSuspiciousPosition, where, sector, job_.sourceName));
}

Extraction::LoopEnd Extraction::ReadBlocks() {
  if (settings_.SecureMode == 0) return ReadPass(TrackReader::Pass::Plain);
  LoopEnd test = ReadPass(TrackReader::Pass::Test);
  if (test != LoopEnd::Completed) return test;
  return ReadPass(TrackReader::Pass::Copy);
}

Extraction::LoopEnd Extraction::ReadPass(TrackReader::Pass pass) {
  const uint32_t start = job_.startSector;
  const uint32_t end = job_.endSector;
  const bool writes = pass != TrackReader::Pass::Test;
  // Test and copy shows its two passes as the two halves of the bar.
  const uint64_t share = pass == TrackReader::Pass::Plain ? 1000 : 500;
  const uint64_t base = pass == TrackReader::Pass::Copy ? 500 : 0;
  // What is read is summed beside the reading; the test pass needs only its CRC.
  TrackSums sums(writes ? checksum_ : std::nullopt);
  for (uint32_t sector = start; sector < end;) {
    if (batch_.StopIfCancelled()) return LoopEnd::Cancelled;
    uint32_t count = std::min(end - sector, bufferSectors_);
    if (!reader_->ReadBlock(pass, sector, count, buffer_.data())) {
      Log(FormatLogLine(logformat::kErrorSystem, reader_->ErrorText()));
      return LoopEnd::Failed;
    }
    std::span<const uint8_t> audio(buffer_.data(), static_cast<size_t>(count) * kCdSectorBytes);
    if (writes) {
      if (!Output().WriteAll(audio.data(), audio.size())) {
        LogFileError();
        return LoopEnd::Failed;
      }
      written_ += static_cast<uint32_t>(audio.size());
    }
    sums.Add(buffer_, audio.size());  // buffer_ is another buffer from here on
    uint64_t progress = base + (static_cast<uint64_t>(sector - start) * share) / (end - start);
    batch_.PostProgress(Message::ExtractProgress, static_cast<int64_t>(progress), MillisecondsSince(loopStart_));
    sector += count;
  }
  if (!writes) {
    testCrc_ = sums.Finish().crc;
    return LoopEnd::Completed;
  }
  sums_ = sums.Finish();
  copyCrc_ = sums_.crc;
  return LoopEnd::Completed;
}

void Extraction::FillReport() {
  if (report_ == nullptr) return;
  const ReadFindings& findings = reader_->Findings();
  report_->startSector = job_.startSector;
  report_->endSector = job_.endSector;
  report_->peak = static_cast<uint16_t>(std::min<int32_t>(sums_.peak, 32768));
  report_->copyCrc = copyCrc_;
  report_->tested = settings_.SecureMode != 0;
  report_->testCrc = testCrc_;
  if (checksum_) {
    report_->accurateRipV1 = sums_.v1;
    report_->accurateRipV2 = sums_.v2;
  }
  report_->c2Used = findings.c2Used;
  report_->suspiciousSectors = findings.suspicious;
  report_->skippedSectors = findings.skipped;
  report_->result = !findings.suspicious.empty() ? TrackRipResult::Suspicious
                    : !findings.skipped.empty()  ? TrackRipResult::Skipped
                                                 : TrackRipResult::Ok;
}

// The header is rewritten for what was written, then the data is flushed to disk
// and the file closed, so that a write error that only shows there is caught.
bool Extraction::FinishFile() {
  if (!WriteCdWavHeader(Output(), written_)) {
    LogFileError();
    return false;
  }
  if (batch_.noTemporaryFile() ? staged_.Close() : file_.Close()) return true;
  LogFileError(batch_.noTemporaryFile() ? staged_.ErrorText() : file_.ErrorText());
  return false;
}

bool Extraction::Normalize() {
  double factor = NormalizeFactor(settings_.NormalizeRatio, sums_.peak);
  if (factor == 0.0) return true;  // nothing but silence
  std::string shown = batch_.noTemporaryFile() ? outputPath_ : std::string(text::kTemporaryWaveFile);
  if (batch_.progressWindow != nullptr) batch_.progressWindow->Send({Message::JobPhase, Wire(JobPhaseCode::Normalizing), 0, shown, {}});
  return ScaleWavFile(batch_.progressWindow, writtenPath_, factor, batch_);
}

// A WAV output takes its final name only now, whole.
bool Extraction::Complete() {
  if (!batch_.noTemporaryFile() || staged_.Commit()) return true;
  LogFileError(staged_.ErrorText());
  return false;
}

// A track that is not certain never ends with the plain OK line.
void Extraction::LogOutcome() const {
  const ReadFindings& findings = reader_->Findings();
  if (findings.c2Used) Log(FormatLogLine(logformat::kC2PointersUsed, job_.sourceName));
  if (settings_.SecureMode != 0) Log(FormatLogLine(logformat::kTestAndCopyCrcs, job_.sourceName, testCrc_, copyCrc_));
  if (!findings.suspicious.empty()) {
    Log(FormatLogLine(logformat::kExtractingSuspicious, job_.sourceName, static_cast<int>(findings.suspicious.size())));
  } else if (!findings.skipped.empty()) {
    Log(FormatLogLine(logformat::kExtractingSilenced, job_.sourceName, static_cast<int>(findings.skipped.size())));
  } else {
    Log(FormatLogLine(logformat::kExtractingOk, job_.sourceName));
  }
}

int Extraction::Run() {
  job_.startTicks = TickCount();
  if (settings_.DeleteSilence != 0) {
    TrimSilence(job_.startSector, job_.endSector, static_cast<uint32_t>(settings_.LeadingFrame),
                static_cast<uint32_t>(settings_.TrailingFrame));
  }
  if (!PrepareTemporaryFile() || !HasFreeSpace() || !AllocateBuffer() || !PrepareReader() ||
      !LeadInRead() || !OpenOutput()) {
    return 0;
  }
  if (!WriteCdWavHeader(Output(), 0)) {
    LogFileError();
    return Fail();
  }
  loopStart_ = SteadyClock::now();
  Log(FormatLogLine(logformat::kExtracting, job_.sourceName));

  LoopEnd end = ReadBlocks();
  if (end == LoopEnd::Failed) return Fail();
  batch_.PostProgress(Message::ExtractProgress, 1000, MillisecondsSince(loopStart_));
  if (!FinishFile()) return Fail();
  // A cancelled output is dropped; the destructor removes a temporary file.
  if (end == LoopEnd::Cancelled) {
    Drop();
    return 1;
  }
  if (settings_.Normalize != 0 && (!Normalize() || batch_.cancelled)) {
    Drop();
    return batch_.cancelled ? 1 : 0;
  }
  if (!Complete()) return Fail();
  FillReport();
  LogOutcome();
  keepTemporary_ = true;
  return 1;
}

}  // namespace

void TrimSilence(uint32_t& startSector, uint32_t& endSector, uint32_t leading, uint32_t trailing) {
  if (endSector <= startSector || endSector - startSector <= 75) return;
  uint32_t latestStart = endSector - 75;
  startSector = leading > latestStart - startSector ? latestStart : startSector + leading;
  uint32_t earliestEnd = startSector + 75;
  endSector = trailing > endSector - earliestEnd ? earliestEnd : endSector - trailing;
}

int ExtractTrack(ConversionBatch& batch, RipContext& rip) {
  Extraction extraction(batch, rip);
  return extraction.Run();
}

}  // namespace sonvarek
