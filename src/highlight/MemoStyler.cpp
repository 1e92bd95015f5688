#include "highlight/MemoStyler.h"

TElementStyle::TElementStyle(TElementStyles *collection)
    : FCollection(collection),
      FBGColor(collection && collection->FOwner ? collection->FOwner->BkColor() : clWhite) {}

void TElementStyle::Changed() {
    if (FCollection)
        FCollection->Changed();
}

void TElementStyle::SetKeyWords(const QStringList &words) {
    FKeyWords = words;
    Changed();
}

void TElementStyle::SetFont(const TElementFont &font) {
    FFont = font;
    Changed();
}

void TElementStyle::SetBGColor(TColor c) {
    SetField(FBGColor, c);
}
void TElementStyle::SetInfo(const QString &s) {
    SetField(FInfo, s);
}
void TElementStyle::SetStyleType(TStyleType t) {
    SetField(FStyleType, t);
}
void TElementStyle::SetStyleNo(qint32 n) {
    SetField(FStyleNo, n);
}
void TElementStyle::SetBracketStart(QChar c) {
    SetField(FBracketStart, c);
}
void TElementStyle::SetBracketEnd(QChar c) {
    SetField(FBracketEnd, c);
}
void TElementStyle::SetSymbols(const QString &s) {
    SetField(FSymbols, s);
}
void TElementStyle::SetCommentLeft(const QString &s) {
    SetField(FCommentLeft, s);
}
void TElementStyle::SetCommentRight(const QString &s) {
    SetField(FCommentRight, s);
}

void TElementStyles::Changed() {
    if (OnChange)
        OnChange();
}

void TElementStyles::SetItems(int i, const TElementStyle &value) {
    TElementStyle *item = Items(i);
    item->SetKeyWords(value.KeyWords());
    item->SetFont(value.Font());
    item->SetBGColor(value.BGColor());
    item->SetInfo(value.Info());
    item->SetStyleType(value.StyleType());
    item->SetStyleNo(value.StyleNo());
    item->SetBracketStart(value.BracketStart());
    item->SetBracketEnd(value.BracketEnd());
    item->SetSymbols(value.Symbols());
    item->SetCommentLeft(value.CommentLeft());
    item->SetCommentRight(value.CommentRight());
}

TElementStyle *TElementStyles::Add() {
    return Insert(Count());
}

TElementStyle *TElementStyles::Insert(int i) {
    i = qBound(0, i, Count());
    auto it = FItems.insert(FItems.begin() + i, std::make_unique<TElementStyle>(this));
    Changed();
    return it->get();
}

void TElementStyles::Clear() {
    if (FItems.empty())
        return;
    FItems.clear();
    Changed();
}

bool TElementStyles::IsWordBoundary(QChar c) const {
    for (const auto &item : FItems) {
        if (item->StyleType() == stSymbol && item->Symbols().contains(c))
            return true;
        if (item->StyleType() == stBracket && (item->BracketStart() == c || item->BracketEnd() == c))
            return true;
    }
    return false;
}

TCustomMemoStyler::TCustomMemoStyler() = default;

TCustomMemoStyler::~TCustomMemoStyler() {
    const QList<IMemoStylerClient *> clients = FClients;
    for (IMemoStylerClient *c : clients)
        c->StylerDestroyed(this);
}

void TCustomMemoStyler::Loaded() {
    if (!AllStyles.Modified())
        AllStyles.Clear();
}

const TCharStyle &TCustomMemoStyler::CharStyle(int index) const {
    switch (index) {
    case 1:
        return CommentStyle;
    case 2:
        return NumberStyle;
    default:
        return HighlightStyle;
    }
}

void TCustomMemoStyler::SetCharStyle(int index, const TCharStyle &style) {
    switch (index) {
    case 1:
        CommentStyle = style;
        break;
    case 2:
        NumberStyle = style;
        break;
    case 3:
        HighlightStyle = style;
        break;
    default:
        break;
    }
}

bool TCustomMemoStyler::HasMultiComment() const {
    if (!MultiCommentLeft.isEmpty() && !MultiCommentRight.isEmpty())
        return true;
    for (int i = 0; i < AllStyles.Count(); ++i) {
        const TElementStyle *s = AllStyles.Items(i);
        if (s->StyleType() == stComment && !s->CommentLeft().isEmpty() && !s->CommentRight().isEmpty())
            return true;
    }
    return false;
}

bool TCustomMemoStyler::HasCommentStyles() const {
    for (int i = 0; i < AllStyles.Count(); ++i)
        if (AllStyles.Items(i)->StyleType() == stComment)
            return true;
    return false;
}

static int FirstPos(QStringView text, const QString &what) {
    return what.isEmpty() ? 0 : int(text.indexOf(what)) + 1;
}

// Comment items compete among themselves from a running best of 65535, not against the styler's
// own delimiter; an item only lends its colours when they differ from black on white.
static void SearchCommentItems(const TElementStyles &styles, QStringView text, bool left, TCommentMatch &m) {
    int best = 65535;
    for (int i = 0; i < styles.Count(); ++i) {
        const TElementStyle *s = styles.Items(i);
        const QString &delim = left ? s->CommentLeft() : s->CommentRight();
        if (s->StyleType() != stComment || delim.isEmpty())
            continue;
        const int p = FirstPos(text, delim);
        if (p > 0 && p < best) {
            best = p;
            m.Pos = p;
            m.Len = int(delim.size());
            m.Kind = i;
            if (s->BGColor() != clWhite || s->Font().Color != clBlack)
                m.Index = i;
        }
    }
}

TCommentMatch TCustomMemoStyler::FindCommentStart(QStringView text) const {
    TCommentMatch m{FirstPos(text, MultiCommentLeft), int(MultiCommentLeft.size()), -1, 255};
    if (HasCommentStyles())
        SearchCommentItems(AllStyles, text, true, m);
    return m;
}

TCommentMatch TCustomMemoStyler::FindCommentEnd(QStringView text) const {
    TCommentMatch m{FirstPos(text, MultiCommentRight), int(MultiCommentRight.size()), -1, 255};
    if (m.Pos > 0)
        return m;
    if (HasCommentStyles())
        SearchCommentItems(AllStyles, text, false, m);
    return m;
}

int TCustomMemoStyler::LineCommentPos(const QString &delimiters, QStringView text) {
    if (!delimiters.contains(QLatin1Char(',')))
        return FirstPos(text, delimiters);
    // Alternatives are tried in list order, not by where they occur.
    for (const QString &alt : delimiters.split(QLatin1Char(','))) {
        const int p = FirstPos(text, alt);
        if (p > 0)
            return p;
    }
    return 0;
}

void TCustomMemoStyler::AddClient(IMemoStylerClient *client) {
    if (client && !FClients.contains(client))
        FClients.append(client);
}

void TCustomMemoStyler::RemoveClient(IMemoStylerClient *client) {
    FClients.removeAll(client);
}

static void AddIniElementStyles(TElementStyles &styles, int fontHeight) {
    TElementFont font;
    font.Height = fontHeight;
    TElementStyle *bracket = styles.Add();
    bracket->SetInfo(QStringLiteral("Bracket"));
    bracket->SetFont(font);
    bracket->SetBGColor(clWhite);
    bracket->SetStyleType(stBracket);
    bracket->SetBracketStart(QLatin1Char('['));
    bracket->SetBracketEnd(QLatin1Char(']'));
    TElementStyle *equal = styles.Add();
    equal->SetInfo(QStringLiteral("Equal"));
    equal->SetFont(font);
    equal->SetBGColor(clWhite);
    equal->SetStyleType(stSymbol);
    equal->SetSymbols(QStringLiteral("="));
}

static const QString kIniFilter =
    QStringLiteral("Configuration files (*.ini;*.inf)|*.ini;*.inf|All files (*.*)|*.*");

TIniMemoStyler::TIniMemoStyler() {
    Description = QStringLiteral("Ini and Inf files");
    Filter = kIniFilter;
    DefaultExtension = QStringLiteral(".ini");
    StylerName = QStringLiteral("Configuration Styler");
    Extensions = QStringLiteral("ini;inf;reg");
    LineComment = MultiCommentLeft = MultiCommentRight = QStringLiteral("#0");
    CommentStyle = {clSilver, clWhite, fsItalic};
    NumberStyle = {clSilver, clWhite, fsItalic};
    BlockStart = BlockEnd = QString(QChar(0));
    HexIdentifier = QStringLiteral("$");
    AddIniElementStyles(AllStyles, 0);
}

void ApplyStoredIniStylerSettings(TIniMemoStyler &s) {
    s.BlockStart = s.BlockEnd = QString(QChar(0));
    s.LineComment = s.MultiCommentLeft = s.MultiCommentRight = QStringLiteral("#0");
    s.CommentStyle = {clSilver, clWhite, fsItalic};
    s.NumberStyle = {clBlue, clWhite, fsItalic};
    // The stored collection replaces the constructor's items with the same two.
    s.AllStyles.Clear();
    AddIniElementStyles(s.AllStyles, -11);
    s.HintParameter = THintParameter{};
    s.HexIdentifier = QStringLiteral("$");
    s.Description = QStringLiteral("Ini and Inf files");
    s.Filter = kIniFilter;
    s.DefaultExtension = QStringLiteral(".ini");
    s.StylerName = QStringLiteral("Configuration Styler");
    s.Extensions = QStringLiteral("ini;inf;reg");
}

std::unique_ptr<TIniMemoStyler> CreateIniMemoStyler() {
    auto styler = std::make_unique<TIniMemoStyler>();
    styler->Name = QStringLiteral("IniMemoStyler");
    ApplyStoredIniStylerSettings(*styler);
    styler->Loaded();
    return styler;
}
