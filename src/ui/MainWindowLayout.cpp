// The window's widgets, captions, initial states, tab order and resizing behaviour.
#include "TForm1.h"

#include "BookListTab.h"
#include "ElidingLabel.h"
#include "LibraryTab.h"
#include "NamedWidgets.h"
#include "OptionsTab.h"
#include "ReadingStatsTab.h"
#include "SavedWordsTab.h"

#include <QBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

namespace {

// The three list tabs: the described names of their widgets (tab, "find" label, search edit, case box, "find next",
// list, upper and lower label) and what each shows of the index.
constexpr BookListNames kFileNamesNames{"TabSheet1",   "TntLabel4",  "TntEdit1",  "TntCheckBox1", "TntButton1",
                                        "TntListBox1", "TntLabel10", "TntLabel1", "find:",        true};
constexpr BookListNames kBookTitlesNames{"TabSheet2",   "TntLabel3", "TntEdit2",   "TntCheckBox2", "TntButton2",
                                         "TntListBox2", "TntLabel2", "TntLabel11", "find:",        false};
constexpr BookListNames kAuthorsNames{"TabSheet3",   "TntLabel9", "TntEdit4",  "TntCheckBox6", "TntButton3",
                                      "TntListBox3", "TntLabel7", "TntLabel8", "find",         true};
// "file names": a row is a volume id; above, its author, below, its title.
constexpr BookListKind kFileNames{&LibraryIndex::Volumes, false, &LibraryIndex::AuthorPairs, &LibraryIndex::TitlePairs};
// "book titles": a row is a title standing for its book id; above, the book's author, below, the id.
constexpr BookListKind kBookTitles{&LibraryIndex::TitlePairs, true, &LibraryIndex::AuthorPairs, nullptr};
// "authors": a row is an author standing for a content id; above, that volume's title, below, the id.
constexpr BookListKind kAuthors{&LibraryIndex::AuthorPairs, true, &LibraryIndex::TitlePairs, nullptr};

QMenu* NamedMenu(QMenuBar* bar, const char* name, const QString& caption) {
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

QAction* NamedAction(QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

void TForm1::BuildLayout() {
    setObjectName("Form1");
    resize(590, 412);
    move(192, 114);

    PageControl1 = Named<QTabWidget>("PageControl1");
    TabSheet1 = new BookListTab(kFileNamesNames, kFileNames);
    TabSheet2 = new BookListTab(kBookTitlesNames, kBookTitles);
    TabSheet3 = new BookListTab(kAuthorsNames, kAuthors);
    TabSheet4 = new OptionsTab;
    TabSheet5 = Named<QWidget>("TabSheet5");
    ReadingTab = new ReadingStatsTab;
    WordsTab = new SavedWordsTab;
    LibraryPage = new LibraryTab([this] { return TabSheet4->Reading(); });

    Memo1 = Named<QPlainTextEdit>("Memo1");
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Button2 = Named<QPushButton>("Button2", "execute");
    auto* console = new QVBoxLayout(TabSheet5);
    console->setContentsMargins(8, 8, 8, 2);
    console->addWidget(Memo1, 1);
    console->addWidget(Button2, 0, Qt::AlignRight);

    PageControl1->addTab(LibraryPage, "library");
    PageControl1->addTab(TabSheet1, "file names");
    PageControl1->addTab(TabSheet2, "book titles");
    PageControl1->addTab(TabSheet3, "authors");
    PageControl1->addTab(TabSheet4, "options");
    PageControl1->addTab(TabSheet5, "execSQL");
    PageControl1->addTab(ReadingTab, "reading");
    PageControl1->addTab(WordsTab, "words");
    PageControl1->setCurrentWidget(LibraryPage);

    // Below the tabs: which database is loaded, then the status row. The status takes the whole row while nothing
    // runs; the progress bar and Cancel appear beside it while work runs, and the status's offers after what they
    // offer (a written file, a reader's database).
    DatabasePathLabel = Named<ElidingLabel>("DatabasePathLabel", Qt::ElideMiddle);
    DatabasePathLabel->setContentsMargins(8, 0, 8, 0);
    TntLabel6 = Named<ElidingLabel>("TntLabel6", Qt::ElideRight);
    ProgressBar1 = Named<QProgressBar>("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedHeight(17);
    ProgressBar1->hide();
    cancelWorkButton = Named<QPushButton>("cancelWorkButton", "&Cancel");
    loadReaderButton = Named<QPushButton>("loadReaderButton", "load the &reader's database");
    openWrittenButton = Named<QPushButton>("openWrittenButton", "open &file");
    showWrittenButton = Named<QPushButton>("showWrittenButton", "show in fol&der");
    auto* statusRow = new QHBoxLayout;
    statusRow->setContentsMargins(8, 0, 8, 4);
    statusRow->addWidget(TntLabel6, 2);
    for (QPushButton* offer : {loadReaderButton, openWrittenButton, showWrittenButton}) {
        offer->setFlat(true);
        offer->hide();
        statusRow->addWidget(offer);
    }
    statusRow->addWidget(ProgressBar1, 1);
    cancelWorkButton->hide();
    statusRow->addWidget(cancelWorkButton);
    auto* central = new QWidget;
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(PageControl1, 1);
    column->addWidget(DatabasePathLabel);
    column->addLayout(statusRow);
    setCentralWidget(central);

    setTabOrder(Memo1, Button2);
}

// Each menu and entry has an access letter; where an action has a usual shortcut, it has that too.
void TForm1::BuildMenus() {
    loaddatabase1 = NamedMenu(menuBar(), "loaddatabase1", "&load database");
    fromprogrampath1 = NamedAction(loaddatabase1, "fromprogrampath1", "from &program folder");
    fromMarvik1 = NamedAction(loaddatabase1, "fromMarvik1", "from &Kobo Reader");
    loaddatabase1->addSeparator();
    opendatabasefile1 = NamedAction(loaddatabase1, "opendatabasefile1", "&open database file...");
    opendatabasefile1->setShortcut(QKeySequence::Open);
    openlastdatabase1 = NamedAction(loaddatabase1, "openlastdatabase1", "open &last database");
    openlastdatabase1->setEnabled(false);
    backupdatabase1 = NamedAction(loaddatabase1, "backupdatabase1", "&back up database now");
    showArchiveAction = NamedAction(loaddatabase1, "showArchiveAction", "show the &archive");
    showArchiveAction->setToolTip("Every highlight ever seen on the reader, those it no longer has marked");
    loaddatabase1->setToolTipsVisible(true);
    loaddatabase1->addSeparator();
    quit1 = NamedAction(loaddatabase1, "quit1", "&quit");
    quit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    openfolders1 = NamedMenu(menuBar(), "openfolders1", "open &folders");
    opemprogramfolder1 = NamedAction(openfolders1, "opemprogramfolder1", "open &program folder");
    openresultfolder1 = NamedAction(openfolders1, "openresultfolder1", "open &result folder");
    openMarvikkobo1 = NamedAction(openfolders1, "openMarvikkobo1", "open &Kobo Reader /.kobo");

    export1 = NamedMenu(menuBar(), "export1", "&export");
    exportallbooks1 = NamedAction(export1, "exportallbooks1", "export &all books");
    exportnewhighlights1 = NamedAction(export1, "exportnewhighlights1", "export &new highlights of all books");
    export1->addSeparator();
    syncnotes1 = NamedAction(export1, "syncnotes1", "&sync notes");

    help1 = NamedMenu(menuBar(), "help1", "&help");
    about1 = NamedAction(help1, "about1", "&about");
}
