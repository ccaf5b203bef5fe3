#pragma once

#include "AnnotationWriter.h"
#include "FileFiller.h"
#include "SpoolFile.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The files of an export of many books, made while the database is read and held until every book is read: in
// memory while they are small and few, beyond that in a spool file without a name in the results folder. A book of a
// million highlights makes a file of hundreds of megabytes.
struct HeldFilesBudget {
    std::size_t ofAll = std::size_t{32} << 20; // bytes held in memory at most
    std::size_t ofOne = std::size_t{4} << 20;  // a larger file goes to the spool
};

class HeldExportFiles {
public:
    explicit HeldExportFiles(std::filesystem::path folder, HeldFilesBudget budget = {})
        : m_folder(std::move(folder)), m_budget(budget) {}

    // Writes the volume's file with writer and holds it; returns its number. Raises EFileError when the spool cannot
    // take it.
    std::size_t Hold(const AnnotationWriter& writer, const AnnotatedVolume& volume);
    // The held file's bytes, to be written into a new file.
    FileFiller Contents(std::size_t file) const;
    // Lets a written file's memory go.
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
    };
    std::filesystem::path m_folder;
    HeldFilesBudget m_budget;
    std::vector<Held> m_files;
    std::size_t m_inMemory = 0;
    std::optional<SpoolFile> m_spool;
};
