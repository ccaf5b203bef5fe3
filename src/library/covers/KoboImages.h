#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The two folders under .kobo-images where the reader keeps the pictures it made of a book's cover: both numbers
// from one hash of the content's ImageId (each character's byte shifted in four bits at a time, the top nibble folded
// back in, 28 bits kept), the low byte first, then the next ("50/74").
std::string KoboImageFolders(std::string_view imageId);

// The largest picture the reader made of the book's cover (full screen, then the library's sizes), under
// .kobo-images on its volume or, on older firmware, .kobo/images. Nothing where none is there, or where the ImageId
// could name a path (a "/", a "\" or "..").
std::optional<std::filesystem::path> FindKoboImagesCover(const std::filesystem::path& volumeRoot,
                                                         std::string_view imageId);
