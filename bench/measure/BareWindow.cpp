// The floor the panel is measured against: an empty Qt Widgets window of the panel's size.

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.resize(860, 540);
    window.show();
    return app.exec();
}
