// A saved word's sentence, read from its book's EPUB on the reader's volume: found whatever its letter case and
// accents, kept to one sentence of bounded length, and absent, with the reason counted, where the book is not at hand.
#include "BookSentences.h"
#include "EpubMaker.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using fixture::EpubMaker;

SavedWord Word(std::string text, std::string volumeId) {
    SavedWord word;
    word.text = std::move(text);
    word.volumeId = std::move(volumeId);
    return word;
}

TEST(SentenceAroundTest, OneSentenceHoldingTheWordAsAWord) {
    const std::string text = "It was late. The quick Brown fox  jumped over it! Then it slept.\nbrownish things";
    EXPECT_EQ(SentenceAround(text, "brown"), "The quick Brown fox jumped over it!");
    EXPECT_EQ(SentenceAround("Un caf\xC3\xA9 noir, s'il vous pla\xC3\xAEt. Merci.", "CAFE"),
              "Un caf\xC3\xA9 noir, s'il vous pla\xC3\xAEt.");
    // Only part of a word where it stands nowhere alone; nothing where it is not there at all.
    EXPECT_EQ(SentenceAround(text, "slep"), "Then it slept.");
    EXPECT_EQ(SentenceAround(text, "elephant"), "");
    // A sentence without end is cut around the word.
    const std::string longOne = std::string(2000, 'a') + " needle " + std::string(2000, 'b');
    const std::string cut = SentenceAround(longOne, "needle", 100);
    EXPECT_EQ(cut, "\xE2\x80\xA6" + std::string(49, 'a') + " needle " + std::string(49, 'b') + "\xE2\x80\xA6");
}

TEST(BookSentencesTest, FromTheBooksOnTheVolumeAndCountedWhereAbsent) {
    TempFolder volume;
    std::filesystem::create_directories(volume / "Books");
    EpubMaker()
        .Package(R"(<item id="a" href="a.xhtml" media-type="application/xhtml+xml"/>)"
                 R"(<item id="b" href="b.xhtml" media-type="application/xhtml+xml"/>)",
                 R"(<itemref idref="a"/><itemref idref="b"/>)")
        .Add("OEBPS/a.xhtml", R"(<?xml version="1.0" encoding="utf-8"?><html xmlns="http://www.w3.org/1999/xhtml">)"
                              R"(<head><title>Fernweh title</title><style>p{}</style></head><body><h1>One</h1>)"
                              R"(<p>She felt a <i>Fernweh</i>&#160;for the sea. It passed.</p></body></html>)")
        .Add("OEBPS/b.xhtml", "<html><body><p>A serendipity &amp; a find</p><p>next</p></body></html>")
        .Write(volume / "Books" / "Sea.epub");
    std::filesystem::create_directories(volume / "Broken");
    std::ofstream(volume / "Broken" / "No.epub") << "no zip";

    const std::string sea = "file:///mnt/onboard/Books/Sea.epub";
    std::vector<SavedWord> words(6);
    words[0] = Word("fernweh", sea);
    words[1] = Word("serendipity", sea);
    words[2] = Word("absent", sea);
    words[3] = Word("gone", "file:///mnt/onboard/Books/Elsewhere.epub");
    words[4] = Word("broken", "file:///mnt/onboard/Broken/No.epub");
    words[5].text = std::string(10000, 'x');
    words[5].volumeId = sea;
    words[5].length = CutWord(words[5].text);

    const SentenceTally tally = AddBookSentences(words, volume.Path());
    EXPECT_EQ(words[0].sentence, "She felt a Fernweh\xC2\xA0"
                                 "for the sea.");
    EXPECT_EQ(words[1].sentence, "A serendipity & a find");
    for (std::size_t k = 2; k < words.size(); ++k)
        EXPECT_EQ(words[k].sentence, "") << k;
    EXPECT_EQ(tally.found, 2u);
    EXPECT_EQ(tally.Summary(), "4 saved words have no sentence from the book: 1 whose book is not at hand, 1 whose "
                               "book cannot be read, 1 not found in its book, 1 too long to be a word");

    // A database away from the reader has no book at hand.
    std::vector<SavedWord> away{Word("fernweh", sea)};
    EXPECT_EQ(AddBookSentences(away, {}).Summary(),
              "1 saved word has no sentence from the book: 1 whose book is not at hand");
}

} // namespace
