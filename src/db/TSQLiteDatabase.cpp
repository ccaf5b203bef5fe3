#include "TSQLiteDatabase.h"

#include "InterruptScope.h"
#include "SQLiteErrorMessage.h"
#include "TSQLiteTable.h"
#include "Utf8.h"

#include <sqlite3.h>

#include <cstring>
#include <type_traits>

namespace {

// A non-null address for zero-length blobs: the library binds NULL for a null pointer.
const unsigned char kEmptyBlob[1] = {0};

template <class> inline constexpr bool kAlwaysFalse = false;

// How often a running statement looks whether its thread was asked to stop: a few microseconds of work between looks.
constexpr int kInstructionsBetweenStopChecks = 1000;
// A backup copies this many pages at a time (a few MB), and looks for a stop in between.
constexpr int kBackupPagesPerStep = 1024;

int StopRequested(void*) {
    return InterruptScope::Requested() ? 1 : 0;
}

// A statement or backup not begun once a stop is asked: short ones would run to their end between two looks.
void RaiseIfStopped(const std::string& message, const std::string& what) {
    if (InterruptScope::Requested())
        throw ESQLiteException(message + ".\rError [" + std::to_string(SQLITE_INTERRUPT) +
                                   "]: " + SQLiteErrorMessage(SQLITE_INTERRUPT) + ".\r\"" + what + "\": interrupted",
                               SQLITE_INTERRUPT);
}

// One read transaction over a backup's runs of pages, where the connection has none open, so that the copy is one
// committed state: between runs another program's write would start it over, again and again while it kept writing.
// Best effort: a source that cannot be read fails the backup itself, in the backup's words.
class BackupReadTransaction {
public:
    explicit BackupReadTransaction(sqlite3* source) {
        if (sqlite3_get_autocommit(source) == 0 ||
            sqlite3_exec(source, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
            return;
        m_source = source;
        sqlite3_exec(source, "SELECT 1 FROM sqlite_schema LIMIT 1", nullptr, nullptr, nullptr);
    }
    ~BackupReadTransaction() {
        if (m_source != nullptr)
            sqlite3_exec(m_source, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    BackupReadTransaction(const BackupReadTransaction&) = delete;
    BackupReadTransaction& operator=(const BackupReadTransaction&) = delete;

private:
    sqlite3* m_source = nullptr;
};

} // namespace

TSQLiteDatabase::TSQLiteDatabase(const std::string& fileName) {
    // What sqlite3_open does: read-write, created when missing.
    Open(fileName, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, fileName);
}

TSQLiteDatabase::TSQLiteDatabase(const std::string& fileName, int openFlags, const std::string& shownName) {
    Open(fileName, openFlags, shownName);
}

void TSQLiteDatabase::Open(const std::string& fileName, int openFlags, const std::string& shownName) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(fileName.c_str(), &raw, openFlags, nullptr);
    m_handle.reset(raw);
    if (rc == SQLITE_OK) {
        sqlite3_progress_handler(m_handle.get(), kInstructionsBetweenStopChecks, &StopRequested, nullptr);
        return;
    }
    if (m_handle)
        throw ESQLiteException("Failed to open database \"" + shownName + "\" : " + sqlite3_errmsg(m_handle.get()),
                               rc & 0xFF, sqlite3_extended_errcode(m_handle.get()));
    throw ESQLiteException("Failed to open database \"" + shownName + "\" : unknown error", rc & 0xFF, rc);
}

void TSQLiteDatabase::SetBusyTimeout(int milliseconds) {
    sqlite3_busy_timeout(m_handle.get(), milliseconds);
}

TSQLiteDatabase::~TSQLiteDatabase() = default;

void TSQLiteDatabase::RaiseError(const std::string& message, const std::string& sql) const {
    const int code = sqlite3_errcode(m_handle.get());
    const char* text = code != SQLITE_OK ? sqlite3_errmsg(m_handle.get()) : nullptr;
    if (code == SQLITE_OK || text == nullptr)
        throw ESQLiteException(message);
    throw ESQLiteException(message + ".\rError [" + std::to_string(code) + "]: " + SQLiteErrorMessage(code) + ".\r\"" +
                               sql + "\": " + text,
                           code & 0xFF, sqlite3_extended_errcode(m_handle.get()));
}

void TSQLiteDatabase::BackupTo(TSQLiteDatabase& target) const {
    const BackupReadTransaction reading(m_handle.get());
    BackupHandle backup(sqlite3_backup_init(target.Handle(), "main", m_handle.get(), "main"));
    if (!backup)
        target.RaiseError("Could not back up database", "sqlite3_backup_init");
    for (;;) {
        RaiseIfStopped("Could not back up database", "sqlite3_backup_step");
        const int rc = sqlite3_backup_step(backup.get(), kBackupPagesPerStep);
        if (rc == SQLITE_DONE)
            return;
        if (rc != SQLITE_OK)
            break;
    }
    // The target's connection learns the step's error only when the backup is finished.
    sqlite3_backup_finish(backup.release());
    target.RaiseError("Could not back up database", "sqlite3_backup_step");
}

StatementHandle TSQLiteDatabase::TakeStatement(const std::string& sql) {
    RaiseIfStopped("Error executing SQL", sql);
    if (const auto spare = m_spareStatements.find(sql); spare != m_spareStatements.end()) {
        StatementHandle statement = std::move(spare->second);
        m_spareStatements.erase(spare);
        return statement;
    }
    return Prepare(sql);
}

void TSQLiteDatabase::PutBack(const std::string& sql, StatementHandle statement) noexcept {
    sqlite3_reset(statement.get());
    sqlite3_clear_bindings(statement.get());
    try {
        m_spareStatements.try_emplace(sql, std::move(statement));
    } catch (...) {
        // Not kept: it is finalized on the way out.
    }
}

StatementHandle TSQLiteDatabase::Prepare(const std::string& sql) const {
    RaiseIfStopped("Error executing SQL", sql);
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(m_handle.get(), sql.c_str(), -1, &raw, nullptr);
    StatementHandle statement(raw);
    if (rc != SQLITE_OK)
        RaiseError("Error executing SQL", sql);
    if (!statement)
        RaiseError("Could not prepare SQL statement", sql);
    return statement;
}

void TSQLiteDatabase::ExecSQL(const std::string& sql) {
    ExecSQL(sql, {});
}

void TSQLiteDatabase::ExecSQL(const std::string& sql, const BindValues& values) {
    StatementHandle statement = Prepare(sql);
    BindData(statement.get(), values);
    if (sqlite3_step(statement.get()) != SQLITE_DONE) {
        sqlite3_reset(statement.get());
        RaiseError("Error executing SQL statement", sql);
    }
}

TSQLiteTable TSQLiteDatabase::GetTable(const std::string& sql) {
    return TSQLiteTable(*this, sql, {});
}

TSQLiteTable TSQLiteDatabase::GetTable(const std::string& sql, const BindValues& values) {
    return TSQLiteTable(*this, sql, values);
}

void TSQLiteDatabase::BindData(sqlite3_stmt* statement, const BindValues& values) const {
    for (std::size_t k = 0; k < values.size(); ++k)
        BindOne(statement, static_cast<int>(k + 1), values[k]);
}

void TSQLiteDatabase::BindOne(sqlite3_stmt* statement, int parameter, const BindValue& value) const {
    const auto check = [this](int rc, const char* message) {
        if (rc != SQLITE_OK)
            RaiseError(message, "BindData");
    };
    const auto bindText = [&](std::string_view text) {
        check(sqlite3_bind_text64(statement, parameter, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8),
              "Could not bind text");
    };
    const auto bindBlob = [&](const void* bytes, sqlite3_uint64 size, void (*release)(void*)) {
        check(sqlite3_bind_blob64(statement, parameter, size == 0 ? kEmptyBlob : bytes, size, release),
              "Could not bind BLOB");
    };

    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::int32_t>) {
                check(sqlite3_bind_int(statement, parameter, v), "Could not bind integer");
            } else if constexpr (std::is_same_v<T, bool>) {
                check(sqlite3_bind_int(statement, parameter, v ? 1 : 0), "Could not bind boolean");
            } else if constexpr (std::is_same_v<T, std::int64_t>) {
                check(sqlite3_bind_int64(statement, parameter, v), "Could not bind int64");
            } else if constexpr (std::is_same_v<T, long double>) {
                check(sqlite3_bind_double(statement, parameter, static_cast<double>(v)), "Could not bind extended");
            } else if constexpr (std::is_same_v<T, std::string>) {
                bindText(v);
            } else if constexpr (std::is_same_v<T, ShortString>) {
                bindText(v.View());
            } else if constexpr (std::is_same_v<T, char>) {
                bindText(std::string_view(&v, 1));
            } else if constexpr (std::is_same_v<T, const char*>) {
                bindText(v ? std::string_view(v) : std::string_view());
            } else if constexpr (std::is_same_v<T, std::u16string>) {
                bindText(Utf16ToUtf8(v));
            } else if constexpr (std::is_same_v<T, char16_t>) {
                bindText(Utf16ToUtf8(std::u16string_view(&v, 1)));
            } else if constexpr (std::is_same_v<T, const char16_t*>) {
                bindText(Utf16ToUtf8(v ? std::u16string_view(v) : std::u16string_view()));
            } else if constexpr (std::is_same_v<T, std::nullptr_t>) {
                check(sqlite3_bind_null(statement, parameter), "Could not bind null");
            } else if constexpr (std::is_same_v<T, const void*>) {
                if (v != nullptr)
                    throw ESQLiteException("Unhandled pointer (<> nil)");
                check(sqlite3_bind_null(statement, parameter), "Could not bind null");
            } else if constexpr (std::is_same_v<T, TObject*>) {
                if (auto* memory = dynamic_cast<TMemoryStream*>(v)) {
                    // In place: the caller holds the stream until the statement has run.
                    const std::int64_t remaining = memory->Size() - memory->Position();
                    bindBlob(memory->Memory() + memory->Position(), static_cast<sqlite3_uint64>(remaining),
                             SQLITE_STATIC);
                } else if (auto* stream = dynamic_cast<TStream*>(v)) {
                    stream->SetPosition(0);
                    const auto size = static_cast<sqlite3_uint64>(stream->Size());
                    if (size == 0) {
                        bindBlob(nullptr, 0, SQLITE_STATIC);
                        return;
                    }
                    void* buffer = sqlite3_malloc64(size);
                    if (buffer == nullptr)
                        throw ESQLiteException("Error getting memory to save blob");
                    stream->Read(buffer, static_cast<std::int64_t>(size));
                    // The library frees the buffer, also when the bind fails.
                    bindBlob(buffer, size, sqlite3_free);
                } else {
                    throw ESQLiteException("Unhandled object-type in binding");
                }
            } else if constexpr (std::is_same_v<T, UnhandledValue>) {
                throw ESQLiteException("Unhandled binding");
            } else {
                static_assert(kAlwaysFalse<T>, "every kind of value needs a binding rule");
            }
        },
        value);
}
