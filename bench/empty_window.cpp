// The baseline for the readout's start-up, memory and idle figures: an empty Qt main window of about
// the readout's size, built in the same tree with the same compiler, flags and Qt.

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Empty Window"));
    window.resize(600, 500);
    window.show();
    return app.exec();
}
