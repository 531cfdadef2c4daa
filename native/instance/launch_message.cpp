#include "launch_message.h"

namespace {

const char magic[4] = {'V', 'N', 'T', 'L'};

void putWord(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

uint32_t wordAt(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i)
    value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
  return value;
}

std::string frame(FrameKind kind, const std::string& payload) {
  std::string out(magic, sizeof magic);
  out += static_cast<char>(launchMessageVersion);
  out += static_cast<char>(kind);
  out += std::string(2, '\0');
  putWord(out, static_cast<uint32_t>(payload.size()));
  return out + payload;
}

void putText(std::string& out, const std::string& text) {
  putWord(out, static_cast<uint32_t>(text.size()));
  out += text;
}

/// Reads the payload's length-prefixed texts in turn; fails on any length
/// that runs past the end.
struct PayloadCursor {
  const std::string& bytes;
  size_t at;

  bool word(uint32_t* value) {
    if (bytes.size() - at < 4) return false;
    *value = wordAt(bytes, at);
    at += 4;
    return true;
  }
  bool text(std::string* out) {
    uint32_t length = 0;
    if (!word(&length) || bytes.size() - at < length) return false;
    out->assign(bytes, at, length);
    at += length;
    return true;
  }
};

}  // namespace

std::string encodeLaunch(const ForwardedLaunch& launch) {
  if (launch.arguments.size() > launchArgumentLimit) return std::string();
  size_t size = 8 + launch.workingDirectory.size();
  for (const std::string& argument : launch.arguments) size += 4 + argument.size();
  if (size > launchMessageLimit) return std::string();
  std::string payload;
  payload.reserve(size);
  putText(payload, launch.workingDirectory);
  putWord(payload, static_cast<uint32_t>(launch.arguments.size()));
  for (const std::string& argument : launch.arguments) putText(payload, argument);
  return frame(FrameKind::launch, payload);
}

std::string encodeAccepted() { return frame(FrameKind::accepted, std::string()); }

size_t FrameReader::feed(const char* data, size_t size) {
  size_t used = 0;
  while (state_ == State::incomplete && used < size) {
    const size_t wanted = (frameSize_ ? frameSize_ : frameHeaderSize) - bytes_.size();
    const size_t taken = size - used < wanted ? size - used : wanted;
    bytes_.append(data + used, taken);
    used += taken;
    if (frameSize_ == 0 && bytes_.size() == frameHeaderSize) checkHeader();
    if (frameSize_ != 0 && bytes_.size() == frameSize_) checkPayload();
  }
  return used;
}

void FrameReader::checkHeader() {
  const uint8_t kind = static_cast<uint8_t>(bytes_[5]);
  const uint32_t length = wordAt(bytes_, 8);
  const bool ours = bytes_.compare(0, 4, magic, 4) == 0 &&
                    static_cast<uint8_t>(bytes_[4]) == launchMessageVersion &&
                    bytes_[6] == 0 && bytes_[7] == 0;
  const bool knownKind = kind == static_cast<uint8_t>(FrameKind::launch) ||
                         (kind == static_cast<uint8_t>(FrameKind::accepted) && length == 0);
  if (!ours || !knownKind || length > launchMessageLimit) {
    state_ = State::refused;
    bytes_.clear();
    return;
  }
  kind_ = static_cast<FrameKind>(kind);
  frameSize_ = frameHeaderSize + length;
}

void FrameReader::checkPayload() {
  state_ = State::complete;
  if (kind_ != FrameKind::launch) return;
  PayloadCursor cursor{bytes_, frameHeaderSize};
  uint32_t count = 0;
  bool ok = cursor.text(&launch_.workingDirectory) && cursor.word(&count) &&
            count <= launchArgumentLimit;
  for (uint32_t i = 0; ok && i < count; ++i) {
    launch_.arguments.emplace_back();
    ok = cursor.text(&launch_.arguments.back());
  }
  if (!ok || cursor.at != bytes_.size()) {
    state_ = State::refused;
    launch_ = ForwardedLaunch();
  }
  bytes_.clear();
}

bool FrameReader::takeLaunch(ForwardedLaunch* launch) {
  if (state_ != State::complete || kind_ != FrameKind::launch) return false;
  *launch = std::move(launch_);
  launch_ = ForwardedLaunch();
  return true;
}
