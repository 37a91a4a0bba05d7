// TSourceText: a source file as the bytes it holds and as the UTF-8 lines the
// scanner reads, with the way back from a (line, column) of the UTF-8 lines
// to a byte offset in the file. Rewriting a file through it changes only the
// bytes of the edited spans: the byte-order mark, the code page, the line
// ends and every byte outside the spans stay as they were.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/StringList.h"

namespace sw {

// One change of a text, in the coordinates of its UTF-8 lines: the span from
// (Line, Col) up to (EndLine, EndCol) (zero-based lines, one-based byte
// columns, the end excluded) is replaced by Text. "\n" in Text stands for the
// file's own line end.
struct TTextEdit {
  std::int32_t Line = 0;
  std::int32_t Col = 1;
  std::int32_t EndLine = 0;
  std::int32_t EndCol = 1;
  std::string Text;
};

// Applies edits to UTF-8 lines (the text form of the same change).
void ApplyEditsToLines(TStringList& lines, std::vector<TTextEdit> edits);

class TSourceText {
 public:
  // Reads the file. `codePage` decodes unmarked files (0 = system ANSI);
  // `lineCodePages` (optional) gives a code page per line, as a resource
  // script's pragmas set them. Raises EFOpenError when the file cannot be read.
  void Load(const std::string& fileName, unsigned codePage, const std::vector<unsigned>* lineCodePages = nullptr);
  // The same from bytes already read.
  void Assign(std::string fileName, std::string bytes, unsigned codePage,
              const std::vector<unsigned>* lineCodePages = nullptr);

  const std::string& FileName() const { return fileName_; }
  const std::string& Bytes() const { return bytes_; }
  const TStringList& Lines() const { return lines_; }
  TextEncoding Encoding() const { return encoding_; }
  // "\r\n", "\n" or "\r": the first line end of the file ("\r\n" when none).
  const std::string& LineEnd() const { return lineEnd_; }

  // Byte offset in the file of a one-based column of a UTF-8 line (a column
  // past the line's end means its end). Raises ESrcProcessError when the
  // position is not a character boundary of the line.
  std::size_t Offset(std::int32_t line, std::int32_t col) const;
  // Offset of the end of the text (a line index of Count() means the end).
  std::size_t EndOffset() const { return bytes_.size(); }

  // UTF-8 text in the file's encoding, line ends included. Raises
  // ESrcProcessError when a character has no form in the file's code page.
  std::string Encode(const std::string& utf8) const;
  // The same in the code page in force for `line` (a resource script's pragma).
  std::string EncodeAt(std::int32_t line, const std::string& utf8) const;

  // The file's bytes with the edits applied. Edits must not overlap.
  std::string Apply(std::vector<TTextEdit> edits) const;

  // True when the file on disk still holds the bytes that were read.
  bool UnchangedOnDisk() const;

 private:
  struct LineMap {
    std::size_t Start = 0;             // offset of the line's first byte
    std::size_t End = 0;               // offset after its last byte (line end excluded)
    std::vector<std::uint32_t> Column; // UTF-8 byte index -> byte offset from Start; size = UTF-8 length + 1
    unsigned CodePage = 0;
  };

  void MapLine(std::size_t start, std::size_t end, unsigned codePage);
  std::string EncodeIn(const std::string& utf8, unsigned codePage) const;

  std::string fileName_;
  std::string bytes_;
  TStringList lines_;
  std::vector<LineMap> maps_;
  TextEncoding encoding_ = TextEncoding::Ansi;
  unsigned codePage_ = 0;
  std::string lineEnd_ = "\r\n";
};

}  // namespace sw
