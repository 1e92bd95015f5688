#pragma once

#include "highlight/MemoColors.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class TCustomMemoStyler;

// What a styler needs from the text view that uses it.
class IMemoStylerClient {
public:
    virtual ~IMemoStylerClient() = default;
    virtual TColor BkColor() const = 0;
    virtual void StylerDestroyed(TCustomMemoStyler *styler) = 0;
};

enum TStyleType { stKeyword, stBracket, stSymbol, stComment };
enum TKeywordStyle { ksUserCase, ksUpperCase, ksLowerCase };

// Only colour and style of an element font are used when drawing; name and size are kept as set.
struct TElementFont {
    QString Name = QStringLiteral("Courier New");
    int Size = 8;
    int Height = 0; // pixels, negative = character height; 0 = derived from Size
    TColor Color = clBlack;
    TFontStyles Style = 0;

    bool operator==(const TElementFont &) const = default;
};

class TElementStyles;

class TElementStyle {
public:
    explicit TElementStyle(TElementStyles *collection);

    const QStringList &KeyWords() const { return FKeyWords; }
    void SetKeyWords(const QStringList &words);
    const TElementFont &Font() const { return FFont; }
    void SetFont(const TElementFont &font);
    TColor BGColor() const { return FBGColor; }
    void SetBGColor(TColor c);
    const QString &Info() const { return FInfo; }
    void SetInfo(const QString &s);
    TStyleType StyleType() const { return FStyleType; }
    void SetStyleType(TStyleType t);
    qint32 StyleNo() const { return FStyleNo; }
    void SetStyleNo(qint32 n);
    QChar BracketStart() const { return FBracketStart; }
    void SetBracketStart(QChar c);
    QChar BracketEnd() const { return FBracketEnd; }
    void SetBracketEnd(QChar c);
    const QString &Symbols() const { return FSymbols; }
    void SetSymbols(const QString &s);
    const QString &CommentLeft() const { return FCommentLeft; }
    void SetCommentLeft(const QString &s);
    const QString &CommentRight() const { return FCommentRight; }
    void SetCommentRight(const QString &s);

private:
    void Changed();
    template <class T> void SetField(T &field, const T &value) {
        if (field == value)
            return;
        field = value;
        Changed();
    }

    TElementStyles *FCollection;
    QStringList FKeyWords;
    TElementFont FFont;
    TColor FBGColor;
    QString FInfo;
    TStyleType FStyleType = stKeyword;
    qint32 FStyleNo = -1;
    QChar FBracketStart;
    QChar FBracketEnd;
    QString FSymbols;
    QString FCommentLeft;
    QString FCommentRight;
};

// The element styles of a styler. FModified is only ever set by Init: it decides whether the
// items survive load completion.
class TElementStyles {
public:
    int Count() const { return int(FItems.size()); }
    TElementStyle *Items(int i) const { return FItems.at(size_t(i)).get(); }
    void SetItems(int i, const TElementStyle &value);
    TElementStyle *Add();
    TElementStyle *Insert(int i);
    void Clear();
    bool IsWordBoundary(QChar c) const;
    void Init() { FModified = true; }
    bool Modified() const { return FModified; }

    IMemoStylerClient *FOwner = nullptr;
    std::function<void()> OnChange; // repaint request of the view that uses the styler

private:
    friend class TElementStyle;
    void Changed();

    std::vector<std::unique_ptr<TElementStyle>> FItems;
    bool FModified = false;
};

struct THintParameter {
    TColor TextColor = clBlack;
    TColor BkColor = clInfoBk;
    QString StartChar = QStringLiteral("(");
    QString EndChar = QStringLiteral(")");
    QString DelimiterChar = QStringLiteral(";");
    QString ClassDelimiter = QStringLiteral(".");
    QString WriteDelimiterChar = QStringLiteral(",");
};

// Result of a comment-delimiter search: 1-based position (0 = absent), delimiter length,
// element index (-1 = the styler's own colours) and kind (255 = the styler's own delimiters).
struct TCommentMatch {
    int Pos = 0;
    int Len = 0;
    int Index = -1;
    int Kind = 255;
};

class TCustomMemoStyler {
public:
    TCustomMemoStyler();
    virtual ~TCustomMemoStyler();
    TCustomMemoStyler(const TCustomMemoStyler &) = delete;
    TCustomMemoStyler &operator=(const TCustomMemoStyler &) = delete;

    // Load completion: element styles not marked by Init are dropped.
    virtual void Loaded();

    // Indexed character styles: 1 comment, 2 number, 3 highlight.
    const TCharStyle &CharStyle(int index) const;
    virtual void SetCharStyle(int index, const TCharStyle &style);
    virtual QString FormatText(const QString &text) const { return text; }
    virtual bool CanFormat() const { return false; }

    bool HasMultiComment() const;
    bool HasCommentStyles() const;
    TCommentMatch FindCommentStart(QStringView text) const;
    TCommentMatch FindCommentEnd(QStringView text) const;
    static int LineCommentPos(const QString &delimiters, QStringView text);

    void AddClient(IMemoStylerClient *client);
    void RemoveClient(IMemoStylerClient *client);

    QString Name;
    TElementStyles AllStyles;
    QString LineComment;
    QString MultiCommentLeft;
    QString MultiCommentRight;
    TCharStyle CommentStyle{clSilver, clWhite, fsItalic};
    TCharStyle NumberStyle{clNavy, clWhite, fsBold};
    TCharStyle HighlightStyle{clWhite, clRed, fsBold};
    QStringList AutoCompletion;
    THintParameter HintParameter;
    QString NumericChars = QStringLiteral("+-.0123456789");
    QString StrictNumericChars = QStringLiteral(".0123456789");
    QString HexIdentifier;
    QString BinIdentifier;
    QString BlockEnd;
    QString BlockStart;
    QString Literal;
    bool CustomDraw = false;
    QString Filter;
    QString DefaultExtension;
    QString Extensions;
    QString Description;
    QString StylerName;
    QString KeyWordPrefix;
    QString EscapeChar = QString(QChar(0x0100));
    TKeywordStyle KeywordStyle = ksUserCase;
    bool AutoBlockEnd = false;
    QString LineDelimiter;

private:
    QList<IMemoStylerClient *> FClients;
};

class TIniMemoStyler : public TCustomMemoStyler {
public:
    TIniMemoStyler();
    QString FVersion = QStringLiteral("1.0");
};

// The values the main window stores for its INI styler (applied after construction).
void ApplyStoredIniStylerSettings(TIniMemoStyler &styler);

// The main window's styler as it stands after loading: constructor, stored values, load completion.
std::unique_ptr<TIniMemoStyler> CreateIniMemoStyler();
