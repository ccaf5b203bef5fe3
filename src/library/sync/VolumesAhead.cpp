#include "VolumesAhead.h"

#include <exception>

namespace {

// Keeps what a book's reading warns of for the thread that uses the book; its progress is not that thread's to show.
class WarningsKept : public SilentProgress {
public:
    explicit WarningsKept(std::vector<std::string>& warnings) : m_warnings(warnings) {}
    void Warn(const std::string& text) override { m_warnings.push_back(text); }

private:
    std::vector<std::string>& m_warnings;
};

} // namespace

VolumesAhead::VolumesAhead(const AnnotationSource& library, const std::vector<std::string>& volumeIds,
                           const ReadingOptions& options, const ProgressReporter& stop)
    : m_library(library), m_volumeIds(volumeIds), m_options(options), m_stop(stop), m_reading([this] { ReadAll(); }) {}

VolumesAhead::~VolumesAhead() {
    {
        const std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_changed.notify_all();
    m_reading.join();
}

void VolumesAhead::ReadAll() {
    for (const std::string& volumeId : m_volumeIds) {
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_closing || m_ready.size() < kAhead; });
            if (m_closing)
                break;
        }
        if (m_stop.StopRequested())
            break;
        Book book;
        try {
            WarningsKept warnings(book.warnings);
            book.volume = m_library.ReadVolume(volumeId, m_options, warnings);
        } catch (const std::exception& error) {
            book.error = error.what();
        } catch (...) {
            book.error = "Unknown error";
        }
        {
            const std::lock_guard lock(m_mutex);
            m_ready.push_back(std::move(book));
        }
        m_changed.notify_all();
    }
    {
        const std::lock_guard lock(m_mutex);
        m_done = true;
    }
    m_changed.notify_all();
}

std::optional<VolumesAhead::Book> VolumesAhead::Next() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_ready.empty() || m_done; });
    if (m_ready.empty())
        return std::nullopt;
    Book book = std::move(m_ready.front());
    m_ready.pop_front();
    lock.unlock();
    m_changed.notify_all();
    return book;
}
