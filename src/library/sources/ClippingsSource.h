#pragma once

#include "AnnotationSource.h"
#include "ClippingsBook.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

// The clippings file of a Kindle's root folder, or the file itself.
std::filesystem::path ClippingsFileOf(const std::filesystem::path& path);

// What a reading of a clippings file could not use: entries cut short, holding NUL bytes or far too long, each named
// by its first line, and entries in a language whose dates cannot be read.
struct ClippingsProblems {
    std::vector<std::size_t> badEntryLines;
    std::size_t unknownLanguage = 0;
    std::size_t firstUnknownLine = 0;
};

// Reads the file entry by entry, never holding more than one, and hands each good one to take with its book's title
// line. Raises std::runtime_error when the file cannot be opened.
ClippingsProblems ReadClippingsFile(const std::filesystem::path& file,
                                    const std::function<void(const std::string& book, Clipping&& clipping)>& take);

// The highlights of a Kindle's "My Clippings.txt", one volume a book ("Title (Author)" as the file names it). The
// file is read once for the index, keeping only the books, and once more for each volume read, keeping only that
// book's clippings: a file of any size takes the room of its largest book.
class ClippingsSource : public AnnotationSource {
public:
    // Raises std::runtime_error when the file cannot be read. Problems of single entries are told through progress.
    ClippingsSource(std::filesystem::path path, ProgressReporter& progress,
                    const TextOrder& order = TextOrder::ForUserLocale());

    const LibraryIndex& Index() const override { return m_index; }
    bool HasBookmarks(const std::string& volumeId) const override { return m_books.contains(volumeId); }
    std::optional<AnnotatedVolume> ReadVolume(const std::string& volumeId, const ReadingOptions& options,
                                              ProgressReporter& progress) const override;
    SourceFacts Facts() const override { return {SourceKind::KindleClippings, m_file, {}}; }

    const ClippingsProblems& Problems() const { return m_problems; }

private:
    std::filesystem::path m_file;
    LibraryIndex m_index;
    std::map<std::string, std::string> m_books; // volume id -> the title line as the file writes it
    ClippingsProblems m_problems;
};

// What the problems come to, in one line for the user; empty when there are none.
std::string DescribeClippingsProblems(const std::filesystem::path& file, const ClippingsProblems& problems);
