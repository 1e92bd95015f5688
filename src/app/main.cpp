#include "mainwindow/Application.h"
#include "mainwindow/uMain.h"

int main(int argc, char *argv[]) {
    TApplication app(argc, argv);
    TfrmMain frmMain;
    frmMain.SetCommandLine(TApplication::arguments().mid(1));
    // Hooks for the about box (frmMain.showAbout) and the start-up usage hit
    // (frmMain.sendUsageHit) are wired here.
    frmMain.show();
    return TApplication::exec();
}
