#pragma once

#include "AnnotatedVolume.h"
#include "AnnotationSource.h"
#include "ProgressReporter.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// Books read a few ahead of their use, on a thread of their own, so that reading the next books overlaps what is done
// with this one (a sync renders and merges each book's note). Books come in the order asked for, each with what its
// reading warned of or why it failed.
class VolumesAhead {
public:
    struct Book {
        std::optional<AnnotatedVolume> volume; // none when the database file is gone
        std::string error;                     // why it could not be read; empty when it was
        std::vector<std::string> warnings;
    };

    // stop: asked between books, from the reading thread; it must be safe to ask from there.
    VolumesAhead(const AnnotationSource& library, const std::vector<std::string>& volumeIds,
                 const ReadingOptions& options, const ProgressReporter& stop);
    // Stops the reading after the book it reads, and waits for it.
    ~VolumesAhead();
    VolumesAhead(const VolumesAhead&) = delete;
    VolumesAhead& operator=(const VolumesAhead&) = delete;

    // The next book, once read; none after the last, or once a stop was asked.
    std::optional<Book> Next();

private:
    void ReadAll();

    static constexpr std::size_t kAhead = 4;
    const AnnotationSource& m_library;
    const std::vector<std::string>& m_volumeIds;
    ReadingOptions m_options;
    const ProgressReporter& m_stop;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Book> m_ready;
    bool m_done = false;    // the reading ended: every book read, or stopped
    bool m_closing = false; // the user of the books is gone
    std::thread m_reading;
};
