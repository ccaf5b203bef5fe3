#!/usr/bin/env python3
"""The floor for exporting every book: one query that joins each bookmark to its part, ordered by volume, and one
plain file per book with its title, chapters, highlights and notes. No reading order, no collation, no atomic replace.

usage: export_floor.py DATABASE FOLDER"""
import os
import sqlite3
import sys
import urllib.parse


def main(database, folder):
    os.makedirs(folder, exist_ok=True)
    # Opened as the program opens it: read only, without locks.
    uri = "file:" + urllib.parse.quote(os.path.abspath(database)) + "?immutable=1"
    rows = sqlite3.connect(uri, uri=True).execute(
        "SELECT b.VolumeID, c.Title, b.Text, b.Annotation FROM Bookmark b "
        "LEFT JOIN content c ON c.ContentID = b.ContentID "
        "WHERE b.Hidden IS NOT 'true' ORDER BY b.VolumeID")
    volume = chapter = out = None
    books = 0
    for volume_id, title, text, note in rows:
        if volume_id != volume:
            if out:
                out.close()
            volume, chapter, books = volume_id, None, books + 1
            name = volume_id.rsplit("/", 1)[-1] + ".annotations.txt"
            out = open(os.path.join(folder, name), "w", encoding="utf-8", newline="\r\n")
            out.write("\ufeff>>>Title: " + volume_id + "\n")
        if title != chapter:
            chapter = title
            out.write(">>>SECTION: " + (title or "") + "\n")
        out.write((text or "") + "\t" + (note or "") + "\n")
    if out:
        out.close()
    print(books, "files")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
