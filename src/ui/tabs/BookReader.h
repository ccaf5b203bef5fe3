#pragma once

#include "AnnotatedVolume.h"
#include "ReadingOptions.h"

#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class LoadedLibrary;

// Reads the book chosen in the library tab: a small one at once, a large one on a thread of its own while the window
// goes on, so that choosing a book of many thousand bookmarks never keeps input waiting. Only the last book asked for
// is shown; one asked for before it is dropped when it arrives.
class BookReader : public QObject {
public:
    // Books of up to this many bookmarks are read at once: they take a few milliseconds.
    static constexpr std::size_t kReadAtOnce = 1500;
    using Show = std::function<void(std::optional<AnnotatedVolume>)>;

    explicit BookReader(QObject* parent = nullptr);
    ~BookReader() override;

    // Reads the volume, whose bookmarks the overview counted, and hands it to show on the window's thread: at once for
    // a small book, later for a large one. An error of the reading reaches the error display.
    void Read(const std::string& volumeId, const ReadingOptions& options, std::size_t bookmarks, Show show);
    // Drops the reading under way and waits for its thread.
    void Stop();
    // The library books are read from from now on; a reading under way keeps its own.
    void SetLibrary(std::shared_ptr<const LoadedLibrary> library) { m_library = std::move(library); }

private:
    std::shared_ptr<const LoadedLibrary> m_library;
    QThreadPool m_thread;
    std::atomic<std::uint64_t> m_wanted = 0; // the last reading asked for
};
