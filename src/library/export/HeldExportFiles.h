#pragma once

#include "AnnotationWriter.h"
#include "ExportFile.h"
#include "FileFiller.h"
#include "SpoolFile.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class TemporaryFile;

// Half of the files the process may have open: what an export may hold open without a name.
std::size_t HalfTheOpenFileLimit();

struct HeldFilesBudget {
    std::size_t ofAll = std::size_t{32} << 20;      // bytes held in memory at most
    std::size_t ofOne = std::size_t{4} << 20;       // a larger file goes to the spool
    std::size_t openFiles = HalfTheOpenFileLimit(); // files held open without a name at most
    bool beside = true; // files are made on a thread of their own, beside the reading of the next book
};

// The files of an export of many books, made while the database is read and held until every book is read, so that a
// reading that starts again writes nothing twice. Each is made beside the reading of the next book, on a thread of its
// own, into a new file without a name in the results folder (TemporaryFile) that takes its name only once every book
// is read. A file that is to replace another, where the file system makes no such files, and beyond
// budget.openFiles, its bytes are held instead: in memory while they are small and few, beyond that in a spool file
// without a name. A book of a million highlights makes a file of hundreds of megabytes.
//
// A file that replaces another is made only when it takes its name, just after the file before it replaced its own:
// a file system without a journal gives a new file an inode freed within the same second, but passes over those freed
// in the last minutes. Thousands of files made before the files they replace are gone would make the next export's
// every file search past thousands of such inodes.
class HeldExportFiles {
public:
    explicit HeldExportFiles(std::filesystem::path folder, HeldFilesBudget budget = {});
    ~HeldExportFiles();
    HeldExportFiles(const HeldExportFiles&) = delete;
    HeldExportFiles& operator=(const HeldExportFiles&) = delete;

    // Makes the volume's file with writer, which must live until Finish, and holds it; returns its number. replacing:
    // the file is to replace one of its name. Raises what making an earlier file raised, other than the file's own
    // failures (Failure, Write).
    std::size_t Hold(const AnnotationWriter& writer, AnnotatedVolume&& volume, bool replacing);
    // Waits until every file is made; raises as Hold. What follows needs it done.
    void Finish();
    // Why the file could not be held (the spool had no room), else empty.
    const std::string& Failure(std::size_t file) const;
    // Gives the held file target's name, or its first free numbered variant, as WriteExportFile does with the same
    // results and messages, also for a file whose making failed.
    ExportResult Write(std::size_t file, const std::string& extension, const std::filesystem::path& target,
                       bool overrideExisting);
    // Lets a written file's memory and descriptor go.
    void Release(std::size_t file);
    // Forgets every held file: the reading starts again.
    void Clear();

private:
    class Sink;
    struct Held {
        std::string bytes;
        bool spooled = false;
        std::uint64_t offset = 0; // of its bytes in the spool
        std::uint64_t length = 0;
        std::unique_ptr<TemporaryFile> file; // written, still without a name
        bool open = false;                   // that file counts among the open ones until it is released
        const char* failedAt = nullptr;      // making or writing that file failed: "Cannot create file", ...
        int error = 0;                       // and why
        std::string failure;                 // the spool's failure
        bool replacing = false;              // held as bytes, made when it takes its name
    };
    struct Job {
        Held* held;
        const AnnotationWriter* writer;
        AnnotatedVolume volume;
    };
    void Make(Held& held, const AnnotationWriter& writer, const AnnotatedVolume& volume);
    bool MakeUnnamed(Held& held, const AnnotationWriter& writer, const AnnotatedVolume& volume);
    void Work();
    void Idle(std::unique_lock<std::mutex>& lock);
    FileFiller Contents(const Held& held) const;

    std::filesystem::path m_folder;
    HeldFilesBudget m_budget;
    std::deque<Held> m_files; // a deque: a file being made keeps its place while others are added
    std::size_t m_inMemory = 0;
    std::size_t m_openFiles = 0;
    bool m_unnamedFiles = true; // until the folder turns out to take none
    std::optional<SpoolFile> m_spool;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_jobs;
    std::size_t m_bookmarksAhead = 0; // of the volumes in m_jobs
    bool m_busy = false;
    bool m_stopping = false;
    std::exception_ptr m_error;
    std::thread m_worker; // last: started once the rest is there
};
