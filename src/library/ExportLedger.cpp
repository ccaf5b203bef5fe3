#include "ExportLedger.h"

#include "ReplaceFile.h"
#include "Utf8.h"

#include <nlohmann/json.hpp>
#include <openssl/evp.h>

namespace {

using Json = nlohmann::json;

// JSON holds UTF-8 only: other bytes are kept as a dump shows them, the same on every run.
std::string AsJsonText(const std::string& text) {
    if (IsValidUtf8(text))
        return text;
    return Json::parse(Json(text).dump(-1, ' ', false, Json::error_handler_t::replace)).get<std::string>();
}

std::string Sha256Hex(const std::string& bytes) {
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

} // namespace

LedgerMark MarkOf(const AnnotatedBookmark& bookmark) {
    // The text's length first, so that no text and note run into another pair with the same bytes.
    return {AsJsonText(bookmark.bookmarkId),
            AsJsonText(bookmark.dateModified.empty() ? bookmark.dateCreated : bookmark.dateModified),
            Sha256Hex(std::to_string(bookmark.text.size()) + ":" + bookmark.text + bookmark.annotation)};
}

ExportLedger ExportLedger::Load(const std::filesystem::path& folder) {
    ExportLedger ledger(folder / kFileName, ExportLedgerLock(folder));
    if (ledger.m_lock.Busy())
        throw ELedgerError("Another export of new highlights into \"" + folder.string() +
                           "\" is running: nothing was exported. " + LedgerNamed(ledger.m_file) +
                           " is left to it; export again when it is done.");
    ledger.m_books = ReadLedgerFile(ledger.m_file, kVersion);
    return ledger;
}

std::vector<LedgerMark> ExportLedger::KeepNew(AnnotatedVolume& volume) const {
    const auto book = m_books.find(AsJsonText(volume.volumeId));
    std::vector<LedgerMark> marks;
    // Kept ones move forward in the same list: a second list of a large book's bookmarks would double its memory.
    std::size_t kept = 0;
    for (AnnotatedBookmark& bookmark : volume.bookmarks) {
        LedgerMark mark = MarkOf(bookmark);
        if (book != m_books.end()) {
            const auto known = book->second.find(mark.bookmarkId);
            if (known != book->second.end() &&
                (bookmark.deleted || (known->second.modified == mark.modified && known->second.digest == mark.digest)))
                continue;
        }
        if (&volume.bookmarks[kept] != &bookmark)
            volume.bookmarks[kept] = std::move(bookmark);
        ++kept;
        marks.push_back(std::move(mark));
    }
    volume.bookmarks.erase(volume.bookmarks.begin() + static_cast<std::ptrdiff_t>(kept), volume.bookmarks.end());
    return marks;
}

void ExportLedger::Record(const std::string& volumeId, const std::vector<LedgerMark>& marks) {
    auto& book = m_books[AsJsonText(volumeId)];
    for (const LedgerMark& mark : marks)
        book[mark.bookmarkId] = {mark.modified, mark.digest};
}

void ExportLedger::Save() const {
    // Written as text, entry by entry, in the layout a JSON document of the ledger dumps to (members in byte order,
    // one TAB a level): building that document first took several times the ledger's size in memory.
    const auto quoted = [](const std::string& text) { return Json(text).dump(); };
    std::string text = "{\n\t\"books\": {";
    bool firstBook = true;
    for (const auto& [volume, marks] : m_books) {
        if (marks.empty())
            continue;
        text += firstBook ? "\n" : ",\n";
        firstBook = false;
        text += "\t\t" + quoted(volume) + ": {";
        bool firstMark = true;
        for (const auto& [id, entry] : marks) {
            text += firstMark ? "\n" : ",\n";
            firstMark = false;
            text += "\t\t\t" + quoted(id) + ": {\n\t\t\t\t\"modified\": " + quoted(entry.modified) +
                    ",\n\t\t\t\t\"sha256\": " + quoted(entry.digest) + "\n\t\t\t}";
        }
        text += "\n\t\t}";
    }
    text += firstBook ? "}" : "\n\t}";
    text += ",\n\t\"version\": " + std::to_string(kVersion) + "\n}\n";
    ReplaceFile(m_file, text);
}
