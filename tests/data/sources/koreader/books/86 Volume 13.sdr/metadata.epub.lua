-- /home/alexander/Documents/KoReader/books/13. 86--EIGHTY-SIX, Volume 13 nijafsvddavsfjdfashij - Shirabii, Asato Asato (2024).sdr/metadata.epub.lua
return {
    ["annotations"] = {
        [1] = {
            ["chapter"] = "Chapter 1: I Utter the Name",
            ["color"] = "yellow",
            ["datetime"] = "2026-02-20 18:08:13",
            ["drawer"] = "lighten",
            ["page"] = "/body/DocFragment[11]/body/div/section/p[7]/text().0",
            ["pageno"] = 21,
            ["pos0"] = "/body/DocFragment[11]/body/div/section/p[7]/text().0",
            ["pos1"] = "/body/DocFragment[11]/body/div/section/p[8]/text().112",
            ["text"] = "The Federacy’s unique trenches, which were perpendicularly bent to soften shock waves, and the steel and concrete anti-tank barriers were all worn out and crumbling from days of nonstop fighting. Their allied armored unit was pulled back to the rear, relegated to mobile defense, and wasn’t there to help them.\
“There are no Vánagandrs to help us, and the artillery units have their hands full supporting everyone. So we’re",
        },
        [2] = {
            ["chapter"] = "Chapter 1: I Utter the Name",
            ["color"] = "yellow",
            ["datetime"] = "2026-02-20 18:08:18",
            ["datetime_updated"] = "2026-02-20 18:08:21",
            ["drawer"] = "lighten",
            ["note"] = "yay",
            ["page"] = "/body/DocFragment[11]/body/div/section/p[10]/text().0",
            ["pageno"] = 21,
            ["pos0"] = "/body/DocFragment[11]/body/div/section/p[10]/text().0",
            ["pos1"] = "/body/DocFragment[11]/body/div/section/p[10]/text().125",
            ["text"] = "Artillery units fought their battles by firing high-firepower ordnance, deployed dozens of kilometers behind the front lines.",
        },
        [3] = {
            ["chapter"] = "Chapter 1: I Utter the Name",
            ["color"] = "yellow",
            ["datetime"] = "2026-02-20 19:29:50",
            ["datetime_updated"] = "2026-02-20 19:29:53",
            ["drawer"] = "underscore",
            ["page"] = "/body/DocFragment[11]/body/div/section/p[24]/em/text().3",
            ["pageno"] = 24,
            ["pos0"] = "/body/DocFragment[11]/body/div/section/p[24]/em/text().3",
            ["pos1"] = "/body/DocFragment[11]/body/div/section/p[25]/text().130",
            ["text"] = "it wasn’t autumn, I’d have slid a bug down your back by now.\
When Vika told him this, it took Shin a second to realize why he said it—before it dawned on him that Frederica must have told him",
        },
        [4] = {
            ["chapter"] = "Chapter 1: I Utter the Name",
            ["color"] = "yellow",
            ["datetime"] = "2026-02-20 18:08:32",
            ["datetime_updated"] = "2026-02-20 18:08:35",
            ["drawer"] = "lighten",
            ["note"] = "sdfsdfsd",
            ["page"] = "/body/DocFragment[11]/body/div/section/p[30]/text()[2].92",
            ["pageno"] = 25,
            ["pos0"] = "/body/DocFragment[11]/body/div/section/p[30]/text()[2].92",
            ["pos1"] = "/body/DocFragment[11]/body/div/section/p[31]/text()[1].127",
            ["text"] = "Raiden and Vika.\
“We already decided on the operation’s name, what units would participate, and its date before the second large-scale offensive",
        },
    },
    ["doc_pages"] = 417,
    ["doc_path"] = "/home/alexander/Documents/KoReader/books/13. 86--EIGHTY-SIX, Volume 13 nijafsvddavsfjdfashij - Shirabii, Asato Asato (2024).epub",
    ["doc_props"] = {
        ["authors"] = "Shirabii\
Asato Asato",
        ["identifiers"] = "uuid:4b188af6-dd19-4616-98cc-985aad400bcd\
9798855408300\
urn:isbn:9798855408300\
urn:hardcover:86-eighty-six-light-novel-vol-13\
urn:hardcoverbook:1643947\
urn:ranobedb:40866",
        ["keywords"] = "Military Fiction\
Science Fiction & Fantasy\
Action\
Drama\
Light Novel\
Teen & Young Adult\
Mecha\
Dystopia\
Romance\
High Tech\
Science Fiction",
        ["language"] = "English",
        ["series"] = "86—EIGHTY-SIX",
        ["series_index"] = 13,
        ["title"] = "86--EIGHTY-SIX, Volume 13 nijafsvddavsfjdfashij",
    },
    ["highlight_color"] = "yellow",
    ["highlight_drawer"] = "lighten",
    ["last_xpointer"] = "/body/DocFragment[11]/body/div/section/p[30]/text()[1].0",
    ["partial_md5_checksum"] = "58360b6aedb91b5c172a08319c8563c4",
    ["percent_finished"] = 0.059952038369305,
    ["stats"] = {
        ["authors"] = "Shirabii\
Asato Asato",
        ["highlights"] = 2,
        ["language"] = "English",
        ["notes"] = 2,
        ["pages"] = 417,
        ["performance_in_pages"] = {},
        ["series"] = "86—EIGHTY-SIX #13",
        ["title"] = "86--EIGHTY-SIX, Volume 13 nijafsvddavsfjdfashij",
    },
    ["summary"] = {
        ["modified"] = "2026-02-19",
        ["status"] = "reading",
    },
    ["text_lang"] = "English",
}
