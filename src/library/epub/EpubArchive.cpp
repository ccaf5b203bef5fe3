#include "EpubArchive.h"

#include "EEpubError.h"

#include <zip.h>

#include <algorithm>
#include <array>

namespace {

constexpr std::size_t kMegabyte = std::size_t{1} << 20;

std::string Megabytes(std::size_t bytes) {
    return std::to_string(bytes / kMegabyte) + " MB";
}

struct EntryCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

} // namespace

void EpubArchive::Closer::operator()(zip* archive) const {
    zip_discard(archive); // opened read-only: nothing to write back
}

EpubArchive::EpubArchive(std::filesystem::path file, EpubBounds bounds) : m_file(std::move(file)), m_bounds(bounds) {
    int error = 0;
    m_zip.reset(zip_open(m_file.c_str(), ZIP_RDONLY, &error));
    if (!m_zip) {
        zip_error_t reason;
        zip_error_init_with_code(&reason, error);
        const std::string text = zip_error_strerror(&reason);
        zip_error_fini(&reason);
        throw EEpubError("the book " + m_file.string() + " cannot be read as an EPUB: " + text);
    }
}

EpubArchive::~EpubArchive() = default;
EpubArchive::EpubArchive(EpubArchive&&) noexcept = default;
EpubArchive& EpubArchive::operator=(EpubArchive&&) noexcept = default;

bool EpubArchive::Has(std::string_view entry) const {
    return zip_name_locate(m_zip.get(), std::string(entry).c_str(), 0) >= 0;
}

std::string EpubArchive::Read(std::string_view entry) const {
    const std::string name(entry);
    const std::string where = name + " in the book " + m_file.string();
    const zip_int64_t index = zip_name_locate(m_zip.get(), name.c_str(), 0);
    if (index < 0)
        throw EEpubError("no entry " + where);
    zip_stat_t facts;
    zip_stat_init(&facts);
    if (zip_stat_index(m_zip.get(), static_cast<zip_uint64_t>(index), 0, &facts) != 0)
        throw EEpubError("the entry " + where + " is damaged");
    // The sizes the zip states are checked first; the reading below holds to the bound whatever they say.
    if ((facts.valid & ZIP_STAT_SIZE) && facts.size > m_bounds.largestEntry)
        throw EEpubError("the entry " + where + " unpacks to more than " + Megabytes(m_bounds.largestEntry) +
                         "; it is not read");
    if ((facts.valid & ZIP_STAT_SIZE) && (facts.valid & ZIP_STAT_COMP_SIZE) && facts.size > kMegabyte &&
        facts.size / std::max<zip_uint64_t>(facts.comp_size, 1) > m_bounds.largestRatio)
        throw EEpubError("the entry " + where + " unpacks to " + std::to_string(facts.size) + " bytes from " +
                         std::to_string(facts.comp_size) + ", as a zip bomb does; it is not read");
    std::unique_ptr<zip_file_t, EntryCloser> file(zip_fopen_index(m_zip.get(), static_cast<zip_uint64_t>(index), 0));
    if (!file)
        throw EEpubError("the entry " + where + " cannot be opened: " + zip_strerror(m_zip.get()));
    std::string bytes;
    std::array<char, 64 * 1024> chunk;
    for (;;) {
        const zip_int64_t read = zip_fread(file.get(), chunk.data(), chunk.size());
        if (read < 0)
            throw EEpubError("the entry " + where + " is damaged: " + zip_file_strerror(file.get()));
        if (read == 0)
            break;
        if (bytes.size() + static_cast<std::size_t>(read) > m_bounds.largestEntry)
            throw EEpubError("the entry " + where + " unpacks to more than " + Megabytes(m_bounds.largestEntry) +
                             "; it is not read");
        bytes.append(chunk.data(), static_cast<std::size_t>(read));
    }
    return bytes;
}
