#pragma once

#include <filesystem>

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
