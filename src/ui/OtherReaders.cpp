// Readers told by their files whatever their labels: KOReader's sidecars and a Kindle's clippings, offered to load,
// their files backed up when they are connected.
#include "TForm1.h"

#include "DatabaseBackups.h"
#include "LibraryTab.h"
#include "OptionsTab.h"
#include "ReaderWatcher.h"
#include "StatusLine.h"
#include "Utf8Text.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

namespace {

QString WhatItHolds(const ReaderByFiles& reader) {
    QStringList kinds;
    if (reader.koboDatabase)
        kinds << "Kobo database";
    if (reader.koreader)
        kinds << "KOReader";
    if (reader.kindleClippings)
        kinds << "Kindle clippings";
    return kinds.join(", ");
}

} // namespace

void TForm1::OfferOtherReaders() {
    // Out of the menu at once; gone once the signal that may have brought us here has ended.
    for (QAction* offered : m_otherReaderActions) {
        loaddatabase1->removeAction(offered);
        offered->setParent(nullptr);
        offered->deleteLater();
    }
    m_otherReaderActions.clear();
    const QList<QAction*> entries = loaddatabase1->actions();
    QAction* before = entries.value(entries.indexOf(fromMarvik1) + 1);
    for (const ReaderByFiles& reader : m_readerWatch->OtherReaders()) {
        const QString root = FromPath(reader.root);
        auto* entry =
            new QAction("from reader's &files: " + QString(root).replace('&', "&&") + " (" + WhatItHolds(reader) + ")",
                        loaddatabase1);
        entry->setObjectName("otherReaderAction");
        connect(entry, &QAction::triggered, this, [this, root] { Guarded([&] { LoadPaths({root}); }); });
        loaddatabase1->insertAction(before, entry);
        m_otherReaderActions << entry;
    }
}

void TForm1::OtherReadersChanged() {
    loaddatabase1Click(); // the menu's entries as they would show now
    QStringList roots;
    for (const ReaderByFiles& reader : m_readerWatch->OtherReaders()) {
        const QString root = FromPath(reader.root);
        roots << root;
        if (!m_otherReaderRoots.contains(root))
            OtherReaderConnected(reader);
    }
    m_otherReaderRoots = roots;
}

void TForm1::OtherReaderConnected(const ReaderByFiles& reader) {
    const QString root = FromPath(reader.root);
    const QString found = "reader found: " + root + " (" + WhatItHolds(reader) + "); ";
    m_status->ShowOutcome(found + "its files are offered in the load menu");
    // A Kobo's own database is loaded as a Kobo's is; the files of a reader without one are loaded here.
    if (!Loaded() && TabSheet4->LoadOnConnect() && !reader.koboDatabase)
        LoadPaths({root});
    if (!TabSheet4->BackUpOnConnect())
        return;
    TntLabel6->setText(found + "backing up its files");
    m_backups->StartReaderFiles(root, BackupsFolder(),
                                [this, found](const BackupOutcome& outcome) { ShowBackupOutcome(found, outcome); });
    ShowRunningBackups();
}

void TForm1::loadReaderClick() {
    if (fromMarvik1->isEnabled())
        fromMarvik1Click();
    else if (!m_readerWatch->OtherReaders().empty())
        LoadPaths({FromPath(m_readerWatch->OtherReaders().front().root)});
}
