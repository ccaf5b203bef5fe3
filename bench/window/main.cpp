// marvik-window-bench: the window on the offscreen platform with a large library, as a user meets it: loading it
// into the three lists, one keystroke in a "find" box, a word in the search of all highlights, "export all books"; how
// often the status and the progress bar are painted meanwhile, and how soon a close request is heard during each. One
// figure a line, "name value", for marvik-bench, which runs this program once a round. Beside the window, the core's
// reading for the three lists alone and the library tab's reading on top of it, to tell what the tab adds to a load.
#include "AnonymousMemory.h"
#include "BookHighlightsView.h"
#include "BookListTab.h"
#include "LibraryBooksModel.h"
#include "LibraryTab.h"
#include "MarvikApplication.h"
#include "MessageBoxes.h"
#include "OptionsTab.h"
#include "ReaderLibrary.h"
#include "SearchResultsModel.h"
#include "TForm1.h"
#include "Utf8Text.h"
#include "VolumeSource.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QScopeGuard>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

// Counts the paints of the status row and notes when a close request reaches the window, without letting it close.
class Watcher : public QObject {
public:
    bool counting = false;
    int paints = 0;
    qint64 closeHeardAt = -1;
    QElapsedTimer clock;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && counting)
            ++paints;
        if (event->type() == QEvent::Close && qobject_cast<TForm1*>(watched) != nullptr) {
            closeHeardAt = clock.nsecsElapsed();
            event->ignore();
            return true;
        }
        return false;
    }
};

// Takes the results folder that "export all books" opens, so that nothing opens.
class UrlSink : public QObject {
    Q_OBJECT
public slots:
    void Open(const QUrl&) {}
};

// The process's own memory (RssAnon: not the database and libraries it maps), sampled every 4 ms beside the window.
class OwnMemory {
public:
    OwnMemory()
        : m_sampling([this](std::stop_token stop) {
              while (!stop.stop_requested()) {
                  const long kb = OwnKb();
                  long seen = m_peakKb.load();
                  while (kb > seen && !m_peakKb.compare_exchange_weak(seen, kb)) {
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(4));
              }
          }) {}
    void Reset() { m_peakKb = OwnKb(); }
    double PeakMb() const { return static_cast<double>(std::max(m_peakKb.load(), OwnKb())) / 1024.0; }

private:
    static long OwnKb() { return static_cast<long>(AnonymousKb(getpid())); }
    std::atomic<long> m_peakKb{0};
    std::jthread m_sampling;
};

OwnMemory* g_memory = nullptr;

void Print(const char* name, double value) {
    std::printf("%s %.3f\n", name, value);
}

double Milliseconds(qint64 nanoseconds) {
    return static_cast<double>(nanoseconds) / 1e6;
}

// Runs action with the paints counted; with closeAfter (ms), a close request is posted that long after the start.
// Prints the action's time, the paints a second and, with a close request, how long it took to be heard.
void Measure(const char* name, TForm1& form, Watcher& watcher, int closeAfter, const std::function<void()>& action) {
    watcher.paints = 0;
    watcher.closeHeardAt = -1;
    qint64 closeSentAt = -1;
    if (closeAfter >= 0) {
        QTimer::singleShot(closeAfter, &form, [&] {
            closeSentAt = watcher.clock.nsecsElapsed();
            QCoreApplication::postEvent(form.windowHandle(), new QCloseEvent);
        });
    }
    watcher.counting = true;
    g_memory->Reset();
    const qint64 start = watcher.clock.nsecsElapsed();
    action();
    const qint64 took = watcher.clock.nsecsElapsed() - start;
    watcher.counting = false;
    const std::string prefix(name);
    Print((prefix + (closeAfter < 0 ? "" : "_again") + "_own_peak_mb").c_str(), g_memory->PeakMb());
    if (closeAfter < 0) {
        Print((prefix + "_ms").c_str(), Milliseconds(took));
        Print((prefix + "_paints_per_s").c_str(), watcher.paints / (static_cast<double>(took) / 1e9));
        return;
    }
    QCoreApplication::processEvents(); // a request not heard during the work is heard now
    const bool heardDuring = watcher.closeHeardAt >= 0 && watcher.closeHeardAt <= start + took;
    // Not heard during the work: it waited at least until the work was done.
    Print((prefix + "_close_ms").c_str(),
          closeSentAt < 0 ? -1.0 : Milliseconds((heardDuring ? watcher.closeHeardAt : start + took) - closeSentAt));
    Print((prefix + "_close_heard_during").c_str(), heardDuring ? 1 : 0);
}

// The longest the window's event loop waited for its next turn while an action ran and until done() held: the action
// itself (run on the window's thread, as a click's handler runs) and then each turn of the loop.
double LongestWaitMs(const std::function<void()>& action, const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    action();
    qint64 longest = clock.nsecsElapsed();
    while (!done()) {
        const qint64 before = clock.nsecsElapsed();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        longest = std::max(longest, clock.nsecsElapsed() - before);
        if (clock.elapsed() > 60000)
            break;
    }
    return Milliseconds(longest);
}

// The listed book with the most highlights.
QString BiggestBook(const LibraryTab& tab) {
    const QAbstractItemModel& books = *tab.Proxy();
    int biggest = 0;
    for (int row = 1; row < books.rowCount(); ++row)
        if (books.index(row, LibraryBooksModel::Highlights).data(LibraryBooksModel::kSortRole).toLongLong() >
            books.index(biggest, LibraryBooksModel::Highlights).data(LibraryBooksModel::kSortRole).toLongLong())
            biggest = row;
    return books.index(biggest, 0).data(LibraryBooksModel::kVolumeIdRole).toString();
}

// Rows of highlights the book's pane holds.
int ShownHighlights(const BookHighlightsView& view) {
    int rows = 0;
    for (int chapter = 0; chapter < view.topLevelItemCount(); ++chapter)
        rows += view.topLevelItem(chapter)->childCount();
    return rows;
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true); // settings of its own, never the user's
    MarvikApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    if (argc != 2) {
        std::fprintf(stderr, "usage: marvik-window-bench DATABASE\n");
        return 2;
    }
    const QString database = QString::fromLocal8Bit(argv[1]);
    OwnMemory memory;
    g_memory = &memory;
    QTemporaryDir program;
    SetMessageBoxHandler([](const MessageBoxRequest& request) {
        std::fprintf(stderr, "marvik-window-bench: box: %s\n", qPrintable(request.text));
    });
    UrlSink urls;
    QDesktopServices::setUrlHandler("file", &urls, "Open");
    const auto unsetUrls = qScopeGuard([] { QDesktopServices::unsetUrlHandler("file"); });

    {
        ReaderLibrary library;
        SilentProgress silent;
        QElapsedTimer reading;
        reading.start();
        library.LoadDatabase(ToPath(database), silent);
        Print("lists_read_ms", Milliseconds(reading.nsecsElapsed()));
        reading.restart();
        library.ReadOverview({}, silent);
        Print("library_tab_read_ms", Milliseconds(reading.nsecsElapsed()));
    }

    TForm1 form(program.path(), std::make_shared<ListedVolumes>(std::vector<MountedVolume>{}));
    form.TabSheet4->CheckBox1()->setChecked(true); // override, as "marvik-cli export --all --override"
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    Watcher watcher;
    watcher.clock.start();
    form.installEventFilter(&watcher);
    form.TntLabel6->installEventFilter(&watcher);
    form.ProgressBar1->installEventFilter(&watcher);

    const auto load = [&] { form.LoadDatabase(database); };
    const auto exportAll = [&] {
        form.exportallbooks1->trigger();
        QCoreApplication::processEvents();
    };
    Measure("load", form, watcher, -1, load);
    std::printf("rows %d\n", form.TabSheet1->List()->count());

    // Keystrokes that match no row, so each one searches every row and tells "not found".
    form.TabSheet1->SearchEdit()->setFocus();
    std::vector<double> keys;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer key;
        key.start();
        QTest::keyClick(form.TabSheet1->SearchEdit(), 'q');
        QCoreApplication::processEvents(); // its paints included
        keys.push_back(Milliseconds(key.nsecsElapsed()));
    }
    std::sort(keys.begin(), keys.end());
    Print("find_key_ms", keys[keys.size() / 2]);
    Print("find_key_worst_ms", keys.back());
    std::printf("find_status %s\n", qPrintable(form.TntLabel6->text()));

    // A word typed into the search of every book's highlights (Ctrl+F), letter by letter, each with its paints; then
    // the window's turns until the last letter's results are shown. The longest wait of the window's event loop
    // meanwhile, and the time from a keystroke to the end of its turn.
    QTest::keySequence(&form, QKeySequence::Find);
    std::vector<double> searchKeys;
    double searchWait = 0;
    for (const char letter : std::string("window")) {
        QElapsedTimer key;
        key.start();
        QTest::keyClick(form.LibraryPage->SearchEdit(), letter);
        QCoreApplication::processEvents();
        searchKeys.push_back(Milliseconds(key.nsecsElapsed()));
        searchWait = std::max(searchWait, searchKeys.back());
    }
    searchWait = std::max(searchWait, LongestWaitMs([] {}, [&] { return !form.LibraryPage->Searching(); }));
    std::sort(searchKeys.begin(), searchKeys.end());
    Print("search_key_ms", searchKeys[searchKeys.size() / 2]);
    Print("search_key_worst_ms", searchKeys.back());
    Print("search_longest_wait_ms", searchWait);
    std::printf("search_results %d\n", int(form.LibraryPage->ResultsModel()->Found()));

    // The book with the most highlights chosen in the library tab, then End in its highlights: the longest the window
    // waits for its next input meanwhile, until the whole book is shown.
    {
        const QString book = BiggestBook(*form.LibraryPage);
        BookHighlightsView& view = *form.LibraryPage->Highlights();
        form.LibraryPage->SearchEdit()->clear();
        const auto shown = [&] {
            return view.Volume() && ShownHighlights(view) == int(view.Volume()->bookmarks.size()) &&
                   form.LibraryPage->CurrentVolume() == book;
        };
        Print("book_select_longest_wait_ms", LongestWaitMs([&] { form.LibraryPage->SelectBook(book); }, shown));
        std::printf("book_highlights %d\n", ShownHighlights(view));
        view.setFocus();
        Print("book_end_longest_wait_ms",
              LongestWaitMs([&] { QTest::keyClick(&view, Qt::Key_End); }, [] { return true; }));
        Print("book_home_longest_wait_ms",
              LongestWaitMs([&] { QTest::keyClick(&view, Qt::Key_Home); }, [] { return true; }));
    }

    Measure("export", form, watcher, -1, exportAll);
    std::printf("export_status %s\n", qPrintable(form.TntLabel6->text()));

    // Close requests a third of the way into each.
    Measure("load", form, watcher, 100, load);
    form.show();
    Measure("export", form, watcher, 300, exportAll);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    Print("peak_mb", static_cast<double>(usage.ru_maxrss) / 1024.0);
    return 0;
}

#include "main.moc"
