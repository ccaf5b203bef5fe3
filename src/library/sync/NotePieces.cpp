#include "NotePieces.h"

#include "LineEnds.h"

#include <vector>

namespace {

bool IsBullet(std::string_view line) {
    line = WithoutLineEnd(line);
    line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
    return line == "-" || line.starts_with("- ");
}

// Where an outline block's lines after its bullet stand: under the bullet's text.
std::string ContinuationIndent(std::string_view text) {
    const std::string_view first = WithoutLineEnd(text.substr(0, text.find('\n')));
    return std::string(first.substr(0, std::min(first.find_first_not_of(" \t"), first.size()))) + "  ";
}

Pieces ReadComments(std::string_view body, std::set<std::string>& broken) {
    Pieces pieces;
    std::set<std::string> seen;
    std::string text;
    const std::vector<std::string_view> lines = SplitLines(body);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::optional<BlockMarker> marker = ParseOpeningMarker(WithoutLineEnd(lines[i]));
        if (marker && seen.insert(marker->bookmarkId).second) {
            std::size_t end = i + 1;
            std::optional<std::string> closing;
            for (; end < lines.size(); ++end) {
                closing = ParseClosingMarker(WithoutLineEnd(lines[end]));
                if (closing || ParseOpeningMarker(WithoutLineEnd(lines[end])))
                    break;
            }
            if (closing == marker->bookmarkId) {
                if (!text.empty())
                    pieces.push_back(NotePiece{std::move(text), std::nullopt, "", ""});
                text.clear();
                NotePiece block{"", std::move(marker), std::string(lines[i]), std::string(lines[end])};
                for (std::size_t inside = i + 1; inside < end; ++inside)
                    block.text += lines[inside];
                pieces.push_back(std::move(block));
                i = end;
                continue;
            }
            broken.insert(marker->bookmarkId);
        }
        text += lines[i];
    }
    if (!text.empty())
        pieces.push_back(NotePiece{std::move(text), std::nullopt, "", ""});
    return pieces;
}

Pieces ReadOutline(std::string_view body) {
    Pieces pieces;
    std::set<std::string> seen;
    std::string text;
    const auto flush = [&pieces, &text] {
        if (!text.empty())
            pieces.push_back(NotePiece{std::move(text), std::nullopt, "", "", NoteMarks::Properties});
        text.clear();
    };
    const std::vector<std::string_view> lines = SplitLines(body);
    for (std::size_t i = 0; i < lines.size();) {
        if (!IsBullet(lines[i])) {
            text += lines[i++];
            continue;
        }
        flush();
        std::size_t end = i + 1;
        while (end < lines.size() && !IsBullet(lines[end]))
            ++end;
        std::optional<BlockMarker> marker;
        std::size_t markerLine = end;
        for (std::size_t line = i + 1; line < end && !marker; ++line)
            if ((marker = ParsePropertyMarker(WithoutLineEnd(lines[line]))))
                markerLine = line;
        if (marker && seen.insert(marker->bookmarkId).second) {
            NotePiece block{"", std::move(marker), std::string(lines[markerLine]), "", NoteMarks::Properties};
            for (std::size_t line = i; line < end; ++line)
                if (line != markerLine)
                    block.text += lines[line];
            pieces.push_back(std::move(block));
        } else {
            for (std::size_t line = i; line < end; ++line)
                text += lines[line];
            flush();
        }
        i = end;
    }
    flush();
    return pieces;
}

} // namespace

std::string LineEnd(bool crlf) {
    return crlf ? "\r\n" : "\n";
}

std::string EndingItsLine(std::string text, bool crlf) {
    if (!text.empty() && !text.ends_with('\n'))
        text += LineEnd(crlf);
    return text;
}

Pieces ReadBody(std::string_view body, NoteMarks marks, std::set<std::string>& broken) {
    return marks == NoteMarks::Properties ? ReadOutline(body) : ReadComments(body, broken);
}

NotePiece BlockPiece(std::string text, BlockMarker marker, NoteMarks marks, bool crlf) {
    NotePiece piece{std::move(text), std::nullopt, "", "", marks};
    if (marks == NoteMarks::Comments)
        piece.closingLine = ClosingMarker(marker.bookmarkId) + LineEnd(crlf);
    piece.openingLine = LineEnd(crlf); // the line end the marker line takes
    SetMarker(piece, std::move(marker));
    return piece;
}

void SetMarker(NotePiece& piece, BlockMarker marker) {
    const bool crlf = piece.openingLine.ends_with("\r\n");
    if (piece.marks == NoteMarks::Properties)
        piece.openingLine = ContinuationIndent(piece.text) + PropertyMarker(marker) + LineEnd(crlf);
    else
        piece.openingLine = OpeningMarker(marker) + LineEnd(crlf);
    piece.marker = std::move(marker);
}

void AppendPiece(std::string& text, const NotePiece& piece, bool crlf) {
    if (!piece.marker) {
        text += piece.text;
        return;
    }
    // A block added after text without a final line break starts on a line of its own.
    if (!text.empty() && !text.ends_with('\n'))
        text += LineEnd(crlf);
    if (piece.marks == NoteMarks::Comments) {
        text += piece.openingLine + piece.text + piece.closingLine;
        return;
    }
    // An outline block's marker is a property: after its first line, before its other properties.
    const std::size_t firstLine = piece.text.find('\n');
    if (firstLine == std::string::npos) {
        text += piece.text + LineEnd(crlf) + piece.openingLine;
        return;
    }
    text += std::string_view(piece.text).substr(0, firstLine + 1);
    text += piece.openingLine;
    text += std::string_view(piece.text).substr(firstLine + 1);
}
