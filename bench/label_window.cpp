// The baseline that pays for text: a Qt main window with a menu, one label and one button, of about the
// readout's size, built in the same tree. Its first frame includes the font set-up any text needs, which
// the empty window never does. With --tick the label shows a new number every 250 ms, the least a Qt
// program pays to change a text on the screen at the readout's rate, and the window stands beside the
// readout.

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

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
    const bool bTick = app.arguments().contains(QStringLiteral("--tick"));
    // Beside the readout, which runs at the same time, so that the screen shows both.
    if (bTick)
        window.move(640, 0);
    window.show();
    QTimer timer;
    int count = 0;
    QObject::connect(&timer, &QTimer::timeout, label,
                     [label, &count] { label->setText(QString::number(++count)); });
    if (bTick)
        timer.start(250);
    return app.exec();
}
