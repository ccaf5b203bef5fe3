#include "ExportLedger.h"

#include "Utf8.h"

#include <nlohmann/json.hpp>
#include <openssl/evp.h>

#include <array>
#include <memory>

namespace {

using Json = nlohmann::json;

// JSON holds UTF-8 only: other bytes are kept as a dump shows them, the same on every run. Valid text is viewed, not
// copied.
std::string_view AsJsonText(std::string_view text, std::string& replaced) {
    if (IsValidUtf8(text))
        return text;
    replaced = Json::parse(Json(text).dump(-1, ' ', false, Json::error_handler_t::replace)).get<std::string>();
    return replaced;
}

// SHA-256 with one context for many digests: setting one up for each of a million highlights cost more than the
// digests.
class Sha256 {
public:
    Sha256() : m_method(EVP_MD_fetch(nullptr, "SHA256", nullptr)), m_context(EVP_MD_CTX_new()) {
        if (!m_method || !m_context)
            Unavailable();
    }

    // The digest of the parts one after another, as bytes.
    std::string_view Of(std::initializer_list<std::string_view> parts) {
        unsigned int size = 0;
        bool done = EVP_DigestInit_ex2(m_context.get(), m_method.get(), nullptr) == 1;
        for (const std::string_view part : parts)
            done = done && EVP_DigestUpdate(m_context.get(), part.data(), part.size()) == 1;
        done = done && EVP_DigestFinal_ex(m_context.get(), m_digest.data(), &size) == 1;
        if (!done || size != m_digest.size())
            Unavailable();
        return {reinterpret_cast<const char*>(m_digest.data()), m_digest.size()};
    }

private:
    [[noreturn]] static void Unavailable() {
        throw ELedgerError("SHA-256 is not available to tell changed highlights");
    }

    struct MethodFree {
        void operator()(EVP_MD* method) const { EVP_MD_free(method); }
    };
    struct ContextFree {
        void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
    };
    std::unique_ptr<EVP_MD, MethodFree> m_method;
    std::unique_ptr<EVP_MD_CTX, ContextFree> m_context;
    std::array<unsigned char, LedgerMark::kDigestSize> m_digest{};
};

// The bookmark's mark, before it is kept: views into the bookmark, the scratch texts or the digester.
struct BookmarkMark {
    std::string_view bookmarkId;
    std::string_view modified;
    std::string_view digest;
};

class MarkMaker {
public:
    BookmarkMark Of(const AnnotatedBookmark& bookmark) {
        // The text's length first, so that no text and note run into another pair with the same bytes.
        const std::string length = std::to_string(bookmark.text.size()) + ":";
        return {AsJsonText(bookmark.bookmarkId, m_id),
                AsJsonText(bookmark.dateModified.empty() ? bookmark.dateCreated : bookmark.dateModified, m_modified),
                m_sha256.Of({length, bookmark.text, bookmark.annotation})};
    }

private:
    Sha256 m_sha256;
    std::string m_id;
    std::string m_modified;
};

} // namespace

ExportLedger::ExportLedger(std::filesystem::path file, WritingFolderLock lock, ExportFormat format)
    : m_file(std::move(file)), m_lock(std::move(lock)), m_format(FormatRow(format).name),
      m_datesCount(FormatRow(format).wholeRecords) {}

ExportLedger ExportLedger::Load(const std::filesystem::path& folder, ExportFormat format) {
    ExportLedger ledger(folder / kFileName, WritingFolderLock(folder), format);
    if (ledger.m_lock.Busy())
        throw ELedgerBusy("Another export or sync into \"" + folder.string() + "\" is running: nothing was exported. " +
                          LedgerNamed(ledger.m_file) + " is left to it; export again when it is done.");
    ledger.m_contents = ReadLedgerFile(ledger.m_file);
    return ledger;
}

template <typename Keep> LedgerMarks ExportLedger::Marks(const AnnotatedVolume& volume, const Keep& keep) const {
    std::string replaced;
    const std::string volumeId(AsJsonText(volume.volumeId, replaced));
    const auto format = m_contents.formats.find(m_format);
    const std::vector<LedgerMark>* own = format != m_contents.formats.end() ? format->second.Find(volumeId) : nullptr;
    const std::vector<LedgerMark>* everyFormat = m_contents.everyFormat.Find(volumeId);
    MarkMaker maker;
    LedgerMarks marks;
    for (const AnnotatedBookmark& bookmark : volume.bookmarks) {
        const BookmarkMark mark = maker.Of(bookmark);
        // The format's own mark is newer than any from before formats were told apart.
        const LedgerMark* known = FindMark(own, mark.bookmarkId);
        if (!known)
            known = FindMark(everyFormat, mark.bookmarkId);
        const bool same =
            known && known->Digest() == mark.digest && (!m_datesCount || known->Modified() == mark.modified);
        if (!keep(bookmark, known, same))
            continue;
        // Only the marks of what is written are kept: of a large book most are already known.
        marks.marks.push_back(LedgerMark::Keep(marks.texts, mark.bookmarkId, mark.modified, mark.digest));
    }
    return marks;
}

LedgerMarks ExportLedger::KeepNew(AnnotatedVolume& volume) const {
    // Kept ones move forward in the same list: a second list of a large book's bookmarks would double its memory.
    std::size_t kept = 0;
    LedgerMarks marks = Marks(volume, [&](const AnnotatedBookmark& bookmark, const LedgerMark* known, bool same) {
        if (known && (bookmark.deleted || same))
            return false;
        // The bookmark is only moved within the list the loop walks, never ahead of the loop's place.
        volume.bookmarks[kept++] = bookmark;
        return true;
    });
    volume.bookmarks.erase(volume.bookmarks.begin() + static_cast<std::ptrdiff_t>(kept), volume.bookmarks.end());
    return marks;
}

LedgerMarks ExportLedger::MarksToRecord(const AnnotatedVolume& volume) const {
    return Marks(volume, [](const AnnotatedBookmark&, const LedgerMark*, bool same) { return !same; });
}

void ExportLedger::Record(const std::string& volumeId, LedgerMarks&& marks) {
    std::string replaced;
    m_contents.formats[m_format].Record(std::string(AsJsonText(volumeId, replaced)), std::move(marks.marks));
    m_contents.texts.Adopt(std::move(marks.texts));
}

void ExportLedger::Save() const {
    WriteLedgerFile(m_file, m_contents);
}
