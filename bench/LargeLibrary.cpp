#include "LargeLibrary.h"

#include "ReaderDatabase.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

constexpr std::array kFirstNames = {"Anna",  "Bo",     "Carl",  "Dagny", "Elif",  "Frida",  "Gustav", "Hanne",
                                    "Ilse",  "Jonas",  "Karin", "Lars",  "Maja",  "Nils",   "Olga",   "Per",
                                    "Ragna", "Sven",   "Tove",  "Ulrik", "Vera",  "Willem", "Yrsa",   "Zoë",
                                    "José",  "Łukasz", "Søren", "Chloé", "Mihai", "Aoife",  "Emil",   "Greta"};
constexpr std::array kLastNames = {"Berg",  "Lind",    "Moe",    "Dahl",  "Ek",      "Falk",     "Grön",
                                   "Holm",  "Isaksen", "Jensen", "Krog",  "Lund",    "Müller",   "Nyberg",
                                   "Øster", "Pérez",   "Quist",  "Ruud",  "Strand",  "Thorsen",  "Ulven",
                                   "Vik",   "Wahl",    "Åberg",  "Čapek", "Jiménez", "O'Connor", "Schäfer"};
constexpr std::array kAdjectives = {"Silent",  "Northern", "Last",   "Winter", "Hidden", "Broken", "Golden",
                                    "Distant", "Quiet",    "Bitter", "Long",   "Lost",   "Little", "Pale"};
constexpr std::array kNouns = {"Harbour", "Voyage", "Garden",  "Letters", "Orchard", "Lighthouse", "River",
                               "Summer",  "Train",  "Kingdom", "Island",  "Machine", "Daughter",   "Archive"};
constexpr std::array kWords = {"the",    "of",      "and",     "a",      "to",       "in",      "was",      "that",
                               "he",     "she",     "it",      "with",   "for",      "as",      "had",      "on",
                               "at",     "by",      "not",     "her",    "his",      "they",    "from",     "which",
                               "we",     "were",    "would",   "there",  "been",     "one",     "time",     "light",
                               "water",  "morning", "silence", "letter", "harbour",  "memory",  "winter",   "slowly",
                               "across", "between", "never",   "always", "whatever", "window",  "because",  "though",
                               "ship",   "house",   "road",    "voice",  "hands",    "evening", "remember", "north",
                               "forget", "still",   "sea",     "déjà",   "naïve",    "café",    "über",     "Ångström"};

class Random {
public:
    explicit Random(unsigned seed) : m_engine(seed) {}
    std::size_t Below(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_engine); }
    std::size_t Between(std::size_t low, std::size_t high) { return low + Below(high - low + 1); }
    bool Chance(double p) { return std::bernoulli_distribution(p)(m_engine); }
    template <class Array> const char* Pick(const Array& items) { return items[Below(items.size())]; }

    // Running prose of about length bytes, a sentence ending in ".".
    std::string Prose(std::size_t length) {
        std::string text = Pick(kWords);
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        while (text.size() < length) {
            text += Chance(0.08) ? ", " : " ";
            text += Pick(kWords);
        }
        return text + ".";
    }

    std::string Uuid() {
        char text[96];
        const auto part = [this](int digits) { return static_cast<unsigned long long>(Below(1ull << (4 * digits))); };
        std::snprintf(text, sizeof text, "%08llx-%04llx-4%03llx-%04llx-%012llx", part(8), part(4), part(3),
                      part(4) | 0x8000, part(12));
        return text;
    }

private:
    std::mt19937_64 m_engine;
};

struct Connection {
    sqlite3* handle = nullptr;
    ~Connection() { sqlite3_close(handle); }
};

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
    throw std::runtime_error("generating the library: " + what + ": " + sqlite3_errmsg(db));
}

// One prepared insert, reused for every row.
class Insert {
public:
    Insert(sqlite3* db, const char* sql) : m_db(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            Fail(db, sql);
    }
    ~Insert() { sqlite3_finalize(m_statement); }
    Insert(const Insert&) = delete;
    Insert& operator=(const Insert&) = delete;

    Insert& Text(const std::optional<std::string>& text) {
        if (text)
            sqlite3_bind_text(m_statement, ++m_parameter, text->data(), static_cast<int>(text->size()),
                              SQLITE_TRANSIENT);
        else
            sqlite3_bind_null(m_statement, ++m_parameter);
        return *this;
    }
    Insert& Integer(std::int64_t value) {
        sqlite3_bind_int64(m_statement, ++m_parameter, value);
        return *this;
    }
    void Run() {
        if (sqlite3_step(m_statement) != SQLITE_DONE)
            Fail(m_db, "insert");
        sqlite3_reset(m_statement);
        m_parameter = 0;
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
    int m_parameter = 0;
};

void Exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail(db, sql);
}

struct BookPlan {
    std::string volumeId;
    std::string title;
    std::string author;
    bool kepub = false;
    std::vector<std::string> parts; // ContentIDs of its chapters (spine files of a kepub), in book order
    std::size_t tocRows = 0;        // a kepub's table-of-contents rows, naming its spine files
    bool onlyChildIndexZero = false;
};

std::string Chapter(std::size_t n) {
    char text[64];
    std::snprintf(text, sizeof text, "OEBPS/Text/chapter%03zu.xhtml", n);
    return text;
}

} // namespace

GeneratedLibrary GenerateLibrary(const std::filesystem::path& file, const LibraryShape& shape, unsigned seed) {
    if (shape.books == 0 || shape.contentRows < 2 * shape.books || shape.bigBookBookmarks > shape.bookmarks)
        throw std::invalid_argument("generating the library: impossible shape");
    { fixture::ReaderDatabase schema(file); } // the reader's own tables and indexes

    Random random(seed);
    std::vector<std::string> authors;
    for (const char* first : kFirstNames)
        for (const char* last : kLastNames)
            authors.push_back(std::string(first) + " " + last);

    // Four books in five carry bookmarks; the big one is in the middle of the id order, not first, and a kepub, so
    // that its export looks its chapter titles up in the table of contents.
    const std::size_t annotated = std::max<std::size_t>(1, shape.books * 4 / 5);
    const std::size_t big = annotated / 2;
    std::vector<BookPlan> books(shape.books);
    const std::size_t partRows = shape.contentRows - shape.books;
    for (std::size_t b = 0; b < books.size(); ++b) {
        BookPlan& book = books[b];
        book.author = authors[random.Below(authors.size())];
        book.title = std::string(random.Chance(0.5) ? "The " : "") + random.Pick(kAdjectives) + " " +
                     random.Pick(kNouns) + " " + std::to_string(b + 1);
        book.kepub = random.Chance(0.35) || b == big;
        book.volumeId = "file:///mnt/onboard/" + book.author + "/" + book.title + " - " + book.author +
                        (book.kepub ? ".kepub.epub" : ".epub");
        std::size_t parts = partRows / books.size() + (b < partRows % books.size() ? 1 : 0);
        // A kepub's rows are half spine files, half table-of-contents rows that give their titles.
        if (book.kepub) {
            book.tocRows = parts / 2;
            parts -= book.tocRows;
        }
        for (std::size_t p = 1; p <= parts; ++p)
            book.parts.push_back(book.kepub ? book.volumeId + "!!" + Chapter(p)
                                            : book.volumeId + "#(" + std::to_string(p) + ")" + Chapter(p));
        // A few books carry only marks at child index 0, which keep them out of the lists.
        book.onlyChildIndexZero = random.Chance(0.01);
    }
    books[big].onlyChildIndexZero = false;

    GeneratedLibrary library;
    Connection db;
    if (sqlite3_open(file.c_str(), &db.handle) != SQLITE_OK)
        Fail(db.handle, "open");
    Exec(db.handle, "BEGIN");
    {
        Insert bookRow(db.handle, "INSERT INTO content (ContentID, ContentType, MimeType, Title, Attribution, "
                                  "___UserID) VALUES (?, '6', ?, ?, ?, 'adobe_user')");
        Insert partRow(db.handle, "INSERT INTO content (ContentID, ContentType, MimeType, BookID, BookTitle, Title, "
                                  "Attribution, VolumeIndex, ___UserID) VALUES (?, '9', 'application/xhtml+xml', ?, "
                                  "?, ?, ?, ?, 'adobe_user')");
        Insert tocRow(db.handle, "INSERT INTO content (ContentID, ContentType, MimeType, BookID, BookTitle, Title, "
                                 "VolumeIndex, ChapterIDBookmarked, ___UserID) VALUES (?, '899', "
                                 "'application/x-kobo-epub+zip', ?, ?, ?, ?, ?, 'adobe_user')");
        for (const BookPlan& book : books) {
            bookRow.Text(book.volumeId)
                .Text(std::string(book.kepub ? "application/x-kobo-epub+zip" : "application/epub+zip"))
                .Text(book.title)
                .Text(book.author)
                .Run();
            for (std::size_t p = 0; p < book.parts.size(); ++p) {
                std::string title = "Chapter " + std::to_string(p + 1);
                if (random.Chance(0.6))
                    title += ": " + std::string(random.Pick(kAdjectives)) + " " + random.Pick(kNouns);
                partRow.Text(book.parts[p])
                    .Text(book.volumeId)
                    .Text(book.title)
                    .Text(title)
                    .Text(random.Chance(0.9) ? std::optional<std::string>(book.author) : std::nullopt)
                    .Integer(static_cast<std::int64_t>(p))
                    .Run();
            }
            for (std::size_t t = 0; t < book.tocRows; ++t)
                tocRow.Text(book.parts[t] + "-" + std::to_string(t + 1))
                    .Text(book.volumeId)
                    .Text(book.title)
                    .Text("Chapter " + std::to_string(t + 1) + ": " + random.Pick(kAdjectives) + " " +
                          random.Pick(kNouns))
                    .Integer(static_cast<std::int64_t>(book.parts.size() + t))
                    .Text(book.parts[t])
                    .Run();
        }

        Insert mark(db.handle, "INSERT INTO Bookmark (BookmarkID, VolumeID, ContentID, StartContainerPath, "
                               "StartContainerChildIndex, StartOffset, EndContainerPath, EndContainerChildIndex, "
                               "EndOffset, Text, Annotation, Hidden, Type, DateCreated) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, '2023-04-02T19:11:35.000')");
        // The big book's marks are spread among the others, as a reader adds them over time.
        std::vector<bool> listed(books.size(), false);
        std::size_t bigLeft = shape.bigBookBookmarks;
        for (std::size_t m = 0; m < shape.bookmarks; ++m) {
            const std::size_t marksLeft = shape.bookmarks - m;
            std::size_t b = big;
            if (random.Below(marksLeft) >= bigLeft) {
                b = random.Below(annotated - 1);
                b += b >= big ? 1 : 0;
            } else {
                --bigLeft;
            }
            const BookPlan& book = books[b];
            const std::size_t part = random.Below(book.parts.size());
            std::string contentId = book.parts[part];
            std::string path;
            if (book.kepub) {
                path = "span#kobo\\." + std::to_string(random.Between(1, 120)) + "\\." +
                       std::to_string(random.Between(1, 12));
                // Firmware of some years stored the span in the ContentID too: what the repair is for.
                if (random.Chance(0.02))
                    contentId += "#kobo.1.1";
            } else {
                path = Chapter(part + 1) + "#point(/1/4/" + std::to_string(2 * random.Between(1, 60)) + "/" +
                       std::to_string(random.Between(1, 9)) + ":" + std::to_string(random.Between(0, 400)) + ")";
            }
            const std::int64_t childIndex = book.onlyChildIndexZero ? 0 : -99;
            // Some highlights were deleted on the reader; they stay in the table, marked hidden.
            const bool deleted = random.Chance(0.03);
            listed[b] = listed[b] || (childIndex != 0 && !deleted);
            const std::int64_t offset = static_cast<std::int64_t>(random.Between(0, 1200));
            std::optional<std::string> text;
            if (!random.Chance(0.02))
                text = random.Prose(random.Between(30, 600));
            std::optional<std::string> note;
            if (random.Chance(0.25))
                note = random.Prose(random.Between(10, 300));
            mark.Text(random.Uuid())
                .Text(book.volumeId)
                .Text(contentId)
                .Text(path)
                .Integer(childIndex)
                .Integer(offset)
                .Text(path)
                .Integer(childIndex)
                .Integer(offset + static_cast<std::int64_t>(text ? text->size() : 0))
                .Text(text)
                .Text(note)
                .Text(std::string(deleted ? "true" : "false"))
                .Text(std::string(note ? "note" : "highlight"))
                .Run();
        }
        library.listedVolumes = static_cast<std::size_t>(std::count(listed.begin(), listed.end(), true));
    }
    Exec(db.handle, "COMMIT");
    library.bigVolumeId = books[big].volumeId;
    return library;
}
