#pragma once

#include <QChar>

// Scanner state carried from line to line by the tokenizer; cached per line in TLineProp.
// The five run flags (isnumber … isHighlight) describe one emitted run and are cleared after it.
struct TStyle {
    qint32 isComment = 0;
    bool isBracket = false;
    bool isnumber = false;
    bool iskeyWord = false;
    bool isdelimiter = false;
    bool isURL = false;
    bool isHighlight = false;
    QChar EndBracket;
    QChar StartBracket;
    qint32 index = -1;
    qint32 ctype = -1;

    void ClearRunFlags() { isnumber = iskeyWord = isdelimiter = isURL = isHighlight = false; }

    bool operator==(const TStyle &) const = default;
};
