#include "ReaderConnection.h"

#include <system_error>

DatabasePathKind KindOfDatabasePath(const std::filesystem::path& path) {
    using std::filesystem::file_type;
    if (path.empty())
        return DatabasePathKind::NotFound;
    std::error_code error;
    switch (std::filesystem::status(path, error).type()) {
    case file_type::regular:
        return DatabasePathKind::File;
    case file_type::directory:
        return DatabasePathKind::Folder;
    case file_type::fifo:
        return DatabasePathKind::Fifo;
    case file_type::block:
    case file_type::character:
        return DatabasePathKind::Device;
    case file_type::socket:
        return DatabasePathKind::Socket;
    default:
        return DatabasePathKind::NotFound;
    }
}

bool IsReaderDatabaseFile(const std::filesystem::path& path) {
    return KindOfDatabasePath(path) == DatabasePathKind::File;
}

ReaderConnection::ReaderConnection(const std::filesystem::path& path)
    : m_database(path.string()), m_schema(ReaderSchema::Probe(m_database)) {}

std::unique_ptr<ReaderConnection> OpenReaderDatabase(const std::filesystem::path& path, ReaderAccess) {
    if (!IsReaderDatabaseFile(path))
        return nullptr;
    return std::make_unique<ReaderConnection>(path);
}
