#include "BookReader.h"

#include "LoadedLibrary.h"
#include "ProgressReporter.h"

#include <exception>

BookReader::BookReader(QObject* parent) : QObject(parent) {
    m_thread.setMaxThreadCount(1); // one book at a time; the one after it waits, or is dropped
}

BookReader::~BookReader() {
    Stop();
}

void BookReader::Read(const std::string& volumeId, const ReadingOptions& options, std::size_t bookmarks, Show show) {
    const std::uint64_t wanted = ++m_wanted;
    if (!m_library) {
        show(std::nullopt);
        return;
    }
    if (bookmarks <= kReadAtOnce) {
        SilentProgress silent;
        show(m_library->ReadVolume(volumeId, options, silent));
        return;
    }
    m_thread.start([this, library = m_library, volumeId, options, wanted, show = std::move(show)] {
        // A book asked for after this one makes its reading pointless.
        if (wanted != m_wanted)
            return;
        auto volume = std::make_shared<std::optional<AnnotatedVolume>>();
        std::exception_ptr failure;
        try {
            SilentProgress silent;
            *volume = library->ReadVolume(volumeId, options, silent);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(
            this,
            [this, volume, failure, wanted, show] {
                if (wanted != m_wanted)
                    return;
                if (failure)
                    std::rethrow_exception(failure);
                show(std::move(*volume));
            },
            Qt::QueuedConnection);
    });
}

void BookReader::Stop() {
    ++m_wanted;
    m_thread.waitForDone();
}
