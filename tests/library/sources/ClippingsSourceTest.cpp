#include "ClippingsSource.h"
#include "ClippingMeta.h"
#include "RecordingProgress.h"
#include "ScopedEnvironment.h"
#include "SourceFiles.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

namespace fs = std::filesystem;
using fixture::RecordingProgress;
using fixture::WriteSourceFile;

std::vector<std::string> Texts(const AnnotatedVolume& volume) {
    std::vector<std::string> texts;
    for (const AnnotatedBookmark& bookmark : volume.bookmarks)
        texts.emplace_back(bookmark.text);
    return texts;
}

AnnotatedVolume Read(const ClippingsSource& source, const std::string& id) {
    SilentProgress silent;
    EXPECT_TRUE(source.HasBookmarks(id)) << id;
    return *source.ReadVolume(id, {}, silent);
}

std::vector<std::string> Warnings(const RecordingProgress& progress) {
    std::vector<std::string> warnings;
    for (const std::string& event : progress.events)
        if (event.starts_with("warn:"))
            warnings.push_back(event.substr(5));
    return warnings;
}

std::string Entry(const std::string& title, const std::string& meta, const std::string& text) {
    return title + "\r\n" + meta + "\r\n\r\n" + text + "\r\n==========\r\n";
}

TEST(ClippingsSourceTest, ReadsARealEnglishFileWithTheNoteOnItsHighlight) {
    // A Kindle writes its local time; the machine's zone stands in for the reader's.
    const fixture::ScopedEnvironment zone("TZ", "UTC");
    SilentProgress silent;
    const ClippingsSource source(fixture::SourcesData() / "kindle" / "clippings-english.txt", silent);
    EXPECT_EQ(source.Index().Volumes.Count(), 4u);
    const std::string essays = "The Essays of Arthur Schopenhauer: the Wisdom of Life (Schopenhauer, Arthur)";
    EXPECT_EQ(source.Index().TitlePairs.ValueOf(essays), "The Essays of Arthur Schopenhauer: the Wisdom of Life");
    EXPECT_EQ(source.Index().AuthorPairs.ValueOf(essays), "Schopenhauer, Arthur");
    const AnnotatedVolume volume = Read(source, essays);
    ASSERT_EQ(volume.bookmarks.size(), 1u);
    EXPECT_EQ(volume.bookmarks[0].text, "As compilation is not my business,");
    EXPECT_EQ(volume.bookmarks[0].annotation, "remarque de Proust?");
    EXPECT_EQ(volume.bookmarks[0].type, "note");
    EXPECT_EQ(volume.bookmarks[0].dateCreated, "2016-09-13T07:29:09");
    EXPECT_EQ(volume.sources.front().kind, SourceKind::KindleClippings);

    const AnnotatedVolume rock = Read(source, "Rock, Paper, Scissors (Len Fischer)");
    EXPECT_EQ(rock.author, "Len Fischer");
    ASSERT_EQ(rock.bookmarks.size(), 1u);
    EXPECT_EQ(rock.bookmarks[0].dateCreated, "2016-08-16T18:02:10");
}

TEST(ClippingsSourceTest, ReadsTheLanguagesKindlesWrite) {
    struct Case {
        std::string meta;
        ClippingKind kind;
        std::optional<std::int64_t> start, end, page;
        std::string added;
    };
    const std::vector<Case> cases = {
        {"- Your Highlight on page 12 | Location 100-105 | Added on Friday, January 1, 2024 10:30:45 PM",
         ClippingKind::Highlight, 100, 105, 12, "2024-01-01T22:30:45"},
        {"- Your Highlight on page 115 | location 1756-1757 | Added on Friday, 26 February 2021 11:03:02",
         ClippingKind::Highlight, 1756, 1757, 115, "2021-02-26T11:03:02"},
        {"- Highlight Loc. 1234-36  | Added on Friday, March 02, 2012, 12:27 AM", ClippingKind::Highlight, 1234, 1236,
         std::nullopt, "2012-03-02T00:27:00"},
        {"- Ihre Markierung auf Seite 12 | Position 100-102 | Hinzugef\xC3\xBCgt am Montag, 4. Januar 2021 12:15:00",
         ClippingKind::Highlight, 100, 102, 12, "2021-01-04T12:15:00"},
        {"- Ihr Lesezeichen auf Seite 307 | Position 3793 | Hinzugef\xC3\xBCgt am Dienstag, 4. M\xC3\xA4rz 2025 "
         "08:00:00",
         ClippingKind::Bookmark, 3793, 3793, 307, "2025-03-04T08:00:00"},
        {"- Votre surlignement sur la page 7 | emplacement 90-91 | Ajout\xC3\xA9 le lundi 4 ao\xC3\xBBt 2021 09:15:00",
         ClippingKind::Highlight, 90, 91, 7, "2021-08-04T09:15:00"},
        {"- Votre note \xC3\xA0 l'emplacement 91 | Ajout\xC3\xA9 le lundi 4 janvier 2021 09:16:00", ClippingKind::Note,
         91, 91, std::nullopt, "2021-01-04T09:16:00"},
        {"- La subrayado en la p\xC3\xA1gina 4 | posici\xC3\xB3n 60-60 | A\xC3\xB1"
         "adido el mi\xC3\xA9rcoles, 6 de "
         "julio de 2022 06:54:57",
         ClippingKind::Highlight, 60, 60, 4, "2022-07-06T06:54:57"},
        {"- La tua evidenziazione a pagina 3 | posizione 40-42 | Aggiunto in data luned\xC3\xAC 4 gennaio 2021 "
         "09:15:00",
         ClippingKind::Highlight, 40, 42, 3, "2021-01-04T09:15:00"},
        {"- Seu destaque ou posi\xC3\xA7\xC3\xA3o 100-102 | Adicionado: segunda-feira, 4 de mar\xC3\xA7o de 2021 "
         "09:15:00",
         ClippingKind::Highlight, 100, 102, std::nullopt, "2021-03-04T09:15:00"},
        {"- Je notitie op locatie 88 | Toegevoegd op maandag 4 januari 2021 09:15:00", ClippingKind::Note, 88, 88,
         std::nullopt, "2021-01-04T09:15:00"},
        // 12ページ|位置No. 114-116のハイライト |作成日: 2024年12月30日月曜日 14:46:33
        {"- 12\xE3\x83\x9A\xE3\x83\xBC\xE3\x82\xB8|\xE4\xBD\x8D\xE7\xBD\xAENo. 114-116\xE3\x81\xAE\xE3\x83\x8F\xE3\x82"
         "\xA4\xE3\x83\xA9\xE3\x82\xA4\xE3\x83\x88 |\xE4\xBD\x9C\xE6\x88\x90\xE6\x97\xA5: 2024\xE5\xB9\xB4"
         "12\xE6\x9C"
         "\x88"
         "30\xE6\x97\xA5\xE6\x9C\x88\xE6\x9B\x9C\xE6\x97\xA5 14:46:33",
         ClippingKind::Highlight, 114, 116, 12, "2024-12-30T14:46:33"},
        // 您在第 47 页（位置 #708-710）的标注 | 添加于 2021年3月5日星期五 下午1:26:56
        {"- \xE6\x82\xA8\xE5\x9C\xA8\xE7\xAC\xAC 47 \xE9\xA1\xB5\xEF\xBC\x88\xE4\xBD\x8D\xE7\xBD\xAE #708-710\xEF\xBC"
         "\x89\xE7\x9A\x84\xE6\xA0\x87\xE6\xB3\xA8 | \xE6\xB7\xBB\xE5\x8A\xA0\xE4\xBA\x8E 2021\xE5\xB9\xB4"
         "3\xE6\x9C"
         "\x88"
         "5\xE6\x97\xA5\xE6\x98\x9F\xE6\x9C\x9F\xE4\xBA\x94 \xE4\xB8\x8B\xE5\x8D\x88"
         "1:26:56",
         ClippingKind::Highlight, 708, 710, 47, "2021-03-05T13:26:56"},
        // 您在位置 #205 的笔记 | 添加于 2019年8月31日星期六 上午12:55:51
        {"- \xE6\x82\xA8\xE5\x9C\xA8\xE4\xBD\x8D\xE7\xBD\xAE #205 \xE7\x9A\x84\xE7\xAC\x94\xE8\xAE\xB0 | \xE6\xB7\xBB"
         "\xE5\x8A\xA0\xE4\xBA\x8E 2019\xE5\xB9\xB4"
         "8\xE6\x9C\x88"
         "31\xE6\x97\xA5\xE6\x98\x9F\xE6\x9C\x9F\xE5\x85"
         "\xAD \xE4\xB8\x8A\xE5\x8D\x88"
         "12:55:51",
         ClippingKind::Note, 205, 205, std::nullopt, "2019-08-31T00:55:51"},
    };
    for (const Case& expected : cases) {
        const ClippingMeta meta = ReadClippingMeta(expected.meta);
        EXPECT_EQ(meta.kind, expected.kind) << expected.meta;
        EXPECT_EQ(meta.locationStart, expected.start) << expected.meta;
        EXPECT_EQ(meta.locationEnd, expected.end) << expected.meta;
        EXPECT_EQ(meta.page, expected.page) << expected.meta;
        EXPECT_EQ(meta.added, expected.added) << expected.meta;
    }
    const ClippingMeta unknown = ReadClippingMeta("- Twoje zakre\xC5\x9Blenie w lokalizacji 5-6 | Dodano 2021");
    EXPECT_EQ(unknown.kind, ClippingKind::Unknown);
}

TEST(ClippingsSourceTest, KeepsAnExtendedHighlightOnceAndAttachesNotesAndBookmarks) {
    const fixture::ScopedEnvironment zone("TZ", "UTC");
    TempFolder folder;
    const std::string book = "Thinking, Fast and Slow (Daniel Kahneman)";
    const std::string file =
        // Byte-order marks before entries, and CR LF line ends, as Kindles write them.
        "\xEF\xBB\xBF" +
        Entry(book, "- Your Highlight on page 88 | Location 1340-1344 | Added on Monday, March 4, 2019 8:15:00 PM",
              "Short version of the highlight.") +
        "\xEF\xBB\xBF" +
        Entry(book, "- Your Bookmark on page 90 | Location 1380 | Added on Monday, March 4, 2019 8:20:00 PM", "") +
        Entry(book, "- Your Highlight on page 80 | Location 1200-1201 | Added on Monday, March 4, 2019 9:00:00 PM",
              "Earlier in the book.") +
        Entry(book, "- Your Highlight on page 88 | Location 1340-1348 | Added on Monday, March 4, 2019 8:16:00 PM",
              "Short version of the highlight. And what came after it.") +
        Entry(book, "- Your Note on page 88 | Location 1348 | Added on Monday, March 4, 2019 8:17:00 PM", "Mine.") +
        Entry(book, "- Your Note on page 95 | Location 1500 | Added on Monday, March 4, 2019 8:18:00 PM",
              "A note alone.") +
        Entry(book, "- Your Highlight on page 88 | Location 1342-1345 | Added on Monday, March 4, 2019 8:19:00 PM",
              "Another passage that overlaps.");
    WriteSourceFile(folder / "documents" / "My Clippings.txt", file);
    RecordingProgress progress;
    const ClippingsSource source(folder.Path(), progress); // a Kindle's root
    EXPECT_TRUE(Warnings(progress).empty());
    const AnnotatedVolume volume = Read(source, book);
    // In the order of their locations: 1200, 1340 (the extended highlight, once, with its note at 1348), 1342 (it
    // overlaps, but holds another text), the bookmark at 1380, the note at 1500 that no highlight holds.
    EXPECT_EQ(Texts(volume), (std::vector<std::string>{"Earlier in the book.",
                                                       "Short version of the highlight. And what came after it.",
                                                       "Another passage that overlaps.", "", ""}));
    EXPECT_EQ(volume.bookmarks[1].annotation, "Mine.");
    EXPECT_EQ(volume.bookmarks[1].type, "note");
    EXPECT_EQ(volume.bookmarks[1].dateCreated, "2019-03-04T20:16:00");
    EXPECT_EQ(volume.bookmarks[2].type, "highlight");
    EXPECT_EQ(volume.bookmarks[3].type, "dogear");
    EXPECT_EQ(volume.bookmarks[4].type, "note");
    EXPECT_EQ(volume.bookmarks[4].annotation, "A note alone.");
    // No chapters: one part without a name.
    EXPECT_EQ(volume.parts.size(), 1u);
    EXPECT_FALSE(volume.parts[0].found);
}

TEST(ClippingsSourceTest, CountsDamagedEntriesByLineAndReadsTheGoodOnes) {
    const fixture::ScopedEnvironment zone("TZ", "UTC");
    TempFolder folder;
    const std::string book = "Night Train (Bo Lind)";
    const std::string good =
        Entry(book, "- Your Highlight on Location 10-11 | Added on Monday, March 4, 2019 8:15:00 PM", "Lights.");
    using namespace std::string_literals;
    const std::string file =
        good +                                                                                        // lines 1-5
        book + "\n- Your Highlight on Location 20-21 | Added on Mon\0\0\0day\n\nx\n==========\n"s +   // 6-10: NULs
        Entry(book, "- Your Highlight on Location 30-31 | Added on Monday, March 4, 2019", "Dark.") + // 11-15
        "Polski (Autor)\n- Twoje zakre\xC5\x9Blenie w lokalizacji 5-6 | Dodano 2021\n\nTekst.\n==========\n" + // 16-20
        book + "\n- Your Highlight on Loca"; // lines 21-22: cut short
    WriteSourceFile(folder / "My Clippings.txt", file);
    RecordingProgress progress;
    const ClippingsSource source(folder / "My Clippings.txt", progress);
    EXPECT_EQ(source.Problems().badEntryLines, (std::vector<std::size_t>{6, 21}));
    EXPECT_EQ(source.Problems().unknownLanguage, 1u);
    const std::string path = (folder / "My Clippings.txt").string();
    EXPECT_EQ(Warnings(progress),
              (std::vector<std::string>{path + ": 2 entries cut short or damaged, not read (lines 6, 21)\n" + path +
                                        ": 1 entry in a language not known here, read without place or date (first "
                                        "at line 16)"}));
    EXPECT_EQ(Texts(Read(source, book)), (std::vector<std::string>{"Lights.", "Dark."}));
    const AnnotatedVolume polish = Read(source, "Polski (Autor)");
    ASSERT_EQ(polish.bookmarks.size(), 1u);
    EXPECT_EQ(polish.bookmarks[0].text, "Tekst.");
    EXPECT_EQ(polish.bookmarks[0].dateCreated, "");
}

// Older Kindles write UTF-16: the same entries, read alike.
TEST(ClippingsSourceTest, ReadsAFileInUtf16) {
    const fixture::ScopedEnvironment zone("TZ", "UTC");
    const std::string utf8 = Entry("Les Mis\xC3\xA9rables (Victor Hugo)",
                                   "- Votre surlignement sur la page 7 | emplacement 90-91 | Ajout\xC3\xA9 le lundi 4 "
                                   "janvier 2021 09:15:00",
                                   "\xF0\x9F\x93\x96 Un livre.");
    std::string utf16 = "\xFF\xFE";
    for (std::size_t i = 0; i < utf8.size();) {
        // Decodes UTF-8 of up to four bytes and writes little-endian units.
        const auto byte = static_cast<unsigned char>(utf8[i]);
        const int length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
        char32_t code = length == 1 ? byte : byte & (0x7F >> length);
        for (int k = 1; k < length; ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]) & 0x3F);
        i += static_cast<std::size_t>(length);
        const auto unit = [&utf16](char32_t value) {
            utf16 += static_cast<char>(value & 0xFF);
            utf16 += static_cast<char>(value >> 8);
        };
        if (code >= 0x10000) {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            unit(code);
        }
    }
    TempFolder folder;
    WriteSourceFile(folder / "My Clippings.txt", utf16);
    SilentProgress silent;
    const ClippingsSource source(folder / "My Clippings.txt", silent);
    EXPECT_TRUE(source.Problems().badEntryLines.empty());
    const AnnotatedVolume volume = Read(source, "Les Mis\xC3\xA9rables (Victor Hugo)");
    ASSERT_EQ(volume.bookmarks.size(), 1u);
    EXPECT_EQ(volume.bookmarks[0].text, "\xF0\x9F\x93\x96 Un livre.");
    EXPECT_EQ(volume.bookmarks[0].dateCreated, "2021-01-04T09:15:00");
}

TEST(ClippingsSourceTest, ReadsTwoLanguagesInOneRealFile) {
    const fixture::ScopedEnvironment zone("TZ", "UTC");
    SilentProgress silent;
    const ClippingsSource source(fixture::SourcesData() / "kindle" / "clippings-spanish-english.txt", silent);
    EXPECT_EQ(source.Index().Volumes.Count(), 2u);
    const AnnotatedVolume spanish = Read(source, "El Principe de la Niebla (Carlos Ruiz Zaf\xC3\xB3n)");
    ASSERT_EQ(spanish.bookmarks.size(), 1u);
    EXPECT_EQ(spanish.bookmarks[0].text, "asintiendo a una pregunta que Max no hab\xC3\xAD"
                                         "a llegado a formular.");
    EXPECT_EQ(spanish.bookmarks[0].dateCreated, "2022-07-06T06:54:57");
}

} // namespace
