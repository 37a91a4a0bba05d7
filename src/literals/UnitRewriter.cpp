// The unit rewriter: references, the uses clause of a Pascal unit and the
// #include line of a C++ unit.
#include "literals/UnitRewriter.h"

#include "literals/LiteralFinder.h"
#include "base/AsciiText.h"
#include "base/AnsiText.h"
#include "runtime/StringList.h"

namespace sw {

namespace {


}  // namespace

std::string LiteralReference(const TStrConst& constant, TLiteralTarget target, const std::string& constUnitName) {
  switch (target) {
    case TLiteralTarget::Pascal: return constant.Name;
    case TLiteralTarget::CppToPascalUnit: return Capitalize(constUnitName) + "_" + constant.Name;
    case TLiteralTarget::CppToResourceScript: break;
  }
  return "LoadStr(" + constant.Name + ")";
}

bool EditUsesClause(TQScanner& scanner, TStringList& lines, const std::string& unitName, TUsesEdit edit,
                    const std::string& newName) {
  auto edits = UsesClauseEdits(scanner, lines, unitName, edit, newName);
  if (edits.empty()) return false;
  ApplyEditsToLines(lines, std::move(edits));
  return true;
}

std::vector<TTextEdit> UsesClauseEdits(TQScanner& scanner, const TStringList& lines, const std::string& unitName,
                                       TUsesEdit edit, const std::string& newName) {
  struct Entry {
    std::string Name;
    TScanToken First, Last;  // first and last token of the entry
    TScanToken NameLast;     // last token of its (dotted) name
  };
  struct Clause {
    TScanToken Uses, End;  // "uses" and the ";" that ends it
    std::vector<Entry> Entries;
    std::vector<TScanToken> Separators;  // "," between entries
  };
  scanner.Lines().Assign(lines);
  scanner.Start();
  bool havePoint = false, isUnit = false, inImplementation = false, sawInterface = false;
  TScanToken point;        // insertion point for a new clause
  TScanToken clausePoint;  // insertion point in the first clause outside the implementation
  bool haveClausePoint = false;
  std::vector<Clause> clauses;
  bool expectHeadingEnd = false;
  while (!scanner.Eof()) {
    const TScanToken& token = scanner.TokenRef(0);
    if (token.Kind == ttKeyword) {
      const std::string& w = token.LowerText;
      if (w == "unit") isUnit = true;
      if ((w == "program" || w == "library") && !havePoint) expectHeadingEnd = true;
      if (w == "interface" && !sawInterface) {
        sawInterface = true;
        if (scanner.Available(1)) {
          point = scanner.TokenRef(1);
          havePoint = true;
        }
      }
      if (w == "implementation") inImplementation = true;
      if (w == "uses") {
        Clause clause;
        clause.Uses = token;
        scanner.Next();
        Entry entry;
        bool inEntry = false;
        while (!scanner.Eof()) {
          const TScanToken& t = scanner.TokenRef(0);
          if (TokenIs(t, ",") || TokenIs(t, ";")) {
            if (inEntry) clause.Entries.push_back(entry);
            entry = Entry();
            inEntry = false;
            if (TokenIs(t, ";")) {
              clause.End = t;
              break;
            }
            clause.Separators.push_back(t);
          } else if (!inEntry) {
            entry.Name = t.Text;
            entry.First = entry.Last = entry.NameLast = t;
            inEntry = true;
          } else {
            // A dotted name continues it; "in 'file'" only extends its span.
            if (TokenIs(t, ".") || (TokenIs(scanner.TokenRef(-1), ".") && t.Kind == ttIdentifier)) {
              entry.Name += t.Text;
              entry.NameLast = t;
            }
            entry.Last = t;
          }
          scanner.Next();
        }
        if (!inImplementation && !haveClausePoint && !clause.Entries.empty()) {
          // A unit adds at the end of its clause; a program after the first name.
          if (isUnit || clause.Separators.empty())
            clausePoint = clause.End;
          else
            clausePoint = clause.Separators.front();
          haveClausePoint = true;
        }
        clauses.push_back(std::move(clause));
        if (scanner.Eof()) break;
      }
    } else if (expectHeadingEnd && TokenIs(token, ";")) {
      expectHeadingEnd = false;
      if (scanner.Available(1)) {
        point = scanner.TokenRef(1);
        havePoint = true;
      }
    }
    scanner.Next();
  }

  for (const Clause& clause : clauses) {
    for (std::size_t i = 0; i < clause.Entries.size(); ++i) {
      const Entry& entry = clause.Entries[i];
      if (!SameText(entry.Name, unitName)) continue;
      if (edit == TUsesEdit::Add) return {};
      if (edit == TUsesEdit::Rename) {
        // Only the name itself is replaced, not text that merely contains it.
        return {{entry.First.Line, entry.First.StartCol, entry.NameLast.Line, entry.NameLast.EndCol, newName}};
      }
      // Remove: the entry and its separator; the whole clause when it is the only entry.
      if (clause.Entries.size() == 1)
        return {{clause.Uses.Line, clause.Uses.StartCol, clause.End.Line, clause.End.EndCol, ""}};
      if (i > 0) {
        const TScanToken& prevLast = clause.Entries[i - 1].Last;
        return {{prevLast.Line, prevLast.EndCol, entry.Last.Line, entry.Last.EndCol, ""}};
      }
      const Entry& next = clause.Entries[1];
      return {{entry.First.Line, entry.First.StartCol, next.First.Line, next.First.StartCol, ""}};
    }
  }
  if (edit != TUsesEdit::Add) return {};
  if (haveClausePoint)
    return {{clausePoint.Line, clausePoint.StartCol, clausePoint.Line, clausePoint.StartCol, ", " + unitName}};
  if (havePoint) return {{point.Line, point.StartCol, point.Line, point.StartCol, "uses " + unitName + ";\n\n"}};
  return {};
}

std::vector<TTextEdit> IncludeEdits(TQScanner& scanner, const TStringList& lines, const std::string& header) {
  scanner.Lines().Assign(lines);
  scanner.Start();
  bool found = false;
  std::int32_t includeLine = -1;
  while (!scanner.Eof() && !TokenIs(scanner.TokenRef(0), "{")) {
    if (TokenIs(scanner.TokenRef(0), "#") && scanner.TokenStartCol() == 1 && scanner.Available(1) &&
        TokenIs(scanner.TokenRef(1), "include")) {
      includeLine = scanner.TokenLine();
      std::string included;
      if (scanner.Available(2) && IsLiteral(scanner.TokenRef(2)))
        included = scanner.TokenRef(2).Text;
      else if (scanner.Available(3) && TokenIs(scanner.TokenRef(2), "<"))
        included = scanner.TokenRef(3).Text;
      if (SameText(included, header)) found = true;
    }
    scanner.Next();
  }
  if (found) return {};
  const std::string line = "#include \"" + header + "\"";
  // No include: the first line of the file, where nothing can enclose it.
  if (includeLine < 0) return {{0, 1, 0, 1, line + "\n"}};
  const auto end = static_cast<std::int32_t>(lines[includeLine].size()) + 1;
  return {{includeLine, end, includeLine, end, "\n" + line}};
}

std::vector<TTextEdit> UnitChanges(TQScanner& scanner, const TUnitRec& unit, TLiteralTarget target,
                                   const std::string& constUnitName) {
  std::vector<TTextEdit> edits;
  for (const auto& c : unit.Constants) {
    if (!c || !c->Selected()) continue;
    edits.push_back({c->FirstLine, c->StartCol, c->LastLine, c->EndCol, LiteralReference(*c, target, constUnitName)});
  }
  if (edits.empty()) return edits;
  std::vector<TTextEdit> reference = target == TLiteralTarget::Pascal
                                         ? UsesClauseEdits(scanner, unit.Lines, constUnitName, TUsesEdit::Add)
                                         : IncludeEdits(scanner, unit.Lines, constUnitName + ".hpp");
  for (auto& e : reference) edits.push_back(std::move(e));
  return edits;
}

}  // namespace sw
