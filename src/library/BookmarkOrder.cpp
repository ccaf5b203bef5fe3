#include "BookmarkOrder.h"

#include "SortEntries.h"

#include <algorithm>
#include <string_view>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Calls visit(runNumber, run) for every longest stretch of ASCII digits of text from start on.
template <class Visit> void ForEachDigitRun(std::string_view text, std::size_t start, Visit visit) {
    std::size_t number = 0;
    std::size_t at = start;
    while (at < text.size()) {
        if (!IsDigit(text[at])) {
            ++at;
            continue;
        }
        const std::size_t begin = at;
        while (at < text.size() && IsDigit(text[at]))
            ++at;
        visit(number++, text.substr(begin, at - begin));
    }
}

// Both markers become a single "#", so the replacement is the removal of the letters around their "#".
void ReplaceFirstByHash(std::string& text, std::string_view marker) {
    const std::size_t at = text.find(marker);
    if (at == std::string::npos)
        return;
    const std::size_t hash = marker.find('#');
    text.erase(at + hash + 1, marker.size() - hash - 1);
    text.erase(at, hash);
}

// A part's place is its index in the book; anything but a plain non-negative integer gives it none.
bool IsPlace(const std::string& partIndex) {
    return !partIndex.empty() && std::all_of(partIndex.begin(), partIndex.end(), IsDigit);
}

struct VolumeWidths {
    RunWidths runs;
    std::size_t offset = 0;
    std::size_t place = 0;
    bool anyPlace = false;
};

VolumeWidths ScanVolume(const std::vector<BookmarkLocation>& bookmarks) {
    VolumeWidths widths;
    for (const BookmarkLocation& bookmark : bookmarks)
        ScanRunWidths(bookmark.startContainerPath, widths.runs);
    for (const BookmarkLocation& bookmark : bookmarks) {
        widths.offset = std::max(widths.offset, bookmark.startOffset.size());
        if (IsPlace(bookmark.partIndex)) {
            widths.anyPlace = true;
            widths.place = std::max(widths.place, bookmark.partIndex.size());
        }
    }
    return widths;
}

void AppendPadded(std::string& text, std::string_view digits, std::size_t length) {
    if (digits.size() < length)
        text.append(length - digits.size(), '0');
    text += digits;
}

// Appends the position text of path to key; false when path holds no digit run. headLength becomes the length
// of key up to the first run. scratch only saves an allocation per call.
bool AppendPosition(std::string& key, std::size_t& headLength, const std::string& path, const RunWidths& widths,
                    std::string& scratch) {
    scratch = path;
    ReplaceFirstByHash(scratch, "#point");
    ReplaceFirstByHash(scratch, "span#kobo");
    const std::size_t hash = scratch.find('#');
    const std::size_t start = hash == std::string::npos ? 0 : hash + 1;
    key.append(scratch, 0, start);
    headLength = key.size();
    bool readable = false;
    ForEachDigitRun(scratch, start, [&](std::size_t number, std::string_view run) {
        readable = true;
        AppendPadded(key, run, number < widths.size() ? widths[number] : 0);
    });
    return readable;
}

// The entry key=BookmarkID; its head is the part of the key before the numbers of the position.
SortEntry OrderEntry(const BookmarkLocation& bookmark, const VolumeWidths& widths, std::string& scratch) {
    SortEntry entry;
    std::string& key = entry.text;
    key.reserve(1 + widths.place + bookmark.contentId.size() + bookmark.startContainerPath.size() + 8 + widths.offset +
                bookmark.bookmarkId.size());
    // Part ContentIDs do not sort in book order ("#(10)" comes before "#(2)"), so where the volume knows the
    // places of its parts, the place leads the key. Without any, the key is the plain position.
    if (widths.anyPlace) {
        const bool placed = IsPlace(bookmark.partIndex);
        key += placed ? '0' : '1';
        if (placed)
            AppendPadded(key, bookmark.partIndex, widths.place);
    }
    const std::size_t afterPlace = key.size();
    key += bookmark.contentId;
    if (AppendPosition(key, entry.headLength, bookmark.startContainerPath, widths.runs, scratch)) {
        AppendPadded(key, bookmark.startOffset, widths.offset);
    } else {
        key.resize(afterPlace);
        key += "Error_";
        key += bookmark.startContainerPath;
        entry.headLength = key.size();
    }
    key += '=';
    key += bookmark.bookmarkId;
    return entry;
}

} // namespace

std::string PadWithZeros(const std::string& text, std::size_t length) {
    std::string padded;
    AppendPadded(padded, text, length);
    return padded;
}

void ScanRunWidths(const std::string& path, RunWidths& widths) {
    // The scan starts five characters after the first "#", so the "#kobo" of "span#kobo" is passed over; a path
    // without "#" is scanned from its fifth character.
    const std::size_t hash = path.find('#');
    const std::size_t start = hash == std::string::npos ? 4 : hash + 5;
    ForEachDigitRun(path, start, [&widths](std::size_t number, std::string_view run) {
        if (widths.size() <= number)
            widths.resize(number + 1, 0);
        widths[number] = std::max(widths[number], run.size());
    });
}

PositionKey MakePositionKey(const std::string& path, const RunWidths& widths) {
    PositionKey key;
    std::string scratch;
    std::size_t headLength = 0;
    key.readable = AppendPosition(key.text, headLength, path, widths, scratch);
    return key;
}

std::vector<std::size_t> ReadingOrder(const std::vector<BookmarkLocation>& bookmarks, const TextOrder& order,
                                      ProgressReporter& progress) {
    // Every width must be known before the first key is made.
    const VolumeWidths widths = ScanVolume(bookmarks);
    std::vector<SortEntry> entries;
    entries.reserve(bookmarks.size());
    std::string scratch;
    for (const BookmarkLocation& bookmark : bookmarks) {
        entries.push_back(OrderEntry(bookmark, widths, scratch));
        progress.StepProgress();
    }
    return SortEntries(entries, order);
}

std::vector<std::string> OrderBookmarks(const std::vector<BookmarkLocation>& bookmarks, const TextOrder& order,
                                        ProgressReporter& progress) {
    std::vector<std::string> ids;
    ids.reserve(bookmarks.size());
    for (const std::size_t position : ReadingOrder(bookmarks, order, progress))
        ids.push_back(bookmarks[position].bookmarkId);
    return ids;
}
