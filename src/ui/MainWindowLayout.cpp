// The window's widgets, captions, initial states, tab order and resizing behaviour.
#include "TForm1.h"

#include "ElidingLabel.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

namespace {

template <class Widget, class... Args> Widget* Named(const char* name, Args&&... args) {
    auto* widget = new Widget(std::forward<Args>(args)...);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QCheckBox* TickedBox(const char* name, const QString& caption, bool ticked) {
    auto* box = Named<QCheckBox>(name, caption);
    box->setChecked(ticked);
    return box;
}

// A box of the options tab, at its fixed place.
QCheckBox* OptionBox(const char* name, const QString& caption, bool ticked, QWidget* tab, const QRect& place) {
    QCheckBox* box = TickedBox(name, caption, ticked);
    box->setParent(tab);
    box->setGeometry(place);
    return box;
}

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

// One list tab: the search row on top (the edit stretches, the box and the button keep right), the list growing
// with the tab, and two labels kept at the bottom left.
void LayOutListTab(QWidget* tab, QLabel* find, QLineEdit* edit, QCheckBox* caseBox, QPushButton* findNext,
                   QListWidget* list, QLabel* upper, QLabel* lower) {
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(find);
    searchRow->addWidget(edit, 1);
    searchRow->addSpacing(4);
    searchRow->addWidget(caseBox);
    searchRow->addWidget(findNext);
    auto* column = new QVBoxLayout(tab);
    column->setContentsMargins(2, 4, 4, 2);
    column->setSpacing(2);
    column->addLayout(searchRow);
    column->addWidget(list, 1);
    column->addWidget(upper);
    column->addWidget(lower);
}

} // namespace

void TForm1::BuildLayout() {
    setObjectName("Form1");
    resize(590, 412);
    move(192, 114);

    PageControl1 = Named<QTabWidget>("PageControl1");
    TabSheet1 = Named<QWidget>("TabSheet1");
    TabSheet2 = Named<QWidget>("TabSheet2");
    TabSheet3 = Named<QWidget>("TabSheet3");
    TabSheet4 = Named<QWidget>("TabSheet4");
    TabSheet5 = Named<QWidget>("TabSheet5");

    TntLabel4 = Named<QLabel>("TntLabel4", "find:");
    TntEdit1 = Named<QLineEdit>("TntEdit1");
    TntCheckBox1 = TickedBox("TntCheckBox1", "case sensitive", true);
    TntButton1 = Named<QPushButton>("TntButton1", "find next");
    TntListBox1 = Named<QListWidget>("TntListBox1");
    // The facts of the selected row never widen the window: long ones are elided, paths in the middle.
    TntLabel10 = Named<ElidingLabel>("TntLabel10", Qt::ElideRight);
    TntLabel1 = Named<ElidingLabel>("TntLabel1", Qt::ElideRight);
    LayOutListTab(TabSheet1, TntLabel4, TntEdit1, TntCheckBox1, TntButton1, TntListBox1, TntLabel10, TntLabel1);

    TntLabel3 = Named<QLabel>("TntLabel3", "find:");
    TntEdit2 = Named<QLineEdit>("TntEdit2");
    TntListBox2 = Named<QListWidget>("TntListBox2");
    TntCheckBox2 = TickedBox("TntCheckBox2", "case sensitive", true);
    TntButton2 = Named<QPushButton>("TntButton2", "find next");
    TntLabel2 = Named<ElidingLabel>("TntLabel2", Qt::ElideRight);
    TntLabel11 = Named<ElidingLabel>("TntLabel11", Qt::ElideMiddle);
    LayOutListTab(TabSheet2, TntLabel3, TntEdit2, TntCheckBox2, TntButton2, TntListBox2, TntLabel2, TntLabel11);

    TntLabel9 = Named<QLabel>("TntLabel9", "find");
    TntListBox3 = Named<QListWidget>("TntListBox3");
    TntEdit4 = Named<QLineEdit>("TntEdit4");
    TntCheckBox6 = TickedBox("TntCheckBox6", "case sensitive", true);
    TntButton3 = Named<QPushButton>("TntButton3", "find next");
    TntLabel7 = Named<ElidingLabel>("TntLabel7", Qt::ElideRight);
    TntLabel8 = Named<ElidingLabel>("TntLabel8", Qt::ElideMiddle);
    LayOutListTab(TabSheet3, TntLabel9, TntEdit4, TntCheckBox6, TntButton3, TntListBox3, TntLabel7, TntLabel8);

    // The options keep their places whatever the window's size.
    TntLabel5 = Named<QLabel>("TntLabel5", "separator", TabSheet4);
    TntLabel5->setGeometry(16, 40, TntLabel5->sizeHint().width(), 17);
    TntEdit3 = Named<QLineEdit>("TntEdit3", TabSheet4);
    TntEdit3->setGeometry(120, 37, 121, 23);
    TabButton = Named<QPushButton>("TabButton", "TAB", TabSheet4);
    TabButton->setGeometry(247, 37, 44, 23);
    Label1 = Named<QLabel>("Label1", TabSheet4);
    Label1->setGeometry(299, 40, 200, 17);
    Label2 = Named<QLabel>("Label2", "export format", TabSheet4);
    Label2->setGeometry(16, 76, 100, 17);
    ComboBox1 = Named<QComboBox>("ComboBox1", TabSheet4);
    ComboBox1->addItems({"text", "Markdown", "JSON", "CSV"}); // in the order of ExportFormat
    ComboBox1->setGeometry(120, 72, 130, 25);
    CheckBox1 = OptionBox("CheckBox1", "override existing annotation files", false, TabSheet4, {16, 112, 270, 21});
    CheckBox6 = OptionBox("CheckBox6", "export only new highlights", false, TabSheet4, {300, 112, 260, 21});
    TntCheckBox3 = OptionBox("TntCheckBox3", "set BOM", true, TabSheet4, {15, 138, 200, 21});
    CheckBox5 = OptionBox("CheckBox5", "back up the reader's database when it is connected", true, TabSheet4,
                          {16, 164, 400, 21});
    CheckBox2 = OptionBox("CheckBox2", "enable execSQL:execute", false, TabSheet4, {16, 192, 260, 21});
    CheckBox3 = OptionBox("CheckBox3", "skip deleted highlights", true, TabSheet4, {16, 218, 320, 21});
    CheckBox4 = OptionBox("CheckBox4", "chapter titles from table of contents", true, TabSheet4, {16, 244, 320, 21});
    ResetButton = Named<QPushButton>("ResetButton", "reset options", TabSheet4);
    ResetButton->setGeometry(16, 276, ResetButton->sizeHint().width(), 25);

    Memo1 = Named<QPlainTextEdit>("Memo1");
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Button2 = Named<QPushButton>("Button2", "execute");
    auto* console = new QVBoxLayout(TabSheet5);
    console->setContentsMargins(8, 8, 8, 2);
    console->addWidget(Memo1, 1);
    console->addWidget(Button2, 0, Qt::AlignRight);

    PageControl1->addTab(TabSheet1, "file names");
    PageControl1->addTab(TabSheet2, "book titles");
    PageControl1->addTab(TabSheet3, "authors");
    PageControl1->addTab(TabSheet4, "options");
    PageControl1->addTab(TabSheet5, "execSQL");
    PageControl1->setCurrentWidget(TabSheet3);

    // Below the tabs: which database is loaded, then the status and the progress bar, sharing the width two to one
    // between fixed margins.
    DatabasePathLabel = Named<ElidingLabel>("DatabasePathLabel", Qt::ElideMiddle);
    DatabasePathLabel->setContentsMargins(8, 0, 8, 0);
    TntLabel6 = Named<ElidingLabel>("TntLabel6", Qt::ElideRight);
    ProgressBar1 = Named<QProgressBar>("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedHeight(17);
    auto* statusRow = new QHBoxLayout;
    statusRow->setContentsMargins(8, 0, 95, 4);
    statusRow->addWidget(TntLabel6, 2);
    statusRow->addWidget(ProgressBar1, 1);

    auto* central = new QWidget;
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(PageControl1, 1);
    column->addWidget(DatabasePathLabel);
    column->addLayout(statusRow);
    setCentralWidget(central);

    setTabOrder(TntListBox1, TntEdit1);
    setTabOrder(TntEdit1, TntCheckBox1);
    setTabOrder(TntCheckBox1, TntButton1);
    setTabOrder(TntEdit2, TntListBox2);
    setTabOrder(TntListBox2, TntCheckBox2);
    setTabOrder(TntCheckBox2, TntButton2);
    setTabOrder(TntListBox3, TntEdit4);
    setTabOrder(TntEdit4, TntCheckBox6);
    setTabOrder(TntCheckBox6, TntButton3);
    setTabOrder(TntCheckBox3, TntEdit3);
    setTabOrder(TntEdit3, CheckBox1);
    setTabOrder(CheckBox1, CheckBox6);
    setTabOrder(CheckBox6, CheckBox5);
    setTabOrder(CheckBox5, CheckBox2);
    setTabOrder(CheckBox2, CheckBox3);
    setTabOrder(CheckBox3, CheckBox4);
    setTabOrder(TntEdit3, TabButton);
    setTabOrder(TabButton, ComboBox1);
    setTabOrder(Memo1, Button2);
}

void TForm1::BuildMenus() {
    loaddatabase1 = NamedMenu(menuBar(), "loaddatabase1", "load database");
    fromprogrampath1 = NamedAction(loaddatabase1, "fromprogrampath1", "from program folder");
    fromMarvik1 = NamedAction(loaddatabase1, "fromMarvik1", "from Kobo Reader");
    loaddatabase1->addSeparator();
    opendatabasefile1 = NamedAction(loaddatabase1, "opendatabasefile1", "open database file...");
    opendatabasefile1->setShortcut(QKeySequence::Open);
    openlastdatabase1 = NamedAction(loaddatabase1, "openlastdatabase1", "open last database");
    openlastdatabase1->setEnabled(false);
    backupdatabase1 = NamedAction(loaddatabase1, "backupdatabase1", "back up database now");
    loaddatabase1->addSeparator();
    quit1 = NamedAction(loaddatabase1, "quit1", "quit");
    quit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    openfolders1 = NamedMenu(menuBar(), "openfolders1", "open folders");
    opemprogramfolder1 = NamedAction(openfolders1, "opemprogramfolder1", "open program folder");
    openresultfolder1 = NamedAction(openfolders1, "openresultfolder1", "open result folder");
    openMarvikkobo1 = NamedAction(openfolders1, "openMarvikkobo1", "open Kobo Reader /.kobo");

    export1 = NamedMenu(menuBar(), "export1", "export");
    exportallbooks1 = NamedAction(export1, "exportallbooks1", "export all books");
    exportnewhighlights1 = NamedAction(export1, "exportnewhighlights1", "export new highlights of all books");

    help1 = NamedMenu(menuBar(), "help1", "help");
    about1 = NamedAction(help1, "about1", "about");
}
