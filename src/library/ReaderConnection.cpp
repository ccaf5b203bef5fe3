#include "ReaderConnection.h"

#include <system_error>

bool IsReaderDatabaseFile(const std::filesystem::path& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

ReaderConnection::ReaderConnection(const std::filesystem::path& path)
    : m_database(path.string()), m_schema(ReaderSchema::Probe(m_database)) {}

std::unique_ptr<ReaderConnection> OpenReaderDatabase(const std::filesystem::path& path, ReaderAccess) {
    if (!IsReaderDatabaseFile(path))
        return nullptr;
    return std::make_unique<ReaderConnection>(path);
}
