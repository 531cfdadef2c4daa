// The messages between launches (every malformed frame refused, every
// launch read back whole, however it arrives) and the restart's limit.
#include <gtest/gtest.h>

#include "launch_message.h"
#include "restart.h"

namespace {

using State = FrameReader::State;

const ForwardedLaunch sample{"/home/\xC3\xA9t\xC3\xA9", {"doc one.txt", "", "\xF0\x9F\x98\x80"}};

/// `frame` with the 32-bit word at `at` replaced.
std::string withWord(std::string frame, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) frame[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return frame;
}

/// Feeds `bytes` in pieces of `piece` bytes; the reader's state and what it used.
State read(const std::string& bytes, size_t piece, size_t* used, ForwardedLaunch* launch) {
  FrameReader reader;
  *used = 0;
  for (size_t at = 0; at < bytes.size(); at += piece)
    *used += reader.feed(bytes.data() + at, std::min(piece, bytes.size() - at));
  reader.takeLaunch(launch);
  return reader.state();
}

TEST(LaunchMessage, Frames) {
  const std::string good = encodeLaunch(sample);
  const size_t payload = good.size() - frameHeaderSize;
  std::string oversized = withWord(good, 8, launchMessageLimit + 1);
  std::string foreign = good, version = good, reserved = good, kind = good;
  foreign[0] = 'X';
  version[4] = 2;
  reserved[7] = 1;
  kind[5] = 9;
  struct Case {
    const char* name;
    std::string bytes;
    State state;
  } cases[] = {
      {"a launch", good, State::complete},
      {"a launch and what follows it", good + "rest", State::complete},
      {"a header only", good.substr(0, frameHeaderSize), State::incomplete},
      {"the answer", encodeAccepted(), State::complete},
      {"foreign magic", foreign, State::refused},
      {"another version", version, State::refused},
      {"reserved bytes set", reserved, State::refused},
      {"an unknown kind", kind, State::refused},
      {"longer than the limit", oversized.substr(0, frameHeaderSize), State::refused},
      {"an answer with a payload", withWord(encodeAccepted(), 8, 1) + "x", State::refused},
      {"a text past the payload", withWord(good, frameHeaderSize, payload), State::refused},
      {"too many arguments", withWord(encodeLaunch({"", {}}), 16, launchArgumentLimit + 1),
       State::refused},
      {"a count past the payload", withWord(good, 16 + sample.workingDirectory.size(), 4),
       State::refused},
      {"bytes left in the payload", withWord(good + "x", 8, payload + 1), State::refused},
  };
  for (const Case& c : cases) {
    for (size_t piece : {size_t(1), size_t(5), c.bytes.size()}) {
      SCOPED_TRACE(std::string(c.name) + ", pieces of " + std::to_string(piece));
      size_t used = 0;
      ForwardedLaunch launch;
      EXPECT_EQ(read(c.bytes, piece, &used, &launch), c.state);
      if (c.state != State::complete || c.bytes.compare(0, good.size(), good) != 0) continue;
      EXPECT_EQ(used, good.size());
      EXPECT_EQ(launch.workingDirectory, sample.workingDirectory);
      EXPECT_EQ(launch.arguments, sample.arguments);
    }
  }
}

TEST(LaunchMessage, BoundsWhenSending) {
  EXPECT_EQ(encodeLaunch({"", std::vector<std::string>(launchArgumentLimit)}).size(),
            frameHeaderSize + 8 + 4 * launchArgumentLimit);
  EXPECT_EQ(encodeLaunch({"", std::vector<std::string>(launchArgumentLimit + 1)}), "");
  EXPECT_EQ(encodeLaunch({std::string(launchMessageLimit - 8, 'x'), {}}).size(),
            frameHeaderSize + launchMessageLimit);
  EXPECT_EQ(encodeLaunch({std::string(launchMessageLimit - 7, 'x'), {}}), "");
}

TEST(Restart, AtMostFiveAMinute) {
  const int64_t now = 1000000;
  struct Case {
    std::string record;  // the earlier restarts
    bool allowed;
    std::string after;
  } cases[] = {
      {"", true, "1000000"},
      {"999990 999995", true, "999990 999995 1000000"},
      {"999941 999950 999960 999970", true, "999941 999950 999960 999970 1000000"},
      {"999941 999950 999960 999970 999980", false, "999941 999950 999960 999970 999980"},
      {"999940 999950 999960 999970 999980", true, "999950 999960 999970 999980 1000000"},
      {"1 2 3 4 5 6 7", true, "1000000"},
      {"2000000 x 999999", true, "1000000"},  // the future, and what is no number, count not
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.record);
    std::vector<int64_t> times = parseRestartTimes(c.record);
    EXPECT_EQ(allowRestart(&times, now), c.allowed);
    EXPECT_EQ(formatRestartTimes(times), c.after);
  }
}

}  // namespace
