// Which handler runs for which event; every handler runs under the error display.
#include "TForm1.h"

#include <QAction>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>

void TForm1::ConnectHandlers() {
    const auto guard = [this](void (TForm1::*handler)()) {
        return [this, handler] { Guarded([&] { (this->*handler)(); }); };
    };

    connect(loaddatabase1, &QMenu::aboutToShow, this, guard(&TForm1::loaddatabase1Click));
    connect(fromprogrampath1, &QAction::triggered, this, guard(&TForm1::fromprogrampath1Click));
    connect(fromMarvik1, &QAction::triggered, this, guard(&TForm1::fromMarvik1Click));
    connect(openfolders1, &QMenu::aboutToShow, this, guard(&TForm1::openfolders1Click));
    connect(opemprogramfolder1, &QAction::triggered, this, guard(&TForm1::opemprogramfolder1Click));
    connect(openresultfolder1, &QAction::triggered, this, guard(&TForm1::openresultfolder1Click));
    connect(openMarvikkobo1, &QAction::triggered, this, guard(&TForm1::openMarvikkobo1Click));
    connect(opendatabasefile1, &QAction::triggered, this, guard(&TForm1::opendatabasefile1Click));
    connect(openlastdatabase1, &QAction::triggered, this, guard(&TForm1::openlastdatabase1Click));
    connect(quit1, &QAction::triggered, this, &QWidget::close);
    connect(exportallbooks1, &QAction::triggered, this, guard(&TForm1::exportallbooks1Click));
    connect(exportnewhighlights1, &QAction::triggered, this, guard(&TForm1::exportnewhighlights1Click));
    connect(backupdatabase1, &QAction::triggered, this, guard(&TForm1::backupdatabase1Click));
    connect(about1, &QAction::triggered, this, guard(&TForm1::about1Click));

    connect(TntListBox1, &QListWidget::currentRowChanged, this, guard(&TForm1::TntListBox1Click));
    connect(TntListBox2, &QListWidget::currentRowChanged, this, guard(&TForm1::TntListBox2Click));
    connect(TntListBox3, &QListWidget::currentRowChanged, this, guard(&TForm1::TntListBox3Click));
    connect(TntListBox1, &QListWidget::itemDoubleClicked, this, guard(&TForm1::TntListBox1DbnalClick));
    connect(TntListBox2, &QListWidget::itemDoubleClicked, this, guard(&TForm1::TntListBox2DblClick));
    connect(TntListBox3, &QListWidget::itemDoubleClicked, this, guard(&TForm1::TntListBox3DblClick));
    for (QListWidget* list : {TntListBox1, TntListBox2, TntListBox3}) {
        list->installEventFilter(this);
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, this,
                [this, list](const QPoint& at) { Guarded([&] { ShowRowMenu(list, at); }); });
    }
    connect(TntEdit1, &QLineEdit::textChanged, this, guard(&TForm1::TntEdit1Change));
    connect(TntEdit2, &QLineEdit::textChanged, this, guard(&TForm1::TntEdit2Change));
    connect(TntEdit4, &QLineEdit::textChanged, this, guard(&TForm1::TntEdit4Change));
    connect(TntButton1, &QPushButton::clicked, this, guard(&TForm1::TntButton1Click));
    connect(TntButton2, &QPushButton::clicked, this, guard(&TForm1::TntButton2Click));
    connect(TntButton3, &QPushButton::clicked, this, guard(&TForm1::TntButton3Click));
    // Enter in a "find" box and F3 anywhere look for the next match.
    connect(TntEdit1, &QLineEdit::returnPressed, this, guard(&TForm1::TntButton1Click));
    connect(TntEdit2, &QLineEdit::returnPressed, this, guard(&TForm1::TntButton2Click));
    connect(TntEdit4, &QLineEdit::returnPressed, this, guard(&TForm1::TntButton3Click));
    connect(new QShortcut(QKeySequence(Qt::Key_F3), this), &QShortcut::activated, this,
            guard(&TForm1::FindNextOnCurrentTab));

    connect(TntEdit3, &QLineEdit::textChanged, this, guard(&TForm1::TntEdit3Change));
    connect(CheckBox2, &QCheckBox::toggled, this, guard(&TForm1::CheckBox2Click));
    connect(CheckBox6, &QCheckBox::toggled, this, guard(&TForm1::CheckBox6Click));
    connect(Button2, &QPushButton::clicked, this, guard(&TForm1::Button2Click));
    connect(TabButton, &QPushButton::clicked, this, guard(&TForm1::TabButtonClick));
    connect(ResetButton, &QPushButton::clicked, this, guard(&TForm1::SetDefaultOptions));
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    // Enter on a row does what a double-click does; with Shift, the repair.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const std::pair<QListWidget*, void (TForm1::*)()> lists[] = {{TntListBox1, &TForm1::TntListBox1DbnalClick},
                                                                     {TntListBox2, &TForm1::TntListBox2DblClick},
                                                                     {TntListBox3, &TForm1::TntListBox3DblClick}};
        for (const auto& [list, handler] : lists)
            if (watched == list && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
                Guarded([this, handler = handler] { (this->*handler)(); });
                return true;
            }
    }
    return QMainWindow::eventFilter(watched, event);
}
