// The baseline that pays for text: a Qt main window with a menu, one label and one button, of about the
// readout's size, built in the same tree. Its first frame includes the font set-up any text needs, which
// the empty window never does.

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Label Window"));
    window.menuBar()
        ->addMenu(QStringLiteral("&File"))
        ->addAction(QStringLiteral("E&xit"), &window, &QWidget::close);
    auto* central = new QWidget(&window);
    auto* label = new QLabel(QStringLiteral("       0"), central);
    label->setGeometry(20, 20, 80, 16);
    auto* button = new QPushButton(QStringLiteral("Setup"), central);
    button->setGeometry(120, 16, 60, 24);
    window.setCentralWidget(central);
    window.resize(600, 500);
    window.show();
    return app.exec();
}
