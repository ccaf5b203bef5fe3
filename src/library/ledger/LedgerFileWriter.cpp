#include "LedgerFile.h"

#include "EFileError.h"
#include "HexDigits.h"
#include "ReplaceFile.h"
#include "TemporaryFile.h"

#include <nlohmann/json.hpp>

#include <string>

namespace {

using Json = nlohmann::json;
using Path = std::filesystem::path;

std::string DigestInHex(std::string_view digest) {
    return InHex(digest);
}

// Writes contents as the JSON document of the ledger dumps (members in byte order, one TAB a level), a piece at a
// time: building that document first took several times the ledger's size in memory.
class LedgerWriter {
public:
    LedgerWriter(TemporaryFile& file, const Path& name) : m_file(file), m_name(name) {}

    void Write(const LedgerContents& contents) {
        m_text = "{";
        bool first = true;
        if (HasMarks(contents.everyFormat)) {
            Member(first, 1, "everyFormat");
            Books(contents.everyFormat, 1);
        }
        Member(first, 1, "formats");
        m_text += "{";
        bool firstFormat = true;
        for (const auto& [format, books] : contents.formats) {
            if (!HasMarks(books))
                continue;
            Member(firstFormat, 2, format);
            Books(books, 2);
        }
        m_text += firstFormat ? "}" : "\n\t}";
        Member(first, 1, "version");
        m_text += std::to_string(kLedgerVersion) + "\n}\n";
        HandOn(0);
    }

private:
    static bool HasMarks(const LedgerBooks& books) {
        return std::any_of(books.books.begin(), books.books.end(),
                           [](const auto& book) { return !book.second.empty(); });
    }
    static std::string Quoted(std::string_view value) { return Json(value).dump(); }

    // The start of a member at the given depth: its name, after a comma where one came before.
    void Member(bool& first, int depth, std::string_view name) {
        m_text += first ? "\n" : ",\n";
        first = false;
        m_text.append(static_cast<std::size_t>(depth), '\t');
        m_text += Quoted(name) + ": ";
    }

    void Books(const LedgerBooks& books, int depth) {
        m_text += "{";
        bool firstBook = true;
        for (const auto& [volume, marks] : books.books) {
            if (marks.empty())
                continue;
            Member(firstBook, depth + 1, volume);
            m_text += "{";
            bool firstMark = true;
            for (const LedgerMark& mark : marks) {
                Member(firstMark, depth + 2, mark.BookmarkId());
                const std::string inner(static_cast<std::size_t>(depth + 3), '\t');
                m_text += "{\n" + inner + "\"modified\": " + Quoted(mark.Modified()) + ",\n" + inner +
                          "\"sha256\": \"" + DigestInHex(mark.Digest()) + "\"\n";
                m_text.append(static_cast<std::size_t>(depth + 2), '\t');
                m_text += "}";
                HandOn(std::size_t{64} << 10);
            }
            m_text += "\n";
            m_text.append(static_cast<std::size_t>(depth + 1), '\t');
            m_text += "}";
        }
        if (!firstBook) {
            m_text += "\n";
            m_text.append(static_cast<std::size_t>(depth), '\t');
        }
        m_text += "}";
    }

    void HandOn(std::size_t atLeast) {
        if (m_text.size() < atLeast)
            return;
        if (const int error = m_file.Write(m_text))
            RaiseFileError("Cannot write file", m_name, error);
        m_text.clear();
    }

    TemporaryFile& m_file;
    const Path& m_name;
    std::string m_text;
};

} // namespace

void WriteLedgerFile(const Path& file, const LedgerContents& contents) {
    ReplaceFile(file, [&contents](TemporaryFile& temporary, const Path& name) {
        LedgerWriter(temporary, name).Write(contents);
    });
}
