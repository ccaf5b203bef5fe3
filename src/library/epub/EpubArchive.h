#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

struct zip;

// How much of a book's zip is read at most: a zip bomb (a small entry that unpacks to gigabytes) or a huge entry is
// refused rather than read.
struct EpubBounds {
    std::size_t largestEntry = std::size_t{20} << 20; // bytes of one unpacked entry
    std::size_t largestRatio = 200;                   // unpacked bytes per packed byte, for entries over a megabyte
};

// An EPUB's zip, opened for reading only; entries are read whole into memory, each within the bounds.
class EpubArchive {
public:
    // Throws EEpubError naming the file where it is missing or no zip.
    explicit EpubArchive(std::filesystem::path file, EpubBounds bounds = {});
    ~EpubArchive();
    EpubArchive(EpubArchive&&) noexcept;
    EpubArchive& operator=(EpubArchive&&) noexcept;

    const std::filesystem::path& File() const { return m_file; }
    bool Has(std::string_view entry) const;
    // The unpacked bytes of the entry. Throws EEpubError where it is missing, damaged, larger than the bounds allow or
    // packed more tightly than any real file is.
    std::string Read(std::string_view entry) const;

private:
    struct Closer {
        void operator()(zip* archive) const;
    };
    std::filesystem::path m_file;
    EpubBounds m_bounds;
    std::unique_ptr<zip, Closer> m_zip;
};
