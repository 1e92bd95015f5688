#pragma once

#include <QString>
#include <QStringList>

// Help shown beside the focused field: title and lines, keyed by the field number (1..31).
struct THelpTopic {
    QString Title;
    QStringList Lines;
};

// nullptr for numbers without a topic (0 and anything outside 1..31).
const THelpTopic *HelpTopic(int fieldNumber);

// Help of the lists of what the file holds beyond the form's fields.
const THelpTopic *OtherContentHelpTopic();
