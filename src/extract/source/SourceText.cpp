// TSourceText: the byte form and the UTF-8 form of a source file side by
// side, so that edits found by scanning the UTF-8 lines land on the file's
// own bytes.
#include "extract/source/SourceText.h"

#include <algorithm>

#include "extract/source/SourceReaders.h"
#include "platform/FileSystem.h"
#include "base/Unicode.h"
#include "util/Messages.h"
#include "util/LocaleCatalogue.h"

namespace sw {

namespace {

bool Before(const TTextEdit& a, const TTextEdit& b) {
  return a.Line != b.Line ? a.Line < b.Line : a.Col < b.Col;
}

void SortAndCheck(std::vector<TTextEdit>& edits) {
  std::stable_sort(edits.begin(), edits.end(), Before);
  for (std::size_t i = 1; i < edits.size(); ++i) {
    const TTextEdit& prev = edits[i - 1];
    const TTextEdit& next = edits[i];
    if (next.Line < prev.EndLine || (next.Line == prev.EndLine && next.Col < prev.EndCol))
      throw ESrcProcessError(Format(SSrcOverlappingEdits, next.Line));
  }
}

// Length of the well-formed UTF-8 sequence at i, 0 when there is none.
std::size_t Utf8Length(std::string_view text, std::size_t i) {
  const auto b = static_cast<unsigned char>(text[i]);
  const std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
  if (n == 0 || i + n > text.size()) return 0;
  return IsValidUtf8(text.substr(i, n)) ? n : 0;
}

}  // namespace

void ApplyEditsToLines(TStringList& lines, std::vector<TTextEdit> edits) {
  SortAndCheck(edits);
  // From the last to the first, so that earlier coordinates stay valid.
  for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
    const TTextEdit& e = *it;
    if (e.Line < 0 || e.EndLine >= lines.Count() || e.EndLine < e.Line) {
      if (e.Line == lines.Count() && e.EndLine == e.Line) {
        lines.Add("");
      } else {
        throw ESrcProcessError(Format(SSrcEditOutsideText, e.Line));
      }
    }
    const std::string& first = lines[e.Line];
    const std::string& last = lines[e.EndLine];
    const std::size_t head = std::min(first.size(), static_cast<std::size_t>(std::max(e.Col, 1) - 1));
    const std::size_t tail = std::min(last.size(), static_cast<std::size_t>(std::max(e.EndCol, 1) - 1));
    const std::string joined = first.substr(0, head) + e.Text + last.substr(tail);
    auto& v = lines.Lines();
    v.erase(v.begin() + e.Line, v.begin() + e.EndLine + 1);
    TStringList parts;
    parts.SetText(joined);
    // SetText drops a last empty line after a final break; keep it.
    if (!joined.empty() && (joined.back() == '\n' || joined.back() == '\r')) parts.Add("");
    if (joined.empty()) parts.Add("");
    v.insert(v.begin() + e.Line, parts.Lines().begin(), parts.Lines().end());
  }
}

void TSourceText::Load(const std::string& fileName, unsigned codePage, const std::vector<unsigned>* lineCodePages) {
  Assign(fileName, platform::ReadFileBytes(fileName), codePage, lineCodePages);
}

void TSourceText::Assign(std::string fileName, std::string bytes, unsigned codePage,
                         const std::vector<unsigned>* lineCodePages) {
  fileName_ = std::move(fileName);
  bytes_ = std::move(bytes);
  codePage_ = codePage;
  lines_.Clear();
  maps_.clear();
  lineEnd_.clear();
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes_[i]); };
  std::size_t pos = 0;
  std::size_t unit = 1;
  encoding_ = TextEncoding::Ansi;
  if (bytes_.size() >= 3 && at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) {
    encoding_ = TextEncoding::Utf8;
    pos = 3;
  } else if (bytes_.size() >= 2 && ((at(0) == 0xFF && at(1) == 0xFE) || (at(0) == 0xFE && at(1) == 0xFF))) {
    encoding_ = at(0) == 0xFF ? TextEncoding::Utf16LE : TextEncoding::Utf16BE;
    pos = 2;
    unit = 2;
  }
  // The code unit at i: a byte, or a UTF-16 unit.
  const auto code = [&](std::size_t i) -> unsigned {
    if (unit == 1) return at(i);
    if (i + 1 >= bytes_.size()) return 0xFFFD;
    return encoding_ == TextEncoding::Utf16LE ? (at(i) | (at(i + 1) << 8)) : ((at(i) << 8) | at(i + 1));
  };
  const std::size_t n = bytes_.size();
  std::size_t start = pos;
  int lineIndex = 0;
  auto lineCodePage = [&]() {
    if (lineCodePages && static_cast<std::size_t>(lineIndex) < lineCodePages->size() &&
        (*lineCodePages)[static_cast<std::size_t>(lineIndex)] != 0)
      return (*lineCodePages)[static_cast<std::size_t>(lineIndex)];
    return codePage;
  };
  while (pos < n) {
    const unsigned c = code(pos);
    if (c == '\r' || c == '\n') {
      MapLine(start, pos, lineCodePage());
      ++lineIndex;
      std::size_t next = pos + unit;
      if (c == '\r' && next < n && code(next) == '\n') next += unit;
      if (lineEnd_.empty()) lineEnd_ = (next - pos == 2 * unit) ? "\r\n" : (c == '\r' ? "\r" : "\n");
      pos = next;
      start = pos;
    } else {
      pos += unit;
    }
  }
  if (start < n) MapLine(start, n, lineCodePage());
  if (lineEnd_.empty()) lineEnd_ = "\r\n";
  lines_.SetEncoding(encoding_);
}

void TSourceText::MapLine(std::size_t start, std::size_t end, unsigned codePage) {
  LineMap map;
  map.Start = start;
  map.End = end;
  map.CodePage = codePage;
  std::string utf8;
  const std::string_view raw(bytes_.data() + start, end - start);
  auto add = [&](std::string_view piece, std::size_t rawLength, std::size_t& rawPos) {
    for (std::size_t k = 0; k < piece.size(); ++k) map.Column.push_back(static_cast<std::uint32_t>(rawPos));
    utf8.append(piece);
    rawPos += rawLength;
  };
  std::size_t i = 0;
  if (encoding_ == TextEncoding::Utf16LE || encoding_ == TextEncoding::Utf16BE) {
    const bool little = encoding_ == TextEncoding::Utf16LE;
    auto unitAt = [&](std::size_t k) -> char16_t {
      const auto a = static_cast<unsigned char>(raw[k]), b = static_cast<unsigned char>(raw[k + 1]);
      return static_cast<char16_t>(little ? (a | (b << 8)) : ((a << 8) | b));
    };
    while (i < raw.size()) {
      if (i + 1 >= raw.size()) {
        add("\xEF\xBF\xBD", 1, i);
        continue;
      }
      std::u16string piece(1, unitAt(i));
      std::size_t len = 2;
      if (piece[0] >= 0xD800 && piece[0] < 0xDC00 && i + 3 < raw.size()) {
        const char16_t low = unitAt(i + 2);
        if (low >= 0xDC00 && low < 0xE000) {
          piece += low;
          len = 4;
        }
      }
      add(Utf16ToUtf8(piece), len, i);
    }
  } else if (encoding_ == TextEncoding::Utf8 || codePage == 65001) {
    while (i < raw.size()) {
      const std::size_t len = Utf8Length(raw, i);
      if (len == 0)
        add("\xEF\xBF\xBD", 1, i);
      else
        add(raw.substr(i, len), len, i);
    }
  } else {
    while (i < raw.size()) {
      if (static_cast<unsigned char>(raw[i]) < 0x80) {
        add(raw.substr(i, 1), 1, i);
        continue;
      }
      // A double-byte character decodes as one unit from two bytes.
      std::size_t len = 1;
      if (i + 1 < raw.size() && AnsiToWideCP(raw.substr(i, 2), codePage).size() == 1) len = 2;
      add(Utf16ToUtf8(AnsiToWideCP(raw.substr(i, len), codePage)), len, i);
    }
  }
  map.Column.push_back(static_cast<std::uint32_t>(raw.size()));
  lines_.Add(std::move(utf8));
  maps_.push_back(std::move(map));
}

std::size_t TSourceText::Offset(std::int32_t line, std::int32_t col) const {
  if (line == static_cast<std::int32_t>(maps_.size())) return bytes_.size();
  if (line < 0 || line > static_cast<std::int32_t>(maps_.size()))
    throw ESrcProcessError(Format(SSrcLineOutsideFile, fileName_, line));
  const LineMap& map = maps_[static_cast<std::size_t>(line)];
  const std::size_t index = static_cast<std::size_t>(std::max(col, 1) - 1);
  if (index + 1 >= map.Column.size()) return map.End;
  // A column inside a multi-byte character is no place to cut.
  if (index > 0 && map.Column[index] == map.Column[index - 1])
    throw ESrcProcessError(Format(SSrcColumnInsideCharacter, fileName_, col, line));
  return map.Start + map.Column[index];
}

std::string TSourceText::Encode(const std::string& utf8) const { return EncodeIn(utf8, codePage_); }

std::string TSourceText::EncodeAt(std::int32_t line, const std::string& utf8) const {
  if (line >= 0 && static_cast<std::size_t>(line) < maps_.size())
    return EncodeIn(utf8, maps_[static_cast<std::size_t>(line)].CodePage);
  return Encode(utf8);
}

std::string TSourceText::EncodeIn(const std::string& utf8, unsigned codePage) const {
  std::string text;
  for (char c : utf8) {
    if (c == '\n')
      text += lineEnd_;
    else
      text += c;
  }
  switch (encoding_) {
    case TextEncoding::Utf8:
      return text;
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
      std::string out;
      for (char16_t u : Utf8ToUtf16(text)) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        if (encoding_ == TextEncoding::Utf16LE) {
          out += lo;
          out += hi;
        } else {
          out += hi;
          out += lo;
        }
      }
      return out;
    }
    case TextEncoding::Ansi:
      break;
  }
  bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii || codePage == 65001) return text;
  const std::u16string wide = Utf8ToUtf16(text);
  std::string ansi = WideToAnsiCP(wide, codePage);
  if (AnsiToWideCP(ansi, codePage) != wide)
    throw ESrcProcessError(
        Format(SSrcNotInCodePage, fileName_, utf8, static_cast<int>(codePage)));
  return ansi;
}

std::string TSourceText::Apply(std::vector<TTextEdit> edits) const {
  SortAndCheck(edits);
  std::string out;
  out.reserve(bytes_.size() + 64 * edits.size());
  std::size_t copied = 0;
  for (const TTextEdit& e : edits) {
    const std::size_t from = Offset(e.Line, e.Col);
    const std::size_t to = Offset(e.EndLine, e.EndCol);
    if (from < copied || to < from) throw ESrcProcessError(Format(SSrcOverlappingChanges, fileName_));
    out.append(bytes_, copied, from - copied);
    out += EncodeAt(e.Line, e.Text);
    copied = to;
  }
  out.append(bytes_, copied, std::string::npos);
  return out;
}

bool TSourceText::UnchangedOnDisk() const {
  try {
    return platform::ReadFileBytes(fileName_) == bytes_;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace sw
