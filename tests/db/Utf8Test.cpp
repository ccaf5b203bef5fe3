// The strict UTF-8 check that decides what marvik-cli list shows as text, as the window's decoder does.
#include "Utf8.h"

#include <gtest/gtest.h>

TEST(Utf8Test, OnlyWellFormedUtf8IsValid) {
    for (const char* valid : {"", "a",
                              "ab\xC3\xA9"
                              "cd",
                              "\xC3\xA9", "\xE2\x82\xAC", "\xEF\xBF\xBF", "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF"})
        EXPECT_TRUE(IsValidUtf8(valid)) << valid;
    // Overlong forms, surrogates, beyond U+10FFFF, stray or missing continuation bytes.
    for (const char* invalid :
         {"\xC0\xAF", "\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF", "\xED\xA0\x80", "\xED\xBF\xBF",
          "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80", "\x80", "a\xC3", "\xE2\x82", "\xC3(", "\xFF",
          "abc\x80"
          "def"})
        EXPECT_FALSE(IsValidUtf8(invalid)) << invalid;
}
