// The messages between a later launch and an app's running instance: a
// frame of a fixed header (magic, version, kind, payload length) and a
// bounded payload. Everything here is plain bytes, with no OS in sight.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/// One launch handed to the running instance: where it was started and with
/// which arguments (UTF-8).
struct ForwardedLaunch {
  std::string workingDirectory;
  std::vector<std::string> arguments;
};

/// The bounds every message keeps: larger ones are never sent nor read.
constexpr size_t launchMessageLimit = 1u << 20;  ///< payload bytes
constexpr size_t launchArgumentLimit = 10000;

/// The header: "VNTL", the version, the kind, two zero bytes, then the
/// payload's length (32 bits, little-endian).
constexpr size_t frameHeaderSize = 12;
constexpr uint8_t launchMessageVersion = 1;

enum class FrameKind : uint8_t {
  launch = 1,    ///< payload: the working directory and the arguments
  accepted = 2,  ///< the running instance took the launch; no payload
};

/// The frame of `launch`; empty when it exceeds the bounds.
std::string encodeLaunch(const ForwardedLaunch& launch);

/// The running instance's answer to a launch it took.
std::string encodeAccepted();

/// Reads one frame from bytes that arrive in pieces. A frame that is not
/// ours (magic or version), too long, or of a payload that does not parse
/// exactly is refused as soon as that shows; nothing is kept of it.
class FrameReader {
 public:
  enum class State { incomplete, complete, refused };

  /// Takes bytes of the stream; returns how many it used (it stops at the
  /// end of the frame). Nothing is used once complete or refused.
  size_t feed(const char* data, size_t size);

  State state() const { return state_; }
  FrameKind kind() const { return kind_; }

  /// The launch of a complete launch frame; false for any other frame.
  bool takeLaunch(ForwardedLaunch* launch);

 private:
  void checkHeader();
  void checkPayload();

  State state_ = State::incomplete;
  FrameKind kind_ = FrameKind::launch;
  std::string bytes_;      ///< the frame so far
  size_t frameSize_ = 0;   ///< known once the header is read
  ForwardedLaunch launch_;
};
