#pragma once

#include <stdexcept>
#include <string>

// The one exception type of the database layer: its message, and the SQLite result codes of the call that failed, so
// that a caller tells damage or a read-only file from the exception itself.
class ESQLiteException : public std::runtime_error {
public:
    explicit ESQLiteException(const std::string& message, int code = 0, int extendedCode = 0)
        : std::runtime_error(message), m_code(code), m_extendedCode(extendedCode != 0 ? extendedCode : code) {}

    // The primary result code (SQLITE_CORRUPT, ...); 0 where the failure was not one of SQLite's.
    int Code() const { return m_code; }
    // The extended result code (SQLITE_CORRUPT_INDEX, ...), or the primary one where SQLite gave none.
    int ExtendedCode() const { return m_extendedCode; }
    // The file's content is damaged.
    bool IsCorrupt() const;
    // The file is no SQLite database at all.
    bool IsNotADatabase() const;
    // Writing was refused: the file, its folder or the connection is read-only.
    bool IsReadOnly() const;

private:
    int m_code;
    int m_extendedCode;
};
