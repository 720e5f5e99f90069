// The anchor of the start-up benchmark: a bare Qt 6 window of the main window's size, shown at
// once, nothing else.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.resize(508, 542);
    window.setWindowTitle("Bare window");
    window.show();
    return QApplication::exec();
}
