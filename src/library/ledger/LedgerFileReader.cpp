#include "LedgerFile.h"

#include "ELedgerError.h"
#include "HexDigits.h"
#include "ReplaceFile.h"
#include "TemporaryFile.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <istream>
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
    throw ELedgerError(LedgerNamed(file) + " cannot be read: " + why + ".");
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

// Hands the parser the file 64 kB at a time: a call into the C library for each character cost as much as the
// parsing.
class FileBuffer : public std::streambuf {
public:
    explicit FileBuffer(std::FILE* file) : m_file(file) {}

private:
    int_type underflow() override {
        const std::size_t read = std::fread(m_bytes.data(), 1, m_bytes.size(), m_file);
        if (read == 0)
            return traits_type::eof();
        setg(m_bytes.data(), m_bytes.data(), m_bytes.data() + read);
        return traits_type::to_int_type(m_bytes[0]);
    }

    std::FILE* m_file;
    std::array<char, std::size_t{64} << 10> m_bytes{};
};

// The version member as it was written.
struct VersionToken {
    enum class Kind { Whole, Number, NotANumber } kind = Kind::NotANumber;
    std::string text;
};

// The bytes of a digest written as 64 hex digits; empty when it is not one.
std::string DigestFromHex(std::string_view hex) {
    if (hex.size() != 2 * LedgerMark::kDigestSize)
        return {};
    std::string bytes(LedgerMark::kDigestSize, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const int high = HexDigitValue(hex[2 * i]);
        const int low = HexDigitValue(hex[2 * i + 1]);
        if (high < 0 || low < 0)
            return {};
        bytes[i] = static_cast<char>(high << 4 | low);
    }
    return bytes;
}

// Takes a ledger in as the parser meets it, keeping only what a ledger holds: no document of the whole file is
// built, and parsing stops at the first bracket too deep or at a top level that is no object. Which version the file
// is of shows only once it is read (its members come in byte order), so the books of either version are gathered.
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
    // Whether the file has the member that holds the books of the version.
    bool HasBooksOf(std::uint64_t version) const { return version == 1 ? m_sawVersionOneBooks : m_sawFormats; }
    LedgerContents TakeContents(std::uint64_t version) {
        if (version == 1) {
            m_contents.everyFormat = std::move(m_versionOneBooks);
            m_contents.formats.clear();
        }
        m_versionOneBooks = {};
        for (auto& [volume, marks] : m_contents.everyFormat.books)
            SettleMarks(marks);
        for (auto& [format, books] : m_contents.formats)
            for (auto& [volume, marks] : books.books)
                SettleMarks(marks);
        return std::move(m_contents);
    }

private:
    enum class Role { Root, Formats, Books, Volume, Mark, Other };
    struct Frame {
        Role role;
        std::string key;                          // of the member being read
        LedgerBooks* books = nullptr;             // of a Books frame: where its volumes go
        std::vector<LedgerMark>* marks = nullptr; // of a Volume frame: where its marks go
    };

    void MarkMisshapen(const std::string& why = kMisshapen) {
        if (m_misshapen.empty())
            m_misshapen = why;
        // Of no use now: the memory goes back at once. No mark is added after this.
        m_versionOneBooks = {};
        m_contents = {};
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
            else if (IsBooksMember(m_frames.back().key))
                MarkMisshapen();
            break;
        case Role::Formats:
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

    static bool IsBooksMember(const std::string& key) {
        return key == "books" || key == "everyFormat" || key == "formats";
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
        Frame opened{Role::Other, {}};
        const std::string& key = m_frames.back().key;
        switch (m_frames.back().role) {
        case Role::Root:
            if (key == "version") {
                m_version = VersionToken{};
            } else if (key == "books") {
                opened = {Role::Books, {}, &m_versionOneBooks};
                m_sawVersionOneBooks = object;
            } else if (key == "everyFormat") {
                opened = {Role::Books, {}, &m_contents.everyFormat};
            } else if (key == "formats") {
                opened.role = Role::Formats;
                m_sawFormats = object;
            }
            break;
        case Role::Formats:
            opened = {Role::Books, {}, &m_contents.formats[key]};
            break;
        case Role::Books:
            // Looked up once for all the volume's marks.
            opened.role = Role::Volume;
            if (m_misshapen.empty())
                opened.marks = &m_frames.back().books->books[key];
            break;
        case Role::Volume:
            opened.role = Role::Mark;
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
        if (opened.role != Role::Other && !object) {
            MarkMisshapen();
            opened = {Role::Other, {}};
        }
        m_frames.push_back(std::move(opened));
        return true;
    }

    bool Close() {
        const Role closed = m_frames.back().role;
        m_frames.pop_back();
        if (closed != Role::Mark)
            return true;
        if (!m_modified || !m_digest) {
            MarkMisshapen();
            return true;
        }
        const std::string digest = DigestFromHex(*m_digest);
        if (digest.empty())
            MarkMisshapen("a digest is not SHA-256 in hex");
        if (!m_misshapen.empty())
            return true;
        // The volume's frame holds the id of the bookmark.
        m_frames.back().marks->push_back(LedgerMark::Keep(m_contents.texts, m_frames.back().key, *m_modified, digest));
        return true;
    }

    std::vector<Frame> m_frames; // the open objects and arrays, outermost first
    LedgerContents m_contents;
    LedgerBooks m_versionOneBooks; // its marks' bytes are in m_contents.texts too
    std::optional<std::string> m_modified;
    std::optional<std::string> m_digest;
    std::optional<VersionToken> m_version;
    bool m_sawVersionOneBooks = false;
    bool m_sawFormats = false;
    std::string m_misshapen;
    std::string m_stoppedBecause;
};

// The version's number when the token is one that this program reads, else 0.
std::uint64_t KnownVersion(const VersionToken& token) {
    std::uint64_t version = 0;
    if (token.kind != VersionToken::Kind::Whole ||
        std::from_chars(token.text.data(), token.text.data() + token.text.size(), version).ec != std::errc())
        return 0;
    return version <= kLedgerVersion ? version : 0;
}

} // namespace

std::string LedgerNamed(const Path& file) {
    return "The ledger of exported highlights \"" + file.string() + "\"";
}

LedgerContents ReadLedgerFile(const Path& file) {
    const OpenFile opened = OpenLedger(file);
    if (!opened)
        return {};
    LedgerReader reader;
    errno = 0;
    FileBuffer buffer(opened.get());
    std::istream bytes(&buffer);
    const bool parsed = Json::sax_parse(bytes, &reader);
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
    const std::uint64_t version = KnownVersion(*token);
    if (version == 0 && token->kind == VersionToken::Kind::Whole && token->text != "0")
        RaiseNewer(file, token->text);
    if (version == 0)
        RaiseDamaged(file, "version " + token->text);
    if (!reader.Misshapen().empty())
        RaiseDamaged(file, reader.Misshapen());
    if (!reader.HasBooksOf(version))
        RaiseDamaged(file, version == 1 ? "it has no books" : "it has no formats");
    return reader.TakeContents(version);
}
