#pragma once

#include <zip.h>

#include <cstdint>
#include <filesystem>
#include <list>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace fixture {

// A real EPUB written with libzip: the mimetype, a container naming OEBPS/content.opf, and what the test adds.
class EpubMaker {
public:
    EpubMaker() {
        Add("mimetype", "application/epub+zip");
        Add("META-INF/container.xml",
            R"(<?xml version="1.0"?><container version="1.0" xmlns="urn:oasis:names:tc:opendocument:xmlns:container">)"
            R"(<rootfiles><rootfile full-path="OEBPS/content.opf" media-type="application/oebps-package+xml"/>)"
            R"(</rootfiles></container>)");
    }

    EpubMaker& Add(std::string name, std::string bytes) {
        m_entries.emplace_back(std::move(name), std::move(bytes));
        return *this;
    }

    // A package with the manifest items and spine given as markup, and metadata/guide lines where asked.
    EpubMaker& Package(const std::string& manifest, const std::string& spine, const std::string& metadata = {},
                       const std::string& guide = {}) {
        return Add(
            "OEBPS/content.opf",
            R"(<?xml version="1.0" encoding="UTF-8"?><package xmlns="http://www.idpf.org/2007/opf" version="3.0">)"
            "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>A Book</dc:title>" +
                metadata + "</metadata><manifest>" + manifest + "</manifest><spine>" + spine + "</spine>" +
                (guide.empty() ? "" : "<guide>" + guide + "</guide>") + "</package>");
    }

    void Write(const std::filesystem::path& file) const {
        int error = 0;
        zip_t* archive = zip_open(file.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        if (!archive)
            throw std::runtime_error("cannot write " + file.string());
        for (const auto& [name, bytes] : m_entries) {
            zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
            if (!source || zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0) {
                zip_source_free(source);
                zip_discard(archive);
                throw std::runtime_error("cannot add " + name);
            }
        }
        if (zip_close(archive) != 0) {
            zip_discard(archive);
            throw std::runtime_error("cannot close " + file.string());
        }
    }

private:
    std::list<std::pair<std::string, std::string>> m_entries; // stable addresses: libzip reads them at the close
};

// The first bytes of a PNG of that size: enough for its header, which is all a cover's check reads.
inline std::string PngHeader(std::uint32_t width, std::uint32_t height) {
    std::string bytes = "\x89PNG\r\n\x1A\n";
    bytes += std::string("\0\0\0\x0DIHDR", 8);
    for (const std::uint32_t side : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes += static_cast<char>((side >> shift) & 0xFF);
    bytes += std::string("\x08\x06\0\0\0", 5);
    bytes += std::string(4, '\0'); // the CRC, unchecked by the header's reading
    return bytes;
}

} // namespace fixture
