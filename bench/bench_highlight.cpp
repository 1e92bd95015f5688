// Paint and scroll timings of the text view's painter on long SAPLOGON texts.
#include "highlight/MemoPainter.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QStringList MakeText(int lines) {
    static const char *sections[] = {"Description", "Origin",    "Server",    "Database",
                                     "System",      "MSSysName", "MSSrvName", "MSSrvPort"};
    QStringList out;
    out.reserve(lines);
    int s = 0;
    while (out.size() < lines) {
        out << QStringLiteral("[%1]").arg(QLatin1String(sections[s++ % 8]));
        for (int i = 1; i <= 500 && out.size() < lines; ++i) {
            switch (i % 5) {
            case 0:
                out << QStringLiteral("Item%1=PRD Production system %1 3200").arg(i);
                break;
            case 1:
                out << QStringLiteral("Item%1=10.20.30.%2").arg(i).arg(i % 255);
                break;
            case 2:
                out << QStringLiteral("Item%1=http://sap.example.com/systems/%1").arg(i);
                break;
            case 3:
                out << QStringLiteral("Item%1='sapmsPRD' $1F #0x%1 #0").arg(i);
                break;
            default:
                out << QStringLiteral("Item%1=").arg(i);
            }
        }
        out << QString();
    }
    out.resize(lines);
    return out;
}

struct TView {
    std::unique_ptr<TIniMemoStyler> styler = CreateIniMemoStyler();
    TMemoPainter painter;
    TStringStyledLines lines;
    TMemoPaintState state;
    QImage image{1000, 700, QImage::Format_ARGB32_Premultiplied};

    explicit TView(int count) : lines(MakeText(count)) {
        painter.Tokenizer.SetSyntaxStyles(styler.get());
        state.Lines = &lines;
        state.ClientSize = image.size();
        state.VertBarVisible = state.HorzBarVisible = true;
        state.Focused = true;
    }
    int Visible() const { return painter.VisibleLineCount(painter.GetTextRect(state)); }
    double PaintMs() {
        QElapsedTimer t;
        t.start();
        QPainter p(&image);
        painter.Paint(p, state);
        p.end();
        return double(t.nsecsElapsed()) / 1e6;
    }
    double MedianPaintMs(int runs) {
        std::vector<double> v;
        for (int i = 0; i < runs; ++i)
            v.push_back(PaintMs());
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
};

int failures = 0;

void Report(const char *what, double ms, double limit) {
    const bool ok = limit <= 0 || ms < limit;
    if (!ok)
        ++failures;
    if (limit > 0)
        std::printf("%-58s %8.3f ms  (limit %.0f ms) %s\n", what, ms, limit, ok ? "ok" : "TOO SLOW");
    else
        std::printf("%-58s %8.3f ms\n", what, ms);
}

} // namespace

int main(int argc, char **argv) {
    QGuiApplication app(argc, argv);
    const int big = 200000;
    {
        TView v(big);
        v.PaintMs(); // fonts and glyph caches
        Report("repaint at the top, 200000 lines, 1000x700", v.MedianPaintMs(50), 4);

        std::vector<double> cold;
        for (int i = 0; i < 5; ++i) {
            TView fresh(big);
            fresh.PaintMs();
            fresh.state.TopLine = big - fresh.Visible();
            fresh.state.CurY = big - 1;
            cold.push_back(fresh.PaintMs());
            if (i == 4) {
                Report("repaint at the end again", fresh.MedianPaintMs(50), 4);
                if (qEnvironmentVariableIsSet("BENCH_SHOT"))
                    fresh.image.save(qEnvironmentVariable("BENCH_SHOT"));
            }
        }
        std::sort(cold.begin(), cold.end());
        Report("jump from the top to the last line (cold cache), median", cold[2], 40);
        {
            TView fresh(big);
            double best = 1e9;
            for (int i = 0; i < 5; ++i) {
                fresh.lines.ClearCachedStyles(0, big);
                fresh.painter.Tokenizer.InvalidateStylesFrom(0);
                QElapsedTimer t;
                t.start();
                fresh.painter.Tokenizer.GetStartStyle(fresh.lines, big - 1);
                best = std::min(best, double(t.nsecsElapsed()) / 1e6);
            }
            Report("  of which the start-state scan of 200000 lines (best)", best, 0);
        }

        // A typed character: the line changes, the following start states are dropped, repaint.
        const int line = v.state.TopLine + 5;
        std::vector<double> typed;
        for (int i = 0; i < 50; ++i) {
            QElapsedTimer t;
            t.start();
            v.lines.SetLine(line, v.lines.LineText(line) + QLatin1Char('x'));
            v.painter.Tokenizer.InvalidateStylesFrom(line);
            QPainter p(&v.image);
            v.painter.Paint(p, v.state);
            p.end();
            typed.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        std::sort(typed.begin(), typed.end());
        Report("one typed character in view and its repaint (painter part)", typed[25], 5);
    }
    std::printf("paint cost by text length (repaint in the middle, warm):\n");
    for (int n : {2000, 20000, 200000}) {
        TView v(n);
        v.state.TopLine = n / 2;
        v.PaintMs();
        char label[80];
        std::snprintf(label, sizeof label, "  %6d lines", n);
        Report(label, v.MedianPaintMs(50), 4);
    }
    return failures ? 1 : 0;
}
