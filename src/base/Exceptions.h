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
  // What a higher layer was doing, put in front of the message: a reader
  // of a named thing names it ("Error during processing form Form1\r\n").
  // The file and the place are never put there: they are attached.
  Exception& AddContext(const std::string& context) {
    message_.insert(0, context);
    return *this;
  }

  // Where the error happened: the file, and what is known of the place in it
  // (an offset, a line, the reason the system gave). Each is attached once,
  // where the error is raised or first caught; a later attempt keeps the
  // first, so a handler further out cannot blur a precise place.
  const std::string& FileName() const noexcept { return fileName_; }
  const std::string& Location() const noexcept { return location_; }
  Exception& AttachFile(const std::string& fileName) {
    if (fileName_.empty()) fileName_ = fileName;
    return *this;
  }
  Exception& AttachLocation(const std::string& location) {
    if (location_.empty()) location_ = location;
    return *this;
  }
  // Carries the file and place of `cause` over to this error, raised as
  // another kind for the same fault.
  Exception& AttachPlaceOf(const Exception& cause) {
    if (!cause.FileName().empty()) AttachFile(cause.FileName());
    if (!cause.Location().empty()) AttachLocation(cause.Location());
    return *this;
  }
  // The message with its context, as front ends show it:
  // "file: message (location)"; the file is left out when the message names
  // it already, the parts that are not known are left out.
  std::string Describe() const {
    std::string text = message_;
    if (!location_.empty()) text += " (" + location_ + ")";
    if (!fileName_.empty() && message_.find(fileName_) == std::string::npos) text = fileName_ + ": " + text;
    return text;
  }

 private:
  std::string message_;
  std::string fileName_;
  std::string location_;
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
inline constexpr const char* SNotHexDigit = "%s is not a hex digit";
inline constexpr const char* SNotOctDigit = "%s is not an oct digit";

[[noreturn]] inline void RaiseListIndexError(long long index) {
  throw EListError(Format(SListIndexError, index));
}

}  // namespace sw
