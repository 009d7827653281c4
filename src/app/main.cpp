#include "KelvaskBrevantApp.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    brevant::KelvaskBrevantApp shell(app);
    shell.openMainWindow();
    return app.exec();
}
