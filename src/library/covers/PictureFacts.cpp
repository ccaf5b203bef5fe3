#include "PictureFacts.h"

namespace {

std::uint32_t Byte(std::string_view bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]);
}

std::uint32_t BigEndian16(std::string_view bytes, std::size_t at) {
    return Byte(bytes, at) << 8 | Byte(bytes, at + 1);
}

std::uint32_t BigEndian32(std::string_view bytes, std::size_t at) {
    return BigEndian16(bytes, at) << 16 | BigEndian16(bytes, at + 2);
}

std::uint32_t LittleEndian16(std::string_view bytes, std::size_t at) {
    return Byte(bytes, at) | Byte(bytes, at + 1) << 8;
}

std::uint32_t LittleEndian24(std::string_view bytes, std::size_t at) {
    return LittleEndian16(bytes, at) | Byte(bytes, at + 2) << 16;
}

// The frame header (a start-of-frame marker other than DHT, JPG and DAC) holds the size; the segments before it are
// skipped by their lengths.
std::optional<PictureFacts> JpegFacts(std::string_view bytes) {
    std::size_t at = 2;
    while (at + 4 <= bytes.size()) {
        if (Byte(bytes, at) != 0xFF)
            return std::nullopt;
        const std::uint32_t marker = Byte(bytes, at + 1);
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        const std::uint32_t length = BigEndian16(bytes, at + 2);
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (at + 9 > bytes.size())
                return std::nullopt;
            return PictureFacts{PictureKind::Jpeg, BigEndian16(bytes, at + 7), BigEndian16(bytes, at + 5)};
        }
        if (length < 2)
            return std::nullopt;
        at += 2 + length;
    }
    return std::nullopt;
}

std::optional<PictureFacts> WebPFacts(std::string_view bytes) {
    if (bytes.size() < 30)
        return std::nullopt;
    const std::string_view chunk = bytes.substr(12, 4);
    if (chunk == "VP8 ")
        return PictureFacts{PictureKind::WebP, LittleEndian16(bytes, 26) & 0x3FFF, LittleEndian16(bytes, 28) & 0x3FFF};
    if (chunk == "VP8L") {
        const std::uint32_t bits =
            Byte(bytes, 21) | Byte(bytes, 22) << 8 | Byte(bytes, 23) << 16 | Byte(bytes, 24) << 24;
        return PictureFacts{PictureKind::WebP, (bits & 0x3FFF) + 1, ((bits >> 14) & 0x3FFF) + 1};
    }
    if (chunk == "VP8X")
        return PictureFacts{PictureKind::WebP, LittleEndian24(bytes, 24) + 1, LittleEndian24(bytes, 27) + 1};
    return std::nullopt;
}

} // namespace

std::optional<PictureFacts> ReadPictureFacts(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xD8\xFF"))
        return JpegFacts(bytes);
    if (bytes.starts_with("\x89PNG\r\n\x1A\n")) {
        if (bytes.size() < 24 || bytes.substr(12, 4) != "IHDR")
            return std::nullopt;
        return PictureFacts{PictureKind::Png, BigEndian32(bytes, 16), BigEndian32(bytes, 20)};
    }
    if (bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a")) {
        if (bytes.size() < 10)
            return std::nullopt;
        return PictureFacts{PictureKind::Gif, LittleEndian16(bytes, 6), LittleEndian16(bytes, 8)};
    }
    if (bytes.starts_with("RIFF") && bytes.size() >= 12 && bytes.substr(8, 4) == "WEBP")
        return WebPFacts(bytes);
    return std::nullopt;
}

std::string_view PictureExtension(PictureKind kind) {
    switch (kind) {
    case PictureKind::Jpeg:
        return ".jpg";
    case PictureKind::Png:
        return ".png";
    case PictureKind::Gif:
        return ".gif";
    case PictureKind::WebP:
        return ".webp";
    }
    return ".jpg";
}

std::optional<std::string> CoverRefusal(std::string_view bytes, std::string_view origin) {
    const std::string named = "the cover " + std::string(origin);
    if (bytes.size() > kLargestCoverBytes)
        return named + " is larger than " + std::to_string(kLargestCoverBytes >> 20) + " MB";
    const std::optional<PictureFacts> facts = ReadPictureFacts(bytes);
    if (!facts)
        return named + " is no JPEG, PNG, GIF or WebP picture";
    if (facts->width == 0 || facts->height == 0)
        return named + " has no size in its header";
    if (facts->width > kLargestCoverSide || facts->height > kLargestCoverSide)
        return named + " is " + std::to_string(facts->width) + "x" + std::to_string(facts->height) +
               " pixels, more than " + std::to_string(kLargestCoverSide) + " a side";
    return std::nullopt;
}
