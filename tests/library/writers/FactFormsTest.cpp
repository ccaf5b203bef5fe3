// How the formats that show whole records give a book's ISBN and a bookmark's dates.
#include "Isbn.h"
#include "RecordTime.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

TEST(FactFormsTest, OnlyAnIsbnWithItsRightCheckDigitIsOne) {
    const std::pair<std::string, bool> values[] = {
        {"9780306406157", true},
        {"978-0-306-40615-7", true},
        {"0-8044-2957-X", true},
        {"080442957x", true},
        {"0 306 40615 2", true},
        {"9790000000001", true},
        {"9780306406158", false},
        {"0-8044-2957-0", false},
        {"1234567890123", false},
        {"08044X2957", false},
        {"978030640615X", false},
        {"97803064061570", false},
        {"ISBN 9780306406157", false},
        {"0b8e6d2c-3f7a-4d1e-9a55-6c0f2e4b8a17", false},
        {"urn:uuid:0b8e6d2c-3f7a-4d1e-9a55-6c0f2e4b8a17", false},
        {"", false},
    };
    for (const auto& [value, isbn] : values)
        EXPECT_EQ(IsIsbn(value), isbn) << value;
}

TEST(FactFormsTest, BothStoredFormsOfATimeBecomeOne) {
    const std::pair<std::string, std::string> times[] = {
        {"2024-11-18T17:45:50.886", "2024-11-18T17:45:50.886Z"},
        {"2024-11-18T17:45:50Z", "2024-11-18T17:45:50.000Z"},
        {"2024-11-18 17:45:50.5", "2024-11-18T17:45:50.500Z"},
        {"2024-11-18T17:45:50.123456+00:00", "2024-11-18T17:45:50.123Z"},
        {"2024-11-18T17:45:50+02:00", "2024-11-18T17:45:50+02:00"},
        {"2024-11-18T17:45:50.", "2024-11-18T17:45:50."},
        {"2024-11-18", "2024-11-18"},
        {"", ""},
    };
    for (const auto& [stored, given] : times)
        EXPECT_EQ(RecordTime(stored), given) << stored;
}

} // namespace
