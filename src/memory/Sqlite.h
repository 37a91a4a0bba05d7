// A thin owner of an SQLite connection and its prepared statements, for the
// memory layer only: every failure becomes EMemoryError naming the database
// file and SQLite's own message. It does not hide SQL; it only makes the
// handles RAII and the binding of UTF-8 and UTF-16 text explicit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "memory/MemoryError.h"

struct sqlite3;
struct sqlite3_stmt;

namespace sw::sql {

class TDatabase;

class TStatement {
 public:
  TStatement() = default;
  TStatement(TDatabase& db, std::string_view sql);
  ~TStatement();
  TStatement(TStatement&& other) noexcept;
  TStatement& operator=(TStatement&& other) noexcept;
  TStatement(const TStatement&) = delete;
  TStatement& operator=(const TStatement&) = delete;

  // Parameters count from 1.
  TStatement& Bind(int index, std::int64_t value);
  TStatement& Bind(int index, std::string_view utf8);
  TStatement& Bind(int index, std::u16string_view text);  // stored as UTF-8
  TStatement& BindBlob(int index, std::string_view bytes);
  // One step: true while a row is there.
  bool Step();
  // Runs to the end and resets the statement for its next use.
  void Run();
  void Reset();

  std::int64_t Int(int column) const;
  std::string Text(int column) const;
  std::u16string Text16(int column) const;
  // The column's bytes, valid until the next Step or Reset.
  std::string_view Blob(int column) const;
  bool IsNull(int column) const;

 private:
  TDatabase* db_ = nullptr;
  sqlite3_stmt* stmt_ = nullptr;
};

class TDatabase {
 public:
  // Opens (and creates) the file; raises EMemoryError when it cannot.
  explicit TDatabase(const std::string& fileName);
  ~TDatabase();
  TDatabase(const TDatabase&) = delete;
  TDatabase& operator=(const TDatabase&) = delete;

  const std::string& FileName() const { return fileName_; }
  sqlite3* Handle() const { return db_; }
  // Runs statements without results.
  void Exec(std::string_view sql);
  // The first column of the first row, as text ("" when no row).
  std::string QueryText(std::string_view sql);
  std::int64_t QueryInt(std::string_view sql);
  std::int64_t LastInsertId() const;
  // Raises EMemoryError for an SQLite result code; `what` says what was done.
  [[noreturn]] void Fail(int code, std::string_view what) const;

 private:
  std::string fileName_;
  sqlite3* db_ = nullptr;
};

// Whether an error was SQLite's "not a database" or "database disk image is
// malformed", the two that mean the file itself is damaged.
bool IsDamageCode(int code);

}  // namespace sw::sql
