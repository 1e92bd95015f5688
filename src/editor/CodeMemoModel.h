#pragma once

#include "editor/CodeMemoStrings.h"
#include "editor/CodeUndo.h"

#include <QList>
#include <array>
#include <functional>

// The text view without its window: caret, selection, navigation, editing operations and undo
// history on top of the line store. The widget derives from it and supplies the geometry; without
// a widget it serves the document and the command-line tool as a headless view.
class TCodeMemoModel : public ICodeMemoView {
public:
    TCodeMemoModel();
    ~TCodeMemoModel() override;
    TCodeMemoModel(const TCodeMemoModel &) = delete;
    TCodeMemoModel &operator=(const TCodeMemoModel &) = delete;

    TCodeMemoStrings &Lines() { return FLines; }
    const TCodeMemoStrings &Lines() const { return FLines; }
    TCodeUndoList &UndoList() { return FUndoList; }

    // Configuration in force; the setters of the original view are not needed here.
    bool AutoExpand = true;
    bool AutoIndent = true;
    bool DelErase = true;
    bool ReadOnly = false;
    bool FOverwrite = false;

    // ICodeMemoView
    int TabSize() const override { return 4; }
    int TopLine() const override { return FTopLine; }
    int CurX() const override { return FCurX; }
    int CurY() const override { return FCurY; }
    void SetCurX(int x) override;
    void SetCurY(int y) override;
    void ClearSelection() override;
    void ResetSelectionCorners() override;
    void DeleteLine() override;
    void ClearUndoRedo() override { FUndoList.Clear(); }
    void Invalidate() override {}
    void LinesChanged() override;
    void InvalidateBackupTopLine() override { FbackupTopLine = -1; }
    void ShiftBookmarksAndMarkers(int fromLine, int count) override;
    void BeginLoad() override { FLetRefresh = false; }
    void EndLoad() override;
    void UpdateBracketClosed() override;

    // Scrolling; the widget's geometry sets the visible counts.
    int LeftCol() const { return FLeftCol; }
    virtual int VisibleLineCount() const { return FVisibleLineCount; }
    virtual int VisiblePosCount() const { return FVisiblePosCount; }
    void SetTopLine(int v);
    void SetLeftCol(int v);
    void ScrollCaretIntoView();
    virtual void UpdateScrollBars() {}
    virtual void CaretMoved() {} // the widget repositions its caret
    void RecalcMaxLength();
    void ScrollLines(int delta); // Ctrl+Up / Ctrl+Down

    // Selection
    bool SelAvail() const { return FSelStartX != FSelEndX || FSelStartY != FSelEndY; }
    void ExtendSelection();
    void SelectAll();
    void Select(int sx, int sy, int ex, int ey); // anchor, moving end
    QString GetSelection() const;
    void NormalizedSelection(int &sx, int &sy, int &ex, int &ey) const;
    int TextFromPos(int x, int y) const;
    void PosFromText(int offset, int &x, int &y) const;
    int SelStart() const;
    int SelLength() const;
    void SetSelStart(int offset);
    void SetSelLength(int length);

    // Navigation
    void MoveCaret(int dx, int dy, bool shift, bool ctrl = false);
    void MovePage(int direction, bool shift, bool ctrl = false);
    void CaretHome(bool shift, bool ctrl = false);
    void CaretEnd(bool shift, bool ctrl = false);

    // Editing operations
    void InsertChar(QChar c);
    void NewLine();
    void DeleteChar(int x0, int y0, bool isBackspace = false);
    void BackspaceChar();
    void DeleteWordBack();
    void InsertTab(bool shift);
    void BlockIndent(int from, int to, int indent, bool allowUndo);
    void DeleteSelection();
    void SetSelection(const QString &text);
    void ToggleOverwrite();

    // What the keys do (the widget maps key events onto these)
    void KeyPress(QChar c); // the character handler: printable characters, Enter (13), Ctrl+A (1)
    void KeyDelete();
    void KeyBackspace();
    void KeyTab(bool shift);
    void Undo();
    void Redo();
    bool CanUndo() const { return FUndoList.CanUndo(); }
    bool CanRedo() const { return FUndoList.CanRedo(); }
    void ReapplyCaret(); // every editing key first re-applies the caret position

    int FSelStartX = 0, FSelStartY = 0; // anchor
    int FSelEndX = 0, FSelEndY = 0;     // moving end
    int FPrevSelX = 0, FPrevSelY = 0;
    bool FLetRefresh = true;
    bool FLetCursorUpdate = true;
    bool FDisableChange = false;
    bool FOnChangeAttached = true;
    int FMaxLength = 0;
    int FbackupTopLine = -1;
    std::array<int, 10> FBookmarks;
    QList<int> FMarkers;
    std::function<void()> OnChange; // raised by DoChange; the default invalidates the view

protected:
    void DoChange();
    void AddUndo(TUndo *step) { FUndoList.Add(step); }
    void MarkModified(int line);
    void EnsureLine(); // an empty store gets its one empty line
    void PadLineTo(int y, int x);
    int LineLength(int y) const;
    void StoreLine(int y, const QString &s); // Put with the refresh suspended
    bool CanExtendSelection(bool shift) const { return shift && FCurX == FPrevSelX && FCurY == FPrevSelY; }
    void FinishMove(bool extend);
    void ClearCachedStyles(int from, int to);

    int FVisibleLineCount = 40;
    int FVisiblePosCount = 120;

private:
    friend class TUndo;
    TCodeMemoStrings FLines;
    TCodeUndoList FUndoList;
    int FCurX = 0;
    int FCurY = 0;
    int FTopLine = 0;
    int FLeftCol = 0;
};
