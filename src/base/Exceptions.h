// The exception family every module raises. An exception carries one message
// text; each module derives its own E...Error from `Exception`, and the
// processing run catches `Exception` per file. Messages with %s/%d
// placeholders are formatted with printf semantics through `Format`.
#pragma once

#include <fmt/printf.h>

#include <exception>
#include <string>
#include <utility>

namespace sw {

// printf-style formatting of a message template ("Cannot open file %s").
template <typename... Args>
std::string Format(const std::string& pattern, const Args&... args) {
  return fmt::sprintf(pattern, args...);
}

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& Message() const noexcept { return message_; }
  void SetMessage(std::string message) { message_ = std::move(message); }

 private:
  std::string message_;
};

// Declares `class Name : public Base` with the message constructor.
#define SW_DECLARE_EXCEPTION(Name, Base)                               \
  class Name : public Base {                                           \
   public:                                                             \
    explicit Name(std::string message) : Base(std::move(message)) {}   \
  };

SW_DECLARE_EXCEPTION(EConvertError, Exception)
SW_DECLARE_EXCEPTION(EListError, Exception)
SW_DECLARE_EXCEPTION(EStreamError, Exception)
SW_DECLARE_EXCEPTION(EReadError, EStreamError)
SW_DECLARE_EXCEPTION(EWriteError, EStreamError)
SW_DECLARE_EXCEPTION(EFOpenError, EStreamError)
SW_DECLARE_EXCEPTION(EFCreateError, EStreamError)
SW_DECLARE_EXCEPTION(EParserError, Exception)
SW_DECLARE_EXCEPTION(EOSError, Exception)

// Standard runtime message texts.
inline constexpr const char* SListIndexError = "List index out of bounds (%d)";
inline constexpr const char* SReadError = "Stream read error";
inline constexpr const char* SWriteError = "Stream write error";
inline constexpr const char* SFOpenError = "Cannot open file %s";
inline constexpr const char* SFCreateError = "Cannot create file %s";
inline constexpr const char* SInvalidInteger = "'%s' is not a valid integer value";
inline constexpr const char* SInvalidFloat = "'%s' is not a valid floating point value";

[[noreturn]] inline void RaiseListIndexError(long long index) {
  throw EListError(Format(SListIndexError, index));
}

}  // namespace sw
