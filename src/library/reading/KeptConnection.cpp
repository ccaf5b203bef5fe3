#include "KeptConnection.h"

#include "ReaderConnection.h"

KeptConnection::KeptConnection() = default;
KeptConnection::~KeptConnection() = default;

std::unique_ptr<ReaderConnection> KeptConnection::Take(const std::filesystem::path& path, const DatabaseFileState& now,
                                                       bool avoidIndexes) {
    std::unique_ptr<ReaderConnection> reader;
    {
        const std::lock_guard lock(m_mutex);
        reader = std::move(m_reader);
        if (reader && reader->Path() == path && reader->AvoidsIndexes() == avoidIndexes && m_state == now)
            return reader;
    }
    return nullptr; // a connection to files that changed is closed here, outside the lock
}

void KeptConnection::Keep(std::unique_ptr<ReaderConnection> reader, const DatabaseFileState& state) {
    std::unique_ptr<ReaderConnection> previous;
    const std::lock_guard lock(m_mutex);
    previous = std::move(m_reader);
    m_reader = std::move(reader);
    m_state = state;
}

void KeptConnection::Drop() {
    std::unique_ptr<ReaderConnection> previous;
    const std::lock_guard lock(m_mutex);
    previous = std::move(m_reader);
}
