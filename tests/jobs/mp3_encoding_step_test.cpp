#include "jobs/mp3_encoder.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "core/string_table.h"

#include "jobs/batch_worker.h"
#include "jobs/mp3_test_batch.h"
#include "support/mp3_frames.h"
#include "support/run_program.h"
#include "support/small_disk.h"
#include "support/wav_fixture.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;

class Mp3EncodingStep : public ::testing::Test {
 protected:
  // A WAV file of `seconds` of sine in `folder`, its path.
  std::string Wav(const std::string& name, double seconds, int channels = 2, int rate = 44100) {
    std::string path = temp / name;
    test::WriteWav(path, test::SineSamples(seconds, channels, rate), static_cast<uint16_t>(channels),
                   static_cast<uint32_t>(rate));
    return path;
  }
  int Encode(test::Mp3TestBatch& run) { return EncodeMp3(run.batch, &test::LoadedEncoderLibrary()); }

  test::TempFolder temp;
};

// The MP3 stream between the ID3 tags of a file, walked frame by frame.
test::Mp3Walk StreamOf(const std::string& bytes, bool id3v1) {
  const size_t end = bytes.size() - (id3v1 ? 128 : 0);
  return test::WalkMp3Frames(bytes, test::Id3v2TagSize(bytes), end);
}

// Samples per channel that Debian's mpg123 decodes from a file.
size_t DecodedFrames(const std::string& mp3, const std::string& wav, int channels) {
  test::ProgramResult result =
      test::RunProgram("mpg123 -q -w " + test::ShellQuoted(wav) + " " + test::ShellQuoted(mp3) + " 2>&1");
  EXPECT_EQ(result.status, 0) << result.out;
  EXPECT_EQ(result.out, "");  // no complaint about any frame
  return test::ReadWavSamples(wav).size() / static_cast<size_t>(channels);
}

TEST_F(Mp3EncodingStep, StereoAndMonoFilesBecomeValidStreamsOfTheirLength) {
  struct Case {
    const char* name;
    int channels;
    int rate;
    int32_t stereoMode;
    int expectedMode;  // of every frame
  };
  for (Case c : {Case{"stereo.wav", 2, 44100, 0, 0}, Case{"mono.wav", 1, 22050, 1, 3}}) {
    const double seconds = 1.5;
    std::string wav = Wav(c.name, seconds, c.channels, c.rate);
    test::Mp3TestBatch run(temp, MakeFileJob(wav));
    run.batch.settings.StereoMode = c.stereoMode;
    ASSERT_EQ(Encode(run), 1) << c.name;

    const ConversionJob& job = run.batch.jobs[0];
    EXPECT_EQ(job.outputPath, run.batch.settings.effectiveOutputFolder + fs::path(c.name).stem().string() + ".MP3");
    EXPECT_EQ(job.outputFolder, run.batch.settings.effectiveOutputFolder);
    EXPECT_EQ(run.Log(), (std::vector<std::string>{" Encoding " + wav + " ...", " Encoding " + wav + " OK!"}));
    auto phases = run.progress.MessagesWithId(Message::EncodePhase);
    ASSERT_EQ(phases.size(), 1u);
    EXPECT_EQ(phases[0].wParam, 0);
    EXPECT_EQ(phases[0].text, wav);

    std::string bytes = test::ReadWholeFile(job.outputPath);
    test::Mp3Walk walk = StreamOf(bytes, true);
    ASSERT_TRUE(walk.complete) << c.name << ": " << walk.problem;
    const auto input = static_cast<size_t>(seconds * c.rate);
    const size_t perFrame = static_cast<size_t>(walk.frames[0].samples);
    EXPECT_GE(walk.frames.size() * perFrame, input + 576) << c.name;
    EXPECT_LT(walk.frames.size() * perFrame, input + 576 + 2 * 1152) << c.name;
    for (const test::Mp3FrameHeader& frame : walk.frames) {
      ASSERT_EQ(frame.channelMode, c.expectedMode) << c.name;
      ASSERT_EQ(frame.sampleRate, c.rate);
      ASSERT_EQ(frame.bitRate, 128);
    }
    EXPECT_EQ(DecodedFrames(job.outputPath, temp / "decoded.wav", c.channels), walk.frames.size() * perFrame);
  }
}

TEST_F(Mp3EncodingStep, ProgressComesEveryTenChunksAndEndsAtOneThousand) {
  // 25 whole chunks of 1152 stereo frames and a tail.
  std::string wav = temp / "a.wav";
  test::WriteWav(wav, std::vector<int16_t>(25 * 2304 + 100, 0));
  test::Mp3TestBatch run(temp, MakeFileJob(wav));
  ASSERT_EQ(Encode(run), 1);
  const int64_t total = (25 * 2304 + 100) * 2;
  EXPECT_EQ(run.Progress(), (std::vector<int64_t>{10 * 4608 / (total / 1000), 20 * 4608 / (total / 1000), 1000}));
}

TEST_F(Mp3EncodingStep, AFileShorterThanOneChunkIsEncodedInTheTailAlone) {
  std::string wav = temp / "short.wav";
  test::WriteWav(wav, test::SineSamples(0.02, 2, 44100));  // 882 frames, less than 1152
  test::Mp3TestBatch run(temp, MakeFileJob(wav));
  ASSERT_EQ(Encode(run), 1);
  EXPECT_EQ(run.Progress(), (std::vector<int64_t>{1000}));
  std::string bytes = test::ReadWholeFile(run.batch.jobs[0].outputPath);
  test::Mp3Walk walk = StreamOf(bytes, true);
  ASSERT_TRUE(walk.complete) << walk.problem;
  EXPECT_GE(walk.frames.size(), 1u);
}

TEST_F(Mp3EncodingStep, VbrFilesCarryTheXingHeaderAndCbrFilesNone) {
  struct Case {
    int32_t enableVbr;
    int32_t writeVbrHeader;
    bool header;
  };
  for (Case c : {Case{1, 1, true}, Case{0, 1, false}, Case{1, 0, false}}) {
    std::string wav = Wav("vbr.wav", 1.0);
    test::Mp3TestBatch run(temp, MakeFileJob(wav));
    run.batch.settings.EnableVBR = c.enableVbr;
    run.batch.settings.WriteVBRHeader = c.writeVbrHeader;
    run.batch.settings.VBRQuality = 2;
    ASSERT_EQ(Encode(run), 1);
    std::string bytes = test::ReadWholeFile(run.batch.jobs[0].outputPath);
    test::Mp3Walk walk = StreamOf(bytes, true);
    ASSERT_TRUE(walk.complete) << walk.problem;
    std::string first = bytes.substr(test::Id3v2TagSize(bytes), walk.frames[0].length);
    const bool tagged = first.find("Xing") != std::string::npos || first.find("Info") != std::string::npos;
    EXPECT_EQ(tagged, c.header) << c.enableVbr << c.writeVbrHeader;
    if (c.header) {
      EXPECT_NE(first.find("LAME"), std::string::npos);  // the LAME extension of the header
      // The header's frame count lets mpg123 give back exactly the samples encoded.
      EXPECT_EQ(DecodedFrames(run.batch.jobs[0].outputPath, temp / "decoded.wav", 2), 44100u);
    }
  }
}

TEST_F(Mp3EncodingStep, RefusesWhatItCannotEncodeWithTheFormatMessage) {
  struct Case {
    const char* name;
    uint16_t bits;
    uint16_t channels;
  };
  for (Case c : {Case{"eight-bit.wav", 8, 2}, Case{"six-channels.wav", 16, 6}}) {
    std::string wav = temp / c.name;
    test::WriteWav(wav, std::vector<int16_t>(6000, 100), c.channels);
    std::string bytes = test::ReadWholeFile(wav);
    bytes[34] = static_cast<char>(c.bits);
    test::WriteWholeFile(wav, bytes);
    test::Mp3TestBatch run(temp, MakeFileJob(wav));
    EXPECT_EQ(Encode(run), 0);
    EXPECT_EQ(run.Log(), (std::vector<std::string>{" Error: Can't support this wave format of file " + wav + "!"}));
    EXPECT_TRUE(run.progress.MessagesWithId(Message::EncodePhase).empty());
  }
  test::Mp3TestBatch run(temp, MakeFileJob(temp / "missing.wav"));
  EXPECT_EQ(Encode(run), 0);
  EXPECT_EQ(run.Log(), (std::vector<std::string>{" Error: can't open file " + temp / "missing.wav" + "!"}));
}

TEST_F(Mp3EncodingStep, CancelStopsEncodingAndDeletesThePartialFile) {
  std::string wav = Wav("long.wav", 3.0);
  test::Mp3TestBatch run(temp, MakeFileJob(wav));
  ManualResetEvent& cancel = *run.batch.cancelEvent;
  RecordingMessageSink cancelling([&](const WindowMessage& m) {
    if (m.id == Message::EncodeProgress && m.wParam < 1000) cancel.Set();  // at the first progress message
  });
  run.batch.progressWindow = &cancelling;
  EXPECT_EQ(Encode(run), 1);
  EXPECT_TRUE(run.batch.cancelled);
  EXPECT_EQ(run.Log(), (std::vector<std::string>{" Encoding " + wav + " ...", " User canceled the operation."}));
  EXPECT_FALSE(fs::exists(run.batch.jobs[0].outputPath));
  EXPECT_TRUE(fs::exists(wav));
  auto progress = cancelling.MessagesWithId(Message::EncodeProgress);
  ASSERT_EQ(progress.size(), 2u);
  EXPECT_EQ(progress.back().wParam, 1000);
}

TEST_F(Mp3EncodingStep, ARipJobReadsItsTemporaryFileNamesTheOutputByTheRuleAndDeletesTheTemporaryFile) {
  ConversionJob job;
  job.sourceName = "Back: In Black";
  job.trackIndex = 5;
  job.tags.Artist = "AC/DC";
  test::Mp3TestBatch run(temp, job);
  run.batch.kind = BatchKind::CdRip;
  run.batch.settings.NamingRule = "<artist>\\<number>-<title>";
  run.batch.temporaryPath = Wav("PWabc123", 0.5);
  ASSERT_EQ(Encode(run), 1);
  EXPECT_EQ(run.batch.jobs[0].outputPath, run.batch.settings.effectiveOutputFolder + "AC#DC/06-Back& In Black.MP3");
  EXPECT_TRUE(fs::exists(run.batch.jobs[0].outputPath));
  EXPECT_FALSE(fs::exists(run.batch.temporaryPath));
}

TEST_F(Mp3EncodingStep, FailuresAreLoggedAndKeepTheTemporaryFile) {
  struct NearlyFull final : DiskSpaceProbe {
    FreeSpace Query(std::string_view) const override { return {true, 1000, "/full"}; }
  } nearlyFull;
  ConversionJob job;
  job.sourceName = "Track";
  job.trackIndex = 0;
  test::Mp3TestBatch run(temp, job);
  run.batch.kind = BatchKind::CdRip;
  run.batch.temporaryPath = Wav("PWtemp01", 0.5);
  run.batch.diskSpace = &nearlyFull;
  EXPECT_EQ(Encode(run), 0);
  EXPECT_EQ(run.Log(), (std::vector<std::string>{" Encoding Track ...",
                                                 " Error: Not enough free disk space at disk: /full!"}));
  EXPECT_TRUE(fs::exists(run.batch.temporaryPath));

  // An output that is the input itself is never truncated.
  std::string wav = temp / "out/same.MP3";
  test::WriteWav(wav, std::vector<int16_t>(5000, 7));
  std::string before = test::ReadWholeFile(wav);
  test::Mp3TestBatch same(temp, MakeFileJob(wav));
  EXPECT_EQ(Encode(same), 0);
  EXPECT_EQ(same.Log(), (std::vector<std::string>{" Error: can't open file " + wav + "!"}));
  EXPECT_EQ(test::ReadWholeFile(wav), before);
}

TEST_F(Mp3EncodingStep, AnInvalidInputLeavesAnExistingOutputUntouchedAndCreatesNothing) {
  std::string wav = temp / "song.wav";
  test::WriteWav(wav, std::vector<int16_t>(6000, 100));
  std::string bytes = test::ReadWholeFile(wav);
  bytes[34] = 8;  // 8 bits per sample
  test::WriteWholeFile(wav, bytes);
  test::Mp3TestBatch run(temp, MakeFileJob(wav));
  const std::string output = run.batch.settings.effectiveOutputFolder + "song.MP3";
  test::WriteWholeFile(output, "the song as encoded last year");
  EXPECT_EQ(Encode(run), 0);
  EXPECT_EQ(test::ReadWholeFile(output), "the song as encoded last year");
  EXPECT_EQ(test::FileNames(run.batch.settings.effectiveOutputFolder), std::vector<std::string>{"song.MP3"});
}

// A full disk anywhere in the step, also while the ID3v2 tag rewrites the finished
// file, fails the step with the file layer's text and leaves the earlier file.
TEST_F(Mp3EncodingStep, AFullDiskFailsTheStepAndKeepsThePreviousFile) {
  // The free-space check before encoding asks for a quarter of the WAV data, more
  // than a whole MP3 takes; a disk that fills meanwhile is found by the writes alone.
  struct Unknown final : DiskSpaceProbe {
    FreeSpace Query(std::string_view) const override { return {}; }
  } unknownSpace;
  std::string wav = Wav("song.wav", 2.0);
  test::Mp3TestBatch sizing(temp, MakeFileJob(wav));
  ASSERT_EQ(Encode(sizing), 1);
  const uint64_t mp3Bytes = fs::file_size(sizing.batch.jobs[0].outputPath);
  const std::string previous(8 * 1024, 'p');
  struct Case {
    const char* name;
    uint64_t diskBytes;
    bool needsTmpfs;  // a size limit per file cannot make the tag's copy of the file fail alone
    std::string cause;
  } cases[] = {
      {"while encoding", 16 * 1024 + mp3Bytes / 2, false, ""},
      {"while tagging", 16 * 1024 + mp3Bytes * 3 / 2, true, text::kTagUpdateFailed},
  };
  for (const Case& c : cases) {
    test::SmallDisk disk(c.diskBytes);
    if (c.needsTmpfs && !disk.IsTmpfs()) continue;
    test::WriteWholeFile(disk / "song.MP3", previous);
    test::Mp3TestBatch run(temp, MakeFileJob(wav));
    run.batch.settings.effectiveOutputFolder = disk.Path();
    run.batch.diskSpace = &unknownSpace;
    {
      test::FullDiskScope full(disk);
      EXPECT_EQ(Encode(run), 0) << c.name;
    }
    EXPECT_EQ(test::ReadWholeFile(disk / "song.MP3"), previous) << c.name;
    EXPECT_EQ(test::FileNames(disk.Path()), std::vector<std::string>{"song.MP3"}) << c.name;
    std::vector<std::string> log = run.Log();
    ASSERT_EQ(log.size(), 2u) << c.name << ": " << log.back();
    EXPECT_EQ(log[1].rfind(" Error: File operation error, error cause:" + c.cause, 0), 0u) << log[1];
  }
}

// Without the library the step fails at the encoder's initialisation; other steps still work.
TEST_F(Mp3EncodingStep, WithoutTheLibraryEachEncodingFailsToInitialiseAndNothingElseBreaks) {
  Mp3EncoderLibrary missing("liblame_enc_missing.so");
  RecordingNotice notice;
  LoadEncoderAtStart(missing, 0, notice);
  EXPECT_EQ(notice.texts, (std::vector<std::string>{text::kNoEncodeDll}));

  std::string wav = Wav("a.wav", 0.2);
  for (const Mp3EncoderLibrary* library : std::vector<const Mp3EncoderLibrary*>{&missing, nullptr}) {
    test::Mp3TestBatch run(temp, MakeFileJob(wav));
    run.batch.kind = BatchKind::EncodeMp3;
    RunBatch(run.batch, ProgramSteps(library));
    EXPECT_EQ(run.Log(), (std::vector<std::string>{" Encoding " + wav + " ...",
                                                   " Error: Error initialize mp3 encoder!"}));
    EXPECT_EQ(run.progress.MessagesWithId(Message::BatchFailed).size(), 1u);
  }
  test::Mp3TestBatch normalize(temp, MakeFileJob(wav));
  normalize.batch.kind = BatchKind::Normalize;
  RunBatch(normalize.batch, ProgramSteps(&missing));
  EXPECT_EQ(normalize.progress.MessagesWithId(Message::BatchSucceeded).size(), 1u);
}

}  // namespace
}  // namespace sonvarek
