#pragma once

#include "highlight/TokenizerState.h"

#include <QString>
#include <QStringList>
#include <vector>

// The tokenizer's view of a text: the lines and a start-state cache slot per line.
class IStyledLines {
public:
    virtual ~IStyledLines() = default;
    virtual int LineCount() const = 0;
    virtual QString LineText(int i) const = 0;
    virtual bool GetCachedStyle(int i, TStyle &style) const = 0;
    virtual void SetCachedStyle(int i, const TStyle &style) = 0;
    virtual void ClearCachedStyles(int first, int last) = 0; // inclusive, clipped to the lines
};

// Adapter over a line store with Count/Get/ExistingLineProp/EnsureLineProp (the editor's TCodeMemoStrings);
// a template so that this library does not link the editor.
template <class Store> class TLineStoreStyledLines : public IStyledLines {
public:
    explicit TLineStoreStyledLines(Store &store) : FStore(store) {}
    int LineCount() const override { return FStore.Count(); }
    QString LineText(int i) const override { return FStore.Get(i); }
    bool GetCachedStyle(int i, TStyle &style) const override {
        const auto *prop = FStore.ExistingLineProp(i);
        if (!prop || !prop->CachedStyle)
            return false;
        style = prop->Style;
        return true;
    }
    void SetCachedStyle(int i, const TStyle &style) override {
        if (i < 0 || i >= FStore.Count())
            return;
        auto *prop = FStore.EnsureLineProp(i);
        prop->Style = style;
        prop->CachedStyle = true;
    }
    void ClearCachedStyles(int first, int last) override {
        last = qMin(last, FStore.Count() - 1);
        for (int i = qMax(first, 0); i <= last; ++i)
            if (auto *prop = FStore.ExistingLineProp(i))
                prop->CachedStyle = false;
    }

private:
    Store &FStore;
};

// Plain lines with their own cache, for code that has no line store.
class TStringStyledLines : public IStyledLines {
public:
    TStringStyledLines() = default;
    explicit TStringStyledLines(QStringList lines)
        : FLines(std::move(lines)), FCache(size_t(FLines.size())) {}
    void SetLines(QStringList lines) {
        FLines = std::move(lines);
        FCache.assign(size_t(FLines.size()), Slot{});
    }
    void SetLine(int i, const QString &s) { FLines[i] = s; }
    int LineCount() const override { return int(FLines.size()); }
    QString LineText(int i) const override { return FLines.at(i); }
    bool GetCachedStyle(int i, TStyle &style) const override {
        if (i < 0 || i >= LineCount() || !FCache[size_t(i)].cached)
            return false;
        style = FCache[size_t(i)].style;
        return true;
    }
    void SetCachedStyle(int i, const TStyle &style) override {
        if (i >= 0 && i < LineCount())
            FCache[size_t(i)] = {style, true};
    }
    void ClearCachedStyles(int first, int last) override {
        last = qMin(last, LineCount() - 1);
        for (int i = qMax(first, 0); i <= last; ++i)
            FCache[size_t(i)].cached = false;
    }
    int CachedCount() const {
        int n = 0;
        for (const Slot &s : FCache)
            n += s.cached ? 1 : 0;
        return n;
    }

private:
    struct Slot {
        TStyle style;
        bool cached = false;
    };
    QStringList FLines;
    std::vector<Slot> FCache;
};
