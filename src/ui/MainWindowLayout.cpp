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
    CheckBox1 = TickedBox("CheckBox1", "override existing annotation files", false);
    CheckBox1->setParent(TabSheet4);
    CheckBox1->setGeometry(16, 112, 270, 21);
    CheckBox6 = TickedBox("CheckBox6", "export only new highlights", false);
    CheckBox6->setParent(TabSheet4);
    CheckBox6->setGeometry(300, 112, 260, 21);
    TntCheckBox3 = TickedBox("TntCheckBox3", "set BOM", true);
    TntCheckBox3->setParent(TabSheet4);
    TntCheckBox3->setGeometry(15, 138, 200, 21);
    CheckBox5 = TickedBox("CheckBox5", "back up the reader's database when it is connected", true);
    CheckBox5->setParent(TabSheet4);
    CheckBox5->setGeometry(16, 164, 400, 21);
    CheckBox2 = TickedBox("CheckBox2", "enable execSQL:execute", false);
    CheckBox2->setParent(TabSheet4);
    CheckBox2->setGeometry(16, 192, 260, 21);
    CheckBox3 = TickedBox("CheckBox3", "skip deleted highlights", true);
    CheckBox3->setParent(TabSheet4);
    CheckBox3->setGeometry(16, 218, 320, 21);
    CheckBox4 = TickedBox("CheckBox4", "chapter titles from table of contents", true);
    CheckBox4->setParent(TabSheet4);
    CheckBox4->setGeometry(16, 244, 320, 21);
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
    loaddatabase1 = menuBar()->addMenu("load database");
    loaddatabase1->setObjectName("loaddatabase1");
    fromprogrampath1 = loaddatabase1->addAction("from program folder");
    fromprogrampath1->setObjectName("fromprogrampath1");
    fromMarvik1 = loaddatabase1->addAction("from Kobo Reader");
    fromMarvik1->setObjectName("fromMarvik1");
    loaddatabase1->addSeparator();
    opendatabasefile1 = loaddatabase1->addAction("open database file...");
    opendatabasefile1->setObjectName("opendatabasefile1");
    opendatabasefile1->setShortcut(QKeySequence::Open);
    openlastdatabase1 = loaddatabase1->addAction("open last database");
    openlastdatabase1->setObjectName("openlastdatabase1");
    openlastdatabase1->setEnabled(false);
    backupdatabase1 = loaddatabase1->addAction("back up database now");
    backupdatabase1->setObjectName("backupdatabase1");
    loaddatabase1->addSeparator();
    quit1 = loaddatabase1->addAction("quit");
    quit1->setObjectName("quit1");
    quit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    openfolders1 = menuBar()->addMenu("open folders");
    openfolders1->setObjectName("openfolders1");
    opemprogramfolder1 = openfolders1->addAction("open program folder");
    opemprogramfolder1->setObjectName("opemprogramfolder1");
    openresultfolder1 = openfolders1->addAction("open result folder");
    openresultfolder1->setObjectName("openresultfolder1");
    openMarvikkobo1 = openfolders1->addAction("open Kobo Reader /.kobo");
    openMarvikkobo1->setObjectName("openMarvikkobo1");

    export1 = menuBar()->addMenu("export");
    export1->setObjectName("export1");
    exportallbooks1 = export1->addAction("export all books");
    exportallbooks1->setObjectName("exportallbooks1");
    exportnewhighlights1 = export1->addAction("export new highlights of all books");
    exportnewhighlights1->setObjectName("exportnewhighlights1");

    help1 = menuBar()->addMenu("help");
    help1->setObjectName("help1");
    about1 = help1->addAction("about");
    about1->setObjectName("about1");
}
