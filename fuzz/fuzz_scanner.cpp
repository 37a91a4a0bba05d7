// libFuzzer harness for TQScanner: arbitrary text is split into lines and
// scanned to its end in each of the four modes, with a code page and a set of
// block comments taken from the input. A malformed character code must end
// in EQScannerError (EConvertError for an octal escape starting with 8 or 9
// or a decimal code beyond the integer range); anything else
// escaping, a crash, a hang or a sanitizer report is a fault. Every token
// must lie inside its line, and literals read from UTF-8 lines must be UTF-8.
#include <cstddef>
#include <cstdint>
#include <string>

#include "extract/source/SourceScanner.h"
#include "base/Unicode.h"
#include "base/Numbers.h"
#include "base/Exceptions.h"

namespace {

constexpr unsigned kCodePages[] = {0, 1252, 1251, 932, 936, 950, 65001};

// Literal values must be UTF-8 when the lines are: character codes are
// decoded, never copied as raw bytes.
void CheckToken(const sw::TQScanner& scanner, int offset, bool utf8Lines) {
  const sw::TScanToken& t = scanner.TokenRef(offset);
  if (t.Kind == sw::ttNone) return;
  if (t.Line < 0 || t.Line >= scanner.Lines().Count()) __builtin_trap();
  const auto length = static_cast<std::int32_t>(scanner.Lines()[t.Line].size());
  if (t.StartCol < 1 || t.EndCol < t.StartCol || t.EndCol > length + 1) __builtin_trap();
  if (utf8Lines && (t.Kind == sw::ttString || t.Kind == sw::ttWideString || t.Kind == sw::ttChar))
    if (!sw::IsValidUtf8(t.Text)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  // The first line, when it starts with "@", describes the block comments.
  std::string text = input;
  std::string comments;
  if (!text.empty() && text[0] == '@') {
    const std::size_t end = text.find('\n');
    comments = text.substr(1, end == std::string::npos ? std::string::npos : end - 1);
    text = end == std::string::npos ? std::string() : text.substr(end + 1);
  }

  const bool utf8Lines = sw::IsValidUtf8(text);
  for (int mode = sw::smPascal; mode <= sw::smHashComment; ++mode) {
    sw::TQScanner scanner;
    scanner.SetMode(static_cast<sw::TScanMode>(mode));
    if (!comments.empty()) scanner.SetCommentPairs(comments);
    scanner.SetCodePage(kCodePages[(size + static_cast<std::size_t>(mode)) % (sizeof kCodePages / sizeof kCodePages[0])]);
    scanner.Keywords().Add("begin");
    scanner.Keywords().Add("end");
    scanner.WordList1().Add("resourcestring");
    scanner.Lines().SetText(text);
    try {
      scanner.Start();
      std::size_t steps = 0;
      while (!scanner.Eof()) {
        for (int offset = -sw::TQScanner::kWindowBehind; offset <= sw::TQScanner::kWindowAhead; ++offset)
          if (scanner.Available(offset)) CheckToken(scanner, offset, utf8Lines);
        (void)scanner.PrecedingText();
        scanner.Next();
        // Every step consumes at least one character or line end.
        if (++steps > text.size() + static_cast<std::size_t>(scanner.Lines().Count()) + sw::TQScanner::kWindowAhead + 2) __builtin_trap();
      }
    } catch (const sw::EQScannerError&) {
    } catch (const sw::EConvertError&) {
      // A decimal Pascal code beyond the integer range, as StrToIntTrim reports
      // it, and "\8" or "\9" in C text, which OctToInt refuses.
    }
  }
  return 0;
}
