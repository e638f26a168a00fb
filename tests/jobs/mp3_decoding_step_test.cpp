#include "jobs/mp3_decoding_step.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <unistd.h>
#include <zlib.h>

#include "jobs/batch_worker.h"
#include "jobs/wav_file.h"
#include "jobs/wav_normalizer.h"
#include "mpegdec/mpegdec_test_support.h"
#include "platform/manual_reset_event.h"
#include "platform/recording_message_sink.h"
#include "support/log_line.h"
#include "support/run_program.h"
#include "support/small_disk.h"
#include "support/temp_folder.h"

namespace sonvarek {
namespace {

namespace fs = std::filesystem;
namespace mt = mpegdec::test;

// One decoding with recording windows; `onProgress` sees every progress-window message as
// it arrives, on the decoding's own thread.
struct DecodeRun {
  explicit DecodeRun(std::function<void(const WindowMessage&)> onProgress = {})
      : progress([this, hook = std::move(onProgress)](const WindowMessage& m) {
          if (hook) hook(m);
        }) {
    batch.progressWindow = &progress;
    batch.mainWindow = &main;
  }
  int Decode(const std::string& input, const std::string& output) {
    return DecodeMp3File(input, output, Mp3DecodingOptions{}, batch);
  }
  // The log lines without their time stamps, each checked for its square brackets.
  std::vector<std::string> Log() const {
    std::vector<std::string> lines;
    for (const WindowMessage& m : main.MessagesWithId(Message::LogLine)) {
      EXPECT_TRUE(test::HasTimeStamp(m.text, '[')) << m.text;
      lines.push_back(test::AfterTimeStamp(m.text));
    }
    return lines;
  }
  std::vector<int64_t> Progress() const {
    std::vector<int64_t> values;
    for (const WindowMessage& m : progress.MessagesWithId(Message::EncodeProgress)) values.push_back(m.wParam);
    return values;
  }

  RecordingMessageSink progress;
  RecordingMessageSink main;
  ConversionBatch batch;
};

// A WAV file as the step writes it: the canonical header and the samples after it.
struct DecodedWav {
  WavHeader header;
  uint64_t fileSize = 0;
  std::vector<int16_t> samples;
};

DecodedWav ReadDecodedWav(const std::string& path) {
  const std::string bytes = test::ReadWholeFile(path);
  DecodedWav wav;
  wav.fileSize = bytes.size();
  if (bytes.size() < kWavHeaderSize) {
    ADD_FAILURE() << path << " holds no WAV header";
    return wav;
  }
  std::array<uint8_t, kWavHeaderSize> head{};
  std::copy_n(bytes.begin(), kWavHeaderSize, head.begin());
  wav.header = ParseWavHeader(head);
  wav.samples = mt::BytesToSamples(std::vector<uint8_t>(bytes.begin() + kWavHeaderSize, bytes.end()));
  return wav;
}

// The header describes exactly the PCM that follows it.
void ExpectConsistentHeader(const DecodedWav& wav, uint32_t rate, uint16_t channels) {
  const WavHeader& h = wav.header;
  EXPECT_EQ(std::string(h.riff.data(), 4), "RIFF");
  EXPECT_EQ(std::string(h.data.data(), 4), "data");
  EXPECT_EQ(h.formatTag, 1);
  EXPECT_EQ(h.channels, channels);
  EXPECT_EQ(h.samplesPerSecond, rate);
  EXPECT_EQ(h.bitsPerSample, 16);
  EXPECT_EQ(h.blockAlign, channels * 2);
  EXPECT_EQ(h.bytesPerSecond, rate * channels * 2);
  EXPECT_EQ(uint64_t{h.dataSize}, wav.fileSize - kWavHeaderSize);
  EXPECT_EQ(h.riffSize, h.dataSize + 36);
}

// An ID3v2.3 frame: its 10-byte header (`flags` as coded) and `data`.
std::string Id3v2Frame(const char* id, uint16_t flags, const std::string& data) {
  const auto size = static_cast<uint32_t>(data.size());
  std::string frame = id;
  for (int shift : {24, 16, 8, 0}) frame += static_cast<char>((size >> shift) & 0xFF);
  frame += static_cast<char>(flags >> 8);
  frame += static_cast<char>(flags & 0xFF);
  return frame + data;
}

// An ID3v2.3 tag header announcing a body of `bodySize` bytes (synchsafe).
std::string Id3v2Header(uint32_t bodySize) {
  std::string tag("ID3\x03\x00\x00", 6);
  for (int shift : {21, 14, 7, 0}) tag += static_cast<char>((bodySize >> shift) & 0x7F);
  return tag;
}

// An ID3v2.3 tag whose text holds a Layer III frame header: a decoder that did not start
// after the tag would take that for the first frame.
std::string Id3v2TagWithFalseSync() {
  const std::string value = std::string("\0x\0", 3) + "\xFF\xFB\x90\x64" + std::string(60, 'a');
  const std::string body = Id3v2Frame("TXXX", 0, value) + std::string(300, '\0');  // padding
  return Id3v2Header(static_cast<uint32_t>(body.size())) + body;
}

// A title frame compressed with zlib (flag 0x0080: the decompressed size, then the deflate
// stream), in a whole tag.
std::string Id3v2TagWithCompressedFrame() {
  const std::string text = std::string(1, '\0') + "A title long enough to be worth compressing, compressed";
  std::string packed(compressBound(text.size()), '\0');
  uLongf packedSize = packed.size();
  compress(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(text.data()), text.size());
  packed.resize(packedSize);
  std::string data;
  for (int shift : {24, 16, 8, 0}) data += static_cast<char>((text.size() >> shift) & 0xFF);
  const std::string body = Id3v2Frame("TIT2", 0x0080, data + packed) + std::string(64, '\0');
  return Id3v2Header(static_cast<uint32_t>(body.size())) + body;
}

// A 113-byte file that is nothing but the start of a tag: the header announces 1000 bytes and
// its one frame, compressed, claims 100000 bytes once decompressed.
std::string CutShortId3v2Tag() {
  std::string data;
  for (int shift : {24, 16, 8, 0}) data += static_cast<char>((100000 >> shift) & 0xFF);
  const std::string tag = Id3v2Header(1000) + Id3v2Frame("TIT2", 0x0080, data + std::string(89, 'x'));
  return tag.substr(0, 113);
}

// A Layer III frame of silence: MPEG-1, 128 kbit/s, 44.1 kHz, one channel, no side
// information and no main data, 417 bytes.
std::string SilentFrame() { return std::string("\xFF\xFB\x90\xC0", 4) + std::string(413, '\0'); }

// `size` bytes of junk that hold a Layer III header every 100 bytes, none of them confirmed by
// another one frame length later.
std::string JunkWithFalseHeaders(size_t size) {
  std::string junk(size, '\x55');
  for (size_t at = 0; at + 4 <= size; at += 100) junk.replace(at, 4, "\xFF\xFB\x90\x64");
  return junk;
}

class Mp3DecodingStep : public ::testing::Test {
 protected:
  // `seconds` of the test signal encoded with lame and its `options`; the MP3 file's path.
  std::string Encode(const std::string& name, const std::string& options, int rate, int channels, double seconds) {
    const std::string wav = temp / (name + ".wav");
    mt::WriteTestWav(wav, rate, channels, seconds);
    const std::string mp3 = temp / (name + ".mp3");
    const int status = mt::RunCommand("lame --quiet " + options + " " + test::ShellQuoted(wav) + " " + test::ShellQuoted(mp3));
    EXPECT_EQ(status, 0) << "lame is needed (scripts/install-deps)";
    return mp3;
  }
  std::string Output(const std::string& name) const { return outputFolder + name + ".WAV"; }

  test::TempFolder temp;
  std::string outputFolder = [this] {
    fs::create_directories(temp / "out");
    return temp / "out/";
  }();
};

// lame marks a VBR stream with a "Xing" frame and a CBR one with an "Info" frame; neither
// holds audio, wherever the tag sits (MPEG-1 or MPEG-2, two channels or one). An ID3v2 tag
// before the stream is stepped over whole.
TEST_F(Mp3DecodingStep, DecodesAsMpg123DoesWithoutTheInformationFrame) {
  struct Case {
    const char* name;
    const char* lame;
    int rate;
    int channels;
    bool id3v2;
  };
  const Case cases[] = {
      {"cbr_info", "-b 128", 44100, 2, false},
      {"vbr_xing", "-V 2", 44100, 2, false},
      {"tagged_cbr", "-b 128", 44100, 2, true},
      {"mono_vbr", "-V 4 -m m", 44100, 1, true},
      {"mpeg2_vbr", "-V 4", 22050, 2, false},
      {"mpeg2_mono_cbr", "-b 48 -m m", 16000, 1, false},  // lame writes no "Info" into smaller frames
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string mp3 = Encode(c.name, c.lame, c.rate, c.channels, 1.5);
    if (c.id3v2) test::WriteWholeFile(mp3, Id3v2TagWithFalseSync() + test::ReadWholeFile(mp3));
    const std::vector<int16_t> reference = mt::ReferenceDecode(mp3, temp / "out");
    ASSERT_FALSE(reference.empty()) << "mpg123 is needed (scripts/install-deps)";
    fs::remove(temp / "out/reference.f32");

    DecodeRun run;
    ASSERT_EQ(run.Decode(mp3, Output(c.name)), 1);
    EXPECT_EQ(run.Log(), (std::vector<std::string>{" Decode file " + mp3, " Decode MPEG file OK!"}));
    auto phases = run.progress.MessagesWithId(Message::DecodePhase);
    ASSERT_EQ(phases.size(), 1u);
    EXPECT_EQ(phases[0].text, mp3);
    const std::vector<int64_t> progress = run.Progress();
    ASSERT_GE(progress.size(), 3u);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 1000);

    const DecodedWav wav = ReadDecodedWav(Output(c.name));
    ExpectConsistentHeader(wav, static_cast<uint32_t>(c.rate), static_cast<uint16_t>(c.channels));
    EXPECT_EQ(wav.samples.size(), reference.size());
    mt::ExpectFullAccuracy(mt::CompareSamples(wav.samples, reference));
  }
  EXPECT_EQ(test::FileNames(outputFolder).size(), std::size(cases));  // nothing staged is left behind
}

// The step decodes Layer III only: Layer I and II files hold no frame it takes.
TEST_F(Mp3DecodingStep, OtherLayersAndEmptyFilesFindNoFrameAndLeaveNoOutput) {
  const std::string empty = temp / "empty.mp3";
  test::WriteWholeFile(empty, "");
  for (const std::string& input : {mt::VectorPath("iso/l2-fl10.bit").string(), mt::VectorPath("iso/l1-fl2.bit").string(), empty}) {
    DecodeRun run;
    EXPECT_EQ(run.Decode(input, Output("x")), 0) << input;
    EXPECT_EQ(run.Log(), (std::vector<std::string>{" Decode file " + input, " Bad or unsupported MPEG file."}));
    EXPECT_TRUE(test::FileNames(outputFolder).empty()) << input;
  }
  DecodeRun missing;
  EXPECT_EQ(missing.Decode(temp / "missing.mp3", Output("x")), 0);
  EXPECT_EQ(missing.Log().back(), " Can't open input files " + temp / "missing.mp3");
}

// The stream starts at a Layer III header that the header one frame length later confirms,
// or at a lone frame that ends the file or that a tag follows. Anything else is no MP3 file,
// however many headers its bytes happen to hold: it fails with no output rather than passing
// for a decoded file. The leading ID3v2 tag is measured by its header alone, so a tag that
// is cut short or holds a compressed frame cannot upset the decoding.
TEST_F(Mp3DecodingStep, DecodesOnlyFilesWhoseStreamIsConfirmed) {
  const std::string plain = test::ReadWholeFile(Encode("plain", "-b 128", 44100, 2, 1.0));
  DecodeRun reference;
  ASSERT_EQ(reference.Decode(temp / "plain.mp3", Output("plain")), 1);
  const std::vector<int16_t> plainSamples = ReadDecodedWav(Output("plain")).samples;
  const std::vector<int16_t> silence(1152, 0);
  const auto vector = [](const char* name) { return test::ReadWholeFile(mt::VectorPath(name)); };

  struct Case {
    const char* name;
    std::string bytes;
    bool decoded;                          // 1, "Decode MPEG file OK!" and a WAV file; else 0, "Bad or unsupported"
    const std::vector<int16_t>* samples;   // what the WAV file holds, when that is known
  };
  const Case cases[] = {
      {"layer2_stream", vector("iso/l2-test32.bit"), false, nullptr},
      {"layer2_44khz", vector("iso/l2-fl16.bit"), false, nullptr},
      {"layer1_stream", vector("iso/l1-fl1.bit"), false, nullptr},
      {"free_format", vector("iso/l3-he_free.bit"), false, nullptr},
      {"mpeg25", test::ReadWholeFile(Encode("mpeg25", "-b 32", 11025, 2, 1.0)), false, nullptr},
      {"mpeg25_mono", test::ReadWholeFile(Encode("mpeg25_mono", "-b 16", 8000, 1, 1.0)), false, nullptr},
      {"junk_before_mp3", JunkWithFalseHeaders(4096) + plain, true, &plainSamples},
      {"header_then_garbage", SilentFrame().substr(0, 4) + std::string(2000, '\x55'), false, nullptr},
      {"lone_frame", SilentFrame(), true, &silence},
      {"lone_frame_then_id3v1", SilentFrame() + "TAG" + std::string(125, '\0'), true, &silence},
      {"lone_frame_then_junk", SilentFrame() + std::string(40, '\x55'), false, nullptr},
      {"cut_short_id3v2", CutShortId3v2Tag(), false, nullptr},
      {"compressed_id3v2_frame", Id3v2TagWithCompressedFrame() + plain, true, &plainSamples},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string input = temp / (std::string(c.name) + ".mp3");
    test::WriteWholeFile(input, c.bytes);
    DecodeRun run;
    EXPECT_EQ(run.Decode(input, Output(c.name)), c.decoded ? 1 : 0);
    const std::string last = c.decoded ? " Decode MPEG file OK!" : " Bad or unsupported MPEG file.";
    EXPECT_EQ(run.Log(), (std::vector<std::string>{" Decode file " + input, last}));
    ASSERT_EQ(fs::exists(Output(c.name)), c.decoded);
    if (c.samples != nullptr) {
      EXPECT_TRUE(ReadDecodedWav(Output(c.name)).samples == *c.samples);
    }
  }
}

// Files shorter than a thousand bytes give progress without a division by zero, and a frame
// cut short by the file's end ends the decoding quietly.
TEST_F(Mp3DecodingStep, AFileOfAFewFramesDecodesWhatItHoldsWhole) {
  const std::string mp3 = Encode("short", "-b 128", 44100, 2, 1.0);
  std::string bytes = test::ReadWholeFile(mp3);
  ASSERT_GT(bytes.size(), 900u);
  test::WriteWholeFile(mp3, bytes.substr(0, 900));  // the Info frame, one whole frame and a part
  DecodeRun run;
  ASSERT_EQ(run.Decode(mp3, Output("short")), 1);
  EXPECT_EQ(run.Log().back(), " Decode MPEG file OK!");
  EXPECT_EQ(run.Progress().back(), 1000);
  const DecodedWav wav = ReadDecodedWav(Output("short"));
  ExpectConsistentHeader(wav, 44100, 2);
  EXPECT_EQ(wav.samples.size(), 1152u * 2);
}

// The descriptor of `path` that this process has open.
int OpenDescriptorOf(const std::string& path) {
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    if (fs::read_symlink(entry.path(), error) == fs::path(path)) return std::stoi(entry.path().filename().string());
  }
  return -1;
}

// A read error part-way: once the decoding is under way, the input's descriptor is made a
// descriptor of a folder, so the next refill's read(2) fails (EISDIR) as a failing disk
// would make it fail. The decoding ends there, and the WAV file keeps what was decoded with
// a header that describes it. A write error part-way (the output is on a disk that fills
// up) fails the job instead: a shortened file must not pass for the whole decoding, so
// nothing takes the name and an earlier file of that name stays as it was.
TEST_F(Mp3DecodingStep, AReadErrorKeepsWhatWasDecodedAndAWriteErrorFails) {
  const std::string mp3 = Encode("long", "-b 128", 44100, 2, 10.0);  // several input buffers
  const std::vector<int16_t> reference = mt::ReferenceDecode(mp3, temp.Path());
  ASSERT_FALSE(reference.empty());

  DecodeRun reading([&](const WindowMessage& m) {
    if (m.id != Message::EncodeProgress || m.wParam == 0) return;
    const int input = OpenDescriptorOf(mp3);
    const int folder = ::open(temp.Path().c_str(), O_RDONLY | O_DIRECTORY);
    if (input >= 0 && folder >= 0 && input != folder) ::dup2(folder, input);
    if (folder >= 0) ::close(folder);
  });
  ASSERT_EQ(reading.Decode(mp3, Output("read")), 1);
  EXPECT_EQ(reading.Log(), (std::vector<std::string>{" Decode file " + mp3, " File read error while decoding.",
                                                     " Decode MPEG file OK!"}));
  const DecodedWav read = ReadDecodedWav(Output("read"));
  ExpectConsistentHeader(read, 44100, 2);
  EXPECT_GT(read.samples.size(), 0u);
  EXPECT_LT(read.samples.size(), reference.size() / 2);
  EXPECT_EQ(read.samples.size() % (1152 * 2), 0u);  // whole frames
  mt::ExpectFullAccuracy(mt::CompareSamples(read.samples, reference));

  test::SmallDisk disk(256 * 1024);
  const std::string full = disk / "full.WAV";
  test::WriteWholeFile(full, "earlier");
  DecodeRun writing;
  {
    test::FullDiskScope scope(disk);
    ASSERT_EQ(writing.Decode(mp3, full), 0);
  }
  EXPECT_EQ(writing.Log(), (std::vector<std::string>{" Decode file " + mp3, " File write error."}));
  EXPECT_EQ(test::ReadWholeFile(full), "earlier");
  EXPECT_EQ(test::FileNames(disk.Path()), std::vector<std::string>{"full.WAV"});
}

TEST_F(Mp3DecodingStep, ACancelLeavesNoOutput) {
  const std::string mp3 = Encode("cancel", "-b 128", 44100, 2, 3.0);
  for (bool atOnce : {true, false}) {  // before the first frame, and part-way
    auto cancel = std::make_shared<ManualResetEvent>();
    int progressSeen = 0;
    DecodeRun run([&](const WindowMessage& m) {
      if (m.id == Message::DecodePhase && atOnce) cancel->Set();
      if (m.id == Message::EncodeProgress && ++progressSeen == 2) cancel->Set();
    });
    run.batch.cancelEvent = cancel;
    EXPECT_EQ(run.Decode(mp3, Output("cancel")), 1);
    EXPECT_TRUE(run.batch.cancelled);
    EXPECT_EQ(run.Log().back(), " User canceled.");
    EXPECT_TRUE(test::FileNames(outputFolder).empty()) << atOnce;
  }
}

// Normalize brings the decoded peak to NormalizeRatio % of full scale, scaling every sample
// by the same factor; silence stays silence.
TEST_F(Mp3DecodingStep, NormalizeScalesTheDecodedFileBeforeItTakesItsName) {
  // A 1 kHz tone whose decoding peaks near 16384 (lame's stream comes out a little quieter).
  const std::string half = temp / "half.wav";
  ASSERT_EQ(mt::RunCommand("sox -n -r 44100 -c 2 -b 16 " + test::ShellQuoted(half) + " synth 1 sine 1000 vol 0.514"), 0)
      << "sox is needed (scripts/install-deps)";
  const std::string tone = temp / "tone.mp3";
  ASSERT_EQ(mt::RunCommand("lame --quiet -b 192 " + test::ShellQuoted(half) + " " + test::ShellQuoted(tone)), 0);
  // lame's silence decodes to a few LSB of noise; frames with no side information and no
  // main data decode to exact zeros (128 kbit/s, 44.1 kHz, one channel).
  const std::string silence = temp / "silence.mp3";
  std::string silentFrame = std::string("\xFF\xFB\x90\xC0", 4) + std::string(413, '\0');
  std::string silentStream;
  for (int i = 0; i < 40; ++i) silentStream += silentFrame;
  test::WriteWholeFile(silence, silentStream);

  DecodeRun plain;
  ASSERT_EQ(plain.Decode(tone, Output("plain")), 1);
  const std::vector<int16_t> unscaled = ReadDecodedWav(Output("plain")).samples;
  PeakMeter meter;
  meter.Add(reinterpret_cast<const uint8_t*>(unscaled.data()), unscaled.size() * 2);
  ASSERT_NEAR(meter.Peak(), 16384, 200);
  const double factor = 95 * 0.01 * 32767 / meter.Peak();
  EXPECT_NEAR(factor, 1.9, 0.03);

  DecodeRun normalized;
  normalized.batch.settings.Normalize = 1;
  normalized.batch.settings.NormalizeRatio = 95;
  ASSERT_EQ(normalized.Decode(tone, Output("tone")), 1);
  const std::vector<int16_t> scaled = ReadDecodedWav(Output("tone")).samples;
  ASSERT_EQ(scaled.size(), unscaled.size());
  int32_t peak = 0;
  for (size_t i = 0; i < scaled.size(); ++i) {
    ASSERT_EQ(scaled[i], ScaleSample(unscaled[i], factor)) << i;
    peak = std::max(peak, std::abs(int32_t{scaled[i]}));
  }
  EXPECT_NEAR(peak, 31128, 1);
  const auto phases = normalized.progress.MessagesWithId(Message::JobPhase);
  ASSERT_EQ(phases.size(), 1u);
  EXPECT_EQ(phases[0].wParam, Wire(JobPhaseCode::Normalizing));
  EXPECT_EQ(phases[0].text, Output("tone"));
  EXPECT_EQ(normalized.Log().back(), " Decode MPEG file OK!");

  DecodeRun quiet;
  quiet.batch.settings.Normalize = 1;
  ASSERT_EQ(quiet.Decode(silence, Output("silence")), 1);
  const std::vector<int16_t> zeros = ReadDecodedWav(Output("silence")).samples;
  EXPECT_FALSE(zeros.empty());
  EXPECT_TRUE(std::all_of(zeros.begin(), zeros.end(), [](int16_t s) { return s == 0; }));
  EXPECT_TRUE(quiet.progress.MessagesWithId(Message::JobPhase).empty());
}

// The engine's decode batch: each file's WAV goes into the output folder under the file's
// name, and a file that cannot be read fails the batch.
TEST_F(Mp3DecodingStep, ADecodeBatchWritesNameDotWavIntoTheOutputFolder) {
  const std::string mp3 = Encode("Song One", "-b 128", 44100, 2, 1.0);
  for (bool readable : {true, false}) {
    RecordingMessageSink window;
    RecordingMessageSink log;
    ConversionBatch batch;
    batch.kind = BatchKind::Decode;
    batch.progressWindow = &window;
    batch.mainWindow = &log;
    batch.settings.effectiveOutputFolder = outputFolder;
    batch.jobs.push_back(MakeFileJob(readable ? mp3 : temp / "gone.mp3"));
    RunBatch(batch, ProgramSteps(nullptr));

    if (readable) {
      ASSERT_EQ(window.MessagesWithId(Message::BatchSucceeded).size(), 1u);
      const auto* end = dynamic_cast<const BatchEnd*>(window.MessagesWithId(Message::BatchSucceeded)[0].payload.get());
      ASSERT_NE(end, nullptr);
      EXPECT_EQ(end->files, std::vector<std::string>{outputFolder + "Song One.WAV"});
      EXPECT_EQ(ReadDecodedWav(outputFolder + "Song One.WAV").header.samplesPerSecond, 44100u);
    } else {
      EXPECT_EQ(window.MessagesWithId(Message::BatchFailed).size(), 1u);
      ASSERT_FALSE(log.Messages().empty());
      EXPECT_EQ(test::AfterTimeStamp(log.Messages().back().text), " Can't open input files " + temp / "gone.mp3");
    }
  }
}

}  // namespace
}  // namespace sonvarek
