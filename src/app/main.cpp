#include "about/uAbout102.h"
#include "mainwindow/MessageDialogs.h"
#include "mainwindow/uMain.h"
#include "usage/uIncMatomo.h"

#include <QApplication>

namespace {

// Errors raised by any handler end their operation here instead of unwinding through the event
// loop: the user sees the standard error box and the application goes on.
class TApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception &error) {
            ShowException(error, activeWindow());
        } catch (...) {
            ShowErrorMessage(QStringLiteral("Erreur inconnue"), activeWindow());
        }
        return false;
    }
};

} // namespace

int main(int argc, char *argv[]) {
    TApplication app(argc, argv);
    TApplication::setApplicationName(ApplicationTitle());
    TApplication::setApplicationVersion(QStringLiteral(SAPLOGON_VERSION));

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
