#include "ExportLedger.h"

#include "ReplaceFile.h"
#include "TemporaryFile.h"
#include "Utf8.h"

#include <nlohmann/json.hpp>
#include <openssl/evp.h>

namespace {

using Json = nlohmann::json;

// JSON holds UTF-8 only: other bytes are kept as a dump shows them, the same on every run.
std::string AsJsonText(std::string_view text) {
    if (IsValidUtf8(text))
        return std::string(text);
    return Json::parse(Json(text).dump(-1, ' ', false, Json::error_handler_t::replace)).get<std::string>();
}

std::string Sha256Hex(std::string_view bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha256(), nullptr) != 1)
        throw ELedgerError("SHA-256 is not available to tell changed highlights");
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned int i = 0; i < size; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 15];
    }
    return hex;
}

// The bookmark's mark, before it is kept.
struct BookmarkMark {
    std::string bookmarkId;
    std::string modified;
    std::string digest;
};

BookmarkMark MarkOf(const AnnotatedBookmark& bookmark) {
    // The text's length first, so that no text and note run into another pair with the same bytes.
    std::string hashed = std::to_string(bookmark.text.size()) + ":";
    hashed += bookmark.text;
    hashed += bookmark.annotation;
    return {AsJsonText(bookmark.bookmarkId),
            AsJsonText(bookmark.dateModified.empty() ? bookmark.dateCreated : bookmark.dateModified),
            Sha256Hex(hashed)};
}

} // namespace

ExportLedger ExportLedger::Load(const std::filesystem::path& folder) {
    ExportLedger ledger(folder / kFileName, ExportLedgerLock(folder));
    if (ledger.m_lock.Busy())
        throw ELedgerError("Another export of new highlights into \"" + folder.string() +
                           "\" is running: nothing was exported. " + LedgerNamed(ledger.m_file) +
                           " is left to it; export again when it is done.");
    ledger.m_books = ReadLedgerFile(ledger.m_file, kVersion);
    return ledger;
}

LedgerMarks ExportLedger::KeepNew(AnnotatedVolume& volume) const {
    const std::string volumeId = AsJsonText(volume.volumeId);
    LedgerMarks marks;
    // Kept ones move forward in the same list: a second list of a large book's bookmarks would double its memory.
    std::size_t kept = 0;
    for (AnnotatedBookmark& bookmark : volume.bookmarks) {
        const BookmarkMark mark = MarkOf(bookmark);
        const LedgerMark* known = m_books.Find(volumeId, mark.bookmarkId);
        if (known && (bookmark.deleted || (known->modified == mark.modified && known->digest == mark.digest)))
            continue;
        volume.bookmarks[kept++] = bookmark;
        // Only the marks of what is written are kept: of a large book most are already known.
        marks.marks.push_back(
            {marks.texts.Keep(mark.bookmarkId), marks.texts.Keep(mark.modified), marks.texts.Keep(mark.digest)});
    }
    volume.bookmarks.erase(volume.bookmarks.begin() + static_cast<std::ptrdiff_t>(kept), volume.bookmarks.end());
    return marks;
}

void ExportLedger::Record(const std::string& volumeId, LedgerMarks&& marks) {
    m_books.Record(AsJsonText(volumeId), std::move(marks));
}

void ExportLedger::Save() const {
    // Written as text, entry by entry, in the layout a JSON document of the ledger dumps to (members in byte order,
    // one TAB a level), a piece at a time: building that document first took several times the ledger's size in
    // memory.
    ReplaceFile(m_file, [this](TemporaryFile& file, const std::filesystem::path& name) {
        std::string text;
        const auto quoted = [](std::string_view value) { return Json(value).dump(); };
        const auto handOn = [&](std::size_t atLeast) {
            if (text.size() < atLeast)
                return;
            if (const int error = file.Write(text))
                RaiseFileError("Cannot write file", name, error);
            text.clear();
        };
        text = "{\n\t\"books\": {";
        bool firstBook = true;
        for (const auto& [volume, marks] : m_books.books) {
            if (marks.empty())
                continue;
            text += firstBook ? "\n" : ",\n";
            firstBook = false;
            text += "\t\t" + quoted(volume) + ": {";
            bool firstMark = true;
            for (const LedgerMark& mark : marks) {
                text += firstMark ? "\n" : ",\n";
                firstMark = false;
                text += "\t\t\t" + quoted(mark.bookmarkId) + ": {\n\t\t\t\t\"modified\": " + quoted(mark.modified) +
                        ",\n\t\t\t\t\"sha256\": " + quoted(mark.digest) + "\n\t\t\t}";
                handOn(std::size_t{64} << 10);
            }
            text += "\n\t\t}";
        }
        text += firstBook ? "}" : "\n\t}";
        text += ",\n\t\"version\": " + std::to_string(kVersion) + "\n}\n";
        handOn(0);
    });
}
