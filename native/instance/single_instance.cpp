#include "single_instance.h"

#include <system_error>
#include <thread>
#include <utility>

#include "desktop.h"
#include "instance_channel.h"

namespace {

using Clock = std::chrono::steady_clock;

/// How long a later launch may take to send its launch.
const std::chrono::seconds connectionTime(2);
/// Between two tries of a later launch while the instance starts or ends.
const std::chrono::milliseconds retryPause(20);

/// Reads one whole frame and nothing after it; false otherwise.
bool readFrame(InstanceConnection& connection, FrameReader& reader, Deadline deadline) {
  char buffer[4096];
  while (reader.state() == FrameReader::State::incomplete) {
    const long count = connection.read(buffer, sizeof buffer, deadline);
    if (count <= 0) return false;
    if (reader.feed(buffer, static_cast<size_t>(count)) < static_cast<size_t>(count))
      return false;
  }
  return reader.state() == FrameReader::State::complete;
}

/// Waits for the peer to close: a pipe drops what its peer has not read.
void awaitClose(InstanceConnection& connection, Deadline deadline) {
  char buffer[256];
  while (connection.read(buffer, sizeof buffer, deadline) > 0) {
  }
}

void serve(InstanceEndpoint* endpoint, const LaunchHandler& handler) {
  while (std::unique_ptr<InstanceConnection> connection = endpoint->accept()) {
    const Deadline deadline = Clock::now() + connectionTime;
    FrameReader reader;
    ForwardedLaunch launch;
    if (!readFrame(*connection, reader, deadline) || !reader.takeLaunch(&launch)) continue;
    if (handler(std::move(launch)) && connection->write(encodeAccepted(), deadline))
      awaitClose(*connection, deadline);
  }
}

enum class Answer { accepted, closed, silent };

Answer handOver(InstanceConnection& connection, const std::string& frame, Deadline deadline) {
  FrameReader reader;
  if (connection.write(frame, deadline) && readFrame(connection, reader, deadline))
    return reader.kind() == FrameKind::accepted ? Answer::accepted : Answer::closed;
  return Clock::now() >= deadline ? Answer::silent : Answer::closed;
}

InstanceOutcome outcome(InstanceOutcome::Kind kind, std::string message = std::string()) {
  InstanceOutcome result;
  result.kind = kind;
  result.message = std::move(message);
  return result;
}

InstanceOutcome noAnswer(const InstanceRequest& request, unsigned long process) {
  const std::string which = process ? " (process " + std::to_string(process) + ")" : "";
  return outcome(InstanceOutcome::Kind::failed,
                 "the running instance of this app" + which + " did not answer within " +
                     std::to_string((request.answerTime.count() + 999) / 1000) + " seconds");
}

/// Starts serving; the endpoint and the handler live as long as the process.
InstanceOutcome startServing(InstanceEndpoint* endpoint, LaunchHandler handler) {
  try {
    std::thread(serve, endpoint, std::move(handler)).detach();
  } catch (const std::system_error& failure) {
    delete endpoint;
    return outcome(InstanceOutcome::Kind::unavailable,
                   std::string("cannot start a thread: ") + failure.what());
  }
  return outcome(InstanceOutcome::Kind::first);
}

}  // namespace

uint64_t instanceHash(const std::string& text) {
  uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

InstanceOutcome claimInstance(const InstanceRequest& request, LaunchHandler handler) {
  auto endpoint = std::make_unique<InstanceEndpoint>(request.appDirectory);
  const Deadline deadline = Clock::now() + request.answerTime;
  std::string frame;
  unsigned long process = 0;
  for (;;) {
    const InstanceEndpoint::Claim claim = endpoint->claim();
    if (claim == InstanceEndpoint::Claim::first)
      return startServing(endpoint.release(), std::move(handler));
    if (claim == InstanceEndpoint::Claim::unavailable)
      return outcome(InstanceOutcome::Kind::unavailable, endpoint->problem());
    if (frame.empty()) frame = encodeLaunch(request.launch);
    if (frame.empty())
      return outcome(InstanceOutcome::Kind::failed,
                     "the arguments are too many or too long to hand to the running instance "
                     "of this app");
    if (std::unique_ptr<InstanceConnection> connection = endpoint->connect()) {
      process = connection->peerProcess();
      allowForeground(process);
      const Answer answer = handOver(*connection, frame, deadline);
      if (answer == Answer::accepted) return outcome(InstanceOutcome::Kind::handedOver);
      if (answer == Answer::silent) return noAnswer(request, process);
    } else if (!endpoint->problem().empty()) {
      return outcome(InstanceOutcome::Kind::unavailable, endpoint->problem());
    }
    // Starting or ending: the running instance does not listen at the moment.
    if (Clock::now() >= deadline) return noAnswer(request, process);
    std::this_thread::sleep_for(retryPause);
  }
}
