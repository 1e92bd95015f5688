// Timing of the main window on a 10,000-entry SAPLOGON.INI: opening from the command line,
// committing one field edit, and Move down.
#include "document/SapLogonCheck.h"
#include "editor/HeadlessCodeMemoView.h"
#include "mainwindow/uMain.h"
#include "platform/LargeBuffers.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Written by the document itself, so the file has the shape the editor produces.
void WriteSample(const QString &path, int entries) {
    THeadlessCodeMemoView view;
    SapLogonDocument document(view.Lines());
    for (int i = 1; i <= entries; ++i) {
        tyEntry e;
        e.Description = QStringLiteral("System %1 production client").arg(i);
        e.Origin = QStringLiteral("MS_SEL_GROUPS");
        e.Server = QStringLiteral("PUBLIC");
        e.System = QStringLiteral("3");
        e.Database = QStringLiteral("%1").arg(i % 100, 2, 10, QLatin1Char('0'));
        e.Address = QStringLiteral("10.1.%1.%2").arg(i / 250).arg(i % 250);
        e.MSSysName = QStringLiteral("S%1").arg(i % 100, 2, 10, QLatin1Char('0'));
        e.MSSrvName = QStringLiteral("msg%1.example.org").arg(i);
        e.RouterChoice = QStringLiteral("0");
        e.CodepageIndex = QStringLiteral("-1");
        e.SncChoice = QStringLiteral("-1");
        e.LowSpeedConnection = QStringLiteral("0");
        e.SessManKey = QString::number(i);
        e.MSSrvPort = QStringLiteral("36%1").arg(i % 100, 2, 10, QLatin1Char('0'));
        document.FEntries.append(e);
    }
    document.BuildFileContent();
    view.Lines().SaveToFile(path);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double Ms(const QElapsedTimer &t) {
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char *argv[]) {
    PrepareAllocatorForLargeFiles(); // as the programs do
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath("saplogon.ini");
    WriteSample(path, 10000);

    std::vector<double> open, commit, move, regenerate, reload, filter, check;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer t;
        t.start();
        TfrmMain w;
        w.SetCommandLine({path});
        w.show();
        QApplication::processEvents(); // first paint
        open.push_back(Ms(t));
        if (w.FEntries.size() != 10000 || w.lbxEntries->count() != 10000) {
            std::fprintf(stderr, "the file did not load\n");
            return 1;
        }

        auto *server = w.findChild<QLineEdit *>(QStringLiteral("ledtServer"));
        w.lbxEntries->setCurrentRow(5000);
        w.lbxEntriesClick();
        for (int i = 0; i < 3; ++i) {
            server->setFocus(Qt::TabFocusReason);
            server->setText(QStringLiteral("server-%1-%2").arg(run).arg(i));
            t.restart();
            w.lbxEntries->setFocus(Qt::MouseFocusReason); // focus out: commit and regeneration
            commit.push_back(Ms(t));
        }
        for (int i = 0; i < 3; ++i) {
            t.restart();
            w.bbMoveEntryClick(w.bbtDown);
            move.push_back(Ms(t));
        }
        if (w.SelectedRow() != 5003) {
            std::fprintf(stderr, "Move down did not move\n");
            return 1;
        }
        for (int i = 0; i < 3; ++i) {
            t.restart();
            w.Document().BuildFileContent();
            regenerate.push_back(Ms(t));
        }
        t.restart();
        w.Document().LoadSapLogon(QString());
        reload.push_back(Ms(t));
        for (int i = 0; i < 3; ++i) {
            t.restart();
            (void)CheckDocument(w.Document());
            check.push_back(Ms(t));
        }
        // Each keystroke in the filter refreshes the list: "S", "S4", "S42", then back.
        w.edtFilter->setFocus();
        for (const char *typed : {"S", "S4", "S42", "S4", "S", ""}) {
            t.restart();
            w.edtFilter->setText(QString::fromLatin1(typed));
            QApplication::processEvents(); // the list lays out and paints the rows left
            filter.push_back(Ms(t));
        }
        w.FModified = false; // no question on closing
    }
    std::printf("Open 10,000 entries from the command line to a refreshed, painted window: median %.1f ms "
                "(goal 300)\n",
                Median(open));
    std::printf("Commit one field edit (focus out to regenerated text): median %.1f ms (goal 60)\n",
                Median(commit));
    std::printf("Move down: median %.1f ms (goal 60)\n", Median(move));
    std::printf("The document alone: reload %.1f ms, regeneration %.1f ms (medians)\n", Median(reload),
                Median(regenerate));
    std::printf("Check of 10,000 entries: median %.1f ms (part of every commit)\n", Median(check));
    std::printf(
        "One keystroke in the filter, list refreshed and painted: median %.1f ms, worst %.1f ms (goal 50)\n",
        Median(filter), *std::max_element(filter.begin(), filter.end()));
    return 0;
}
