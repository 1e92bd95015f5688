#include "about/uAbout102.h"
#include "mainwindow/Application.h"
#include "mainwindow/uMain.h"
#include "platform/FileOps.h"
#include "usage/uIncMatomo.h"

#include <QIcon>

int main(int argc, char *argv[]) {
    IgnoreFileSizeSignal();
    TApplication app(argc, argv);
    // The desktop entry's name lets the desktop match the window to its launcher and icon.
    TApplication::setDesktopFileName(QStringLiteral("org.saplogoneditor.Editor"));
    TfrmMain frmMain; // loads the picture resources the icon comes from
    TApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/application.svg")));
    frmMain.SetCommandLine(TApplication::arguments().mid(1));
    frmMain.showAbout = [](QWidget *parent) {
        TfrmAbout102 box(parent);
        box.exec();
    };
    frmMain.sendUsageHit = [] { SendUsageHit(); };
    frmMain.show();
    // The window may have been closed while the start-up request was waited for; the event loop
    // would then wait for a window that never comes back.
    if (!frmMain.isVisible())
        return 0;
    return TApplication::exec();
}
