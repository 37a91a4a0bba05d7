#include "runtime/StringList.h"

#include "platform/FileSystem.h"
#include "base/AnsiText.h"
#include "base/AsciiText.h"
#include "base/Exceptions.h"
#include "base/Unicode.h"

namespace sw {

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) RaiseListIndexError(index);
}

const std::string& TStringList::Strings(int index) const {
  CheckIndex(index);
  return lines_[static_cast<std::size_t>(index)];
}

std::string& TStringList::Strings(int index) {
  CheckIndex(index);
  return lines_[static_cast<std::size_t>(index)];
}

int TStringList::Add(std::string line) {
  lines_.push_back(std::move(line));
  return Count() - 1;
}

void TStringList::Insert(int index, std::string line) {
  if (index < 0 || index > Count()) RaiseListIndexError(index);
  lines_.insert(lines_.begin() + index, std::move(line));
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  lines_.erase(lines_.begin() + index);
}

void TStringList::AddStrings(const TStringList& other) {
  lines_.insert(lines_.end(), other.lines_.begin(), other.lines_.end());
}

int TStringList::IndexOf(const std::string& text) const {
  for (int i = 0; i < Count(); ++i)
    if (SameTextAscii(lines_[static_cast<std::size_t>(i)], text)) return i;
  return -1;
}

int TStringList::IndexOfName(const std::string& name) const {
  for (int i = 0; i < Count(); ++i)
    if (SameTextAscii(Names(i), name)) return i;
  return -1;
}

std::string TStringList::Names(int index) const {
  const std::string& line = Strings(index);
  const auto eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(0, eq);
}

std::string TStringList::ValueFromIndex(int index) const {
  const std::string& line = Strings(index);
  const auto eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

std::string TStringList::Values(const std::string& name) const {
  const int i = IndexOfName(name);
  return i < 0 ? std::string() : ValueFromIndex(i);
}

void TStringList::SetValue(const std::string& name, const std::string& value) {
  const int i = IndexOfName(name);
  if (i >= 0)
    lines_[static_cast<std::size_t>(i)] = name + "=" + value;
  else
    Add(name + "=" + value);
}

std::string TStringList::Text() const {
  std::string text;
  std::size_t size = 0;
  for (const auto& l : lines_) size += l.size() + 2;
  text.reserve(size);
  for (const auto& l : lines_) {
    text += l;
    text += "\r\n";
  }
  return text;
}

std::string TStringList::Join(const std::string& separator) const {
  std::string text;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i) text += separator;
    text += lines_[i];
  }
  return text;
}

void TStringList::SetText(const std::string& text) {
  lines_.clear();
  std::size_t start = 0;
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines_.emplace_back(text, start, i - start);
      if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
      ++i;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < n) lines_.emplace_back(text, start, n - start);
}

void TStringList::LoadFromBytes(std::string bytes) {
  encoding_ = TextEncoding::Ansi;
  if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
      static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF) {
    encoding_ = TextEncoding::Utf8;
    bytes.erase(0, 3);
  } else if (bytes.size() >= 2 && ((static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) ||
                                   (static_cast<unsigned char>(bytes[0]) == 0xFE && static_cast<unsigned char>(bytes[1]) == 0xFF))) {
    const bool little = static_cast<unsigned char>(bytes[0]) == 0xFF;
    encoding_ = little ? TextEncoding::Utf16LE : TextEncoding::Utf16BE;
    std::u16string wide = Utf16FromBytes(std::string_view(bytes).substr(2), !little);
    // A dangling last byte is no character: show that something was there.
    if (bytes.size() % 2 != 0) wide.push_back(u'\uFFFD');
    bytes = Utf16ToUtf8(wide);
  }
  SetText(bytes);
}

void TStringList::LoadFromFile(const std::string& fileName) { LoadFromBytes(platform::ReadRegularFile(fileName)); }

void TStringList::SaveToFile(const std::string& fileName) const {
  std::string bytes = Text();
  if (encoding_ == TextEncoding::Utf8) bytes.insert(0, "\xEF\xBB\xBF");
  platform::WriteFileAtomic(fileName, bytes);
}

int FindSection(int start, const TStringList& list, std::string_view name) {
  std::string header = "[";
  header.append(name).append("]");
  if (start < 0) start = 0;
  for (int i = start; i < list.Count(); ++i)
    if (SameText(Trim(list[i]), header)) return i;
  if (start != 0)
    for (int i = 0; i < start && i < list.Count(); ++i)
      if (SameText(Trim(list[i]), header)) return i;
  return -1;
}

int ReadSection(int start, const TStringList& list, std::string_view name, TStringList& out) {
  out.Clear();
  const int header = FindSection(start, list, name);
  if (header < 0) return start;
  int i = header + 1;
  for (; i < list.Count(); ++i) {
    const std::string trimmed = Trim(list[i]);
    if (!trimmed.empty() && trimmed[0] == '[') break;
    if (!trimmed.empty()) out.Add(list[i]);
  }
  return i - 1;
}

}  // namespace sw
