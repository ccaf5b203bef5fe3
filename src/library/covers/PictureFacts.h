#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class PictureKind : std::uint8_t { Jpeg, Png, Gif, WebP };

// What a picture's first bytes say: its kind and its size in pixels, read from its header only.
struct PictureFacts {
    PictureKind kind = PictureKind::Jpeg;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// The facts of a JPEG, PNG, GIF or WebP picture; nothing for any other bytes (its magic bytes are none of those, or
// its header is cut short).
std::optional<PictureFacts> ReadPictureFacts(std::string_view bytes);

// A file name's extension for the kind, with its dot (".jpg").
std::string_view PictureExtension(PictureKind kind);

// A cover larger than these is refused unread: no book's cover is, and decoding one could take gigabytes.
inline constexpr std::size_t kLargestCoverBytes = std::size_t{20} << 20;
inline constexpr std::uint32_t kLargestCoverSide = 10000;

// Why the bytes are refused as a cover (no picture of those kinds, too large a file, too many pixels), in words that
// name origin; nothing where they make a cover.
std::optional<std::string> CoverRefusal(std::string_view bytes, std::string_view origin);
