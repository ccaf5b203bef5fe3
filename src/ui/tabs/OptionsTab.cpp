#include "OptionsTab.h"

#include "ErrorDisplay.h"
#include "ExportFormats.h"
#include "InkOverPageRenderer.h"
#include "MessageBoxes.h"
#include "NamedWidgets.h"
#include "TemplateSources.h"
#include "Utf8Text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>

#include <optional>
#include <string_view>

namespace {

// A widget of the tab at its fixed place: the options keep their places whatever the window's size.
template <class Widget> Widget* Placed(Widget* widget, QWidget* tab, const QRect& place) {
    widget->setParent(tab);
    widget->setGeometry(place);
    return widget;
}

QCheckBox* OptionBox(const char* name, const QString& caption, QWidget* tab, const QRect& place) {
    return Placed(TickedBox(name, caption, false), tab, place);
}

void RestoreBox(const QSettings& settings, const char* key, QCheckBox* box) {
    box->setChecked(settings.value(key, box->isChecked()).toBool());
}

constexpr ExportFormat kDefaultFormat = ExportFormat::Text;
const QString kDefaultNoteTemplate = QString::fromUtf8(kDefaultTemplateSet.data(), kDefaultTemplateSet.size());

// The format is kept by its stable name; earlier versions kept a number under a key of its own, which is read as long
// as the name is missing and is dropped at the next save.
constexpr const char* kFormatKey = "options/exportFormat";
constexpr const char* kLegacyFormatKey = "options/format";

// The format the settings hold; one this version does not know gives the default. None when they hold none.
std::optional<ExportFormat> StoredFormat(const QSettings& settings) {
    const ExportFormatRow* row = nullptr;
    if (settings.contains(kFormatKey))
        row = FindExportFormat(EncodeUtf8(settings.value(kFormatKey).toString()));
    else if (settings.contains(kLegacyFormatKey))
        row = FindExportFormatByLegacyIndex(settings.value(kLegacyFormatKey).toInt());
    else
        return std::nullopt;
    return row != nullptr ? row->format : kDefaultFormat;
}

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QString SeparatorCodes(const QString& separator) {
    QString codes;
    for (const char byte : separator.toUtf8())
        codes += '#' + QString::number(static_cast<unsigned char>(byte));
    return codes;
}

OptionsTab::OptionsTab(QWidget* parent)
    : QWidget(parent), m_separatorLabel(Named<QLabel>("TntLabel5", "separator", this)),
      m_separatorEdit(Placed(Named<QLineEdit>("TntEdit3"), this, {120, 37, 121, 23})),
      m_tabButton(Placed(Named<QPushButton>("TabButton", "TAB"), this, {247, 37, 44, 23})),
      m_separatorCodes(Placed(Named<QLabel>("Label1"), this, {299, 40, 200, 17})),
      m_exportFormatLabel(Placed(Named<QLabel>("exportFormatLabel", "export format"), this, {16, 76, 100, 17})),
      m_exportFormatBox(Placed(Named<QComboBox>("exportFormatBox"), this, {120, 72, 130, 25})),
      m_overrideBox(OptionBox("CheckBox1", "override existing annotation files", this, {16, 112, 270, 21})),
      m_newOnlyBox(OptionBox("newOnlyBox", "export only new highlights", this, {300, 112, 260, 21})),
      m_bomBox(OptionBox("TntCheckBox3", "set BOM", this, {15, 138, 200, 21})),
      m_backupOnConnectBox(OptionBox("backupOnConnectBox", "back up the reader's database when it is connected", this,
                                     {16, 164, 400, 21})),
      m_loadOnConnectBox(
          OptionBox("loadOnConnectBox", "load the reader's database when it is connected", this, {16, 190, 400, 21})),
      m_consoleBox(OptionBox("CheckBox2", "enable execSQL:execute", this, {16, 218, 260, 21})),
      m_skipDeletedBox(OptionBox("skipDeletedBox", "skip deleted highlights", this, {16, 244, 320, 21})),
      m_chapterTitlesBox(
          OptionBox("chapterTitlesBox", "chapter titles from table of contents", this, {16, 270, 320, 21})),
      m_resultsFolderButton(Named<QPushButton>("resultsFolderButton", "results folder...", this)),
      m_resultsFolderLabel(Named<QLabel>("resultsFolderLabel", QString(), this)),
      m_notesFolderButton(Named<QPushButton>("notesFolderButton", "notes folder...", this)),
      m_notesFolderLabel(Named<QLabel>("notesFolderLabel", QString(), this)),
      m_noteTemplateLabel(Named<QLabel>("noteTemplateLabel", "note template", this)),
      m_noteTemplateBox(Named<QComboBox>("noteTemplateBox", this)),
      m_syncOnConnectBox(OptionBox("syncOnConnectBox", "sync notes after the backup when the reader is connected", this,
                                   {16, 394, 420, 21})),
      m_resetButton(Named<QPushButton>("ResetButton", "reset options", this)) {
    setObjectName("TabSheet4");
    m_separatorLabel->setGeometry(16, 40, m_separatorLabel->sizeHint().width(), 17);
    m_resultsFolderButton->setGeometry(16, 300, m_resultsFolderButton->sizeHint().width(), 25);
    const int folderLeft = m_resultsFolderButton->geometry().right() + 10;
    m_resultsFolderLabel->setGeometry(folderLeft, 304, 560 - folderLeft, 17);
    m_notesFolderButton->setGeometry(16, 334, m_notesFolderButton->sizeHint().width(), 25);
    const int notesLeft = m_notesFolderButton->geometry().right() + 10;
    m_notesFolderLabel->setGeometry(notesLeft, 338, 560 - notesLeft, 17);
    m_noteTemplateLabel->setGeometry(16, 368, m_noteTemplateLabel->sizeHint().width(), 17);
    m_noteTemplateBox->setGeometry(m_noteTemplateLabel->geometry().right() + 10, 364, 160, 25);
    m_resetButton->setGeometry(16, 428, m_resetButton->sizeHint().width(), 25);
    ListNoteTemplates();
    for (const ExportFormatRow& row : ExportFormats())
        m_exportFormatBox->addItem(FromUtf8(row.caption), QVariant::fromValue(row.format));

    setTabOrder(m_bomBox, m_separatorEdit);
    setTabOrder(m_separatorEdit, m_tabButton);
    setTabOrder(m_tabButton, m_exportFormatBox);
    setTabOrder(m_exportFormatBox, m_overrideBox);
    setTabOrder(m_overrideBox, m_newOnlyBox);
    setTabOrder(m_newOnlyBox, m_backupOnConnectBox);
    setTabOrder(m_backupOnConnectBox, m_loadOnConnectBox);
    setTabOrder(m_loadOnConnectBox, m_consoleBox);
    setTabOrder(m_consoleBox, m_skipDeletedBox);
    setTabOrder(m_skipDeletedBox, m_chapterTitlesBox);
    setTabOrder(m_chapterTitlesBox, m_resultsFolderButton);
    setTabOrder(m_resultsFolderButton, m_notesFolderButton);
    setTabOrder(m_notesFolderButton, m_noteTemplateBox);
    setTabOrder(m_noteTemplateBox, m_syncOnConnectBox);
    setTabOrder(m_syncOnConnectBox, m_resetButton);

    const auto guard = [this](void (OptionsTab::*handler)()) {
        return [this, handler] { RunGuarded(this, [&] { (this->*handler)(); }); };
    };
    connect(m_separatorEdit, &QLineEdit::textChanged, this, guard(&OptionsTab::TntEdit3Change));
    connect(m_tabButton, &QPushButton::clicked, this, guard(&OptionsTab::TabButtonClick));
    connect(m_newOnlyBox, &QCheckBox::toggled, this, guard(&OptionsTab::NewOnlyClick));
    connect(m_resultsFolderButton, &QPushButton::clicked, this, guard(&OptionsTab::ResultsFolderClick));
    connect(m_notesFolderButton, &QPushButton::clicked, this, guard(&OptionsTab::NotesFolderClick));
    connect(m_noteTemplateBox, &QComboBox::currentIndexChanged, this,
            [this] { emit NoteTemplateChanged(NoteTemplate()); });
    connect(m_resetButton, &QPushButton::clicked, this, guard(&OptionsTab::SetDefaults));
    connect(m_consoleBox, &QCheckBox::toggled, this, &OptionsTab::ConsoleArmed);
    // The described captions stay as they are; what they do is said in plain words where the pointer rests.
    m_bomBox->setToolTip("Start each written file with a byte-order mark, which tells some programs that the file is "
                         "UTF-8 text.");
    m_separatorCodes->setToolTip("The separator's character codes: a tab shows as #9.");
    m_consoleBox->setToolTip("Allow the console to run SQL statements on the loaded database. They can change it.");
    m_overrideBox->setToolTip("Write over a book's earlier file instead of adding a numbered one beside it.");
    SetDefaults();
}

ReadingOptions OptionsTab::Reading() const {
    return {.skipDeletedHighlights = m_skipDeletedBox->isChecked(),
            .chapterTitlesFromToc = m_chapterTitlesBox->isChecked()};
}

ExportOptions OptionsTab::Export() const {
    return {.separator = EncodeUtf8(m_separatorEdit->text()),
            .setBom = m_bomBox->isChecked(),
            .overrideExisting = m_overrideBox->isChecked(),
            .format = Format(),
            .reading = Reading(),
            .newOnly = m_newOnlyBox->isChecked(),
            .markupRenderer = std::make_shared<const InkOverPageRenderer>()};
}

bool OptionsTab::BackUpOnConnect() const {
    return m_backupOnConnectBox->isChecked();
}

bool OptionsTab::LoadOnConnect() const {
    return m_loadOnConnectBox->isChecked();
}

void OptionsTab::SetResultsFolder(const QString& folder) {
    m_resultsFolder = folder;
    m_resultsFolderLabel->setText(folder.isEmpty() ? QStringLiteral("the program's results folder") : folder);
    m_resultsFolderLabel->setToolTip(folder);
}

void OptionsTab::ResultsFolderClick() {
    const QString chosen = ChooseFolder(this, {"results folder", m_resultsFolder, {}});
    if (!chosen.isEmpty())
        SetResultsFolder(chosen);
}

void OptionsTab::SetNotesFolder(const QString& folder) {
    m_notesFolder = folder;
    m_notesFolderLabel->setText(folder.isEmpty() ? QStringLiteral("none yet: \"sync notes\" asks for one") : folder);
    m_notesFolderLabel->setToolTip(folder);
}

void OptionsTab::NotesFolderClick() {
    const QString chosen = ChooseFolder(this, {"notes folder", m_notesFolder, {}});
    if (!chosen.isEmpty())
        SetNotesFolder(chosen);
}

void OptionsTab::ListNoteTemplates() {
    const QSignalBlocker quiet(m_noteTemplateBox);
    const QString chosen = NoteTemplate();
    m_noteTemplateBox->clear();
    for (const TemplateSetEntry& set : ListTemplateSets()) {
        const QString name = FromUtf8(set.name);
        m_noteTemplateBox->addItem(name, name);
        m_noteTemplateBox->setItemData(m_noteTemplateBox->count() - 1,
                                       set.folder.empty() ? QStringLiteral("built in") : FromPath(set.folder),
                                       Qt::ToolTipRole);
    }
    SelectNoteTemplate(chosen.isEmpty() ? kDefaultNoteTemplate : chosen);
}

QString OptionsTab::NoteTemplate() const {
    return m_noteTemplateBox->currentData().toString();
}

// A set the user removed since it was chosen gives the default.
void OptionsTab::SelectNoteTemplate(const QString& name) {
    const int index = m_noteTemplateBox->findData(name);
    m_noteTemplateBox->setCurrentIndex(index >= 0 ? index : m_noteTemplateBox->findData(kDefaultNoteTemplate));
}

bool OptionsTab::SyncOnConnect() const {
    return m_syncOnConnectBox->isChecked();
}

void OptionsTab::showEvent(QShowEvent* event) {
    ListNoteTemplates();
    QWidget::showEvent(event);
}

ExportFormat OptionsTab::Format() const {
    return m_exportFormatBox->currentData().value<ExportFormat>();
}

void OptionsTab::SelectFormat(ExportFormat format) {
    for (int i = 0; i < m_exportFormatBox->count(); ++i)
        if (m_exportFormatBox->itemData(i).value<ExportFormat>() == format) {
            m_exportFormatBox->setCurrentIndex(i);
            return;
        }
}

void OptionsTab::SetDefaults() {
    m_separatorEdit->setText(QStringLiteral("\t"));
    SelectFormat(kDefaultFormat);
    m_overrideBox->setChecked(false);
    m_bomBox->setChecked(true);
    m_consoleBox->setChecked(false);
    m_skipDeletedBox->setChecked(true);
    m_chapterTitlesBox->setChecked(true);
    m_backupOnConnectBox->setChecked(true);
    m_loadOnConnectBox->setChecked(true);
    m_newOnlyBox->setChecked(false);
    SetResultsFolder({});
    // The notes folder is where the user's notes live: reset options leaves it to them.
    SelectNoteTemplate(kDefaultNoteTemplate);
    m_syncOnConnectBox->setChecked(false);
}

void OptionsTab::Restore(const QSettings& settings) {
    m_separatorEdit->setText(settings.value("options/separator", m_separatorEdit->text()).toString());
    RestoreBox(settings, "options/bom", m_bomBox);
    RestoreBox(settings, "options/override", m_overrideBox);
    RestoreBox(settings, "options/skipDeleted", m_skipDeletedBox);
    RestoreBox(settings, "options/chapterTitles", m_chapterTitlesBox);
    RestoreBox(settings, "options/backUpOnConnect", m_backupOnConnectBox);
    RestoreBox(settings, "options/loadOnConnect", m_loadOnConnectBox);
    RestoreBox(settings, "options/newOnly", m_newOnlyBox);
    SetResultsFolder(settings.value("options/resultsFolder", m_resultsFolder).toString());
    SetNotesFolder(settings.value("options/notesFolder", m_notesFolder).toString());
    SelectNoteTemplate(settings.value("options/noteTemplate", NoteTemplate()).toString());
    RestoreBox(settings, "options/syncOnConnect", m_syncOnConnectBox);
    if (const std::optional<ExportFormat> format = StoredFormat(settings))
        SelectFormat(*format);
}

// The console's switch is left out on purpose: a run that may write to the reader's database is armed anew each time.
void OptionsTab::Save(QSettings& settings) const {
    settings.setValue("options/separator", m_separatorEdit->text());
    settings.setValue("options/bom", m_bomBox->isChecked());
    settings.setValue("options/override", m_overrideBox->isChecked());
    settings.setValue("options/skipDeleted", m_skipDeletedBox->isChecked());
    settings.setValue("options/chapterTitles", m_chapterTitlesBox->isChecked());
    settings.setValue("options/backUpOnConnect", m_backupOnConnectBox->isChecked());
    settings.setValue("options/loadOnConnect", m_loadOnConnectBox->isChecked());
    settings.setValue("options/newOnly", m_newOnlyBox->isChecked());
    settings.setValue("options/resultsFolder", m_resultsFolder);
    settings.setValue("options/notesFolder", m_notesFolder);
    settings.setValue("options/noteTemplate", NoteTemplate());
    settings.setValue("options/syncOnConnect", m_syncOnConnectBox->isChecked());
    settings.setValue(kFormatKey, FromUtf8(FormatRow(Format()).name));
    settings.remove(kLegacyFormatKey);
}

void OptionsTab::TntEdit3Change() {
    // A TAB cannot be typed into the edit, so "\t" stands for one.
    const QString text = m_separatorEdit->text();
    if (text.contains(QStringLiteral("\\t"))) {
        const int cursor = m_separatorEdit->cursorPosition();
        const int before = static_cast<int>(text.left(cursor).count(QStringLiteral("\\t")));
        m_separatorEdit->setText(QString(text).replace(QStringLiteral("\\t"), QStringLiteral("\t")));
        m_separatorEdit->setCursorPosition(cursor - before);
        return; // the edit's change that follows shows the codes
    }
    m_separatorCodes->setText(SeparatorCodes(text));
}

void OptionsTab::TabButtonClick() {
    m_separatorEdit->insert(QStringLiteral("\t"));
    m_separatorEdit->setFocus();
}

// New highlights go to a file of their own: replacing an earlier file would lose what it holds.
void OptionsTab::NewOnlyClick() {
    m_overrideBox->setEnabled(!m_newOnlyBox->isChecked());
}
