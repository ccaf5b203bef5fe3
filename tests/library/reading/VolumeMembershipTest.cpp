// The membership filter's shortcuts must never change an answer: for every probe it says what the sorted list says.
#include "VolumeMembership.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Pieces of ids that case, accents, contractions, a locale's own letters or characters without weight make equal, or
// almost equal, to others; then pieces that no shortcut can read: Hangul syllables, combining marks, bytes that are
// no UTF-8.
// clang-format off
const std::vector<std::string> kPieces = {
    "a", "A", "\xC3\xA5", "\xC3\x85", "aa", "Aa", "\xC3\xA4", "ae", "e", "\xC3\xA9", "i", "I", "\xC4\xB1", "\xC4\xB0",
    "ch", "CH", "c", "\xC3\xA7", "ss", "\xC3\x9F", "v", "w", "\xC3\xB6", "\xC3\xB8", "oe", "th", "\xC3\xBE", "-", "_",
    ".", "/", " ", "!", "=", "\x01", "\xE2\x80\x8B", "\xC2\xAD", "\xEF\xBF\xBD", "\xE4\xB8\xAD",
    "\xE1\x84\x80\xE1\x85\xA1", "\xF0\x9F\x98\x80", "\xD0\x99", "9", "10",
    "\xEA\xB0\x80", "E\xCC\x81", "c\xCC\xA7", "\xFF", "\xC3"};
// clang-format on
constexpr std::size_t kWellFormedPieces = 44;

std::vector<std::string> Ids(std::mt19937& random, int count, std::size_t pieces) {
    std::vector<std::string> ids;
    for (int i = 0; i < count; ++i) {
        std::string id = random() % 3 == 0 ? "/mnt/onboard/" : "";
        for (auto n = 1 + random() % 4; n > 0; --n)
            id += kPieces[random() % pieces];
        ids.push_back(id);
    }
    return ids;
}

// Root order, the Turkish i, Swedish and Danish letters after z (and the Danish "aa"), the Czech "ch". A few entries
// leave most last weights unused; entries that take the collation turn shortcuts off.
TEST(VolumeMembershipTest, AnswersAsTheSortedList) {
    for (const char* locale : {"C", "tr_TR", "sv_SE", "da_DK", "cs_CZ"}) {
        const TextOrder order(locale);
        for (const int size : {40, 1500})
            for (const std::size_t pieces : {kWellFormedPieces, kPieces.size()}) {
                std::mt19937 random(size);
                TSortedStringList list(order);
                for (const std::string& id : Ids(random, size, pieces))
                    list.Add(id);
                const VolumeMembership membership(list);
                std::vector<std::string> probes = Ids(random, 5000, kPieces.size());
                for (const std::string& entry : list.Entries()) {
                    std::string upper = entry;
                    for (char& c : upper)
                        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
                    probes.insert(probes.end(), {upper, entry.substr(0, entry.size() - 1), entry + "\xE2\x80\x8B",
                                                 entry + "\xCC\x81"});
                }
                std::size_t members = 0;
                for (const std::string& probe : probes) {
                    const bool expected = list.Contains(probe);
                    members += expected;
                    EXPECT_EQ(membership.Contains(probe), expected) << locale << ": \"" << probe << "\"";
                }
                EXPECT_GT(members, list.Count()) << locale << ": no probe equal to an entry but for its bytes";
            }
    }
}

} // namespace
