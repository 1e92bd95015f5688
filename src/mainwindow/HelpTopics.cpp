#include "mainwindow/HelpTopics.h"

#include <array>

namespace {

QString ConfigurationParagraph() {
    return QStringLiteral(
        "Configuration data of SAP Logon. SAP Logon saves these values itself once the user has made the "
        "settings in its \"SAP Logon configuration\" dialog box, which is reached through the icon left of "
        "the \"SAP Logon\" title and its \"Options ...\" menu.");
}

// The form the check accepts, so that a reported router string can be put right.
QString RouterGrammar() {
    return QStringLiteral(
        "The check accepts a router string made of one or more groups \"/H/host\", each followed by an "
        "optional \"/S/service\" (port or service name) and an optional \"/W/password\" (or the older "
        "\"/P/password\"), then an optional closing \"/H/\"; host, service and password hold no \"/\". "
        "Example: /H/saprouter.example.com/S/3299/H/");
}

std::array<THelpTopic, 31> MakeTopics() {
    const QString cfg = ConfigurationParagraph();
    const QString winPos = QStringLiteral("The position of the dialog for group or server selection.");
    return {{
        {QStringLiteral("Description"),
         {QStringLiteral("Description of an SAP link as it appears in the SAPlogon."),
          QStringLiteral("There is no hard limit on its length, but a description that stays maintainable "
                         "keeps to about 50 characters."),
          QStringLiteral("For an entry made by hand, start the description with the SAP System ID (SID) in "
                         "upper case: the SAP shortcut and the Session Manager read the SID of a manual "
                         "entry from its first three characters.")}},
        {QStringLiteral("Origin"),
         {QStringLiteral("Type of lists entry:"),
          QStringLiteral("MS_SEL_GROUPS = group-based logon, corresponds to load distribution"),
          QStringLiteral("MS_SEL_SERVER = server-based logon using message server"),
          QStringLiteral("USEREDIT = entry carried out manually without message server.")}},
        {QStringLiteral("Server"),
         {QStringLiteral("Holds the application server. For a group-based logon (MS_SEL_GROUPS) it holds the "
                         "name of the logon group used for load distribution instead of a host name.")}},
        {QStringLiteral("System"),
         {QStringLiteral("The SAP System version is defined in this section."),
          QStringLiteral("3 = R/3 System"), QStringLiteral("2 = R/2 System")}},
        {QStringLiteral("Database"),
         {QStringLiteral("The SAP system (instance) number, two digits from \"00\" to \"99\"; the TCP port "
                         "of the connection is derived from it."),
          QStringLiteral("For entries made by group or server selection (Origin MS_SEL_...), the message "
                         "server worked the number out and wrote it into saplogon.ini."),
          QStringLiteral("For user-specific entries (Origin USEREDIT), the user typed it in."),
          QStringLiteral("Server-selection entries (MS_SEL_SERVER, MS_SEL_SERVER_SNC) and user-specific "
                         "entries only connect when the number is right."),
          QStringLiteral("Group-selection entries (MS_SEL_GROUPS, MS_SEL_GROUPS_SNC) still connect with a "
                         "wrong number, through the system ID in [MSSysName]; even so, correct the number, "
                         "or delete the entry in SAP Logon and create it again.")}},
        {QStringLiteral("Address"),
         {QStringLiteral("The IP address of the application server is stored in this section."),
          QStringLiteral("For a group-based logon (MS_SEL_GROUP) it is the IP address of the favoured "
                         "application server, found when the entry was inserted and saved into "
                         "Saplogon.ini."),
          QStringLiteral("The server actually used is chosen when logging on; it does not depend on this "
                         "saved favourite."),
          QStringLiteral("A saved IP address that is no longer valid may be removed from its line while the "
                         "key stays, as below:"),
          QStringLiteral("after:    Item12="), QStringLiteral("before:   Item12=10.10.10.10"),
          QStringLiteral("This maintenance is not absolutely necessary.")}},
        {QStringLiteral("MSSysName"),
         {QStringLiteral(
             "Holds the SAP system ID (SID), the three-character short name of the target system. "
             "Links configured by hand (USEREDIT) have none, but one can be entered here.")}},
        {QStringLiteral("MSSrvName"),
         {QStringLiteral("The host name of the message server is saved in this section.")}},
        {QStringLiteral("Router"),
         {QStringLiteral("The SAP router string that leads to the message server and to the application "
                         "server."),
          RouterGrammar()}},
        {QStringLiteral("RouterChoice"),
         {QStringLiteral("Tells whether the connections to the application server and to the message server "
                         "use different router strings."),
          QStringLiteral("1 = different router strings for application server and message server are used. "
                         "(--> see Router2)"),
          QStringLiteral("0 = the same router string for appl.server and message server.")}},
        {QStringLiteral("Router2"),
         {QStringLiteral("The router string to the application server when it is not the same as the message "
                         "server's; empty otherwise (see RouterChoice)."),
          RouterGrammar()}},
        {QStringLiteral("Codepage"),
         {QStringLiteral("Sets the client's code page, overriding what the client's local installation "
                         "uses."),
          QStringLiteral("The number of the code page, 1100 by default; the extended dialog of SAP Logon "
                         "changes it as well.")}},
        {QStringLiteral("CodepageIndex"),
         {QStringLiteral("-1 = default code page is used: 1100"),
          QStringLiteral("0 to nn = index on the language ID according to the sequence in the selection box "
                         "in the extended dialog in SAPlogon.")}},
        {QStringLiteral("EncodingID"),
         {QStringLiteral("In this section, you can set the upload or download source code."),
          QStringLiteral("It is the encoding of the files that are transferred from or to the back end and "
                         "kept on the client's disk."),
          QStringLiteral("For more information, see SAP Note 765763.")}},
        {QStringLiteral("SncName"), {QStringLiteral("The SNC name defined in the relevant SAP System.")}},
        {QStringLiteral("SncChoice"),
         {QStringLiteral("The required SNC level:"), QStringLiteral("-1 = SNC not possible"),
          QStringLiteral(" 0  = SNC possible but not activated"), QStringLiteral(" 1  = SNC authentication"),
          QStringLiteral(" 2  = SNC integrity"), QStringLiteral(" 3  = SNC encryption"),
          QStringLiteral(" 9  = SNC max. availability")}},
        {QStringLiteral("LowSpeedConnection"),
         {QStringLiteral("1 = Low Speed Connection activated"),
          QStringLiteral("0 = Low Speed Connection deactivated")}},
        {QStringLiteral("SessManKey"),
         {QStringLiteral("A key, unique within this section, through which the Session Manager and SAP Logon "
                         "talk to each other."),
          QStringLiteral(
              "From SAP GUI 6.x on the section no longer matters: the Session Manager has not been "
              "shipped since GUI 610 (SAP Note 402189).")}},
        {QStringLiteral("MSSrvPort"),
         {QStringLiteral("The port number of the TCP connection. It need not be entered: SAP Logon asks the "
                         "message server for it."),
          QStringLiteral("A saplogon.ini made by hand may leave the section out; SAP Logon creates and fills "
                         "it when it is used."),
          QStringLiteral("A wrong number stops the connection to the message server and has to be "
                         "corrected.")}},
        {QStringLiteral("SessManNewKey"), {cfg}},
        {QStringLiteral("MessageServerTimeout"), {cfg}},
        {QStringLiteral("WithWizard"), {cfg}},
        {QStringLiteral("ConfirmDelete"), {cfg}},
        {QStringLiteral("NoEditFunctionality"), {cfg}},
        {QStringLiteral("SapguiHexdumpActivated"), {cfg}},
        {QStringLiteral("SapguiTraceActivated"), {cfg}},
        {QStringLiteral("SapguiTraceLevel"), {cfg}},
        {QStringLiteral("SapguiNTCmdOpts"), {cfg}},
        {QStringLiteral("MSLast"), {QStringLiteral("Last selected SAP System link.")}},
        {QStringLiteral("NormX"), {winPos}},
        {QStringLiteral("NormY"), {winPos}},
    }};
}

} // namespace

const THelpTopic *HelpTopic(int fieldNumber) {
    static const std::array<THelpTopic, 31> topics = MakeTopics();
    if (fieldNumber < 1 || fieldNumber > int(topics.size()))
        return nullptr;
    return &topics[fieldNumber - 1];
}

const THelpTopic *OtherContentHelpTopic() {
    static const THelpTopic topic{
        QStringLiteral("Other fields in this file"),
        {QStringLiteral(
             "SAP Logon keeps more in SAPLOGON.INI than the fields of this form: further sections "
             "with one \"Item\" key per entry (such as EntryKey, SncNoSSO, Utf8Off or the Shortcut "
             "sections), further keys of the Configuration, MSLast and MSWinPos sections, and "
             "sections of its own."),
         QStringLiteral("They are listed here as the file holds them. The editor does not change them: the "
                        "values of an entry stay with it when entries are moved, copied, removed, imported "
                        "or renumbered, and everything is written back unchanged when the file is saved. "
                        "\"(no key)\" means that the entry has no key in that section."),
         QStringLiteral("To change one of these values, edit the text on the File content page just before "
                        "saving, or change the setting in SAP Logon.")}};
    return &topic;
}
