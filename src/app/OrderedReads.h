// Reading many inputs on several threads while their results are used in
// input order on one: the processing run reads and parses the files of a
// folder in parallel, and merges each into the storage, on the run's thread,
// in the folder's order, so that what it writes does not depend on how many
// readers there were.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace sw {

// Calls `read(i)` for i in [0, count) on up to `jobs` threads, the calling
// thread being one of them, and `take(i, result)` on the calling thread in
// the order of i. At most `ahead` results wait, read and not yet taken.
// `read` must not raise (a result carries its own failure); what `take`
// raises leaves ReadInOrder after the other readers have stopped. When `take`
// returns false no further result is taken and false is returned. With one
// job everything runs on the calling thread, each read just before its take.
template <typename Result, typename Read, typename Take>
bool ReadInOrder(std::size_t count, int jobs, std::size_t ahead, Read read, Take take) {
  if (jobs <= 1 || count <= 1) {
    for (std::size_t i = 0; i < count; ++i) {
      Result result = read(i);
      if (!take(i, result)) return false;
    }
    return true;
  }
  if (ahead < static_cast<std::size_t>(jobs)) ahead = static_cast<std::size_t>(jobs);

  struct Shared {
    std::mutex Mutex;
    std::condition_variable Changed;
    std::size_t Next = 0;   // the first input no thread has claimed
    std::size_t Taken = 0;  // results taken so far
    bool Stop = false;
    std::vector<std::optional<Result>> Slots;
  } shared;
  shared.Slots.resize(count);

  const auto worker = [&] {
    std::unique_lock lock(shared.Mutex);
    for (;;) {
      shared.Changed.wait(lock, [&] {
        return shared.Stop || shared.Next >= count || shared.Next < shared.Taken + ahead;
      });
      if (shared.Stop || shared.Next >= count) return;
      const std::size_t i = shared.Next++;
      lock.unlock();
      Result result = read(i);
      lock.lock();
      shared.Slots[i].emplace(std::move(result));
      shared.Changed.notify_all();
    }
  };

  std::vector<std::thread> threads;
  // Stops and joins the readers on every way out, a raising `take` included.
  struct Joiner {
    Shared& State;
    std::vector<std::thread>& Threads;
    ~Joiner() {
      {
        std::lock_guard lock(State.Mutex);
        State.Stop = true;
      }
      State.Changed.notify_all();
      for (auto& thread : Threads) thread.join();
    }
  } joiner{shared, threads};
  for (int t = 1; t < jobs && static_cast<std::size_t>(t) < count; ++t) {
    try {
      threads.emplace_back(worker);
    } catch (const std::system_error&) {
      break;  // fewer readers than asked for; the calling thread reads the rest
    }
  }

  for (std::size_t i = 0; i < count; ++i) {
    std::unique_lock lock(shared.Mutex);
    if (!shared.Slots[i] && shared.Next == i) {
      // Nobody has claimed it yet: read it here rather than wait.
      ++shared.Next;
      lock.unlock();
      Result result = read(i);
      lock.lock();
      shared.Slots[i].emplace(std::move(result));
    } else {
      shared.Changed.wait(lock, [&] { return shared.Slots[i].has_value(); });
    }
    Result result = std::move(*shared.Slots[i]);
    shared.Slots[i].reset();
    shared.Taken = i + 1;
    lock.unlock();
    shared.Changed.notify_all();
    if (!take(i, result)) return false;
  }
  return true;
}

}  // namespace sw
