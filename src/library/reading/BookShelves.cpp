#include "BookShelves.h"

#include "ESQLiteException.h"
#include "ReaderConnection.h"
#include "ReaderQuery.h"
#include "VolumeReader.h"

#include <set>

namespace {

bool HasTable(ReaderConnection& reader, const char* table) {
    return !reader.Schema().Columns(table).empty();
}

// The collections and the rating are extras of a book: a damaged table of them costs them, never the book's
// highlights.
template <class Read> auto UnlessDamaged(Read read) -> decltype(read()) {
    try {
        return read();
    } catch (const ESQLiteException&) {
        return {};
    }
}

// A book's row names its collection by name; a collection deleted on the reader may keep its books' rows.
std::set<std::string, std::less<>> LiveCollections(ReaderConnection& reader) {
    std::set<std::string, std::less<>> live;
    ReaderQuery shelves(reader, "Shelf", {"Name", Optional("_IsDeleted")});
    while (shelves.Step())
        if (!IsDeletedOnReader(shelves.Text(1)) && !shelves.Text(0).empty())
            live.emplace(shelves.Text(0));
    return live;
}

std::vector<std::string> Collections(ReaderConnection& reader, const std::string& volumeId) {
    if (!HasTable(reader, "Shelf") || !HasTable(reader, "ShelfContent"))
        return {};
    const std::set<std::string, std::less<>> live = LiveCollections(reader);
    std::set<std::string, std::less<>> held;
    ReaderQuery rows(reader, "ShelfContent", {"ShelfName", Optional("_IsDeleted")}, "WHERE ContentId=?", {volumeId});
    while (rows.Step())
        if (!IsDeletedOnReader(rows.Text(1)) && live.contains(rows.Text(0)))
            held.emplace(rows.Text(0));
    return {held.begin(), held.end()};
}

std::string Rating(ReaderConnection& reader, const std::string& volumeId) {
    if (!HasTable(reader, "ratings"))
        return {};
    ReaderQuery rows(reader, "ratings", {"Rating"}, "WHERE ContentID=?", {volumeId});
    if (!rows.Step())
        return {};
    const std::string_view stars = rows.Text(0);
    return stars.size() == 1 && stars[0] >= '1' && stars[0] <= '5' ? std::string(stars) : std::string();
}

} // namespace

std::vector<std::string> ReadCollections(ReaderConnection& reader, const std::string& volumeId) {
    return UnlessDamaged([&] { return Collections(reader, volumeId); });
}

std::map<std::string, std::vector<std::string>, std::less<>> ReadEveryCollection(ReaderConnection& reader) {
    return UnlessDamaged([&]() -> std::map<std::string, std::vector<std::string>, std::less<>> {
        if (!HasTable(reader, "Shelf") || !HasTable(reader, "ShelfContent"))
            return {};
        const std::set<std::string, std::less<>> live = LiveCollections(reader);
        std::map<std::string, std::set<std::string, std::less<>>, std::less<>> held;
        ReaderQuery rows(reader, "ShelfContent", {"ContentId", "ShelfName", Optional("_IsDeleted")});
        while (rows.Step())
            if (!IsDeletedOnReader(rows.Text(2)) && live.contains(rows.Text(1)))
                held[std::string(rows.Text(0))].emplace(rows.Text(1));
        std::map<std::string, std::vector<std::string>, std::less<>> collections;
        for (auto& [volumeId, names] : held)
            collections.emplace(volumeId, std::vector<std::string>(names.begin(), names.end()));
        return collections;
    });
}

std::string ReadRating(ReaderConnection& reader, const std::string& volumeId) {
    return UnlessDamaged([&] { return Rating(reader, volumeId); });
}
