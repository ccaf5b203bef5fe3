#pragma once

#include <filesystem>
#include <optional>
#include <string>

// Makes the picture of a stylus drawing: the page as the reader showed it, with the ink over it. The core knows no
// image format; a front end hands in one that does (src/images), and without one a drawing is named by the image
// found beside the database.
class MarkupRenderer {
public:
    virtual ~MarkupRenderer() = default;

    // The picture as PNG bytes; nothing when either file cannot be read as its image (missing, cut short, damaged).
    virtual std::optional<std::string> RenderPng(const std::filesystem::path& ink,
                                                 const std::filesystem::path& page) const = 0;
};
