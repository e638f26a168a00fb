#include "platform/master_volume.h"

#include <alsa/asoundlib.h>
#include <chrono>
#include <climits>
#include <cstdint>
#include <gtest/gtest.h>
#include <poll.h>
#include <string>
#include <vector>

#include "support/private_pulse.h"

namespace sonvarek {
namespace {

using test::PrivatePulse;

class MasterVolumeTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(pulse.Ready()) << pulse.Problem(); }

  // The volumes reported through the change callback until `wanted` arrives or 10 s pass.
  static std::vector<long> ChangesUntil(MasterVolumeControl& control, std::vector<long>& seen, long wanted) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while ((seen.empty() || seen.back() != wanted) && std::chrono::steady_clock::now() < deadline) {
      std::vector<pollfd> descriptors = control.PollDescriptors();
      poll(descriptors.data(), descriptors.size(), 100);
      control.HandleEvents();
    }
    return seen;
  }

  PrivatePulse pulse;
};

TEST_F(MasterVolumeTest, ReadsThePulseMasterRangeAndTheFirstChannel) {
  // Different channels tell the first channel from any other.
  ASSERT_TRUE(pulse.Pactl("set-sink-volume test 10000 50000"));
  MasterVolumeControl control;
  ASSERT_TRUE(control.IsAvailable());
  EXPECT_EQ(control.ElementName(), "Master");
  EXPECT_EQ(control.GetMinimum(), 0);
  EXPECT_EQ(control.GetMaximum(), 65536);
  EXPECT_EQ(control.GetSteps(), 65536);
  EXPECT_EQ(control.GetVolume(), 10000);
  EXPECT_FALSE(control.PollDescriptors().empty());
}

TEST_F(MasterVolumeTest, SetVolumeReachesEveryChannelWithinTheRangeOnly) {
  ASSERT_TRUE(pulse.Pactl("set-sink-volume test 10000 50000"));
  MasterVolumeControl control;
  ASSERT_TRUE(control.IsAvailable());
  struct Case {
    long value;
    long expected;  // what the sink holds afterwards
  };
  // Values outside the range come after one inside it, so that clamping would show.
  const Case cases[] = {{65536, 65536}, {0, 0},         {30000, 30000},    {65537, 30000},
                        {-1, 30000},    {LONG_MAX, 30000}, {LONG_MIN, 30000}, {1, 1}};
  for (const Case& c : cases) {
    control.SetVolume(c.value);
    EXPECT_EQ(pulse.SinkVolumes(), (std::vector<long>{c.expected, c.expected})) << c.value;
    EXPECT_EQ(control.GetVolume(), c.expected) << c.value;
    EXPECT_EQ(MasterVolumeControl().GetVolume(), c.expected) << c.value;  // a fresh look at the mixer
  }
}

TEST_F(MasterVolumeTest, UnmuteAndMuteSwitchTheSink) {
  ASSERT_TRUE(pulse.SetSinkMute(true));
  MasterVolumeControl control;
  ASSERT_TRUE(control.IsAvailable());
  EXPECT_EQ(pulse.SinkMuted(), true);  // creation alone leaves it as it is
  control.Unmute();
  EXPECT_EQ(pulse.SinkMuted(), false);
  control.Mute();
  EXPECT_EQ(pulse.SinkMuted(), true);
}

TEST_F(MasterVolumeTest, AChangeFromOutsideReachesTheCallbackButOurOwnDoesNot) {
  MasterVolumeControl control;
  ASSERT_TRUE(control.IsAvailable());
  std::vector<long> seen;
  control.SetChangeCallback([&seen](long volume) { seen.push_back(volume); });
  control.SetVolume(30000);
  ASSERT_TRUE(pulse.SetSinkVolume(20000));
  EXPECT_EQ(ChangesUntil(control, seen, 20000), std::vector<long>{20000});
  EXPECT_EQ(control.GetVolume(), 20000);
  ASSERT_TRUE(pulse.Pactl("set-sink-volume test 40000 5000"));
  EXPECT_EQ(ChangesUntil(control, seen, 40000), (std::vector<long>{20000, 40000}));
}

TEST(MasterVolumeWithoutSoundTest, EveryOperationAnswersNotAvailable) {
  PrivatePulse noServer(PrivatePulse::Mode::NoServer);
  for (const char* device : {"default", "hw:99", "no-such-device"}) {
    MasterVolumeControl control(device);
    bool called = false;
    control.SetChangeCallback([&called](long) { called = true; });
    EXPECT_FALSE(control.IsAvailable()) << device;
    EXPECT_EQ(control.ElementName(), "") << device;
    EXPECT_EQ(control.GetVolume(), -1) << device;
    EXPECT_EQ(control.GetMinimum(), -1) << device;
    EXPECT_EQ(control.GetMaximum(), -1) << device;
    EXPECT_EQ(control.GetSteps(), -1) << device;
    EXPECT_TRUE(control.PollDescriptors().empty()) << device;
    control.SetVolume(0);
    control.Unmute();
    control.Mute();
    control.HandleEvents();
    EXPECT_EQ(control.GetVolume(), -1) << device;
    EXPECT_FALSE(called) << device;
  }
}

// The harness itself: what is played through ALSA's `default` arrives in the recording
// unchanged, as CD playback tests rely on.
TEST_F(MasterVolumeTest, PrivatePulseRecordsAPlayOutThroughAlsaDefaultUnchanged) {
  std::vector<int16_t> played(2 * 4410);  // 0.1 s of stereo frames
  for (size_t i = 0; i < played.size(); ++i) {
    played[i] = static_cast<int16_t>((i % 2 == 0 ? 1 : -1) * static_cast<int>((i * 37) % 30000 + 1));
  }
  bool wrote = false;
  std::string recording = pulse.Record([&] {
    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0) return;
    if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, 2, 44100, 0, 100000) == 0) {
      wrote = snd_pcm_writei(pcm, played.data(), played.size() / 2) == static_cast<snd_pcm_sframes_t>(played.size() / 2);
      snd_pcm_drain(pcm);
    }
    snd_pcm_close(pcm);
  });
  ASSERT_TRUE(wrote);
  std::string bytes;  // s16le, as the recording holds them
  for (int16_t sample : played) {
    bytes += static_cast<char>(static_cast<uint16_t>(sample) & 0xff);
    bytes += static_cast<char>(static_cast<uint16_t>(sample) >> 8);
  }
  EXPECT_NE(recording.find(bytes), std::string::npos) << "recorded " << recording.size() << " bytes";
}

}  // namespace
}  // namespace sonvarek
