#pragma once

#include "ExportOptions.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSettings;

// The separator's UTF-8 bytes, each as "#" and its decimal value: a tab gives "#9".
QString SeparatorCodes(const QString& separator);

// The "options" tab: what shapes a written file (separator, byte-order mark, replacing, format, only what is new),
// how the reader's database is read, what happens on connecting a reader, where the files go, where the notes are kept
// and how they are rendered, and the switch that arms the SQL console.
// The options live in the widgets and are read when an action starts, as the user left them.
class OptionsTab : public QWidget {
    Q_OBJECT

public:
    explicit OptionsTab(QWidget* parent = nullptr);

    ReadingOptions Reading() const;
    ExportOptions Export() const;
    bool BackUpOnConnect() const;
    // Whether a reader's database is loaded as soon as the reader is connected while nothing is loaded.
    bool LoadOnConnect() const;
    // The folder the user chose for the annotation files; empty for the program's own.
    QString ResultsFolder() const { return m_resultsFolder; }
    void SetResultsFolder(const QString& folder);
    // The folder of the notes "sync notes" keeps, one per book; empty until the user chooses one.
    QString NotesFolder() const { return m_notesFolder; }
    void SetNotesFolder(const QString& folder);
    // The template set the notes are rendered with, by name.
    QString NoteTemplate() const;
    void SelectNoteTemplate(const QString& name);
    // Whether the notes are synced after the backup made when a reader is connected.
    bool SyncOnConnect() const;
    // The format chosen in the list, which shows the formats' captions.
    ExportFormat Format() const;
    void SelectFormat(ExportFormat format);
    // "reset options": the options as the program starts without settings.
    void SetDefaults();
    // The options as the settings hold them; what they do not hold stays as it is.
    void Restore(const QSettings& settings);
    void Save(QSettings& settings) const;

    QLabel* TntLabel5() const { return m_separatorLabel; }
    QLineEdit* TntEdit3() const { return m_separatorEdit; }
    QLabel* Label1() const { return m_separatorCodes; }
    QCheckBox* CheckBox1() const { return m_overrideBox; }
    QCheckBox* TntCheckBox3() const { return m_bomBox; }
    QCheckBox* CheckBox2() const { return m_consoleBox; }
    QPushButton* TabButton() const { return m_tabButton; }
    QComboBox* ExportFormatBox() const { return m_exportFormatBox; }
    QCheckBox* NewOnlyBox() const { return m_newOnlyBox; }
    QCheckBox* BackupOnConnectBox() const { return m_backupOnConnectBox; }
    QCheckBox* LoadOnConnectBox() const { return m_loadOnConnectBox; }
    QPushButton* ResultsFolderButton() const { return m_resultsFolderButton; }
    QLabel* ResultsFolderLabel() const { return m_resultsFolderLabel; }
    QCheckBox* SkipDeletedBox() const { return m_skipDeletedBox; }
    QCheckBox* ChapterTitlesBox() const { return m_chapterTitlesBox; }
    QPushButton* ResetButton() const { return m_resetButton; }
    QPushButton* NotesFolderButton() const { return m_notesFolderButton; }
    QLabel* NotesFolderLabel() const { return m_notesFolderLabel; }
    QComboBox* NoteTemplateBox() const { return m_noteTemplateBox; }
    QCheckBox* SyncOnConnectBox() const { return m_syncOnConnectBox; }

signals:
    // "enable execSQL:execute" changed.
    void ConsoleArmed(bool armed);
    // Another template set was chosen for the notes.
    void NoteTemplateChanged(const QString& name);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void TntEdit3Change();
    void TabButtonClick();
    void NewOnlyClick();
    void ResultsFolderClick();
    void NotesFolderClick();
    // The sets as they are now: the user may have added one since the tab was made.
    void ListNoteTemplates();

    QLabel* m_separatorLabel;
    QLineEdit* m_separatorEdit;
    QPushButton* m_tabButton;
    QLabel* m_separatorCodes;
    QLabel* m_exportFormatLabel;
    QComboBox* m_exportFormatBox;
    QCheckBox* m_overrideBox;
    QCheckBox* m_newOnlyBox;
    QCheckBox* m_bomBox;
    QCheckBox* m_backupOnConnectBox;
    QCheckBox* m_loadOnConnectBox;
    QCheckBox* m_consoleBox;
    QCheckBox* m_skipDeletedBox;
    QCheckBox* m_chapterTitlesBox;
    QPushButton* m_resultsFolderButton;
    QLabel* m_resultsFolderLabel;
    QPushButton* m_notesFolderButton;
    QLabel* m_notesFolderLabel;
    QLabel* m_noteTemplateLabel;
    QComboBox* m_noteTemplateBox;
    QCheckBox* m_syncOnConnectBox;
    QPushButton* m_resetButton;
    QString m_resultsFolder;
    QString m_notesFolder;
};
