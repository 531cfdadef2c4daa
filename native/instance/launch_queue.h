// The launches handed to the running instance, in the order they arrived,
// held until the app can take them (its main method has begun).
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>

#include "launch_message.h"

class LaunchQueue {
 public:
  /// The most launches held at once; later ones are refused.
  static constexpr size_t limit = 1000;

  /// Adds a launch; false when the queue is full or closed.
  bool push(ForwardedLaunch launch);

  /// From now on next() hands the launches out.
  void open();

  /// Refuses every later launch: the app is ending.
  void close();

  bool closed() const;

  /// Waits until the queue is open and holds a launch, and takes the oldest.
  ForwardedLaunch next();

 private:
  mutable std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<ForwardedLaunch> launches_;
  bool open_ = false;
  bool closed_ = false;
};
