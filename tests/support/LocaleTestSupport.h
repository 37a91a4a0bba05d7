// Shared by the locale tests: the expectation records of LocaleReference.inc
// and a guard that sets the POSIX locale environment for one test.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sw::test {

struct LocaleExpectation {
  std::uint16_t Id;
  int Order;
  const char* Name;
  const char* Abbr;
  const char* EnglishName;
  const char* CodePage;
};

struct VariantExpectation {
  const char* Lang;
  std::uint16_t UserLangId;
  unsigned Acp;
  std::uint16_t Id;
  const char* Name;
  const char* Abbr;
  const char* EnglishName;
  const char* CodePage;
};

struct EncodeSample {
  unsigned CodePage;
  const char16_t* Wide;
  const char* Bytes;
  const char* NoBestFitBytes;
};

struct CodePageDigest {
  unsigned CodePage;
  std::uint64_t DecodeDigest;
  int DecodeInputs;
  std::uint64_t EncodeDigest;
  int EncodeInputs;
};

#include "LocaleReference.inc"

// Sets LC_ALL, LC_MESSAGES and LANG for the lifetime of the guard (nullopt:
// unset) and restores the previous values afterwards.
class LocaleEnv {
 public:
  LocaleEnv(std::optional<std::string> lcAll, std::optional<std::string> lcMessages, std::optional<std::string> lang) {
    Set("LC_ALL", lcAll);
    Set("LC_MESSAGES", lcMessages);
    Set("LANG", lang);
  }
  explicit LocaleEnv(const std::string& lang) : LocaleEnv(std::nullopt, std::nullopt, lang) {}
  ~LocaleEnv() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) Apply(it->first, it->second);
  }
  LocaleEnv(const LocaleEnv&) = delete;
  LocaleEnv& operator=(const LocaleEnv&) = delete;

 private:
  void Set(const char* name, const std::optional<std::string>& value) {
    const char* old = std::getenv(name);
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    Apply(name, value);
  }
  static void Apply(const std::string& name, const std::optional<std::string>& value) {
    if (value)
      ::setenv(name.c_str(), value->c_str(), 1);
    else
      ::unsetenv(name.c_str());
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// FNV-1a, 64 bits.
inline std::uint64_t Fnv(std::uint64_t h, const void* data, std::size_t n) {
  const auto* p = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 0x100000001B3ULL;
  return h;
}
inline constexpr std::uint64_t kFnvStart = 0xCBF29CE484222325ULL;

}  // namespace sw::test
