#include "jobs/ogg_encoder.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <ogg/ogg.h>
#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include "jobs/batch_worker.h"
#include "jobs/mp3_test_batch.h"
#include "platform/ticks.h"
#include "support/small_disk.h"
#include "support/wav_fixture.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;

// What libvorbisfile reads back from an Ogg Vorbis file.
struct OggReadBack {
  bool opened = false;
  int channels = 0;
  long rate = 0;
  long nominalBitrate = 0;
  std::vector<std::string> comments;
  std::vector<int16_t> samples;  // interleaved
};

OggReadBack ReadOgg(const std::string& path) {
  OggReadBack result;
  OggVorbis_File file;
  if (ov_fopen(path.c_str(), &file) != 0) return result;
  result.opened = true;
  const vorbis_info* info = ov_info(&file, -1);
  result.channels = info->channels;
  result.rate = info->rate;
  result.nominalBitrate = info->bitrate_nominal;
  const vorbis_comment* comment = ov_comment(&file, -1);
  for (int i = 0; i < comment->comments; ++i) {
    result.comments.emplace_back(comment->user_comments[i], static_cast<size_t>(comment->comment_lengths[i]));
  }
  char buffer[8192];
  int section = 0;
  long count = 0;
  while ((count = ov_read(&file, buffer, sizeof buffer, 0, 2, 1, &section)) > 0) {
    const auto* values = reinterpret_cast<const int16_t*>(buffer);
    result.samples.insert(result.samples.end(), values, values + count / 2);
  }
  if (count < 0) result.opened = false;  // a hole or a damaged page
  ov_clear(&file);
  return result;
}

// One page of an Ogg file as libogg sees it.
struct PageSeen {
  int packetsCompleted = 0;
  bool continued = false;
  int64_t granule = 0;
  bool eos = false;
};

std::vector<PageSeen> WalkPages(const std::string& path) {
  std::string bytes = test::ReadWholeFile(path);
  ogg_sync_state sync;
  ogg_sync_init(&sync);
  char* buffer = ogg_sync_buffer(&sync, static_cast<long>(bytes.size()));
  std::copy(bytes.begin(), bytes.end(), buffer);
  ogg_sync_wrote(&sync, static_cast<long>(bytes.size()));
  std::vector<PageSeen> pages;
  ogg_stream_state stream;
  bool streamReady = false;
  ogg_page page;
  while (ogg_sync_pageout(&sync, &page) == 1) {
    if (!streamReady) streamReady = ogg_stream_init(&stream, ogg_page_serialno(&page)) == 0;
    ogg_stream_pagein(&stream, &page);
    PageSeen seen{0, ogg_page_continued(&page) != 0, ogg_page_granulepos(&page), ogg_page_eos(&page) != 0};
    ogg_packet packet;
    while (ogg_stream_packetout(&stream, &packet) == 1) ++seen.packetsCompleted;
    pages.push_back(seen);
  }
  if (streamReady) ogg_stream_clear(&stream);
  ogg_sync_clear(&sync);
  return pages;
}

// The nominal bitrate libvorbisenc gives a stereo 44100 Hz stream of this quality.
long NominalBitrateAt(float quality) {
  vorbis_info info;
  vorbis_info_init(&info);
  EXPECT_EQ(vorbis_encode_init_vbr(&info, 2, 44100, quality), 0);
  long bitrate = info.bitrate_nominal;
  vorbis_info_clear(&info);
  return bitrate;
}

// Interleaved stereo: a loud sine left, a soft one of another pitch right, so that
// byte order, scale and channel order all show in what decodes.
std::vector<int16_t> TwoTones(size_t frames) {
  std::vector<int16_t> samples;
  samples.reserve(frames * 2);
  for (size_t i = 0; i < frames; ++i) {
    samples.push_back(static_cast<int16_t>(12000 * std::sin(2 * M_PI * 440.0 * static_cast<double>(i) / 44100)));
    samples.push_back(static_cast<int16_t>(3000 * std::sin(2 * M_PI * 660.0 * static_cast<double>(i) / 44100)));
  }
  return samples;
}

double Rms(const std::vector<int16_t>& interleaved, size_t channel) {
  double sum = 0;
  size_t count = 0;
  for (size_t i = channel; i < interleaved.size(); i += 2, ++count) sum += double(interleaved[i]) * interleaved[i];
  return count == 0 ? 0 : std::sqrt(sum / static_cast<double>(count));
}

class OggEncodingStep : public ::testing::Test {
 protected:
  // A stereo 44100 Hz WAV file in the temporary folder with `extraBytes` after the
  // whole frames (the header's data size counts them).
  std::string Wav(const std::string& name, size_t frames, size_t extraBytes = 0) {
    std::string path = temp / name;
    test::WriteWav(path, TwoTones(frames));
    if (extraBytes > 0) {
      std::string bytes = test::ReadWholeFile(path) + std::string(extraBytes, '\x11');
      WavHeader header = CdWavHeader(static_cast<uint32_t>(frames * 4 + extraBytes));
      auto head = SerializeWavHeader(header);
      bytes.replace(0, head.size(), std::string(head.begin(), head.end()));
      test::WriteWholeFile(path, bytes);
    }
    return path;
  }
  // A job of a CD rip reading `temporary`, as the worker hands it over after extraction.
  test::Mp3TestBatch& RipOf(std::unique_ptr<test::Mp3TestBatch>& run, ConversionJob job, const std::string& temporary) {
    run = std::make_unique<test::Mp3TestBatch>(temp, std::move(job));
    run->batch.kind = BatchKind::CdRip;
    run->batch.outputFormat = OutputFormat::Ogg;
    run->batch.temporaryPath = temporary;
    return *run;
  }
  std::string Out() const { return temp / "out/"; }

  test::TempFolder temp;
};

TEST_F(OggEncodingStep, EncodesAFileIntoAStreamThatDecodesToExactlyItsFrames) {
  std::string wav = Wav("song.wav", 66150);
  test::Mp3TestBatch run(temp, MakeFileJob(wav));
  ASSERT_EQ(EncodeOgg(run.batch), 1);

  const ConversionJob& job = run.batch.jobs[0];
  EXPECT_EQ(job.outputPath, Out() + "song.ogg");
  EXPECT_EQ(job.outputFolder, Out());
  EXPECT_EQ(test::FileNames(Out()), std::vector<std::string>{"song.ogg"});
  EXPECT_EQ(run.Log(), (std::vector<std::string>{" Encoding " + wav + " ...", " Encoding " + wav + " OK!"}));
  auto phases = run.progress.MessagesWithId(Message::EncodePhase);
  ASSERT_EQ(phases.size(), 1u);
  EXPECT_EQ(phases[0].wParam, 1);
  EXPECT_EQ(phases[0].text, wav);

  OggReadBack back = ReadOgg(job.outputPath);
  ASSERT_TRUE(back.opened);
  EXPECT_EQ(back.channels, 2);
  EXPECT_EQ(back.rate, 44100);
  EXPECT_TRUE(back.comments.empty());  // a file job has no texts
  ASSERT_EQ(back.samples.size(), 66150u * 2);
  const std::vector<int16_t> input = TwoTones(66150);
  for (size_t channel : {0u, 1u}) {
    EXPECT_NEAR(Rms(back.samples, channel), Rms(input, channel), Rms(input, channel) * 0.05) << channel;
  }
}

// Only whole frames are encoded: the bytes of a partial frame at the end are dropped,
// also when they make a read of their own.
TEST_F(OggEncodingStep, DecodesToTheInputsWholeFramesWhateverTheDataSize) {
  struct Case {
    size_t frames;
    size_t extraBytes;
  };
  for (Case c : {Case{2048, 3}, Case{1025, 2}, Case{3000, 1}, Case{10, 0}, Case{0, 0}, Case{0, 3}}) {
    std::string wav = Wav("odd.wav", c.frames, c.extraBytes);
    test::Mp3TestBatch run(temp, MakeFileJob(wav));
    ASSERT_EQ(EncodeOgg(run.batch), 1) << c.frames << "+" << c.extraBytes;
    OggReadBack back = ReadOgg(run.batch.jobs[0].outputPath);
    ASSERT_TRUE(back.opened) << c.frames << "+" << c.extraBytes;
    EXPECT_EQ(back.samples.size(), c.frames * 2) << c.frames << "+" << c.extraBytes;
  }
}

TEST_F(OggEncodingStep, TheQualitySettingChoosesTheVorbisQualityAndOutOfRangeMeansSixty) {
  ASSERT_NE(NominalBitrateAt(0.60f), NominalBitrateAt(0.01f));
  ASSERT_NE(NominalBitrateAt(0.60f), NominalBitrateAt(0.50f));
  struct Case {
    int32_t setting;
    float quality;
  };
  std::string wav = Wav("q.wav", 4410);
  for (Case c : {Case{0, 0.60f}, Case{150, 0.60f}, Case{-3, 0.60f}, Case{1, 0.01f}, Case{50, 0.50f},
                 Case{100, 1.00f}}) {
    test::Mp3TestBatch run(temp, MakeFileJob(wav));
    run.batch.settings.OggQuality = c.setting;
    ASSERT_EQ(EncodeOgg(run.batch), 1) << c.setting;
    EXPECT_EQ(ReadOgg(run.batch.jobs[0].outputPath).nominalBitrate, NominalBitrateAt(c.quality)) << c.setting;
  }
}

TEST_F(OggEncodingStep, WritesTheChosenNonEmptyCommentsInTheirOrder) {
  ConversionJob full;
  full.sourceName = "Jóga";
  full.trackIndex = 4;
  full.tags = {"Jóga", "Björk", "Homogenic", "1997", "I like it", "misc", "Alternative", 40, "Björk G.", "Sugarcubes",
               "(c) 1997", "http://example.com/", "Sonvarek"};
  ConversionJob emptyAlbum = full;
  emptyAlbum.tags.Album.clear();
  ConversionJob file = MakeFileJob("");
  const std::array<int32_t, 12> allOn = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  std::array<int32_t, 12> allButTrack = allOn;
  allButTrack[11] = 0;
  struct Case {
    const char* name;
    ConversionJob job;
    std::array<int32_t, 12> switches;
    std::vector<std::string> comments;
  } cases[] = {
      {"title, artist, album on; album empty", emptyAlbum, {1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0},
       {"TITLE=Jóga", "ARTIST=Björk"}},
      {"all on", full, allOn,
       {"TITLE=Jóga", "ARTIST=Björk", "ALBUM=Homogenic", "YEAR=1997", "GENRE=Alternative", "COMMENT=I like it",
        "COMPOSER=Björk G.", "ORIGARTIST=Sugarcubes", "Copyright=(c) 1997", "URL=http://example.com/",
        "ENCODED BY=Sonvarek", "TRACKNUMBER=05"}},
      {"all on but the track number", full, allButTrack,
       {"TITLE=Jóga", "ARTIST=Björk", "ALBUM=Homogenic", "YEAR=1997", "GENRE=Alternative", "COMMENT=I like it",
        "COMPOSER=Björk G.", "ORIGARTIST=Sugarcubes", "Copyright=(c) 1997", "URL=http://example.com/",
        "ENCODED BY=Sonvarek"}},
      {"only the track number", full, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, {"TRACKNUMBER=05"}},
      {"a file job", file, allOn, {}},
  };
  for (Case& c : cases) {
    std::unique_ptr<test::Mp3TestBatch> holder;
    std::string wav = Wav("PWtemp01", 2000);
    test::Mp3TestBatch* run = nullptr;
    if (c.job.trackIndex >= 0) {
      run = &RipOf(holder, c.job, wav);
    } else {
      holder = std::make_unique<test::Mp3TestBatch>(temp, MakeFileJob(wav));
      run = holder.get();
    }
    run->batch.settings.OggComment = c.switches;
    ASSERT_EQ(EncodeOgg(run->batch), 1) << c.name;
    OggReadBack back = ReadOgg(run->batch.jobs[0].outputPath);
    ASSERT_TRUE(back.opened) << c.name;
    EXPECT_EQ(back.comments, c.comments) << c.name;
    fs::remove(run->batch.jobs[0].outputPath);
  }
}

// Players and stream tools expect the identification header alone on the first
// page and the other two headers finished before the first audio page.
TEST_F(OggEncodingStep, TheThreeHeadersStandOnPagesOfTheirOwn) {
  std::string wav = Wav("pages.wav", 44100);
  test::Mp3TestBatch run(temp, MakeFileJob(wav));
  ASSERT_EQ(EncodeOgg(run.batch), 1);
  std::vector<PageSeen> pages = WalkPages(run.batch.jobs[0].outputPath);
  ASSERT_GE(pages.size(), 3u);
  EXPECT_EQ(pages[0].packetsCompleted, 1);
  EXPECT_EQ(pages[0].granule, 0);
  size_t headersEnd = 1;
  int packets = 1;
  while (headersEnd < pages.size() && packets < 3) {
    EXPECT_EQ(pages[headersEnd].granule, 0) << headersEnd;
    packets += pages[headersEnd++].packetsCompleted;
  }
  EXPECT_EQ(packets, 3);  // no audio packet ends on a header page
  ASSERT_LT(headersEnd, pages.size());
  EXPECT_FALSE(pages[headersEnd].continued);  // nor does one begin there
  EXPECT_GT(pages[headersEnd].granule, 0);
  EXPECT_TRUE(pages.back().eos);
  for (size_t i = 0; i + 1 < pages.size(); ++i) EXPECT_FALSE(pages[i].eos) << i;
}

TEST_F(OggEncodingStep, ProgressComesEveryTenReadsAndEndsAtOneThousand) {
  const size_t frames = 25 * 1024 + 25;  // 25 whole reads of 4096 bytes and a short one
  std::string wav = Wav("progress.wav", frames);
  test::Mp3TestBatch run(temp, MakeFileJob(wav));
  ASSERT_EQ(EncodeOgg(run.batch), 1);
  const int64_t total = static_cast<int64_t>(frames) * 4;
  EXPECT_EQ(run.Progress(), (std::vector<int64_t>{10 * 4096 / (total / 1000), 20 * 4096 / (total / 1000), 1000}));

  std::string tiny = Wav("tiny.wav", 100);  // fewer bytes than thousandths
  test::Mp3TestBatch small(temp, MakeFileJob(tiny));
  ASSERT_EQ(EncodeOgg(small.batch), 1);
  EXPECT_EQ(small.Progress(), (std::vector<int64_t>{1000}));
}

TEST_F(OggEncodingStep, RefusedInputsLeaveNoFileAndAnEarlierOutputUntouched) {
  std::string valid = test::ReadWholeFile(Wav("valid.wav", 3000));
  struct Case {
    const char* name;
    std::function<std::string()> bytes;  // of song.wav; nothing: no such file
    std::string line;                    // after the time stamp; "%s" is the input's path
  };
  auto withHeader = [&](uint16_t channels, uint32_t rate, uint16_t bits) {
    return [=] {
      WavHeader header = CdWavHeader(static_cast<uint32_t>(valid.size() - 44));
      header.channels = channels;
      header.samplesPerSecond = rate;
      header.bitsPerSample = bits;
      auto head = SerializeWavHeader(header);
      return std::string(head.begin(), head.end()) + valid.substr(44);
    };
  };
  const std::string unsupported = " Error: Can't support this wave format of file %s!";
  const std::string unreadable = " Error: Can't read file %s!";
  Case cases[] = {
      {"48 kHz", withHeader(2, 48000, 16), unsupported},
      {"mono", withHeader(1, 44100, 16), unsupported},
      {"8 bits", withHeader(2, 44100, 8), unsupported},
      {"43 header bytes", [&] { return valid.substr(0, 43); }, unreadable},
      {"30 header bytes", [&] { return valid.substr(0, 30); }, unreadable},
      {"8 bytes", [&] { return valid.substr(0, 8); }, unreadable},
      {"missing", nullptr, " Error: can't open file %s!"},
  };
  for (const Case& c : cases) {
    const std::string input = temp / "song.wav";
    fs::remove(input);
    if (c.bytes) test::WriteWholeFile(input, c.bytes());
    test::Mp3TestBatch run(temp, MakeFileJob(input));
    test::WriteWholeFile(Out() + "song.ogg", "the song as encoded last year");
    EXPECT_EQ(EncodeOgg(run.batch), 0) << c.name;
    std::string line = c.line;
    line.replace(line.find("%s"), 2, input);
    EXPECT_EQ(run.Log(), std::vector<std::string>{line}) << c.name;
    EXPECT_TRUE(run.progress.MessagesWithId(Message::EncodePhase).empty()) << c.name;
    EXPECT_EQ(test::ReadWholeFile(Out() + "song.ogg"), "the song as encoded last year") << c.name;
    EXPECT_EQ(test::FileNames(Out()), std::vector<std::string>{"song.ogg"}) << c.name;
  }

  // An output that is the input itself is never replaced.
  const std::string same = Out() + "same.ogg";
  test::WriteWholeFile(same, valid);
  test::Mp3TestBatch run(temp, MakeFileJob(same));
  EXPECT_EQ(EncodeOgg(run.batch), 0);
  EXPECT_EQ(run.Log(), std::vector<std::string>{" Error: can't open file " + same + "!"});
  EXPECT_EQ(test::ReadWholeFile(same), valid);
}

TEST_F(OggEncodingStep, ACancelLeavesNoOutputAndSetsCancelled) {
  std::string wav = Wav("long.wav", 3 * 44100);
  test::Mp3TestBatch run(temp, MakeFileJob(wav));
  test::WriteWholeFile(Out() + "long.ogg", "earlier");
  ManualResetEvent& cancel = *run.batch.cancelEvent;
  RecordingMessageSink cancelling([&](const WindowMessage& m) {
    if (m.id == Message::EncodeProgress) cancel.Set();  // at the first progress message
  });
  run.batch.progressWindow = &cancelling;
  EXPECT_EQ(EncodeOgg(run.batch), 1);
  EXPECT_TRUE(run.batch.cancelled);
  EXPECT_EQ(run.Log(), (std::vector<std::string>{" Encoding " + wav + " ...", " User canceled the operation."}));
  // The step ends like every encoding, at 1000, also after a cancel.
  auto progress = cancelling.MessagesWithId(Message::EncodeProgress);
  ASSERT_EQ(progress.size(), 2u);
  EXPECT_EQ(progress.back().wParam, 1000);
  EXPECT_EQ(test::ReadWholeFile(Out() + "long.ogg"), "earlier");
  EXPECT_EQ(test::FileNames(Out()), std::vector<std::string>{"long.ogg"});
  EXPECT_TRUE(fs::exists(wav));
}

TEST_F(OggEncodingStep, ARipReadsItsTemporaryFileNamesTheOutputByTheRuleAndDeletesTheTemporaryFile) {
  ConversionJob job;
  job.sourceName = "Back: In Black";
  job.trackIndex = 5;
  job.tags.Artist = "AC/DC";
  job.startTicks = TickCount() - 5000;  // extraction began five seconds ago
  std::unique_ptr<test::Mp3TestBatch> holder;
  test::Mp3TestBatch& run = RipOf(holder, job, Wav("PWabc123", 22050));
  run.batch.settings.NamingRule = "<artist>\\<number>-<title>";
  ASSERT_EQ(EncodeOgg(run.batch), 1);
  EXPECT_EQ(run.batch.jobs[0].outputPath, Out() + "AC#DC/06-Back& In Black.ogg");
  EXPECT_EQ(run.Log(), (std::vector<std::string>{" Encoding Back: In Black ...", " Encoding Back: In Black OK!"}));
  EXPECT_EQ(ReadOgg(run.batch.jobs[0].outputPath).samples.size(), 22050u * 2);
  EXPECT_FALSE(fs::exists(temp / "PWabc123"));
  EXPECT_GE(run.batch.jobs[0].startTicks, 5000u);  // the job's time, no longer a tick count
  EXPECT_LT(run.batch.jobs[0].startTicks, 60000u);
}

TEST_F(OggEncodingStep, TooLittleFreeSpaceOrAFullDiskFailsAndLeavesNoOutput) {
  struct NearlyFull final : DiskSpaceProbe {
    FreeSpace Query(std::string_view) const override { return {true, 1000, "/full"}; }
  } nearlyFull;
  ConversionJob job;
  job.sourceName = "Track";
  job.trackIndex = 0;
  std::unique_ptr<test::Mp3TestBatch> holder;
  test::Mp3TestBatch& rip = RipOf(holder, job, Wav("PWtemp01", 4000));  // 16000 bytes: a quarter is 4000
  rip.batch.diskSpace = &nearlyFull;
  EXPECT_EQ(EncodeOgg(rip.batch), 0);
  EXPECT_EQ(rip.Log(), (std::vector<std::string>{" Encoding Track ...",
                                                 " Error: Not enough free disk space at disk: /full!"}));
  EXPECT_TRUE(fs::is_empty(Out()));

  // The check asks for a quarter of the WAV data, more than the Ogg file takes; a
  // disk that fills meanwhile is found by the writes alone.
  struct Unknown final : DiskSpaceProbe {
    FreeSpace Query(std::string_view) const override { return {}; }
  } unknownSpace;
  std::string wav = Wav("song.wav", 10 * 44100);
  test::Mp3TestBatch sizing(temp, MakeFileJob(wav));
  ASSERT_EQ(EncodeOgg(sizing.batch), 1);
  const uint64_t oggBytes = fs::file_size(sizing.batch.jobs[0].outputPath);
  ASSERT_GT(oggBytes, 16 * 1024u);  // half of it well above the page a tmpfs size rounds up to
  const std::string previous(8 * 1024, 'p');
  test::SmallDisk disk(previous.size() + oggBytes / 2);
  test::WriteWholeFile(disk / "song.ogg", previous);
  test::Mp3TestBatch run(temp, MakeFileJob(wav));
  run.batch.settings.effectiveOutputFolder = disk.Path();
  run.batch.diskSpace = &unknownSpace;
  {
    test::FullDiskScope full(disk);
    EXPECT_EQ(EncodeOgg(run.batch), 0);
  }
  EXPECT_TRUE(test::ReadWholeFile(disk / "song.ogg") == previous);
  EXPECT_EQ(test::FileNames(disk.Path()), std::vector<std::string>{"song.ogg"});
  std::vector<std::string> log = run.Log();
  ASSERT_EQ(log.size(), 2u) << log.back();
  EXPECT_EQ(log[1].rfind(" Error: File operation error, error cause:", 0), 0u) << log[1];
}

TEST_F(OggEncodingStep, TheProgramsStepTableEncodesOggBatches) {
  std::vector<std::string> wavs = {Wav("one.wav", 3000), Wav("two.wav", 5000)};
  test::Mp3TestBatch run(temp, MakeFileJob(wavs[0]));
  run.batch.jobs.push_back(MakeFileJob(wavs[1]));
  run.batch.kind = BatchKind::EncodeOgg;
  RunBatch(run.batch, ProgramSteps(nullptr));
  auto succeeded = run.progress.MessagesWithId(Message::BatchSucceeded);
  ASSERT_EQ(succeeded.size(), 1u);
  auto end = std::dynamic_pointer_cast<const BatchEnd>(succeeded[0].payload);
  ASSERT_NE(end, nullptr);
  EXPECT_EQ(end->files, (std::vector<std::string>{Out() + "one.ogg", Out() + "two.ogg"}));
  EXPECT_EQ(ReadOgg(Out() + "two.ogg").samples.size(), 5000u * 2);
}

}  // namespace
}  // namespace sonvarek
