#pragma once

#include <vector>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QStringList>

class TCustomCodeMemo;

// What assistive technology reads of the text view: the text with one "\n" between lines, the
// caret and the selection as offsets into it, their screen positions, and edits through the
// editable-text interface. Offsets count UTF-16 code units like the rest of the view.
class TCodeMemoAccessible : public QAccessibleWidget,
                            public QAccessibleTextInterface,
                            public QAccessibleEditableTextInterface {
public:
    explicit TCodeMemoAccessible(TCustomCodeMemo *memo);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;

    // QAccessibleTextInterface
    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                             int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                            int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

    // QAccessibleEditableTextInterface
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

private:
    TCustomCodeMemo *Memo() const;
    // Boundaries are found on the line of the offset alone, never on the whole text, so that a
    // large file costs no more than a small one.
    struct TSpan {
        int Start = -1, End = -1;
    };
    TSpan SpanAt(int offset, QAccessible::TextBoundaryType type) const; // the piece holding offset
    enum class TSide { Before, At, After };
    QString TextAround(int offset, QAccessible::TextBoundaryType boundaryType, TSide side, int *startOffset,
                       int *endOffset) const;
};

// Tells assistive technology what changed in the view: the edited text, then the caret and the
// selection. It works only while a client listens, keeping a copy of the lines with the line
// store's token of each, so that finding what a keystroke changed costs a comparison of numbers
// for every line the keystroke did not touch. The first report after a client came keeps the
// text as it stands; the client reads it afresh.
class TCodeMemoAccessibility {
public:
    explicit TCodeMemoAccessibility(TCustomCodeMemo *memo) : FMemo(memo) {}
    void Report(); // compares with the last report and sends the events

    // Whether a client listens, and where the reports go: Qt's accessibility, which hears nothing
    // on the offscreen platform; tests put their own.
    static inline bool (*Listening)() = &QAccessible::isActive;
    static inline void (*Deliver)(QAccessibleEvent *event) = &QAccessible::updateAccessibility;

private:
    void Start();
    void ReportText();
    TCustomCodeMemo *FMemo;
    bool FStarted = false;
    bool SameLine(int now, int before) const;
    void RetokenIfReplaced();
    QStringList FLines;           // the text as last reported
    std::vector<quint64> FTokens; // the store's token of each of those lines
    quint64 FGeneration = 0;      // the store's text generation they belong to
    int FCaret = -1;
    int FSelStart = -1, FSelEnd = -1;
};

// Offset of a line's first character, and of a position, in the accessible text.
int AccessibleLineStart(const TCustomCodeMemo &memo, int line);
int AccessibleOffset(const TCustomCodeMemo &memo, int x, int y);

// Registers the view's interface with Qt's accessibility; more calls change nothing.
void InstallCodeMemoAccessibility();
