#pragma once

#include "ReaderSchema.h"
#include "TSQLiteDatabase.h"

#include <filesystem>
#include <memory>

enum class ReaderAccess {
    Read,  // loading, export, repair
    Write, // the SQL console, the one writer
};

// What a path names, so that a front end can say why it is no database to open. Found out without opening it: a
// FIFO would block the opener.
enum class DatabasePathKind {
    File,
    NotFound, // missing, or its folder cannot be looked into
    Folder,
    Fifo,
    Device,
    Socket,
};
DatabasePathKind KindOfDatabasePath(const std::filesystem::path& path);

// Whether path names an existing regular file: a folder or a missing file is no database to open.
bool IsReaderDatabaseFile(const std::filesystem::path& path);

// One open reader database and what its tables hold.
class ReaderConnection {
public:
    explicit ReaderConnection(const std::filesystem::path& path);

    TSQLiteDatabase& Database() { return m_database; }
    const ReaderSchema& Schema() const { return m_schema; }

private:
    TSQLiteDatabase m_database;
    ReaderSchema m_schema;
};

// The one place that decides how a reader database is opened. Null when path names no existing file: opening it
// would create an empty database there. Errors of the access layer go on to the caller.
std::unique_ptr<ReaderConnection> OpenReaderDatabase(const std::filesystem::path& path, ReaderAccess access);
