#include "launch_queue.h"

bool LaunchQueue::push(ForwardedLaunch launch) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_ || launches_.size() >= limit) return false;
    launches_.push_back(std::move(launch));
  }
  ready_.notify_one();
  return true;
}

void LaunchQueue::open() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
  }
  ready_.notify_all();
}

void LaunchQueue::close() {
  std::lock_guard<std::mutex> lock(mutex_);
  closed_ = true;
}

bool LaunchQueue::closed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return closed_;
}

ForwardedLaunch LaunchQueue::next() {
  std::unique_lock<std::mutex> lock(mutex_);
  ready_.wait(lock, [this] { return open_ && !launches_.empty(); });
  ForwardedLaunch launch = std::move(launches_.front());
  launches_.pop_front();
  return launch;
}
