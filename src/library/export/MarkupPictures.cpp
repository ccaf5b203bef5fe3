#include "MarkupPictures.h"

#include "ReaderConnection.h"
#include "SafeFileName.h"
#include "TemporaryFile.h"
#include "WriteNumberedFile.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

namespace {

// The drawing's two files, named after its bookmark beside the image the reading found: the ink layer (.svg) and the
// page it was drawn on (.jpg). Only regular files count, as for the database itself.
std::optional<std::pair<std::filesystem::path, std::filesystem::path>> InkAndPage(std::string_view found) {
    if (found.empty())
        return std::nullopt;
    std::filesystem::path ink(found), page(found);
    ink.replace_extension(".svg");
    page.replace_extension(".jpg");
    if (!IsReaderDatabaseFile(ink) || !IsReaderDatabaseFile(page))
        return std::nullopt;
    return std::pair{ink, page};
}

bool HoldsExactly(const std::filesystem::path& file, const std::string& bytes) {
    std::error_code error;
    if (std::filesystem::symlink_status(file, error).type() != std::filesystem::file_type::regular ||
        std::filesystem::file_size(file, error) != bytes.size() || error)
        return false;
    std::ifstream in(file, std::ios::binary);
    const std::string held((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return !in.bad() && held == bytes;
}

// A picture in the folder under the drawing's name: the numbered one that already holds these bytes (the same drawing
// exported before, from any format), else the first free number. Numbered as the exported files are, so that a
// drawing changed on the reader never replaces its earlier picture, nor a file of the user's.
std::filesystem::path PlacePicture(const std::filesystem::path& folder, std::string_view bookmarkId,
                                   const std::string& png) {
    const std::filesystem::path target = folder / SafeFileName(bookmarkId, ".png");
    const std::string stem = target.stem().string();
    for (int number = 0; number <= 9999; ++number) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "_%04d.png", number);
        const std::filesystem::path candidate = folder / (stem + suffix);
        std::error_code error;
        if (!std::filesystem::exists(std::filesystem::symlink_status(candidate, error)))
            break;
        if (HoldsExactly(candidate, png))
            return candidate;
    }
    return WriteNumberedFile(target, ".png", png);
}

// Whether the folder is there to hold pictures. A file or a symbolic link of its name is the user's: nothing is
// written into or over it, and the book's drawings are named missing rather than the book failing.
bool MakeFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directory(folder, error);
    return std::filesystem::symlink_status(folder, error).type() == std::filesystem::file_type::directory;
}

} // namespace

std::filesystem::path MarkupPictureFolder(const std::filesystem::path& target) {
    return target.parent_path() / (target.stem().string() + ".markups");
}

void PlaceMarkupPictures(AnnotatedVolume& volume, const MarkupRenderer& renderer, const std::filesystem::path& target) {
    const std::filesystem::path folder = MarkupPictureFolder(target);
    bool folderMade = false;
    bool folderRefused = false;
    for (AnnotatedBookmark& bookmark : volume.bookmarks) {
        if (bookmark.type != "markup")
            continue;
        bookmark.markupImageKind = MarkupImageKind::Missing;
        const auto files = InkAndPage(bookmark.markupImage);
        bookmark.markupImage = {};
        if (!files)
            continue;
        const std::optional<std::string> png = renderer.RenderPng(files->first, files->second);
        if (!png)
            continue;
        if (!folderMade) {
            folderRefused = folderRefused || !MakeFolder(folder);
            if (folderRefused)
                continue; // named missing
            folderMade = true;
        }
        const std::filesystem::path picture = PlacePicture(folder, bookmark.bookmarkId, *png);
        if (picture.empty())
            continue; // every numbered name is taken
        bookmark.markupImage = volume.Keep((folder.filename() / picture.filename()).generic_string());
        bookmark.markupImageKind = MarkupImageKind::Rendered;
    }
}
