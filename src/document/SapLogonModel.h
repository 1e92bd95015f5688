#pragma once

#include <QList>
#include <QString>
#include <array>
#include <optional>

// One SAP Logon entry: 19 text fields, each stored in the INI section of the same name under
// the key "Item<position>". The model validates and converts nothing.
struct tyEntry {
    QString Description;
    QString Origin;
    QString Server;
    QString System;
    QString Database;
    QString Address;
    QString MSSysName;
    QString MSSrvName;
    QString Router;
    QString RouterChoice;
    QString Router2;
    QString Codepage;
    QString CodepageIndex;
    QString EncodingID;
    QString SncName;
    QString SncChoice;
    QString LowSpeedConnection;
    QString SessManKey;
    QString MSSrvPort;
    // The entry's values in the file's other entry sections (tyOtherContent::EntrySections), by
    // position. nullopt, or a position beyond the end: the entry has no key there.
    QList<std::optional<QString>> Other;

    static constexpr int FieldCount = 19;
    // Field by 0-based record index (field number - 1).
    QString &field(int index);
    const QString &field(int index) const;

    bool operator==(const tyEntry &) const = default;
};

// Section names of the entry fields, in record order (which is also the written order).
extern const std::array<const char *, tyEntry::FieldCount> EntryFieldNames;

struct tyConfiguration {
    qint32 SessManNewKey = 0;
    qint32 MessageServerTimeout = 0;
    bool WithWizard = false;
    bool ConfirmDelete = false;
    bool NoEditFunctionality = false;
    bool SapguiHexdumpActivated = false;
    bool SapguiTraceActivated = false;
    qint32 SapguiTraceLevel = 0;
    QString SapguiNTCmdOpts;
    bool operator==(const tyConfiguration &) const = default;
};

struct tyMSLast {
    QString MSLast;
    bool operator==(const tyMSLast &) const = default;
};

struct tyMSWinPos {
    qint32 NormX = 0;
    qint32 NormY = 0;
    bool operator==(const tyMSWinPos &) const = default;
};

// Creation values are zero/false/empty; the reading defaults belong to loading only.
struct tyGlobal {
    tyConfiguration Configuration;
    tyMSLast MSLast;
    tyMSWinPos MSWinPos;
    bool operator==(const tyGlobal &) const = default;
};

// A key the model does not interpret, kept to be written back as it was read.
struct tyKeptKey {
    QString Name;
    QString Value; // the text after "=" as the file holds it, quotes included
    bool operator==(const tyKeptKey &) const = default;
};

struct tyKeptSection {
    QString Name;
    QList<tyKeptKey> Keys;
    bool operator==(const tyKeptSection &) const = default;
};

// What SAP Logon can read in a file besides the 19 fields and the twelve settings: further
// sections with one "ItemN" per entry, further keys of the three global sections, and whole
// sections of its own. All of it is written back unchanged.
struct tyOtherContent {
    QStringList EntrySections; // in file order; each entry's values are in tyEntry::Other
    QList<tyKeptKey> ConfigurationKeys;
    QList<tyKeptKey> MSLastKeys;
    QList<tyKeptKey> MSWinPosKeys;
    QList<tyKeptSection> Sections;
    bool isEmpty() const {
        return EntrySections.isEmpty() && ConfigurationKeys.isEmpty() && MSLastKeys.isEmpty() &&
               MSWinPosKeys.isEmpty() && Sections.isEmpty();
    }
    bool operator==(const tyOtherContent &) const = default;
};

// True for the 22 sections the model itself reads and writes (letter case ignored).
bool IsModelSection(QStringView name);

// Field numbers shared by the form controls' tags, the field commit and the field help:
// 1..19 entry fields in record order, 20..31 the global settings in record order.
enum FieldNumber : int {
    fnDescription = 1,
    fnSessManKey = 18,
    fnMSSrvPort = 19,
    fnSessManNewKey = 20,
    fnMessageServerTimeout = 21,
    fnWithWizard = 22,
    fnConfirmDelete = 23,
    fnNoEditFunctionality = 24,
    fnSapguiHexdumpActivated = 25,
    fnSapguiTraceActivated = 26,
    fnSapguiTraceLevel = 27,
    fnSapguiNTCmdOpts = 28,
    fnMSLast = 29,
    fnNormX = 30,
    fnNormY = 31,
};
