#include "TForm1.h"

#include <QLabel>

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form1");
    setWindowTitle("Marvik annotation extractor 0.5 ");
    resize(590, 412);
    auto* placeholder = new QLabel(tr("The window's tabs are still being built."), this);
    placeholder->setAlignment(Qt::AlignCenter);
    setCentralWidget(placeholder);
}
