#include "BookCover.h"

#include "BookFile.h"
#include "EEpubError.h"
#include "EpubPackage.h"
#include "KoboImages.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace {

// At most one byte more than a cover may have, so that a larger file is told without reading it all.
std::string ReadBounded(const std::filesystem::path& file) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    std::string bytes(error ? 0 : static_cast<std::size_t>(std::min<std::uintmax_t>(size, kLargestCoverBytes + 1)),
                      '\0');
    std::ifstream in(file, std::ios::binary);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

// Kept where it makes a cover, else named in refused.
bool Take(std::string bytes, std::string origin, CoverSearch& search) {
    if (std::optional<std::string> refusal = CoverRefusal(bytes, origin)) {
        search.refused.push_back(std::move(*refusal));
        return false;
    }
    const PictureFacts facts = *ReadPictureFacts(bytes);
    search.cover = BookCover{std::move(bytes), facts, std::move(origin)};
    return true;
}

void FromEpub(const std::filesystem::path& book, EpubBounds bounds, CoverSearch& search) {
    try {
        const EpubArchive archive(book, bounds);
        const EpubPackage package = ReadEpubPackage(archive);
        if (package.cover)
            Take(archive.Read(*package.cover), book.string() + ": " + *package.cover, search);
    } catch (const EEpubError& error) {
        search.refused.emplace_back(error.what());
    }
}

} // namespace

CoverSearch FindBookCover(const CoverPlace& place, EpubBounds bounds) {
    CoverSearch search;
    if (place.volumeRoot.empty())
        return search;
    if (std::optional<std::filesystem::path> picture = FindKoboImagesCover(place.volumeRoot, place.imageId))
        if (Take(ReadBounded(*picture), picture->string(), search))
            return search;
    if (std::optional<std::filesystem::path> book = BookFileOnVolume(place.volumeRoot, place.volumeId))
        FromEpub(*book, bounds, search);
    return search;
}
