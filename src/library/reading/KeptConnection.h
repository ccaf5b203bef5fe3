#pragma once

#include "DatabaseFileState.h"

#include <filesystem>
#include <memory>
#include <mutex>

class ReaderConnection;

// A reading connection kept between the actions on one loaded database, so that a database whose -wal must be
// settled is copied once per load rather than at every click. It is handed out only while the files look as they did
// when it was kept; once they changed it is dropped, and the next action reads the database afresh.
class KeptConnection {
public:
    KeptConnection();
    ~KeptConnection();
    KeptConnection(const KeptConnection&) = delete;
    KeptConnection& operator=(const KeptConnection&) = delete;

    // The kept connection when it reads path, with or without indexes as asked, and the files' state is still now;
    // null otherwise. The caller owns it until it gives it back with Keep.
    std::unique_ptr<ReaderConnection> Take(const std::filesystem::path& path, const DatabaseFileState& now,
                                           bool avoidIndexes);
    // Keeps a connection that read the files in the given state.
    void Keep(std::unique_ptr<ReaderConnection> reader, const DatabaseFileState& state);
    void Drop();

private:
    std::mutex m_mutex;
    std::unique_ptr<ReaderConnection> m_reader;
    DatabaseFileState m_state;
};
