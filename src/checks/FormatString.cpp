// Reading Object Pascal format strings (see FormatString.h).
#include "checks/FormatString.h"

#include <algorithm>
#include <vector>

namespace sw {

namespace {

// Argument indexes beyond this are refused: no call passes that many.
constexpr int kMaxArgIndex = 1 << 20;

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Reads digits at `i`; false when there are none. Values are capped.
bool ReadNumber(std::u16string_view text, std::size_t& i, int& value) {
  if (i >= text.size() || !IsDigit(text[i])) return false;
  value = 0;
  while (i < text.size() && IsDigit(text[i])) {
    if (value <= kMaxArgIndex) value = value * 10 + (text[i] - u'0');
    ++i;
  }
  return true;
}

bool ClassOfType(char16_t type, TFormatArgClass& argClass) {
  switch (type | 0x20) {  // either case
    case u'd': case u'u': case u'x': argClass = TFormatArgClass::Integer; return true;
    case u'e': case u'f': case u'g': case u'n': case u'm': argClass = TFormatArgClass::Float; return true;
    case u'p': argClass = TFormatArgClass::Pointer; return true;
    case u's': argClass = TFormatArgClass::String; return true;
    default: return false;
  }
}

void Use(TFormatString& result, int index, TFormatArgClass argClass, std::u16string_view spec) {
  auto [it, added] = result.Args.try_emplace(index);
  TFormatArg& arg = it->second;
  if (added) {
    arg.Class = argClass;
    arg.Spec = spec;
  } else if (arg.Class != argClass && !arg.Mixed) {
    arg.Mixed = true;
    arg.OtherClass = argClass;
    arg.OtherSpec = spec;
  }
}

}  // namespace

const char* FormatArgClassName(TFormatArgClass argClass) {
  switch (argClass) {
    case TFormatArgClass::Integer: return "an integer";
    case TFormatArgClass::Float: return "a floating-point number";
    case TFormatArgClass::Pointer: return "a pointer";
    case TFormatArgClass::String: return "a string";
  }
  return "a string";
}

TFormatString ParseFormatString(std::u16string_view text) {
  TFormatString result;
  int next = 0;
  std::size_t i = 0;
  auto refuse = [&](std::size_t start, std::size_t end) {
    result.Valid = false;
    result.ErrorAt = start;
    result.ErrorSpec = std::u16string(text.substr(start, std::min(end + 1, text.size()) - start));
    return result;
  };
  while (i < text.size()) {
    if (text[i] != u'%') {
      ++i;
      continue;
    }
    const std::size_t start = i++;
    if (i < text.size() && text[i] == u'%') {
      ++i;
      continue;
    }
    // Index: digits followed by ":"; digits without it are the width.
    std::size_t j = i;
    int number = 0;
    if (ReadNumber(text, j, number) && j < text.size() && text[j] == u':') {
      if (number > kMaxArgIndex) return refuse(start, j);
      next = number;
      i = j + 1;
    } else if (i + 1 < text.size() && text[i] == u'*' && text[i + 1] == u':') {
      // An index taken from an argument: which arguments follow is known
      // only at run time.
      return refuse(start, i + 1);
    }
    if (i < text.size() && text[i] == u'-') ++i;
    std::vector<int> stars;
    if (i < text.size() && text[i] == u'*') {
      stars.push_back(next++);
      ++i;
    } else {
      ReadNumber(text, i, number);
    }
    if (i < text.size() && text[i] == u'.') {
      ++i;
      if (i < text.size() && text[i] == u'*') {
        stars.push_back(next++);
        ++i;
      } else {
        ReadNumber(text, i, number);
      }
    }
    TFormatArgClass argClass;
    if (i >= text.size() || !ClassOfType(text[i], argClass)) return refuse(start, i);
    if (next > kMaxArgIndex) return refuse(start, i);
    const std::u16string_view spec = text.substr(start, i + 1 - start);
    for (int star : stars) Use(result, star, TFormatArgClass::Integer, spec);
    Use(result, next++, argClass, spec);
    ++result.Specifiers;
    ++i;
  }
  return result;
}

}  // namespace sw
