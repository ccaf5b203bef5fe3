#pragma once

#include <optional>
#include <string>
#include <string_view>

// How a note in a notes folder keeps what the program wrote into it, so that a later sync finds it again whatever the
// user did around it, in the note itself and nowhere else:
//
//   ---
//   title: "A Book"                         <- the template's front matter: keys the program owns
//   marvik-volume-id: "file:///mnt/onboard/A Book.kepub.epub"
//   ---
//   <!-- marvik-highlight 8e1c2f0a-77d1-4b57-a6f1-0c3b6f2a9d10 5f2c9a01b3e7 -->
//   > the highlight, as its template renders it
//   <!-- /marvik-highlight 8e1c2f0a-77d1-4b57-a6f1-0c3b6f2a9d10 -->
//
// The front matter key names the book by its volume id, so that the note is its book's note under any name and in any
// subfolder. Each highlight's block stands between two comment lines that name its bookmark id; the opening one also
// carries the first 12 hex digits of the SHA-256 of the block's text as the program last wrote it (with LF line ends),
// and, once the highlight was marked deleted, the word "deleted". A block whose text no longer matches that hash was
// edited by the user. Ids are percent-encoded where they hold a space, "%", ">", a control byte or a byte above ASCII,
// so that each marker stays one comment on one line. Markdown shows none of it.

// The front matter key that holds the book's volume id.
inline constexpr std::string_view kVolumeIdKey = "marvik-volume-id";

// What the opening marker of a highlight's block says.
struct BlockMarker {
    std::string bookmarkId;
    std::string hash; // of the block's text as the program last wrote it
    bool deleted = false;

    bool operator==(const BlockMarker&) const = default;
};

// The front matter key, or page property, of the template set the note was written with.
inline constexpr std::string_view kTemplateSetKey = "marvik-template";

// The front matter key of the record of what the program last wrote there (FrontMatterValues.h).
inline constexpr std::string_view kWrittenValuesKey = "marvik-written";

// A word of a marker line: percent-encoded where it holds a space, "%", ">", a control byte, a byte above ASCII or a
// byte of alsoEncoded.
std::string EncodeMarkerWord(std::string_view word, std::string_view alsoEncoded = {});
std::string DecodeMarkerWord(std::string_view encoded);

// The short hash of a block's text, its line ends taken as LF.
std::string BlockHash(std::string_view text);

// The marker lines, without line ends.
std::string OpeningMarker(const BlockMarker& marker);
std::string ClosingMarker(std::string_view bookmarkId);

// What a line (without its line end) says as a marker; nothing when it is no marker of that kind.
std::optional<BlockMarker> ParseOpeningMarker(std::string_view line);
std::optional<std::string> ParseClosingMarker(std::string_view line);

// In an outline (Logseq) no line may stand between blocks: each block of the program carries its marker as a block
// property after its first line, and the page's properties name the book.
//   marvik-volume-id:: file:///mnt/onboard/A Book.kepub.epub
//   - ## A chapter
//     marvik-highlight:: chapter:file:///...%21%21ch1.xhtml 0c3b6f2a9d10
//   	- 10.0 % · yellow
//   	  marvik-highlight:: 8e1c2f0a-77d1-4b57-a6f1-0c3b6f2a9d10 5f2c9a01b3e7
//   	  highlight-id:: 8e1c2f0a
// The block's text, hashed, is its lines without the marker's; the user's child blocks under it are not the block's.
std::string PropertyMarker(const BlockMarker& marker);                 // without indentation and line end
std::optional<BlockMarker> ParsePropertyMarker(std::string_view line); // a line without its line end
std::string VolumeIdProperty(std::string_view volumeId);               // without line end
std::optional<std::string> ParseVolumeIdProperty(std::string_view line);
// A page property of the program's ("marvik-template:: logseq"), without line end; its value.
std::string PageProperty(std::string_view key, std::string_view value);
std::optional<std::string> ParsePageProperty(std::string_view line, std::string_view key);

// The front matter line of a key of the program's, its value double-quoted, without line end.
std::string FrontMatterLine(std::string_view key, std::string_view value);

// The front matter line that names the book, without line end.
std::string VolumeIdLine(std::string_view volumeId);

// The volume id that a front matter entry of kVolumeIdKey holds, as YAML reads it.
std::string ParseVolumeIdValue(std::string_view entry);
