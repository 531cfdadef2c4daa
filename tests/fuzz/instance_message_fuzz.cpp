// Fuzzes the reader of the messages between an app's launches, as the
// running instance meets them on its socket or pipe. The first input byte
// chooses the size of the pieces the rest arrives in. A frame read whole
// must be exactly the encoding of what was read from it; an incomplete one
// must have taken every byte; nothing is taken after the end of a frame.
// Then the rest, split at NUL bytes, is sent as a launch and must read back
// the same.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "launch_message.h"

namespace {

void checkReading(const std::string& bytes, size_t piece) {
  FrameReader reader;
  size_t used = 0;
  for (size_t at = 0; at < bytes.size(); at += piece) {
    const size_t length = bytes.size() - at < piece ? bytes.size() - at : piece;
    const size_t taken = reader.feed(bytes.data() + at, length);
    check(taken <= length);
    check(taken == length || reader.state() != FrameReader::State::incomplete);
    used += taken;
  }
  ForwardedLaunch launch;
  const bool isLaunch = reader.takeLaunch(&launch);
  if (reader.state() == FrameReader::State::incomplete) check(used == bytes.size());
  if (reader.state() != FrameReader::State::complete) return;
  const std::string frame = bytes.substr(0, used);
  if (isLaunch) {
    check(launch.arguments.size() <= launchArgumentLimit);
    check(encodeLaunch(launch) == frame);
  } else {
    check(reader.kind() == FrameKind::accepted && encodeAccepted() == frame);
  }
}

void checkRoundTrip(const std::string& text) {
  ForwardedLaunch sent;
  size_t start = 0;
  for (size_t end; (end = text.find('\0', start)) != std::string::npos; start = end + 1)
    sent.arguments.push_back(text.substr(start, end - start));
  sent.workingDirectory = text.substr(start);
  const std::string frame = encodeLaunch(sent);
  const size_t payload = 8 + text.size() + 3 * sent.arguments.size();
  const bool fits = sent.arguments.size() <= launchArgumentLimit && payload <= launchMessageLimit;
  check(frame.empty() != fits);
  if (!fits) return;
  FrameReader reader;
  check(reader.feed(frame.data(), frame.size()) == frame.size());
  ForwardedLaunch read;
  check(reader.takeLaunch(&read));
  check(read.workingDirectory == sent.workingDirectory && read.arguments == sent.arguments);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = data[0] == 0 ? size : data[0];
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  checkReading(bytes, piece);
  checkRoundTrip(bytes);
  return 0;
}
