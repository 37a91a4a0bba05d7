// Stopping long work early. A run that the user cancels asks its readers to
// stop: `TStopToken` is what they are given (a std::stop_token, or for tests
// a countdown that trips after a number of questions), and a reader deep in
// a long loop asks the token of the work in progress on its thread with
// `ThrowIfStopRequested()`, which raises EStopped. `TStopScope` sets that
// token for the duration of one piece of work (one file's read), so that the
// readers need no parameter for it and depend on nothing above this layer.
//
// Asking is cheap (a thread-local pointer and an atomic load): readers may
// ask once per line or entry. What a stopped reader had built is thrown
// away by the caller; a stop never leaves a half-written file, because the
// writers check it before they replace anything.
#pragma once

#include <atomic>
#include <memory>
#include <stop_token>

#include "base/Exceptions.h"

namespace sw {

// Raised by a reader asked to stop; the run treats it as a cancel, never as
// a failed file.
SW_DECLARE_EXCEPTION(EStopped, Exception)

class TStopToken {
 public:
  TStopToken() = default;
  // Implicit: a front end hands its std::stop_token over as it is.
  TStopToken(std::stop_token token) : token_(std::move(token)) {}  // NOLINT(google-explicit-constructor)

  // A token that answers "stop" from its `checks`-th question on (for tests:
  // a stop requested at a known point inside a read).
  static TStopToken AfterChecks(long checks);

  bool stop_requested() const noexcept {
    if (countdown_ && countdown_->fetch_sub(1, std::memory_order_relaxed) <= 1) return true;
    return token_.stop_requested();
  }
  // How many questions a countdown token has left (negative once tripped).
  long ChecksLeft() const noexcept { return countdown_ ? countdown_->load() : 0; }

 private:
  std::stop_token token_;
  std::shared_ptr<std::atomic<long>> countdown_;
};

// Whether the work in progress on this thread was asked to stop (false
// outside any `TStopScope`).
bool StopRequested() noexcept;
// Raises EStopped "Stopped" when it was.
void ThrowIfStopRequested();

// Makes `token` the one asked on this thread until the scope ends (scopes
// nest; the outer one is restored).
class TStopScope {
 public:
  explicit TStopScope(const TStopToken& token) noexcept;
  ~TStopScope();
  TStopScope(const TStopScope&) = delete;
  TStopScope& operator=(const TStopScope&) = delete;

 private:
  const TStopToken* outer_;
};

}  // namespace sw
