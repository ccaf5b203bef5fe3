// The "load database" and "open folders" menus: where the database comes from, and the folders a user opens.
#include "TForm1.h"

#include "ReaderVolume.h"
#include "ShellOpen.h"
#include "Utf8Text.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>

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

} // namespace

QString TForm1::ProgramDatabaseCopy() const {
    return ProgramFolder + QString::fromUtf8(kReaderDatabaseFileName.data(), kReaderDatabaseFileName.size());
}

QString TForm1::FindReaderRoot() const {
    return FromPath(FindReaderVolume(*m_volumes));
}

void TForm1::loaddatabase1Click() {
    ReaderDrive = FindReaderRoot();
    const QString onReader = ReaderDrive.isEmpty() ? QString() : FromPath(::ReaderDatabasePath(ToPath(ReaderDrive)));
    if (!onReader.isEmpty() && IsFile(onReader)) {
        ReaderDatabasePath = onReader;
        fromMarvik1->setText("from Kobo Reader (" + onReader + ")");
        fromMarvik1->setEnabled(true);
    } else {
        fromMarvik1->setText("from Kobo Reader");
        fromMarvik1->setEnabled(false);
    }
    const QString copy = ProgramDatabaseCopy();
    if (IsFile(copy)) {
        fromprogrampath1->setText("from program folder (" + copy + ")");
        fromprogrampath1->setEnabled(true);
    } else {
        fromprogrampath1->setText("from program folder");
        fromprogrampath1->setEnabled(false);
    }
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
