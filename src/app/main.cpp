#include "about/uAbout102.h"
#include "mainwindow/Application.h"
#include "mainwindow/uMain.h"
#include "usage/uIncMatomo.h"

int main(int argc, char *argv[]) {
    TApplication app(argc, argv);
    TfrmMain frmMain;
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
