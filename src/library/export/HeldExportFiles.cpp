#include "HeldExportFiles.h"

#include "EFileError.h"
#include "ETemplateError.h"
#include "TemporaryFile.h"

#include <sys/resource.h>

#include <cerrno>

namespace {

// Books read ahead of the one whose file is being made: enough that the threads seldom wait for each other, few enough
// to hold.
constexpr std::size_t kBooksAhead = 64;
constexpr std::size_t kBookmarksAhead = 20000;
// A volume this large is written before the next is read: two of them at once would double the peak of memory.
constexpr std::size_t kLargeVolume = 100000;

// Writes a file without a name; keeps the first failure to report it once the file's name is known.
class UnnamedFileSink : public ByteSink {
public:
    explicit UnnamedFileSink(TemporaryFile& file) : m_file(file) {}
    void Take(std::string_view bytes) override {
        if (m_error == 0)
            m_error = m_file.Write(bytes);
    }
    int Error() const { return m_error; }

private:
    TemporaryFile& m_file;
    int m_error = 0;
};

} // namespace

std::size_t HalfTheOpenFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return 0;
    return limit.rlim_cur == RLIM_INFINITY ? std::size_t{1} << 20 : static_cast<std::size_t>(limit.rlim_cur / 2);
}

// Gathers one file in memory until the budget of all held files is spent, then moves it to the spool and goes on
// there.
class HeldExportFiles::Sink : public ByteSink {
public:
    Sink(HeldExportFiles& files, Held& held) : m_files(files), m_held(held) {}

    void Take(std::string_view bytes) override {
        const HeldFilesBudget& budget = m_files.m_budget;
        if (!m_held.spooled && m_held.bytes.size() + bytes.size() <= budget.ofOne &&
            m_files.m_inMemory + bytes.size() <= budget.ofAll) {
            m_held.bytes += bytes;
            m_files.m_inMemory += bytes.size();
            return;
        }
        if (!m_held.spooled) {
            if (!m_files.m_spool)
                m_files.m_spool.emplace(m_files.m_folder);
            m_held.offset = m_files.m_spool->Append(m_held.bytes);
            m_held.length = m_held.bytes.size();
            m_held.spooled = true;
            m_files.m_inMemory -= m_held.bytes.size();
            std::string().swap(m_held.bytes);
        }
        m_files.m_spool->Append(bytes);
        m_held.length += bytes.size();
    }

private:
    HeldExportFiles& m_files;
    Held& m_held;
};

HeldExportFiles::HeldExportFiles(std::filesystem::path folder, HeldFilesBudget budget)
    : m_folder(std::move(folder)), m_budget(budget) {
    if (m_budget.beside && std::thread::hardware_concurrency() > 1)
        m_worker = std::thread([this] { Work(); });
}

HeldExportFiles::~HeldExportFiles() {
    if (!m_worker.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_jobs.clear();
        m_bookmarksAhead = 0;
    }
    m_changed.notify_all();
    m_worker.join();
}

std::size_t HeldExportFiles::Hold(const AnnotationWriter& writer, AnnotatedVolume&& volume, bool replacing) {
    std::unique_lock lock(m_mutex);
    if (m_error)
        std::rethrow_exception(m_error);
    Held& held = m_files.emplace_back();
    held.replacing = replacing;
    if (!m_worker.joinable() || volume.bookmarks.size() >= kLargeVolume) {
        Idle(lock);
        lock.unlock();
        Make(held, writer, volume);
        return m_files.size() - 1;
    }
    const std::size_t bookmarks = volume.bookmarks.size();
    m_changed.wait(lock, [&] {
        return (m_jobs.size() < kBooksAhead && m_bookmarksAhead + bookmarks <= kBookmarksAhead) || m_jobs.empty() ||
               m_error;
    });
    if (m_error)
        std::rethrow_exception(m_error);
    m_bookmarksAhead += bookmarks;
    m_jobs.push_back({&held, &writer, std::move(volume)});
    m_changed.notify_all();
    return m_files.size() - 1;
}

void HeldExportFiles::Finish() {
    std::unique_lock lock(m_mutex);
    Idle(lock);
    if (m_error)
        std::rethrow_exception(m_error);
}

// Waits until the worker has made every file asked for.
void HeldExportFiles::Idle(std::unique_lock<std::mutex>& lock) {
    m_changed.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

void HeldExportFiles::Work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
        if (m_stopping)
            return;
        {
            Job job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_bookmarksAhead -= job.volume.bookmarks.size();
            m_busy = true;
            lock.unlock();
            try {
                Make(*job.held, *job.writer, job.volume);
            } catch (...) {
                // Nothing more is made: the reading learns of it at its next book, or when it finishes.
                const std::lock_guard failed(m_mutex);
                m_error = std::current_exception();
                m_jobs.clear();
                m_bookmarksAhead = 0;
            }
        } // the volume goes before the next is taken
        lock.lock();
        m_busy = false;
        m_changed.notify_all();
    }
}

void HeldExportFiles::Make(Held& held, const AnnotationWriter& writer, const AnnotatedVolume& volume) {
    try {
        if (!held.replacing && m_unnamedFiles && m_openFiles < m_budget.openFiles && MakeUnnamed(held, writer, volume))
            return;
        try {
            Sink sink(*this, held);
            // A spooled file's bytes follow one another: nothing else is appended to the spool meanwhile.
            writer.Write(volume, sink);
        } catch (const EFileError& error) {
            held.failure = error.what(); // the results folder has no room to hold it
        }
    } catch (const ETemplateError& error) {
        // This book's note cannot be rendered (its template outgrew its budget): the other books are written.
        if (held.open) {
            held.open = false;
            --m_openFiles;
        }
        held.file.reset();
        held.failure = error.what();
    }
}

// False where the folder takes no file without a name, or no more: the bytes are then held.
bool HeldExportFiles::MakeUnnamed(Held& held, const AnnotationWriter& writer, const AnnotatedVolume& volume) {
    try {
        held.file = std::make_unique<TemporaryFile>(m_folder / "held");
    } catch (const EFileError& error) {
        if (error.Error() == EMFILE || error.Error() == ENFILE) {
            m_unnamedFiles = false;
            return false;
        }
        held.failedAt = "Cannot create file";
        held.error = error.Error();
        return true;
    }
    if (!held.file->Path().empty()) {
        // A named file, for a file system that makes no unnamed ones: it goes again.
        held.file.reset();
        m_unnamedFiles = false;
        return false;
    }
    ++m_openFiles;
    held.open = true;
    UnnamedFileSink sink(*held.file);
    writer.Write(volume, sink);
    if (sink.Error() != 0) {
        held.failedAt = "Cannot write file";
        held.error = sink.Error();
        held.file.reset();
    }
    return true;
}

const std::string& HeldExportFiles::Failure(std::size_t file) const {
    return m_files[file].failure;
}

FileFiller HeldExportFiles::Contents(const Held& held) const {
    return [this, &held](TemporaryFile& into, const std::filesystem::path& name) {
        if (held.spooled)
            m_spool->CopyTo(into, name, held.offset, held.length);
        else
            FileSink(into, name).Take(held.bytes);
    };
}

ExportResult HeldExportFiles::Write(std::size_t file, const std::string& extension, const std::filesystem::path& target,
                                    bool overrideExisting) {
    Held& held = m_files[file];
    if (!held.file && held.failedAt == nullptr)
        return WriteExportFile(Contents(held), extension, target, overrideExisting);
    // Made before its name was known: it takes the name, or its failure names it.
    return WriteExportFile(
        [&held](const std::filesystem::path& name) {
            if (held.failedAt != nullptr)
                RaiseFileError(held.failedAt, name, held.error);
            return std::move(held.file);
        },
        extension, target, overrideExisting);
}

void HeldExportFiles::Release(std::size_t file) {
    Held& held = m_files[file];
    m_inMemory -= held.bytes.size();
    std::string().swap(held.bytes);
    held.file.reset();
    if (held.open) {
        held.open = false;
        --m_openFiles;
    }
}

void HeldExportFiles::Clear() {
    std::unique_lock lock(m_mutex);
    m_jobs.clear();
    m_bookmarksAhead = 0;
    m_changed.wait(lock, [this] { return !m_busy; });
    m_files.clear();
    m_inMemory = 0;
    m_openFiles = 0;
    m_spool.reset();
    m_error = nullptr;
}
