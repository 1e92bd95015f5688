#pragma once

#include "highlight/MemoStyler.h"
#include "highlight/StyledLines.h"
#include "highlight/TokenizerState.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <functional>

struct TRun {
    QString Text;
    TStyle Style;
    bool operator==(const TRun &) const = default;
};

struct TRunColors {
    TColor TextColor;
    TColor BkColor;
    TFontStyles Style;
};

// Cuts lines into styled runs and keeps the start-state caches. The view-side styling settings
// live here so that the scanner can be used, and tested, without a widget.
class TLineTokenizer final : public IMemoStylerClient {
public:
    TLineTokenizer() = default;
    ~TLineTokenizer() override;
    TLineTokenizer(const TLineTokenizer &) = delete;
    TLineTokenizer &operator=(const TLineTokenizer &) = delete;

    TCustomMemoStyler *SyntaxStyles() const { return FSyntaxStyles; }
    void SetSyntaxStyles(TCustomMemoStyler *styler);
    TCustomMemoStyler *ActiveStyler() const { return UseStyler ? FSyntaxStyles : nullptr; }
    std::function<void()> OnRepaint;

    bool UseStyler = false;
    bool CaseSensitive = false;
    bool UrlAware = true;
    TCharStyle UrlStyle{clBlue, clWhite, fsUnderline};
    QString URLDelimiters = QStringLiteral(" '");
    // The view's own font colour and style and its background.
    TColor FontColor = clBlack;
    TFontStyles FontStyle = 0;
    TColor FBkColor = clWhite;

    bool IsDelimiter(QChar c) const;
    static bool WordIsURL(QStringView word);
    QList<QStringView> SplitUrlWords(QStringView line) const;
    void RebuildNumberSets();

    // Runs of one line, merged by equal state; `state` is carried to the next line.
    using TRunSink = std::function<void(const QString &text, const TStyle &style)>;
    void ScanLine(QStringView line, TStyle &state, const TRunSink &sink) const;
    QList<TRun> LineRuns(QStringView line, TStyle &state) const;
    TRunColors RunColors(const TStyle &style) const;

    TStyle GetStartStyle(IStyledLines &lines, int line);
    // Start state of the top line of a paint, remembered until the top line changes.
    TStyle TopLineStartStyle(IStyledLines &lines, int topLine);
    void InvalidateBackupTopLine() { FbackupTopLine = -1; }
    // An edit at `line`: cached start states from there on no longer hold.
    void InvalidateStylesFrom(int line);

    int FbackupTopLine = -1;
    TStyle FBackupTopStyle;
    QString FTempdelimiters;
    QString FtmpNoStart, FtmpNo, FtmpNoHex, FTmpNoBin;

    TColor BkColor() const override { return FBkColor; }
    void StylerDestroyed(TCustomMemoStyler *styler) override;

private:
    class TEmitter;
    void ScanRuns(QString word, TStyle &state, TEmitter &em, bool &lineComment) const;
    void RebuildTempDelimiters();
    // Comment-state effect of one line, as the scanner would leave it; false ends nothing.
    void ScanLineComments(const QString &line, TStyle &st, bool &openerFound) const;
    int SymbolItemOf(QChar c) const;

    TCustomMemoStyler *FSyntaxStyles = nullptr;
    int FStylesValidBelow = 0x7fffffff;
};
