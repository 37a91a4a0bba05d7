// The constant namer: proposes a name for a literal's text (prefix, the
// words of the text with their first letters capitalized, transliterated
// letters, a number when the name is taken), reuses the name an existing
// constant gives an equal text, and before writing resolves the names the
// user chose (a name taken by another text gets a free number).
#pragma once

#include <set>
#include <string>

#include "extract/source/SourceReaders.h"

namespace sw {

struct TNamingSettings {
  std::string NamePrefix = "S";
  bool UnitPrefix = false;
  int MaxNameChars = 20;
  bool CyrillicNames = false;
  bool ReuseNames = true;
};

// A C-style identifier (letters, digits, "_"; not starting with a digit).
bool IsConstantName(const std::string& name);

class TConstantNamer {
 public:
  // `existing`: the constants of the constants file; `units`: the units whose
  // literals are named; `usedWords`: identifiers of the units (lower-case),
  // which new names avoid. Names compare without regard to case when
  // `ignoreCase` (Pascal).
  TConstantNamer(const TNamingSettings& settings, const TStrConstList& existing, const TUnitRecList& units,
                 const std::set<std::string>& usedWords, bool ignoreCase)
      : settings_(settings), existing_(existing), units_(units), usedWords_(usedWords), ignoreCase_(ignoreCase) {}

  // A new name for `value`.
  std::string MakeName(const std::string& value, const std::string& unitShortName) const;
  // The name an existing constant gives `value` (ReuseNames), "" when none.
  std::string ExistingName(const std::string& value) const;
  // Names a literal found in `unit` and adds it; one that takes an existing
  // name starts selected.
  void Add(TUnitRec& unit, std::unique_ptr<TStrConst> literal) const;
  // Gives conflicting names of selected constants new names and unifies
  // equal values (ReuseNames); raises for a name that is no identifier.
  void ResolveNames() const;

 private:
  std::string Key(const std::string& name) const;

  const TNamingSettings& settings_;
  const TStrConstList& existing_;
  const TUnitRecList& units_;
  const std::set<std::string>& usedWords_;
  bool ignoreCase_;
};

}  // namespace sw
