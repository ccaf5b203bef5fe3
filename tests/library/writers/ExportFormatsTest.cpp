// The one table of formats: what the command line, the window and the settings take from it.
#include "ExportFormats.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(ExportFormatsTest, EveryFormatHasOneRowFoundByItsNameAndItsFormerSettingsIndex) {
    std::set<std::string_view> names, extensions;
    std::set<int> indexes;
    for (const ExportFormatRow& row : ExportFormats()) {
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
        // A book's files of two formats never share a name; a format of one file for all has a name of its own.
        if (row.wholeExportFile.empty())
            EXPECT_TRUE(extensions.insert(row.extension).second) << row.extension;
        else
            EXPECT_TRUE(row.wholeExportFile.ends_with(row.extension)) << row.name;
        EXPECT_TRUE(row.legacySettingsIndex < 0 || indexes.insert(row.legacySettingsIndex).second) << row.name;
        EXPECT_EQ(&FormatRow(row.format), &row);
        EXPECT_EQ(FindExportFormat(row.name), &row);
        EXPECT_EQ(FindExportFormatByLegacyIndex(row.legacySettingsIndex), row.legacySettingsIndex < 0 ? nullptr : &row);
        EXPECT_NE(row.makeWriter({}), nullptr) << row.name;
    }
    EXPECT_EQ(ExportFormats().front().format, ExportFormat::Text) << "the default comes first";
    // Settings written before formats had names hold these numbers: they must keep meaning the same formats.
    EXPECT_EQ(FindExportFormatByLegacyIndex(0)->format, ExportFormat::Text);
    EXPECT_EQ(FindExportFormatByLegacyIndex(1)->format, ExportFormat::Markdown);
    EXPECT_EQ(FindExportFormatByLegacyIndex(2)->format, ExportFormat::Json);
    EXPECT_EQ(FindExportFormatByLegacyIndex(3)->format, ExportFormat::Csv);
    EXPECT_EQ(FindExportFormatByLegacyIndex(4), nullptr);
    EXPECT_EQ(FindExportFormat("Markdown"), nullptr) << "names are exact; captions are not names";
    EXPECT_EQ(FindExportFormat(""), nullptr);
    EXPECT_EQ(FindExportFormatByLegacyIndex(-1), nullptr) << "formats added since have no index";
    EXPECT_EQ(ExportFormatNames(), "text, markdown, json, csv, readwise, html or clippings");
}

TEST(ExportFormatsTest, OnlyTheTextFileIsNamedAfterTheBookFileAndReadsNoWholeRecords) {
    for (const ExportFormatRow& row : ExportFormats()) {
        EXPECT_EQ(row.namedByTitle, row.format != ExportFormat::Text && row.wholeExportFile.empty()) << row.name;
        EXPECT_EQ(row.wholeRecords, row.format != ExportFormat::Text) << row.name;
    }
    AnnotatedVolume volume;
    volume.title = "T";
    // The text writer takes the separator and the byte-order mark; the others have no separator.
    EXPECT_EQ(FormatRow(ExportFormat::Text).makeWriter({.separator = ";", .setBom = true})->Render(volume),
              "\xEF\xBB\xBF>>>Title: T\r\n>>>Author: \r\n");
}

} // namespace
