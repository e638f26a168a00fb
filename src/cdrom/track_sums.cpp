#include "cdrom/track_sums.h"

#include <span>
#include <utility>

namespace sonvarek {
namespace {

constexpr size_t kMostQueued = 4;  // blocks waiting, at most: the memory stays a few blocks

}  // namespace

TrackSums::TrackSums(const std::optional<AccurateRipChecksum>& checksum)
    : checksum_(checksum), thread_([this] { Run(); }) {}

TrackSums::~TrackSums() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void TrackSums::Add(std::vector<uint8_t>& buffer, size_t used) {
  const size_t size = buffer.size();
  std::vector<uint8_t> next;
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return queued_.size() < kMostQueued; });
  if (!spare_.empty()) {
    next = std::move(spare_.back());
    spare_.pop_back();
  }
  queued_.push_back({std::move(buffer), used});
  lock.unlock();
  changed_.notify_all();
  next.resize(size);
  buffer = std::move(next);
}

TrackSums::Result TrackSums::Finish() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return queued_.empty() && !busy_; });
  Result result;
  result.crc = crc_.Value();
  result.peak = peak_.Peak();
  if (checksum_) {
    result.v1 = checksum_->V1();
    result.v2 = checksum_->V2();
  }
  return result;
}

void TrackSums::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || !queued_.empty(); });
    if (queued_.empty()) return;  // stopping, with nothing left
    Block block = std::move(queued_.front());
    queued_.erase(queued_.begin());
    busy_ = true;
    lock.unlock();
    changed_.notify_all();
    const std::span<const uint8_t> audio(block.bytes.data(), block.used);
    crc_.Add(audio);
    peak_.Add(audio.data(), audio.size());
    if (checksum_) checksum_->Add(audio);
    lock.lock();
    busy_ = false;
    spare_.push_back(std::move(block.bytes));
    changed_.notify_all();
  }
}

}  // namespace sonvarek
