// The "load database", "open folders" and "help" menus: where the database comes from, the folders a user opens,
// and what the program is.
#include "TForm1.h"

#include "ComponentVersions.h"
#include "LibraryTab.h"
#include "MessageBoxes.h"
#include "ReaderVolume.h"
#include "ReaderWatcher.h"
#include "ShellOpen.h"
#include "Utf8Text.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

bool IsFile(const QString& path) {
    return QFileInfo(path).isFile();
}
bool IsFolder(const QString& path) {
    return QFileInfo(path).isDir();
}
QString KoboFolder(const QString& root) {
    return QDir(root).filePath(".kobo");
}

// An entry of "load database" offers its file only when the file is there, and then names it in its caption.
bool OfferFile(QAction* entry, const QString& caption, const QString& file) {
    const bool present = !file.isEmpty() && IsFile(file);
    // An ampersand in the path is shown as itself, not taken for an access letter.
    entry->setText(present ? caption + " (" + QString(file).replace('&', "&&") + ")" : caption);
    entry->setEnabled(present);
    return present;
}

} // namespace

QString TForm1::ProgramDatabaseCopy() const {
    return ProgramFolder + QString::fromUtf8(kReaderDatabaseFileName.data(), kReaderDatabaseFileName.size());
}

QString TForm1::FindReaderRoot() const {
    return m_readerWatch->FindRoot();
}

void TForm1::loaddatabase1Click() {
    ReaderDrive = FindReaderRoot();
    const QString onReader = ReaderDrive.isEmpty() ? QString() : FromPath(::ReaderDatabasePath(ToPath(ReaderDrive)));
    if (OfferFile(fromMarvik1, "from &Kobo Reader", onReader))
        ReaderDatabasePath = onReader;
    OfferFile(fromprogrampath1, "from &program folder", ProgramDatabaseCopy());
    OfferFile(openlastdatabase1, "open &last database", LastDatabase());
    OfferOtherReaders();
    LibraryPage->OfferStarts(fromMarvik1->isEnabled() || !m_otherReaderActions.isEmpty(),
                             openlastdatabase1->isEnabled());
    OfferDatabaseActions();
}

// Starts where the database most likely is: on the reader, else beside the last one loaded, else at home.
void TForm1::opendatabasefile1Click() {
    ReaderDrive = FindReaderRoot();
    QString folder = QDir::homePath();
    if (!ReaderDrive.isEmpty() && IsFolder(KoboFolder(ReaderDrive)))
        folder = KoboFolder(ReaderDrive);
    else if (const QString last = LastDatabase(); IsFile(last))
        folder = QFileInfo(last).path();
    const QString file = ChooseFileToOpen(this, {"open database file", folder,
                                                 "Readers' files (*.sqlite *.sqlite3 *.db *.lua *.txt);;SQLite "
                                                 "databases (*.sqlite *.sqlite3 *.db);;All files (*)"});
    if (!file.isEmpty())
        LoadPaths({file});
}

void TForm1::openlastdatabase1Click() {
    LoadDatabase(LastDatabase());
}

void TForm1::fromprogrampath1Click() {
    LoadDatabase(ProgramDatabaseCopy());
}

void TForm1::fromMarvik1Click() {
    LoadDatabase(ReaderDatabasePath);
}

void TForm1::openfolders1Click() {
    openresultfolder1->setEnabled(IsFolder(ResultsFolder()));
    ReaderDrive = FindReaderRoot();
    openMarvikkobo1->setEnabled(!ReaderDrive.isEmpty() && IsFolder(KoboFolder(ReaderDrive)));
}

void TForm1::opemprogramfolder1Click() {
    ShellOpen(ProgramFolder);
}

void TForm1::openresultfolder1Click() {
    if (IsFolder(ResultsFolder()))
        ShellOpen(ResultsFolder());
}

void TForm1::openMarvikkobo1Click() {
    ShellOpen(KoboFolder(ReaderDrive));
}

void TForm1::about1Click() {
    const QString text = QString("Marvik annotation extractor %1\n\n"
                                 "Writes the highlights and notes of a Kobo e-reader's books to files.\n\n"
                                 "SQLite %2, ICU %3, Qt %4\n\n"
                                 "Annotation files: %5\nSettings: %6")
                             .arg(MARVIK_VERSION, DecodeUtf8(SQLiteVersion()), DecodeUtf8(IcuVersion()), qVersion(),
                                  ResultsFolder(), m_settings->fileName());
    ShowMessageBox(this, {MessageBoxRequest::Icon::None, "about Marvik", text});
}
