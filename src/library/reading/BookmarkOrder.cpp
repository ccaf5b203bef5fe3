#include "BookmarkOrder.h"

#include "PaddedKeys.h"
#include "SortEntries.h"

#include <algorithm>
#include <numeric>
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
bool IsPlace(std::string_view partIndex) {
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

// Where a key's padding zeros go: written out, or noted as zero runs when zeros is set.
struct KeyText {
    std::string& text;
    std::vector<PaddedKeys::ZeroRun>* zeros = nullptr;
};

void AppendPadded(KeyText key, std::string_view digits, std::size_t length) {
    if (digits.size() < length) {
        if (key.zeros != nullptr)
            key.zeros->push_back({key.text.size(), length - digits.size()});
        else
            key.text.append(length - digits.size(), '0');
    }
    key.text += digits;
}

// Appends the position text of path to key; false when path holds no digit run. headLength becomes the length
// of key up to the first run. scratch only saves an allocation per call.
bool AppendPosition(KeyText key, std::size_t& headLength, std::string_view path, const RunWidths& widths,
                    std::string& scratch) {
    scratch = path;
    ReplaceFirstByHash(scratch, "#point");
    ReplaceFirstByHash(scratch, "span#kobo");
    const std::size_t hash = scratch.find('#');
    const std::size_t start = hash == std::string::npos ? 0 : hash + 1;
    key.text.append(scratch, 0, start);
    headLength = key.text.size();
    bool readable = false;
    ForEachDigitRun(scratch, start, [&](std::size_t number, std::string_view run) {
        readable = true;
        AppendPadded(key, run, number < widths.size() ? widths[number] : 0);
    });
    return readable;
}

// Writes the entry key=BookmarkID into key and returns its head length: the part of the key before the numbers of
// the position.
std::size_t OrderEntry(KeyText keyText, const BookmarkLocation& bookmark, const VolumeWidths& widths,
                       std::string& scratch) {
    std::string& key = keyText.text;
    const std::size_t padding = keyText.zeros != nullptr ? 0 : widths.place + widths.offset;
    key.reserve(1 + padding + bookmark.contentId.size() + bookmark.startContainerPath.size() + 8 +
                bookmark.bookmarkId.size());
    std::size_t headLength = 0;
    // Part ContentIDs do not sort in book order ("#(10)" comes before "#(2)"), so where the volume knows the
    // places of its parts, the place leads the key. Without any, the key is the plain position.
    if (widths.anyPlace) {
        const bool placed = IsPlace(bookmark.partIndex);
        key += placed ? '0' : '1';
        if (placed)
            AppendPadded(keyText, bookmark.partIndex, widths.place);
    }
    const std::size_t afterPlace = key.size();
    key += bookmark.contentId;
    if (AppendPosition(keyText, headLength, bookmark.startContainerPath, widths.runs, scratch)) {
        AppendPadded(keyText, bookmark.startOffset, widths.offset);
    } else {
        key.resize(afterPlace); // a path without runs has put in no zeros
        key += "Error_";
        key += bookmark.startContainerPath;
        headLength = key.size();
    }
    key += '=';
    key += bookmark.bookmarkId;
    return headLength;
}

// The most zeros that padding can put into one key.
std::size_t MostPadding(const VolumeWidths& widths) {
    return std::accumulate(widths.runs.begin(), widths.runs.end(), widths.offset + widths.place);
}

// Keys are written out with their zeros while that costs little: at most 255 zeros a key, as many as one byte-sized
// width of the stored positions allows, and a few megabytes for the volume. Beyond that a crafted path or offset could
// make every key of the volume as long as its longest run, so the keys are then held without their zeros.
bool WritesOutPadding(const VolumeWidths& widths, std::size_t keyCount) {
    constexpr std::size_t kMostWidth = 255;
    constexpr std::size_t kMostVolumePadding = std::size_t{8} << 20;
    const std::size_t most = MostPadding(widths);
    return most <= kMostWidth && most * keyCount <= kMostVolumePadding;
}

} // namespace

std::string PadWithZeros(std::string_view text, std::size_t length) {
    std::string padded;
    AppendPadded({padded}, text, length);
    return padded;
}

void ScanRunWidths(std::string_view path, RunWidths& widths) {
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

PositionKey MakePositionKey(std::string_view path, const RunWidths& widths) {
    PositionKey key;
    std::string scratch;
    std::size_t headLength = 0;
    key.readable = AppendPosition({key.text}, headLength, path, widths, scratch);
    return key;
}

namespace {

// With consumed (the same list as bookmarks), the list is let go before the sort.
std::vector<std::size_t> OrderOf(const std::vector<BookmarkLocation>& bookmarks,
                                 std::vector<BookmarkLocation>* consumed, const TextOrder& order,
                                 ProgressReporter& progress) {
    // Every width must be known before the first key is made.
    const VolumeWidths widths = ScanVolume(bookmarks);
    const std::size_t count = bookmarks.size();
    const auto made = [&] { progress.StepProgress(); };
    const auto letGo = [&] {
        if (consumed != nullptr)
            std::vector<BookmarkLocation>().swap(*consumed);
    };
    std::string scratch;
    if (WritesOutPadding(widths, count)) {
        // The keys one after another in one text, rather than one allocation each.
        std::string keys;
        std::string key;
        std::vector<std::size_t> ends(count);
        std::vector<SortEntry> entries(count);
        for (std::size_t i = 0; i < count; ++i) {
            key.clear();
            entries[i].headLength = OrderEntry({key}, bookmarks[i], widths, scratch);
            keys += key;
            ends[i] = keys.size();
            made();
        }
        letGo();
        for (std::size_t i = 0, start = 0; i < count; start = ends[i++])
            entries[i].text = std::string_view(keys).substr(start, ends[i] - start);
        return SortEntries(entries, order);
    }
    PaddedKeys keys;
    keys.keys.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        PaddedKeys::Key& key = keys.keys[i];
        key.firstRun = keys.runs.size();
        key.headLength = OrderEntry({key.text, &keys.runs}, bookmarks[i], widths, scratch);
        key.endRun = keys.runs.size();
        made();
    }
    letGo();
    return SortPaddedKeys(keys, order);
}

} // namespace

std::vector<std::size_t> ReadingOrder(const std::vector<BookmarkLocation>& bookmarks, const TextOrder& order,
                                      ProgressReporter& progress) {
    return OrderOf(bookmarks, nullptr, order, progress);
}

std::vector<std::size_t> ReadingOrder(std::vector<BookmarkLocation>&& bookmarks, const TextOrder& order,
                                      ProgressReporter& progress) {
    return OrderOf(bookmarks, &bookmarks, order, progress);
}

std::vector<std::string> OrderBookmarks(const std::vector<BookmarkLocation>& bookmarks, const TextOrder& order,
                                        ProgressReporter& progress) {
    std::vector<std::string> ids;
    ids.reserve(bookmarks.size());
    for (const std::size_t position : ReadingOrder(bookmarks, order, progress))
        ids.emplace_back(bookmarks[position].bookmarkId);
    return ids;
}
