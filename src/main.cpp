#include "chrome/frmVivrel.h"
#include "common/PictureLoader.h"
#include "viewer/frmPreview.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tremallo"));
    QApplication::setApplicationName(QStringLiteral("Vivrel"));
    PictureLoader::setDecoderCeiling();

    frmVivrel window;
    window.Form_Load();
    window.show();
    // A show that started by itself has put the viewer up already; the main window,
    // shown after it, must not cover it.
    if (window.hasViewer() && window.viewer().isVisible()) {
        window.viewer().raise();
        window.viewer().activateWindow();
    }
    return app.exec();
}
