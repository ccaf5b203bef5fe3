#pragma once

#include "EpubArchive.h"

#include <optional>
#include <string>
#include <vector>

// What the book's package document (the OPF its container names) says: its reading order and its cover.
struct EpubPackage {
    std::string packageEntry;         // e.g. "OEBPS/content.opf"
    std::vector<std::string> spine;   // the entries of the text, in reading order
    std::optional<std::string> cover; // the cover picture's entry, where the package names one
};

// Reads META-INF/container.xml and the package it names. The cover is the manifest item with properties
// "cover-image", else the one <meta name="cover"> names (by id, or by path as some tools write it), else the image
// of the guide's cover reference. Throws EEpubError where the container or the package is missing or no XML, or
// where the cover's link leaves the book.
EpubPackage ReadEpubPackage(const EpubArchive& book);
