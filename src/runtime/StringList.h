// TStringList: an ordered list of 8-bit text lines. `Text` joins the lines,
// each followed by CR LF; setting it splits at CR LF, LF or a lone CR.
// Loading a file recognises a UTF-8 or UTF-16 byte-order mark, removes it and
// records the encoding found: UTF-16 content is converted to UTF-8, so the
// lines then hold UTF-8 and `Encoding()` says so. Without a mark the bytes
// are kept as they are (ANSI in some code page, decided by the caller).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sw {

enum class TextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

class TStringList {
 public:
  TStringList() = default;
  TStringList(std::initializer_list<std::string> lines) : lines_(lines) {}

  int Count() const { return static_cast<int>(lines_.size()); }
  bool Empty() const { return lines_.empty(); }
  // Raises EListError "List index out of bounds (%d)" for a bad index.
  const std::string& Strings(int index) const;
  std::string& Strings(int index);
  const std::string& operator[](int index) const { return Strings(index); }
  std::string& operator[](int index) { return Strings(index); }

  int Add(std::string line);
  void Insert(int index, std::string line);
  void Delete(int index);
  void Clear() { lines_.clear(); }
  void Assign(const TStringList& other) { lines_ = other.lines_; }
  void AddStrings(const TStringList& other);

  // First line equal to `text` without regard to ASCII case, else -1.
  int IndexOf(const std::string& text) const;
  // "name=value" lines: name is everything before the first "=".
  int IndexOfName(const std::string& name) const;
  std::string Names(int index) const;
  std::string ValueFromIndex(int index) const;
  std::string Values(const std::string& name) const;
  void SetValue(const std::string& name, const std::string& value);

  std::string Text() const;
  void SetText(const std::string& text);
  // Text joined by the given separator with none after the last line.
  std::string Join(const std::string& separator) const;

  // Raises EFOpenError when the file cannot be read, is no regular file or
  // holds more than platform::kMaxSourceFileSize bytes.
  void LoadFromFile(const std::string& fileName);
  void LoadFromBytes(std::string bytes);
  // Writes `Text()`, replacing the file atomically; with `Encoding() ==
  // Utf8` a UTF-8 byte-order mark is written first.
  void SaveToFile(const std::string& fileName) const;

  TextEncoding Encoding() const { return encoding_; }
  void SetEncoding(TextEncoding e) { encoding_ = e; }

  const std::vector<std::string>& Lines() const { return lines_; }
  std::vector<std::string>& Lines() { return lines_; }
  auto begin() const { return lines_.begin(); }
  auto end() const { return lines_.end(); }

  bool operator==(const TStringList& other) const { return lines_ == other.lines_; }

 private:
  void CheckIndex(int index) const;
  std::vector<std::string> lines_;
  TextEncoding encoding_ = TextEncoding::Ansi;
};

// INI-style sections in a list of lines ("[Name]" headers, case ignored).
// The index of the header of section `name`, searched from `start` on and
// then from the top; -1 when absent.
int FindSection(int start, const TStringList& list, std::string_view name);
// Fills `out` with the section's non-blank lines and returns the index of its
// last line (`start` when the section is absent, with `out` empty).
int ReadSection(int start, const TStringList& list, std::string_view name, TStringList& out);

}  // namespace sw
