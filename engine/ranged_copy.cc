#include "engine/ranged_copy.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/decrypt_buffer.h"
#include "engine/system_resources.h"

namespace {

using platform::SystemError;

constexpr auto kProgressInterval = std::chrono::milliseconds(50);

struct Range {
  uint64_t begin = 0;
  uint64_t end = 0;
};

// Ranges of whole buffers, as even as that allows; fewer than workers when the bytes run out.
std::vector<Range> SplitIntoRanges(const RangedCopy& copy) {
  const uint64_t bytes = copy.total - copy.start;
  const uint64_t buffers = (bytes + copy.bufferSize - 1) / copy.bufferSize;
  const uint64_t perWorker = (buffers + copy.workers - 1) / copy.workers * copy.bufferSize;
  std::vector<Range> ranges;
  for (uint64_t begin = copy.start; begin < copy.total; begin += perWorker) {
    ranges.push_back({begin, std::min(copy.total, begin + perWorker)});
  }
  return ranges;
}

// What the workers share: the bytes done, the stop request and the first failure.
class SharedState {
 public:
  void AddDone(uint64_t bytes, uint64_t written) {
    done_.fetch_add(bytes, std::memory_order_relaxed);
    written_.fetch_add(written, std::memory_order_relaxed);
  }
  uint64_t Done() const { return done_.load(std::memory_order_relaxed); }
  uint64_t Written() const { return written_.load(std::memory_order_relaxed); }

  bool Stopped() const { return stop_.load(std::memory_order_relaxed); }
  void Stop() { stop_.store(true, std::memory_order_relaxed); }

  void Fail(DecryptStatus status, SystemError error) {
    {
      const std::lock_guard lock(mutex_);
      if (!failed_) {
        failed_ = true;
        failure_.status = status;
        failure_.error = error;
      }
    }
    Stop();
  }
  bool Failed() const {
    const std::lock_guard lock(mutex_);
    return failed_;
  }
  DecryptResult Failure() const {
    const std::lock_guard lock(mutex_);
    return failure_;
  }

  void WorkerFinished() {
    {
      const std::lock_guard lock(mutex_);
      ++finished_;
    }
    changed_.notify_all();
  }
  // Waits until count workers have finished or the interval has passed.
  bool WaitForWorkers(size_t count, std::chrono::milliseconds interval) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, interval, [&] { return finished_ == count; });
  }

 private:
  std::atomic<uint64_t> done_{0};
  std::atomic<uint64_t> written_{0};
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  size_t finished_ = 0;
  bool failed_ = false;
  DecryptResult failure_;
};

void DecryptRange(const BlowfishContext& key, platform::File& input, platform::File& output,
                  const Range range, std::vector<uint8_t>& buffer, SharedState& state) {
  for (uint64_t offset = range.begin; offset < range.end && !state.Stopped();) {
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>(buffer.size(), range.end - offset));
    auto read = input.ReadAt(offset, std::span(buffer.data(), wanted));
    if (!read) return state.Fail(DecryptStatus::InputUnreadable, read.error);
    if (*read.value != wanted) return state.Fail(DecryptStatus::InputUnreadable, 0);
    const size_t plain = DecryptBuffer(key, buffer, wanted);
    if (const SystemError error = output.WriteAllAt(offset, std::span(buffer.data(), plain))) {
      return state.Fail(DecryptStatus::OutputUnwritable, error);
    }
    state.AddDone(wanted, plain);
    offset += wanted;
  }
}

}  // namespace

DecryptResult CopyDecryptedInRanges(const BlowfishContext& key, platform::File& input,
                                    platform::File& output, const RangedCopy& copy) {
  const std::vector<Range> ranges = SplitIntoRanges(copy);
  // Every buffer exists before any thread starts: a worker has nothing left that can throw.
  std::vector<std::vector<uint8_t>> buffers;
  buffers.reserve(ranges.size());
  for (size_t i = 0; i < ranges.size(); ++i) buffers.push_back(AllocateBuffer(copy.bufferSize));
  SharedState state;
  std::vector<std::thread> threads;
  threads.reserve(ranges.size());
  size_t started = 0;
  // A thread that cannot start (no thread, or no memory for one) leaves its range and those
  // after it to the calling thread; nothing may unwind past the threads already running.
  try {
    for (; started < ranges.size(); ++started) {
      threads.push_back(StartThread([&, started] {
        DecryptRange(key, input, output, ranges[started], buffers[started], state);
        state.WorkerFinished();
      }));
    }
  } catch (...) {
  }
  for (size_t i = started; i < ranges.size(); ++i) {
    DecryptRange(key, input, output, ranges[i], buffers[i], state);
    state.WorkerFinished();
  }

  bool interrupted = false;
  while (!state.WaitForWorkers(ranges.size(), kProgressInterval)) {
    if (!interrupted && copy.keepGoing && !copy.keepGoing(state.Done())) {
      interrupted = true;
      state.Stop();
    }
  }
  for (std::thread& thread : threads) thread.join();
  if (state.Failed()) return state.Failure();
  if (interrupted || (copy.keepGoing && !copy.keepGoing(state.Done()))) {
    DecryptResult stopped;
    stopped.status = DecryptStatus::Interrupted;
    return stopped;
  }
  DecryptResult result;
  result.bytesWritten = state.Written();
  return result;
}
