#pragma once

#include <QChar>

// Scanner state carried from line to line by the tokenizer; cached per line in TLineProp.
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
    qint32 index = 0;
    qint32 ctype = 0;

    bool operator==(const TStyle &) const = default;
};
