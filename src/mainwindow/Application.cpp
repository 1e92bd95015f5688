#include "mainwindow/Application.h"

#include "mainwindow/MessageDialogs.h"
#include "mainwindow/WindowTheme.h"

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv) {
    setApplicationName(ApplicationTitle());
    setApplicationVersion(QStringLiteral(SAPLOGON_VERSION));
    ApplyThemeFromEnvironment();
}

bool TApplication::notify(QObject *receiver, QEvent *event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        ShowException(error, activeWindow());
    } catch (...) {
        ShowErrorMessage(QStringLiteral("Erreur inconnue"), activeWindow());
    }
    return false;
}
