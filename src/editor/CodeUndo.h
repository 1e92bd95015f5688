#pragma once

#include <QString>
#include <deque>
#include <memory>

class TCodeMemoModel;

// One step of the text view's undo history. Steps replay themselves through the view's ordinary
// editing operations, so undo and redo follow the same caret and padding rules as typing.
class TUndo {
public:
    TUndo(int x0, int y0, int x, int y, const QString &text = QString())
        : FUndoCurX0(x0), FUndoCurY0(y0), FUndoCurX(x), FUndoCurY(y), FUndoText(text) {}
    virtual ~TUndo() = default;

    TCodeMemoModel *Memo = nullptr;
    int FUndoCurX0, FUndoCurY0; // caret before the edit
    int FUndoCurX, FUndoCurY;   // caret after it; FUndoCurY == -1: replay places no caret
    QString FUndoText;
    bool FLinkedUndo = false; // undone and redone together with the next older step

    virtual bool Append(TUndo *) { return false; }
    virtual void PerformUndo() = 0;
    virtual void PerformRedo() = 0;
    void Undo();
    void Redo();

protected:
    void PlaceCaret(int x, int y);
};

class TInsertCharUndo : public TUndo {
public:
    using TUndo::TUndo;
    bool Append(TUndo *step) override;
    void PerformUndo() override;
    void PerformRedo() override;
};

class TOverwriteCharUndo : public TUndo {
public:
    using TUndo::TUndo;
    void PerformUndo() override;
    void PerformRedo() override;

private:
    void Exchange(int x, int y);
};

class TDeleteCharUndo : public TUndo {
public:
    TDeleteCharUndo(int x0, int y0, int x, int y, const QString &text, bool isBackspace)
        : TUndo(x0, y0, x, y, text), FIsBackspace(isBackspace) {}
    bool FIsBackspace;
    bool Append(TUndo *step) override;
    void PerformUndo() override;
    void PerformRedo() override;
};

class TSelUndo : public TUndo {
public:
    TSelUndo(int x0, int y0, int x, int y, const QString &text, int sx, int sy, int ex, int ey)
        : TUndo(x0, y0, x, y, text), FUndoSelStartX(sx), FUndoSelStartY(sy), FUndoSelEndX(ex),
          FUndoSelEndY(ey) {}
    int FUndoSelStartX, FUndoSelStartY, FUndoSelEndX, FUndoSelEndY;
};

class TDeleteBufUndo : public TSelUndo {
public:
    using TSelUndo::TSelUndo;
    void PerformUndo() override;
    void PerformRedo() override;
};

class TPasteUndo : public TUndo {
public:
    using TUndo::TUndo;
    void PerformUndo() override;
    void PerformRedo() override;
};

class TIndentUndo : public TUndo {
public:
    TIndentUndo(int curX, int curY, int from, int to, int indent)
        : TUndo(curX, curY, 0, 0), FIndent(indent), FSelRowFrom(from), FSelRowTo(to) {}
    int FIndent, FSelRowFrom, FSelRowTo;
    void PerformUndo() override;
    void PerformRedo() override;
};

class TInsertOverwriteUndo : public TUndo {
public:
    explicit TInsertOverwriteUndo(bool insertMode) : TUndo(0, 0, 0, 0), FInsertMode(insertMode) {}
    bool FInsertMode; // overwrite mode before the toggle
    void PerformUndo() override;
    void PerformRedo() override;
};

class TDeleteLineUndo : public TUndo {
public:
    using TUndo::TUndo;
    void PerformUndo() override;
    void PerformRedo() override;
};

// Index 0 holds the newest step; the first FPos steps are undone and wait for Redo.
class TCodeUndoList {
public:
    explicit TCodeUndoList(TCodeMemoModel *memo) : FMemo(memo) {}
    void Add(TUndo *step); // takes ownership
    void Undo();
    void Redo();
    void Clear();
    bool CanUndo() const { return FPos < Count(); }
    bool CanRedo() const { return FPos > 0; }
    int Count() const { return int(FSteps.size()); }
    const TUndo *Step(int i) const { return FSteps.at(size_t(i)).get(); }
    TUndo *Newest() { return FSteps.empty() ? nullptr : FSteps.front().get(); } // for linking a step
    int Pos() const { return FPos; }

    bool FIsPerforming = false;
    int FLimit = 100;

private:
    TCodeMemoModel *FMemo;
    std::deque<std::unique_ptr<TUndo>> FSteps;
    int FPos = 0;
};
