#include "about/uAbout102.h"
#include "app/EditorCommandLine.h"
#include "mainwindow/Application.h"
#include "mainwindow/uMain.h"
#include "platform/FileOps.h"
#include "platform/LargeBuffers.h"
#include "usage/uIncMatomo.h"

#include <QIcon>

#include <cstdio>

namespace {
int answer(const TEditorCommandLine &line) {
    const bool error = line.action == TEditorCommandLine::Action::Error;
    std::fprintf(error ? stderr : stdout, "%s", line.text.toLocal8Bit().constData());
    return error ? 2 : 0;
}
} // namespace

int main(int argc, char *argv[]) {
    // --help and --version are answered before the application object, which needs a display,
    // and before anything could be sent.
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i)
        rawArguments.append(QString::fromLocal8Bit(argv[i]));
    const TEditorCommandLine early = ParseEditorCommandLine(rawArguments);
    if (early.action == TEditorCommandLine::Action::Help ||
        early.action == TEditorCommandLine::Action::Version)
        return answer(early);

    IgnoreFileSizeSignal();
    PrepareAllocatorForLargeFiles();

    TApplication app(argc, argv);
    // Only now are Qt's own options (-platform, -style ...) taken out of the arguments.
    const TEditorCommandLine line = ParseEditorCommandLine(TApplication::arguments());
    if (line.action != TEditorCommandLine::Action::Open)
        return answer(line);
    if (!line.text.isEmpty())
        std::fprintf(stderr, "%s", line.text.toLocal8Bit().constData());

    // The desktop entry's name lets the desktop match the window to its launcher and icon.
    TApplication::setDesktopFileName(QStringLiteral("org.saplogoneditor.Editor"));
    TfrmMain frmMain; // loads the picture resources the icon comes from
    TApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/application.svg")));
    frmMain.SetCommandLine(line.file.isEmpty() ? QStringList() : QStringList{line.file});
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
