// See StopToken.h.
#include "base/StopToken.h"

namespace sw {

namespace {

thread_local const TStopToken* currentToken = nullptr;

}  // namespace

TStopToken TStopToken::AfterChecks(long checks) {
  TStopToken token;
  token.countdown_ = std::make_shared<std::atomic<long>>(checks);
  return token;
}

bool StopRequested() noexcept { return currentToken && currentToken->stop_requested(); }

void ThrowIfStopRequested() {
  if (StopRequested()) throw EStopped("Stopped");
}

TStopScope::TStopScope(const TStopToken& token) noexcept : outer_(currentToken) { currentToken = &token; }

TStopScope::~TStopScope() { currentToken = outer_; }

}  // namespace sw
