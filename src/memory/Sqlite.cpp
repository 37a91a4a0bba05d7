// See Sqlite.h.
#include "memory/Sqlite.h"

#include <sqlite3.h>

#include <utility>

#include "base/Unicode.h"

namespace sw::sql {

bool IsDamageCode(int code) {
  const int primary = code & 0xFF;
  return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

TDatabase::TDatabase(const std::string& fileName) : fileName_(fileName) {
  const int rc = sqlite3_open_v2(fileName.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc != SQLITE_OK) {
    const std::string reason = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
    sqlite3_close(db_);
    db_ = nullptr;
    EMemoryError error("Cannot open the memory file " + fileName + ": " + reason, rc);
    error.AttachFile(fileName);
    throw error;
  }
  sqlite3_extended_result_codes(db_, 1);
}

TDatabase::~TDatabase() { sqlite3_close_v2(db_); }

void TDatabase::Fail(int code, std::string_view what) const {
  EMemoryError error("Memory file " + fileName_ + ": " + std::string(what) + ": " + sqlite3_errmsg(db_), code);
  error.AttachFile(fileName_);
  throw error;
}

void TDatabase::Exec(std::string_view sql) {
  const std::string text(sql);
  char* message = nullptr;
  const int rc = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &message);
  if (rc != SQLITE_OK) {
    sqlite3_free(message);
    Fail(rc, "cannot run \"" + text.substr(0, 40) + "\"");
  }
}

std::string TDatabase::QueryText(std::string_view sql) {
  TStatement statement(*this, sql);
  return statement.Step() ? statement.Text(0) : std::string();
}

std::int64_t TDatabase::QueryInt(std::string_view sql) {
  TStatement statement(*this, sql);
  return statement.Step() ? statement.Int(0) : 0;
}

std::int64_t TDatabase::LastInsertId() const { return sqlite3_last_insert_rowid(db_); }

TStatement::TStatement(TDatabase& db, std::string_view sql) : db_(&db) {
  const int rc = sqlite3_prepare_v3(db.Handle(), sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                    &stmt_, nullptr);
  if (rc != SQLITE_OK) db.Fail(rc, "cannot prepare \"" + std::string(sql.substr(0, 40)) + "\"");
}

TStatement::~TStatement() { sqlite3_finalize(stmt_); }

TStatement::TStatement(TStatement&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), stmt_(std::exchange(other.stmt_, nullptr)) {}

TStatement& TStatement::operator=(TStatement&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(stmt_);
    db_ = std::exchange(other.db_, nullptr);
    stmt_ = std::exchange(other.stmt_, nullptr);
  }
  return *this;
}

TStatement& TStatement::Bind(int index, std::int64_t value) {
  const int rc = sqlite3_bind_int64(stmt_, index, value);
  if (rc != SQLITE_OK) db_->Fail(rc, "cannot bind a value");
  return *this;
}

TStatement& TStatement::Bind(int index, std::string_view utf8) {
  const int rc = sqlite3_bind_text64(stmt_, index, utf8.data(), utf8.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
  if (rc != SQLITE_OK) db_->Fail(rc, "cannot bind a text");
  return *this;
}

TStatement& TStatement::BindBlob(int index, std::string_view bytes) {
  const int rc = sqlite3_bind_blob64(stmt_, index, bytes.data(), bytes.size(), SQLITE_STATIC);
  if (rc != SQLITE_OK) db_->Fail(rc, "cannot bind a value");
  return *this;
}

TStatement& TStatement::Bind(int index, std::u16string_view text) { return Bind(index, std::string_view(Utf16ToUtf8(text))); }

bool TStatement::Step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  const int code = rc;
  sqlite3_reset(stmt_);
  db_->Fail(code, "cannot run a statement");
}

void TStatement::Run() {
  while (Step()) {
  }
  Reset();
}

void TStatement::Reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

std::int64_t TStatement::Int(int column) const { return sqlite3_column_int64(stmt_, column); }

std::string TStatement::Text(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column))) : std::string();
}

std::u16string TStatement::Text16(int column) const { return Utf8ToUtf16(Text(column)); }

std::string_view TStatement::Blob(int column) const {
  const void* bytes = sqlite3_column_blob(stmt_, column);
  return bytes ? std::string_view(static_cast<const char*>(bytes), static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
               : std::string_view();
}

bool TStatement::IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

}  // namespace sw::sql
