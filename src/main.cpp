#include "chrome/frmVivrel.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tremallo"));
    QApplication::setApplicationName(QStringLiteral("Vivrel"));

    frmVivrel window;
    window.show();
    return app.exec();
}
