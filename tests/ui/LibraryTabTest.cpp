// The library tab in the window on the offscreen platform: the table of books, a book's highlights, the search across
// every book and the start page, on a real database of colour-screen firmware.
#include "LibraryTab.h"
#include "BookCovers.h"
#include "BookHighlightsView.h"
#include "EpubMaker.h"
#include "KoboImages.h"
#include "LibraryBooksModel.h"
#include "MarvikApplication.h"
#include "MessageBoxes.h"
#include "OpenedUrls.h"
#include "OptionsTab.h"
#include "ProgramFolders.h"
#include "ReaderDatabase.h"
#include "SearchResultsModel.h"
#include "TForm1.h"
#include "UserFolders.h"
#include "Utf8Text.h"
#include "VolumeSource.h"
#include "WholeRecordBooks.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTreeView>

namespace {

using namespace fixture::records;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QStringList Column(const LibraryTab& tab, int column) {
    QStringList cells;
    for (int row = 0; row < tab.Proxy()->rowCount(); ++row)
        cells << tab.Proxy()->index(row, column).data().toString();
    return cells;
}

// The bookmark ids under each chapter heading, as "Heading: id id".
QStringList Chapters(const BookHighlightsView* view) {
    QStringList chapters;
    for (int i = 0; i < view->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* chapter = view->topLevelItem(i);
        QStringList ids;
        for (int k = 0; k < chapter->childCount(); ++k)
            ids << chapter->child(k)->data(0, BookHighlightsView::kBookmarkIdRole).toString();
        chapters << chapter->text(0) + ": " + ids.join(' ');
    }
    return chapters;
}

QTreeWidgetItem* ItemOf(BookHighlightsView* view, const QString& id) {
    for (QTreeWidgetItemIterator it(view); *it; ++it)
        if ((*it)->data(0, BookHighlightsView::kBookmarkIdRole).toString() == id)
            return *it;
    return nullptr;
}

// The first result under the first book.
QModelIndex FirstResult(const LibraryTab& tab) {
    const SearchResultsModel* results = tab.ResultsModel();
    return results->index(0, 0, results->index(0, 0));
}

// A click on a row of the results, brought into sight first as the user scrolls to it.
void ClickResult(const LibraryTab& tab, const QModelIndex& index) {
    QTreeView* view = tab.Results();
    view->scrollTo(index);
    QCoreApplication::processEvents(); // the view lays its rows out before it paints them
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
}

} // namespace

class LibraryTabTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QFile::remove(FromPath(UserConfigFolder() / "marvik.conf")); // a first start each time
        SetMessageBoxHandler([this](const MessageBoxRequest& request) { m_boxes << request.text; });
        QDesktopServices::setUrlHandler("file", &m_opened, "open");
        m_boxes.clear();
        m_program = std::make_unique<QTemporaryDir>();
        m_database = m_program->filePath("KoboReader.sqlite");
        {
            fixture::ReaderDatabase reader(m_database.toStdString());
            fixture::AddWholeRecordLibrary(reader);
            reader.Exec("UPDATE content SET ___PercentRead = 42 WHERE ContentID = '" + kRich + "'");
            reader.Exec("UPDATE Bookmark SET Text = 'Ça se passe à l''ÉCOLE, dit-il.' WHERE BookmarkID = 's1'");
        }
        m_form =
            std::make_unique<TForm1>(m_program->path(), std::make_shared<ListedVolumes>(std::vector<MountedVolume>{}));
    }
    void cleanup() {
        m_form.reset();
        QDesktopServices::unsetUrlHandler("file");
        SetMessageBoxHandler({});
    }

    void firstStartShowsHowToBeginThenTheTableSortedAndFiltered() {
        TForm1& f = *m_form;
        LibraryTab& tab = *f.LibraryPage;
        QCOMPARE(f.PageControl1->currentWidget(), &tab);
        QCOMPARE(f.PageControl1->tabText(0), QString("library"));
        // The first window lies within the screen's free area, frame and all, as large as the screen lets it be.
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(screen.contains(f.frameGeometry()), qPrintable(QString("%1,%2 %3x%4")
                                                                    .arg(f.frameGeometry().x())
                                                                    .arg(f.frameGeometry().y())
                                                                    .arg(f.frameGeometry().width())
                                                                    .arg(f.frameGeometry().height())));
        QVERIFY(f.width() >= std::min(960, screen.width() * 9 / 10));
        QCOMPARE(tab.Pages()->currentIndex(), 0);
        QVERIFY(!tab.LastButton()->isEnabled() && !tab.ReaderButton()->isEnabled());
        SetOpenFileHandler([this](const OpenFileRequest&) { return m_database; });
        QTest::mouseClick(tab.OpenFileButton(), Qt::LeftButton);
        SetOpenFileHandler({});
        QCOMPARE(tab.Pages()->currentIndex(), 1);

        QCOMPARE(Column(tab, LibraryBooksModel::Title),
                 (QStringList{"A Store Book", "Notes: \"On\" Things", "untitled.epub"}));
        QCOMPARE(Column(tab, LibraryBooksModel::Author), (QStringList{"Bo Lind", "Ann Writer", ""}));
        QCOMPARE(Column(tab, LibraryBooksModel::Highlights), (QStringList{"1", "3", "1"}));
        QCOMPARE(Column(tab, LibraryBooksModel::Notes), (QStringList{"0", "2", "0"}));
        QCOMPARE(Column(tab, LibraryBooksModel::LastHighlight), (QStringList{"", "2024-11-19", ""}));
        QCOMPARE(Column(tab, LibraryBooksModel::Progress), (QStringList{"", "42%", ""}));
        QCOMPARE(Column(tab, LibraryBooksModel::Kind), (QStringList{"store", "sideloaded", "sideloaded"}));

        tab.Table()->sortByColumn(LibraryBooksModel::Author, Qt::AscendingOrder);
        QCOMPARE(Column(tab, LibraryBooksModel::Author), (QStringList{"", "Ann Writer", "Bo Lind"}));
        tab.Table()->sortByColumn(LibraryBooksModel::Highlights, Qt::DescendingOrder);
        QCOMPARE(Column(tab, LibraryBooksModel::Title).first(), QString("Notes: \"On\" Things"));
        tab.Table()->sortByColumn(LibraryBooksModel::Progress, Qt::DescendingOrder);
        QCOMPARE(Column(tab, LibraryBooksModel::Progress).first(), QString("42%"));
        QTest::keyClicks(tab.FilterEdit(), "LIND");
        QCOMPARE(Column(tab, LibraryBooksModel::Title), QStringList{"A Store Book"});

        // The last database is offered on the next start; the remembered tab and size win over the first ones.
        f.PageControl1->setCurrentWidget(f.TabSheet4);
        f.resize(700, 500);
        f.close();
        TForm1 again(m_program->path(), std::make_shared<ListedVolumes>(std::vector<MountedVolume>{}));
        QCOMPARE(again.PageControl1->currentWidget(), again.TabSheet4);
        QCOMPARE(again.size(), QSize(700, 500));
        QVERIFY(again.LibraryPage->LastButton()->isEnabled());
        QTest::mouseClick(again.LibraryPage->LastButton(), Qt::LeftButton);
        QCOMPARE(again.LibraryPage->Proxy()->rowCount(), 3);
    }

    void aBooksHighlightsInReadingOrderCopiedAndExported() {
        TForm1& f = *m_form;
        LibraryTab& tab = *f.LibraryPage;
        f.LoadDatabase(m_database);
        QVERIFY(tab.SelectBook(Q(kRich)));
        BookHighlightsView* view = tab.Highlights();
        QCOMPARE(Chapters(view), (QStringList{"One: r1 r2 r3", "Two: r4 r5"}));
        QCOMPARE(ItemOf(view, "r1")->text(BookHighlightsView::Date), QString("2024-11-18 17:45"));
        QCOMPARE(ItemOf(view, "r1")->text(BookHighlightsView::Position), QString("10.0%"));
        QVERIFY(ItemOf(view, "r1")->text(0).contains("\u270E a note, with \"quotes\""));
        QCOMPARE(ItemOf(view, "r4")->text(BookHighlightsView::Type), QString("dogear"));

        ItemOf(view, "r3")->setSelected(true);
        ItemOf(view, "r1")->setSelected(true);
        view->setFocus();
        QTest::keySequence(view, QKeySequence::Copy);
        const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
        QVERIFY(copied != nullptr);
        const QString markdown = QString::fromUtf8(copied->data("text/markdown"));
        QVERIFY2(markdown.startsWith("## One\n\n> First line,\n> second \"line\".\n\na note, with \"quotes\"\n"),
                 qPrintable(markdown));
        QVERIFY(markdown.contains("\xD9\x85\xD8\xB1"));
        QVERIFY(!markdown.contains("not a heading"));
        QVERIFY(copied->text().startsWith("First line,\nsecond \"line\".\na note, with \"quotes\"\n\n"));

        f.TabSheet4->ExportFormatBox()->setCurrentText("Markdown");
        QVERIFY(tab.ExportSelectedButton()->isEnabled());
        QTest::mouseClick(tab.ExportSelectedButton(), Qt::LeftButton);
        QVERIFY2(f.TntLabel6->text().startsWith("2 highlights written to "), qPrintable(f.TntLabel6->text()));
        QVERIFY(QFileInfo(f.TntLabel6->toolTip()).isFile());

        // Enter on the book exports it whole, as the lists do.
        tab.Table()->setFocus();
        QTest::keyClick(tab.Table(), Qt::Key_Return);
        QVERIFY2(f.TntLabel6->text().startsWith("5 highlights written to "), qPrintable(f.TntLabel6->text()));

        // The right-click menus: the selected highlights exported and copied, the book exported, its title copied,
        // its note shown, the results folder opened.
        const std::unique_ptr<QMenu> highlightsMenu = tab.HighlightsMenu();
        QVERIFY(highlightsMenu != nullptr);
        highlightsMenu->actions()[0]->trigger();
        QVERIFY2(f.TntLabel6->text().startsWith("2 highlights written to "), qPrintable(f.TntLabel6->text()));
        QGuiApplication::clipboard()->clear();
        highlightsMenu->actions()[1]->trigger();
        QVERIFY(QGuiApplication::clipboard()->text().startsWith("First line,"));
        const std::unique_ptr<QMenu> bookMenu = tab.BookMenu();
        QVERIFY(bookMenu != nullptr);
        bookMenu->actions()[0]->trigger();
        QVERIFY2(f.TntLabel6->text().startsWith("5 highlights written to "), qPrintable(f.TntLabel6->text()));
        bookMenu->actions()[1]->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 tab.Table()->currentIndex().siblingAtColumn(LibraryBooksModel::Title).data().toString());
        bookMenu->actions()[2]->trigger();
        QCOMPARE(tab.BookPane()->currentWidget()->objectName(), QString("notePreview"));
        m_opened.urls.clear();
        bookMenu->actions()[3]->trigger();
        QCOMPARE(m_opened.urls, QList<QUrl>{QUrl::fromLocalFile(f.ResultsFolder())});
        tab.BookPane()->setCurrentIndex(0);
        view->clearSelection();
        QVERIFY(tab.HighlightsMenu() == nullptr);

        // With deleted highlights kept, the deleted one is there, greyed.
        f.TabSheet4->SkipDeletedBox()->setChecked(false);
        f.LoadDatabase(m_database);
        QVERIFY(tab.SelectBook(Q(kRich)));
        QCOMPARE(Chapters(view), (QStringList{"One: r1 r2 r3", "Two: r4 r5 r6"}));
        QVERIFY(ItemOf(view, "r6")->foreground(0) != ItemOf(view, "r4")->foreground(0));
    }

    void ctrlFSearchesEveryBookWithoutCaseOrAccents() {
        TForm1& f = *m_form;
        LibraryTab& tab = *f.LibraryPage;
        f.LoadDatabase(m_database);
        f.PageControl1->setCurrentWidget(f.TabSheet4);
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QTest::keySequence(&f, QKeySequence::Find);
        QCOMPARE(f.PageControl1->currentWidget(), &tab);
        QCOMPARE(QApplication::focusWidget(), tab.SearchEdit());

        QTest::keyClicks(tab.SearchEdit(), "ecole");
        QCOMPARE(tab.ResultsModel()->Found(), std::size_t{1});
        QCOMPARE(tab.findChild<QLabel*>("searchSummary")->text(), QString("1 highlight found in 1 book"));
        QVERIFY2(FirstResult(tab).data().toString().contains("<b><u>\u00C9COLE</u></b>, dit-il."),
                 qPrintable(FirstResult(tab).data().toString()));
        QTest::keyClick(tab.SearchEdit(), Qt::Key_Return);
        QCOMPARE(tab.CurrentVolume(), Q(kStore));
        QCOMPARE(tab.Highlights()->currentItem()->data(0, BookHighlightsView::kBookmarkIdRole).toString(),
                 QString("s1"));

        tab.SearchEdit()->setText("QUOTES"); // in a note
        QCOMPARE(tab.ResultsModel()->Found(), std::size_t{1});
        // Its chapter is the heading its part has in the highlights pane, read beside the window after the load.
        QVERIFY2(FirstResult(tab).data().toString().contains("<small>One \u00B7"),
                 qPrintable(FirstResult(tab).data().toString()));
        ClickResult(tab, FirstResult(tab));
        QCOMPARE(tab.CurrentVolume(), Q(kRich));
        QCOMPARE(tab.Highlights()->currentItem()->data(0, BookHighlightsView::kBookmarkIdRole).toString(),
                 QString("r1"));

        tab.SearchEdit()->clear();
        tab.ColorFilter()->setCurrentText("pink");
        QCOMPARE(tab.ResultsModel()->Found(), std::size_t{1});
        tab.ColorFilter()->setCurrentIndex(0);
        tab.TypeFilter()->setCurrentText("note");
        QCOMPARE(tab.ResultsModel()->Found(), std::size_t{2});
        tab.TypeFilter()->setCurrentIndex(0);
        tab.FromDate()->setDate(QDate(2024, 11, 19));
        tab.ToDate()->setDate(QDate(2024, 11, 30));
        tab.DatesBox()->setChecked(true);
        QCOMPARE(tab.ResultsModel()->Found(), std::size_t{1}); // the dogear
    }

    // Every match is found and reachable, grouped by book with its count, the books in the natural order of their
    // titles; the words in any order. An Arabic result keeps to the right, where its text begins.
    void searchResultsAreGroupedByBookAndAllReachable() {
        const QString arabic =
            QString::fromUtf8("\u0645\u0631\u062D\u0628\u0627 \u0628\u0627\u0644\u0639\u0627\u0644\u0645");
        {
            fixture::ReaderDatabase reader(m_database.toStdString(), fixture::ReaderDatabase::Existing);
            reader.Exec("BEGIN");
            for (const std::string title : {"Book 10", "Book 2"}) {
                const std::string id = "/mnt/onboard/" + title + ".epub";
                reader.AddBook({.volumeId = id, .title = title, .author = "Writer"});
                reader.AddPart({.contentId = id + "#1", .bookId = id, .bookTitle = title});
                for (int h = 0; h < 600; ++h)
                    reader.AddBookmark({.bookmarkId = title + " " + std::to_string(h),
                                        .volumeId = id,
                                        .contentId = id + "#1",
                                        .text = "A common line, " + std::to_string(h) + ", of many."});
            }
            reader.Exec("COMMIT");
        }
        TForm1& f = *m_form;
        LibraryTab& tab = *f.LibraryPage;
        f.resize(960, 640);
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.LoadDatabase(m_database);
        // The table's titles in natural order; a count's first click puts the largest first.
        QCOMPARE(Column(tab, LibraryBooksModel::Title).mid(0, 2), (QStringList{"A Store Book", "Book 2"}));
        QCOMPARE(Column(tab, LibraryBooksModel::Title).at(2), QString("Book 10"));
        QTest::mouseClick(
            tab.Table()->horizontalHeader()->viewport(), Qt::LeftButton, {},
            QPoint(tab.Table()->horizontalHeader()->sectionViewportPosition(LibraryBooksModel::Notes) + 5, 5));
        QCOMPARE(Column(tab, LibraryBooksModel::Notes).first(), QString("2"));
        SearchResultsModel& results = *tab.ResultsModel();
        for (const QString query : {"line common", "LINE \"common line\""}) {
            tab.SearchEdit()->setText(query);
            QCOMPARE(results.Found(), std::size_t{1200});
            QCOMPARE(tab.findChild<QLabel*>("searchSummary")->text(), QString("1,200 highlights found in 2 books"));
        }
        QCOMPARE(results.rowCount(), 2);
        QVERIFY(results.index(0, 0).data().toString().startsWith("<b>Book 2</b>"));
        // A result shown whole repeats nothing in its tooltip.
        QVERIFY(!results.index(0, 0, results.index(0, 0)).data(Qt::ToolTipRole).isValid());
        QVERIFY(results.index(1, 0).data().toString().contains("600 highlights"));
        QCOMPARE(results.rowCount(results.index(1, 0)), 600);
        // The last of them, in a book that opens when its row is clicked, is shown in its book when clicked.
        QTreeView* view = tab.Results();
        QVERIFY(!view->isExpanded(results.index(1, 0)));
        ClickResult(tab, results.index(1, 0));
        QVERIFY(view->isExpanded(results.index(1, 0)));
        ClickResult(tab, results.index(599, 0, results.index(1, 0)));
        QCOMPARE(tab.CurrentVolume(), QString("/mnt/onboard/Book 10.epub"));
        // Its row comes with the book's later rows, a part at a time.
        QTRY_VERIFY(tab.Highlights()->currentItem() != nullptr);
        QCOMPARE(tab.Highlights()->currentItem()->data(0, BookHighlightsView::kBookmarkIdRole).toString(),
                 QString("Book 10 599"));
        QVERIFY(tab.Highlights()->Complete());
        ClickResult(tab, results.index(0, 0));
        QCOMPARE(tab.CurrentVolume(), QString("/mnt/onboard/Book 2.epub"));

        // Laid out at a result's width, the Arabic text stands at the right edge, the other at the left.
        tab.SearchEdit()->setText(arabic.left(5));
        QCOMPARE(results.Found(), std::size_t{1});
        const auto firstLine = [&](const QModelIndex& result) {
            QTextDocument document;
            document.setHtml(result.data().toString());
            document.setTextWidth(400);
            document.documentLayout()->documentSize(); // laid out
            return document.firstBlock().layout()->lineAt(0).naturalTextRect();
        };
        QVERIFY2(firstLine(FirstResult(tab)).right() > 390,
                 qPrintable(QString::number(firstLine(FirstResult(tab)).right())));
        tab.SearchEdit()->setText("common");
        QVERIFY(firstLine(FirstResult(tab)).left() < 10);
    }

    // At the first size the table shows every column, the title taking what the figures leave; a long highlight's row
    // holds its whole text wrapped to the pane, its note and its line of facts, and follows the pane's width.
    void longTitlesAndHighlightsFitTheFirstSize() {
        const QString title = "The Remarkably Long and Winding Title of a Book That Goes On " + QString(80, 'x');
        const QString text = QString("A highlight that goes on and on, word after word. ").repeated(12);
        {
            fixture::ReaderDatabase reader(m_database.toStdString(), fixture::ReaderDatabase::Existing);
            reader.Exec("UPDATE content SET Title = '" + title.toStdString() + "', Attribution = 'Someone With " +
                        std::string(60, 'y') + "' WHERE ContentID = '" + kRich + "'");
            reader.Exec("UPDATE content SET BookTitle = '" + title.toStdString() + "' WHERE BookID = '" + kRich + "'");
            reader.Exec("UPDATE Bookmark SET Text = '" + text.toStdString() + "' WHERE BookmarkID = 'r2'");
        }
        TForm1& f = *m_form;
        LibraryTab& tab = *f.LibraryPage;
        f.resize(960, 640); // the first size where the screen allows it
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.LoadDatabase(m_database);
        QCoreApplication::processEvents();

        QTableView* table = tab.Table();
        QVERIFY(!table->horizontalScrollBar()->isVisible());
        QVERIFY(table->horizontalHeader()->length() <= table->viewport()->width());
        QVERIFY2(table->columnWidth(LibraryBooksModel::Title) >= 100,
                 qPrintable(QString::number(table->columnWidth(LibraryBooksModel::Title))));
        // The figures, dates and kinds whole, as the view itself measures them; the author within its bound.
        const QAbstractItemView* measured = table; // where the hint is public
        for (int column = LibraryBooksModel::Highlights; column < LibraryBooksModel::Cover; ++column)
            QVERIFY2(table->columnWidth(column) >= measured->sizeHintForColumn(column),
                     qPrintable(QString::number(column)));
        QVERIFY(table->columnWidth(LibraryBooksModel::Author) >=
                std::min(measured->sizeHintForColumn(LibraryBooksModel::Author), LibraryTab::kAuthorWidth));
        QVERIFY(tab.SelectBook(Q(kRich)));
        QCOMPARE(table->currentIndex().siblingAtColumn(LibraryBooksModel::Title).data(Qt::ToolTipRole).toString(),
                 title + "\n" + Q(kRich));

        BookHighlightsView* view = tab.Highlights();
        const auto rowOf = [&](const QString& id) { return view->visualItemRect(ItemOf(view, id)); };
        // The text with its line of facts, wrapped at least as often as the row's whole width makes it.
        const auto wrappedHeight = [&] {
            return view->fontMetrics()
                .boundingRect(QRect(0, 0, rowOf("r2").width(), 0), Qt::TextWordWrap, ItemOf(view, "r2")->text(0))
                .height();
        };
        QVERIFY(ItemOf(view, "r2")->text(0).startsWith(text.trimmed()));
        QVERIFY2(rowOf("r2").height() >= wrappedHeight(),
                 qPrintable(QString("%1 < %2").arg(rowOf("r2").height()).arg(wrappedHeight())));
        QVERIFY(rowOf("r3").top() >= rowOf("r2").bottom());
        // A search result shows part of the long highlight: its tooltip holds all of it.
        tab.SearchEdit()->setText("word after word");
        const QModelIndex result = tab.ResultsModel()->index(0, 0, tab.ResultsModel()->index(0, 0));
        QCOMPARE(result.data(Qt::ToolTipRole).toString(), text);
        tab.SearchEdit()->clear();
        const int wide = rowOf("r2").height();
        f.resize(f.width() - 200, f.height());
        QTRY_VERIFY(rowOf("r2").height() > wide);
        QVERIFY(rowOf("r2").height() >= wrappedHeight());
    }

    // A long book is read beside the window and shown a part at a time; a book chosen while it is read is the one
    // shown, whichever reading ends last.
    void aLongBookIsReadBesideTheWindow() {
        const std::string id = "/mnt/onboard/Long.epub";
        {
            fixture::ReaderDatabase reader(m_database.toStdString(), fixture::ReaderDatabase::Existing);
            reader.Exec("BEGIN");
            reader.AddBook({.volumeId = id, .title = "Long", .author = "Writer"});
            reader.AddPart({.contentId = id + "#1", .bookId = id, .bookTitle = "Long"});
            for (int h = 0; h < 1600; ++h)
                reader.AddBookmark({.bookmarkId = "long" + std::to_string(h),
                                    .volumeId = id,
                                    .contentId = id + "#1",
                                    .startContainerChildIndex = std::int64_t{h + 1},
                                    .text = "Line " + std::to_string(h) + "."});
            reader.Exec("COMMIT");
        }
        TForm1& f = *m_form;
        LibraryTab& tab = *f.LibraryPage;
        f.LoadDatabase(m_database);
        BookHighlightsView* view = tab.Highlights();
        // Nothing chosen yet: the pane says what to do.
        QCOMPARE(view->topLevelItem(0)->text(0), QString("choose a book in the table to see its highlights here"));
        QVERIFY(tab.SelectBook(Q(id)));
        QCOMPARE(view->topLevelItemCount(), 1);
        QCOMPARE(view->topLevelItem(0)->text(0), QString("reading the book's 1,600 bookmarks\u2026"));
        QTRY_VERIFY(view->Volume() && view->Complete());
        QCOMPARE(view->topLevelItem(0)->childCount(), 1600);
        QCOMPARE(ItemOf(view, "long1599")->text(0).left(10), QString("Line 1599."));

        QVERIFY(tab.SelectBook(Q(kStore)));
        QVERIFY(tab.SelectBook(Q(id)));
        QVERIFY(tab.SelectBook(Q(kStore))); // read at once, while the long one is read
        QTest::qWait(300);
        QCOMPARE(Chapters(view).size(), 1);
        QVERIFY2(Chapters(view).front().endsWith(": s1"), qPrintable(Chapters(view).front()));
    }

    // An Arabic highlight keeps to the right, its line of facts reading left to right under it as for any other: the
    // item's text laid out as the view lays it out, one paragraph whose direction is its first letter's.
    void rightToLeftHighlightsKeepTheirFactsLeftToRight() {
        const QString arabic =
            QString::fromUtf8("\u0645\u0631\u062D\u0628\u0627 \u0628\u0627\u0644\u0639\u0627\u0644\u0645");
        {
            fixture::ReaderDatabase reader(m_database.toStdString(), fixture::ReaderDatabase::Existing);
            reader.Exec("UPDATE Bookmark SET Text = '" + arabic.toStdString() +
                        "', DateCreated = '2024-11-18T17:44:00.000' WHERE BookmarkID = 'r2'");
        }
        TForm1& f = *m_form;
        f.LoadDatabase(m_database);
        QVERIFY(f.LibraryPage->SelectBook(Q(kRich)));
        const QTreeWidgetItem* item = ItemOf(f.LibraryPage->Highlights(), "r2");
        QCOMPARE(item->textAlignment(0) & Qt::AlignHorizontal_Mask, int(Qt::AlignRight));
        QCOMPARE(ItemOf(f.LibraryPage->Highlights(), "r1")->textAlignment(0) & Qt::AlignHorizontal_Mask,
                 int(Qt::AlignLeft));

        QString text = item->text(0);
        text.replace('\n', QChar::LineSeparator);
        QTextLayout layout(text, f.font());
        QTextOption option;
        option.setTextDirection(text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
            line.setLineWidth(10000);
        layout.endLayout();
        const QTextLine facts = layout.lineForTextPosition(int(text.indexOf("2024")));
        // Inside each word, where no run begins.
        const auto x = [&](const QString& part) { return facts.cursorToX(int(text.indexOf(part)) + 1); };
        QVERIFY2(x("2024") < x("17:44") && x("17:44") < x("highlight"),
                 qPrintable(QString("%1 %2 %3").arg(x("2024")).arg(x("17:44")).arg(x("highlight"))));
    }

    // A database on the reader's volume: each book's cover, from the reader's own pictures or the book's EPUB, shows
    // in its column once read beside the window; a database anywhere else shows no such column.
    void coversShowInTheirColumnForBooksOnTheReader() {
        TForm1& f = *m_form;
        LibraryTab& tab = *f.LibraryPage;
        f.LoadDatabase(m_database);
        QVERIFY(tab.Table()->isColumnHidden(LibraryBooksModel::Cover));

        const QString volume = m_program->filePath("KOBOeReader");
        QVERIFY(QDir().mkpath(volume + "/.kobo") && QDir().mkpath(volume + "/Ann Writer"));
        const std::string database = (volume + "/.kobo/KoboReader.sqlite").toStdString();
        {
            fixture::ReaderDatabase reader(database);
            fixture::AddWholeRecordLibrary(reader);
            reader.Exec("UPDATE content SET ImageId = 'store-cover' WHERE ContentID = '" + kStore + "'");
        }
        const auto picture = [](Qt::GlobalColor color, const char* format) {
            QImage image(300, 450, QImage::Format_RGB32);
            image.fill(color);
            QBuffer bytes;
            bytes.open(QIODevice::WriteOnly);
            image.save(&bytes, format);
            return bytes.data().toStdString();
        };
        fixture::EpubMaker()
            .Package(R"(<item id="c" href="c.png" media-type="image/png" properties="cover-image"/>)", "")
            .Add("OEBPS/c.png", picture(Qt::red, "PNG"))
            .Write((volume + "/Ann Writer/Notes - Ann Writer.kepub.epub").toStdString());
        const QString grid = volume + "/.kobo-images/" + Q(KoboImageFolders("store-cover"));
        QVERIFY(QDir().mkpath(grid));
        QFile store(grid + "/store-cover - N3_LIBRARY_GRID.parsed");
        QVERIFY(store.open(QIODevice::WriteOnly));
        store.write(QByteArray::fromStdString(picture(Qt::blue, "JPEG")));
        store.close();

        f.show();
        f.LoadDatabase(Q(database));
        QVERIFY(!tab.Table()->isColumnHidden(LibraryBooksModel::Cover));
        const auto coverCell = [&](const std::string& volumeId) {
            for (int row = 0; row < tab.Proxy()->rowCount(); ++row)
                if (tab.Proxy()->index(row, 0).data(LibraryBooksModel::kVolumeIdRole).toString() == Q(volumeId))
                    return tab.Proxy()->index(row, LibraryBooksModel::Cover);
            return QModelIndex();
        };
        // What the table draws in the middle of each cover's cell.
        const auto shown = [&](const std::string& volumeId) {
            const QRect cell = tab.Table()->visualRect(coverCell(volumeId));
            return tab.Table()->viewport()->grab().toImage().pixelColor(cell.center());
        };
        QTRY_VERIFY(!coverCell(kRich).data(Qt::DecorationRole).value<QPixmap>().isNull());
        QTRY_VERIFY(!coverCell(kStore).data(Qt::DecorationRole).value<QPixmap>().isNull());
        QCOMPARE(coverCell(kRich).data(Qt::DecorationRole).value<QPixmap>().height(), BookCovers::kHeight);
        // A selected row's picture is tinted with the selection's colour.
        QVERIFY2(shown(kRich).red() > 150 && shown(kRich).blue() < 100, qPrintable(shown(kRich).name()));
        QVERIFY2(shown(kStore).blue() > 150 && shown(kStore).red() < 100, qPrintable(shown(kStore).name()));
        QVERIFY(coverCell(kUntitled).data(Qt::DecorationRole).isNull());
    }

    void windowFaultsMetOnTheWay() {
        QVERIFY(!m_form->windowIcon().isNull());
        QVERIFY(!m_form->windowIcon().pixmap(32, 32).isNull());
        // Installed programs keep their results in the data folder, whoever runs them; a build folder keeps its own.
        const QString data = FromPath(UserDataFolder());
        QCOMPARE(DefaultProgramFolder("/usr/bin"), data);
        QCOMPARE(DefaultProgramFolder("/opt/marvik/bin"), data);
        QCOMPARE(DefaultProgramFolder(m_program->path()), m_program->path());
    }

private:
    std::unique_ptr<TForm1> m_form;
    std::unique_ptr<QTemporaryDir> m_program;
    QString m_database;
    QStringList m_boxes;
    OpenedUrls m_opened;
};

int main(int argc, char* argv[]) {
    QStandardPaths::setTestModeEnabled(true);
    MarvikApplication app(argc, argv);
    LibraryTabTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "LibraryTabTest.moc"
