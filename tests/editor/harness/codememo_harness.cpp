// The text view alone in a window, for checking it by hand or under Xvfb with xdotool:
//   codememo_harness [FILE [DUMP]]
// FILE is loaded into the view; the view's text is written to DUMP whenever it changed.
#include "editor/CodeMemo.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    TCodeMemo memo;
    memo.setWindowTitle(QStringLiteral("TCodeMemo harness"));
    const QStringList args = app.arguments();
    if (args.size() > 1)
        memo.Lines().LoadFromFile(args.at(1));
    memo.resize(700, 500);
    memo.show();
    memo.setFocus();
    QTimer dump;
    QString last;
    if (args.size() > 2) {
        QObject::connect(&dump, &QTimer::timeout, [&] {
            const QString text =
                memo.Lines().Text() + QStringLiteral("\n-- caret %1,%2\n").arg(memo.CurX()).arg(memo.CurY());
            if (text == last)
                return;
            last = text;
            QFile f(args.at(2));
            if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                f.write(text.toUtf8());
        });
        dump.start(200);
    }
    return app.exec();
}
