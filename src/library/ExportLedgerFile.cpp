#include "ExportLedgerFile.h"

#include "ExportLedger.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

namespace {

using Json = nlohmann::json;
using Path = std::filesystem::path;

const std::string kMisshapen = "it does not have the shape of a ledger";
const std::string kLeftAsItIs = "It is left as it is: ";

[[noreturn]] void RaiseUnreadable(const Path& file, const std::string& why) {
    throw ELedgerError(LedgerNamed(file) + " cannot be read: " + why);
}

[[noreturn]] void RaiseDamaged(const Path& file, const std::string& why) {
    throw ELedgerError(LedgerNamed(file) + " is damaged (" + why + "). " + kLeftAsItIs +
                       "move it away to export every highlight anew.");
}

[[noreturn]] void RaiseNewer(const Path& file, const std::string& version) {
    throw ELedgerError(LedgerNamed(file) + " was written by a newer version of the program (ledger version " + version +
                       "). " + kLeftAsItIs +
                       "export with that version, or move it away to export every highlight anew.");
}

// Why a path that is no regular file is not read as a ledger; a folder keeps the system's own words.
std::string NotAFile(mode_t mode) {
    if (S_ISDIR(mode))
        return std::generic_category().message(EISDIR);
    if (S_ISLNK(mode))
        return "it is a symbolic link, not a file";
    if (S_ISFIFO(mode))
        return "it is a FIFO, not a file";
    if (S_ISSOCK(mode))
        return "it is a socket, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "it is a device, not a file";
    return "it is not a file";
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using OpenFile = std::unique_ptr<std::FILE, FileCloser>;

// The ledger file opened for reading, or nothing when there is none. Only a regular file of a plausible size: the
// name is looked at before anything is opened (a FIFO would block, a device may act on being opened), and the opened
// file again, in case the name changed meanwhile.
OpenFile OpenLedger(const Path& file) {
    struct stat facts {};
    if (::lstat(file.c_str(), &facts) != 0) {
        if (errno == ENOENT)
            return nullptr;
        RaiseUnreadable(file, std::generic_category().message(errno));
    }
    if (!S_ISREG(facts.st_mode))
        RaiseUnreadable(file, NotAFile(facts.st_mode));
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT)
            return nullptr;
        RaiseUnreadable(file, errno == ELOOP ? NotAFile(S_IFLNK) : std::generic_category().message(errno));
    }
    OpenFile opened(::fdopen(fd, "rb"));
    if (!opened) {
        const int error = errno;
        ::close(fd);
        RaiseUnreadable(file, std::generic_category().message(error));
    }
    if (::fstat(fd, &facts) != 0)
        RaiseUnreadable(file, std::generic_category().message(errno));
    if (!S_ISREG(facts.st_mode))
        RaiseUnreadable(file, NotAFile(facts.st_mode));
    if (static_cast<std::uintmax_t>(facts.st_size) > kMaxLedgerBytes)
        throw ELedgerError(LedgerNamed(file) + " is too large for a ledger (" + std::to_string(facts.st_size) +
                           " bytes, more than " + std::to_string(kMaxLedgerBytes >> 20) + " MiB). " + kLeftAsItIs +
                           "move it away to export every highlight anew.");
    return opened;
}

// The version member as it was written.
struct VersionToken {
    enum class Kind { Whole, Number, NotANumber } kind = Kind::NotANumber;
    std::string text;
};

// Takes a ledger in as the parser meets it, keeping only what a ledger holds: no document of the whole file is
// built, and parsing stops at the first bracket too deep or at a top level that is no object.
class LedgerReader : public nlohmann::json_sax<Json> {
public:
    bool null() override { return Scalar({}, nullptr); }
    bool boolean(bool) override { return Scalar({}, nullptr); }
    bool number_integer(number_integer_t value) override {
        return Scalar({VersionToken::Kind::Number, std::to_string(value)}, nullptr);
    }
    bool number_unsigned(number_unsigned_t value) override {
        return Scalar({VersionToken::Kind::Whole, std::to_string(value)}, nullptr);
    }
    bool number_float(number_float_t, const string_t& text) override {
        // Digits alone are a whole number too large for 64 bits; anything else is not a whole number.
        const bool whole =
            !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
        return Scalar({whole ? VersionToken::Kind::Whole : VersionToken::Kind::Number, text}, nullptr);
    }
    bool string(string_t& text) override { return Scalar({}, &text); }
    bool binary(binary_t&) override { return Scalar({}, nullptr); }
    bool start_object(std::size_t) override { return Open(true); }
    bool key(string_t& name) override {
        m_frames.back().key = name;
        return true;
    }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(false); }
    bool end_array() override { return Close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) override {
        m_stoppedBecause = error.what();
        return false;
    }

    // Why parsing stopped before the end; empty when it did not.
    const std::string& StoppedBecause() const { return m_stoppedBecause; }
    const std::optional<VersionToken>& Version() const { return m_version; }
    // The first thing out of a ledger's shape; empty when there was none.
    const std::string& Misshapen() const { return m_misshapen; }
    LedgerBooks TakeBooks() {
        for (auto& [volume, marks] : m_books.books)
            SettleMarks(marks);
        return std::move(m_books);
    }

private:
    enum class Role { Root, Books, Volume, Mark, Other };
    struct Frame {
        Role role;
        std::string key; // of the member being read
    };

    void MarkMisshapen(const std::string& why = kMisshapen) {
        if (m_misshapen.empty())
            m_misshapen = why;
        m_books = {}; // of no use now: the memory goes back at once
    }
    bool Stop(const std::string& why) {
        m_stoppedBecause = why;
        return false;
    }
    bool IsMarkField() const { return m_frames.back().key == "modified" || m_frames.back().key == "sha256"; }

    // text: the value when it is a string, else null.
    bool Scalar(VersionToken version, const std::string* text) {
        if (m_frames.empty())
            return Stop(kMisshapen);
        switch (m_frames.back().role) {
        case Role::Root:
            if (m_frames.back().key == "version")
                m_version = std::move(version);
            else if (m_frames.back().key == "books")
                MarkMisshapen();
            break;
        case Role::Books:
        case Role::Volume:
            MarkMisshapen();
            break;
        case Role::Mark:
            if (IsMarkField() && !text)
                MarkMisshapen();
            else if (IsMarkField())
                (m_frames.back().key == "modified" ? m_modified : m_digest) = *text;
            break;
        case Role::Other:
            break;
        }
        return true;
    }

    bool Open(bool object) {
        if (m_frames.size() >= kMaxLedgerDepth)
            return Stop("nested deeper than " + std::to_string(kMaxLedgerDepth) + " levels");
        if (m_frames.empty()) {
            if (!object)
                return Stop(kMisshapen);
            m_frames.push_back({Role::Root, {}});
            return true;
        }
        Role role = Role::Other;
        switch (m_frames.back().role) {
        case Role::Root:
            if (m_frames.back().key == "version")
                m_version = VersionToken{};
            else if (m_frames.back().key == "books")
                role = Role::Books;
            break;
        case Role::Books:
            role = Role::Volume;
            break;
        case Role::Volume:
            role = Role::Mark;
            m_modified.reset();
            m_digest.reset();
            break;
        case Role::Mark:
            if (IsMarkField())
                MarkMisshapen();
            break;
        case Role::Other:
            break;
        }
        if (role != Role::Other && !object) {
            MarkMisshapen();
            role = Role::Other;
        }
        if (role == Role::Books)
            m_sawBooks = true;
        m_frames.push_back({role, {}});
        return true;
    }

    bool Close() {
        const Role closed = m_frames.back().role;
        m_frames.pop_back();
        if (closed == Role::Mark) {
            if (!m_modified || !m_digest)
                MarkMisshapen();
            else if (m_misshapen.empty())
                m_books.books[m_frames[m_frames.size() - 2].key].push_back({m_books.texts.Keep(m_frames.back().key),
                                                                            m_books.texts.Keep(*m_modified),
                                                                            m_books.texts.Keep(*m_digest)});
        }
        if (closed == Role::Root && !m_sawBooks)
            MarkMisshapen("it has no books");
        return true;
    }

    std::vector<Frame> m_frames; // the open objects and arrays, outermost first
    LedgerBooks m_books;
    std::optional<std::string> m_modified;
    std::optional<std::string> m_digest;
    std::optional<VersionToken> m_version;
    bool m_sawBooks = false;
    std::string m_misshapen;
    std::string m_stoppedBecause;
};

} // namespace

void SettleMarks(std::vector<LedgerMark>& marks) {
    const auto byId = [](const LedgerMark& a, const LedgerMark& b) { return a.bookmarkId < b.bookmarkId; };
    std::stable_sort(marks.begin(), marks.end(), byId);
    // Of marks with the same id the last one counts, as the last member of that name in a JSON object does.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        if (i + 1 < marks.size() && marks[i + 1].bookmarkId == marks[i].bookmarkId)
            continue;
        marks[kept++] = marks[i];
    }
    marks.resize(kept);
}

const LedgerMark* LedgerBooks::Find(const std::string& volumeId, std::string_view bookmarkId) const {
    const auto book = books.find(volumeId);
    if (book == books.end())
        return nullptr;
    const auto found =
        std::lower_bound(book->second.begin(), book->second.end(), bookmarkId,
                         [](const LedgerMark& mark, std::string_view id) { return mark.bookmarkId < id; });
    return found != book->second.end() && found->bookmarkId == bookmarkId ? &*found : nullptr;
}

void LedgerBooks::Record(const std::string& volumeId, LedgerMarks&& marks) {
    texts.Adopt(std::move(marks.texts));
    std::vector<LedgerMark>& book = books[volumeId];
    book.insert(book.end(), marks.marks.begin(), marks.marks.end());
    SettleMarks(book);
}

std::string LedgerNamed(const Path& file) {
    return "The ledger of exported highlights \"" + file.string() + "\"";
}

LedgerBooks ReadLedgerFile(const Path& file, std::uint64_t version) {
    const OpenFile opened = OpenLedger(file);
    if (!opened)
        return {};
    LedgerReader reader;
    errno = 0;
    const bool parsed = Json::sax_parse(opened.get(), &reader);
    if (std::ferror(opened.get()))
        RaiseUnreadable(file, std::generic_category().message(errno != 0 ? errno : EIO));
    if (!parsed)
        RaiseDamaged(file, reader.StoppedBecause());
    // Versions are whole numbers compared exactly: 4294967297 is no 1, and 1.9 or 1e300 no version at all.
    const std::optional<VersionToken>& token = reader.Version();
    if (!token)
        RaiseDamaged(file, "it has no version");
    if (token->kind == VersionToken::Kind::NotANumber)
        RaiseDamaged(file, "its version is not a number");
    const std::string expected = std::to_string(version);
    if (token->kind == VersionToken::Kind::Whole && token->text != expected &&
        (token->text.size() > expected.size() || (token->text.size() == expected.size() && token->text > expected)))
        RaiseNewer(file, token->text);
    if (token->kind != VersionToken::Kind::Whole || token->text != expected)
        RaiseDamaged(file, "version " + token->text);
    if (!reader.Misshapen().empty())
        RaiseDamaged(file, reader.Misshapen());
    return reader.TakeBooks();
}
