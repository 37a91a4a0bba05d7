// Pseudo-translation: a made-up translation of every text, readable by the
// developers yet plainly not the native text, so that a text the program
// shows untranslated, a caption clipped by its control or a sentence glued
// together from pieces shows up before a real translation exists.
//
// The rules, applied to each text:
// - Letters become accented look-alikes (a -> å, e -> é, o -> ö, s -> š,
//   ...), each only when the look-alike exists in the code page of the
//   pseudo-language (1252 for 0x0501 and 0x09FF), converted there and back
//   unchanged; a letter without one stays as it is. Nothing becomes "?".
// - The text is lengthened by padding of middle dots ("·") on each line,
//   before the line's closing punctuation (. : ! ? …) and trailing spaces.
//   `auto` pads by the length of the whole text without accelerator marks
//   and line breaks: up to 10 characters +100% (at least one character),
//   11-20 +80%, 21-30 +60%, 31-50 +40%, longer +30%; a fixed percentage pads
//   every text by that figure. Each line gets its own share, rounded up.
// - Markers, when asked for, bracket the text: "[" ... "]" inside the
//   leading and trailing spaces, with "id:" after the "[" when an item id is
//   given; each line of a string list is bracketed on its own. Report texts
//   get "«" ... "»" instead, as brackets there are expressions.
// - Mirroring writes each line's characters in reverse order (what a
//   right-to-left reader meets first comes last), with the kept pieces below
//   as whole pieces and "()", "<>", "{}" swapped; the `Format` specifiers
//   keep their order among themselves (they take their arguments in it).
// Never touched, kept piece by piece in their order:
// - `Format` specifiers (`%s`, `%1:d`, `%-10.2f`, `%*d`, `%%`), as the
//   format parser (FormatString.h) accepts them;
// - accelerators: "&" with the character after it (so each control keeps its
//   native key, unique where the native keys are), "&&", a final "&";
// - line breaks (CR LF, LF, CR), hence the line count of string lists, and
//   the spaces at the start and end of each line;
// - bracketed expressions of report texts (`[Page#]`, nested brackets and
//   quoted strings inside);
// - file masks: a run of letters, digits and ". _ -" holding "*" or "?"
//   (`*.txt`, `Data?.db`);
// - texts that are not words: no letter left once the pieces above are set
//   aside, an accelerator's letter apart (a lone "-", "100", "*.txt",
//   "%d%%"); they stay as they are, unlengthened and unbracketed.
//
// Characters of the native text that the pseudo-language's code page lacks
// are kept: choose a pseudo-language whose code page holds the native
// script. Nothing here reads or writes files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "util/LocaleCatalogue.h"

namespace sw {

inline constexpr LANGID kPseudoLangId = 0x0501;          // qps-ploc
inline constexpr LANGID kPseudoMirroredLangId = 0x09FF;  // qps-plocm
// The value of `TPseudoOptions::Expand` for the length table.
inline constexpr int kPseudoExpandAuto = -1;

struct TPseudoOptions {
  LANGID LangId = kPseudoLangId;  // its code page limits the look-alikes
  int Expand = kPseudoExpandAuto; // or a percentage, 0 or more
  bool Markers = false;
  bool Mirror = false;
};

// What a text is, as far as its rules differ.
struct TPseudoText {
  std::u16string_view Native;
  bool StringList = false;  // each line is an entry
  bool ReportText = false;  // brackets are expressions
  std::u16string_view Id;   // shown in the markers when not empty
};

// The padding percentage for a text of `length` characters.
int PseudoExpansionPercent(int length, int expand);

// Whether a text has anything to translate (see above).
bool IsPseudoWordText(std::u16string_view text, bool reportText = false);

// Parses --expand: "auto" or a whole percentage 0..1000 ("50" or "50%");
// false for anything else.
bool ParsePseudoExpand(std::string_view text, int& expand);

class TPseudoTranslator {
 public:
  explicit TPseudoTranslator(TPseudoOptions options);
  const TPseudoOptions& Options() const { return options_; }
  std::u16string Translate(const TPseudoText& text) const;
  std::u16string Translate(std::u16string_view native) const {
    TPseudoText text;
    text.Native = native;
    return Translate(text);
  }
  // The look-alike of `c` in the code page (c itself when there is none).
  char16_t LookAlike(char16_t c) const;

 private:
  TPseudoOptions options_;
  std::u16string from_;  // letters with a look-alike ...
  std::u16string to_;    // ... and their look-alikes, position by position
};

}  // namespace sw
