#include "document/SapLogonModel.h"

#include "document/ProfileReader.h"

const std::array<const char *, tyEntry::FieldCount> EntryFieldNames = {
    "Description",
    "Origin",
    "Server",
    "System",
    "Database",
    "Address",
    "MSSysName",
    "MSSrvName",
    "Router",
    "RouterChoice",
    "Router2",
    "Codepage",
    "CodepageIndex",
    "EncodingID",
    "SncName",
    "SncChoice",
    "LowSpeedConnection",
    "SessManKey",
    "MSSrvPort",
};

namespace {
template <typename Entry> auto &fieldOf(Entry &e, int index) {
    switch (index) {
    case 0:
        return e.Description;
    case 1:
        return e.Origin;
    case 2:
        return e.Server;
    case 3:
        return e.System;
    case 4:
        return e.Database;
    case 5:
        return e.Address;
    case 6:
        return e.MSSysName;
    case 7:
        return e.MSSrvName;
    case 8:
        return e.Router;
    case 9:
        return e.RouterChoice;
    case 10:
        return e.Router2;
    case 11:
        return e.Codepage;
    case 12:
        return e.CodepageIndex;
    case 13:
        return e.EncodingID;
    case 14:
        return e.SncName;
    case 15:
        return e.SncChoice;
    case 16:
        return e.LowSpeedConnection;
    case 17:
        return e.SessManKey;
    default:
        return e.MSSrvPort;
    }
}
} // namespace

QString &tyEntry::field(int index) {
    return fieldOf(*this, index);
}
const QString &tyEntry::field(int index) const {
    return fieldOf(*this, index);
}

bool IsModelSection(QStringView name) {
    static const QStringList names = [] {
        QStringList n{QStringLiteral("Configuration"), QStringLiteral("MSLast"), QStringLiteral("MSWinPos")};
        for (const char *field : EntryFieldNames)
            n.append(QString::fromLatin1(field));
        return n;
    }();
    for (const QString &n : names)
        if (ProfileReader::SameName(name, n))
            return true;
    return false;
}
