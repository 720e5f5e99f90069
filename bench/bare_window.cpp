// The anchors of the start-up benchmark: a bare Qt 6 window of the main window's size, shown at
// once; built a second time (TINTWELL_BARE_LABEL) with one label sized to its text before the show,
// which is what any window with text pays for fonts before it maps.
#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.resize(508, 542);
    window.setWindowTitle("Bare window");
#ifdef TINTWELL_BARE_LABEL
    auto* label = new QLabel("Gray correction", &window);
    label->adjustSize();
#endif
    window.show();
    return QApplication::exec();
}
