#pragma once

#include "VolumeSource.h"

#include <filesystem>
#include <string>
#include <vector>

// A mounted volume that holds a reader's files, whatever its label, and which of them.
struct ReaderByFiles {
    std::filesystem::path root;
    std::string label;
    bool koboDatabase = false;    // .kobo/KoboReader.sqlite
    bool koreader = false;        // KOReader's folder: .adds/koreader (on a Kobo) or koreader (on a Kindle, PocketBook)
    bool kindleClippings = false; // documents/My Clippings.txt
};

// The volumes, in the source's order, that are readers by their files. A volume that holds none is left out.
std::vector<ReaderByFiles> FindReadersByFiles(const VolumeSource& volumes);

// The Kobo reader's root: the volume labelled as the reader (FindReaderVolume), else the first that holds a reader's
// database whatever its label; empty when none does.
std::filesystem::path FindKoboReader(const VolumeSource& volumes);

// The readers found by their files that hold other readers' highlights (KOReader's folder, a Kindle's clippings), a
// Kobo with KOReader among them.
std::vector<ReaderByFiles> FindOtherReaders(const VolumeSource& volumes);
