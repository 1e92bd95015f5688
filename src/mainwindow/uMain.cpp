#include "mainwindow/uMain.h"

#include "mainwindow/HelpTopics.h"
#include "mainwindow/MessageDialogs.h"
#include "mainwindow/OtherContentGroup.h"
#include "mainwindow/WindowTheme.h"
#include "platform/AppError.h"
#include "platform/Environment.h"
#include "platform/FileOps.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStringListModel>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <optional>
#include <tuple>

static void InitIconResources() {
    Q_INIT_RESOURCE(Icons);
}

namespace {

constexpr int FieldX = 120;
constexpr int FieldHeight = 21;
constexpr int FullWidth = 337;
constexpr int LabelGap = 8;
constexpr int TextLimit = 50;
constexpr int fnMSSysName = 7;

// Field numbers whose edits take digits only from the keyboard, and those limited to 50 characters.
bool IsDigitsField(int tag) {
    return tag == fnSessManNewKey || tag == fnMessageServerTimeout || tag == fnNormX || tag == fnNormY;
}
bool IsLimitedField(int tag) {
    return tag == fnDescription || tag == fnSapguiNTCmdOpts || IsDigitsField(tag);
}

int TagOf(const QObject *control) {
    return control ? control->property("tag").toInt() : 0;
}

// Leading and trailing characters up to the blank go, as the profile format would drop them.
QString TrimControl(const QString &text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

QFont UiFont(const QString &face, int points, bool bold = false) {
    QFont font(face, points);
    // Stand-ins with close metrics where the Windows faces are not installed.
    if (face == QLatin1String("Tahoma"))
        font.setFamilies({face, QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    else if (face == QLatin1String("Courier New"))
        font.setFamilies({face, QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
    font.setStyleHint(face == QLatin1String("Courier New") ? QFont::TypeWriter : QFont::SansSerif);
    font.setBold(bold);
    return font;
}

constexpr int ProblemRole = TEntryListModel::ProblemRole;

// Rows of the entry list are 14 pixels high so that long lists stay compact. Every row keeps a
// slot for the problem mark, so that the texts (and the SID column) stay aligned.
class TFixedRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), 14);
    }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        static const QIcon error(QStringLiteral(":/icons/problem-error.svg"));
        static const QIcon warning(QStringLiteral(":/icons/problem-warning.svg"));
        static const QIcon none = [] {
            QPixmap blank(12, 12);
            blank.fill(Qt::transparent);
            return QIcon(blank);
        }();
        const int level = index.data(ProblemRole).toInt();
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->icon = level == 2 ? error : level == 1 ? warning : none;
        option->decorationSize = QSize(12, 12);
    }
};

void SetNameAndAccessible(QWidget *w, const char *name, const QString &accessible) {
    w->setObjectName(QLatin1String(name));
    w->setAccessibleName(accessible);
}

// A caption as shown: "&x" is x underlined for Alt+x, "&&" a plain ampersand.
QString WithoutMnemonic(const QString &caption) {
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i;
        shown += caption[i];
    }
    return shown;
}

} // namespace

void SelectComboItem(QComboBox *combo, const QString &value) {
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i).compare(value, Qt::CaseInsensitive) == 0) {
            combo->setCurrentIndex(i);
            return;
        }
    }
    combo->setCurrentIndex(-1);
}

// ---------------------------------------------------------------------------------------------
// Construction

TfrmMain::TfrmMain(QWidget *parent) : QWidget(parent), FDocument(FLines) {
    InitIconResources();
    setObjectName(QStringLiteral("frmMain"));
    setAccessibleName(ApplicationTitle());
    setFont(UiFont(QStringLiteral("Tahoma"), 8));
    CreateControls();
    CreateShortcuts();
    AcceptFileDrops();
    resize(1035, 560);
    Guard([this] { FormCreate(); });
}

TfrmMain::~TfrmMain() {
    // The view is deleted after the members, the styler among them.
    CodeMemo->SetSyntaxStyles(nullptr);
}

QString TfrmMain::OpenDialogFilter() {
    return QStringLiteral("saplogon.ini|saplogon.ini|All files (*.*)|*.*");
}

void TfrmMain::CreateControls() {
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    root->addWidget(CreateTopBar());

    Splitter1 = new QSplitter(Qt::Horizontal, this);
    SetNameAndAccessible(Splitter1, "Splitter1", QStringLiteral("Entry list width"));
    Splitter1->setHandleWidth(4);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(CreateListPanel());
    auto *rest = new QWidget(Splitter1);
    rest->setObjectName(QStringLiteral("pnlRest"));
    auto *restLayout = new QHBoxLayout(rest);
    restLayout->setContentsMargins(0, 0, 0, 0);
    restLayout->setSpacing(0);
    restLayout->addWidget(CreateDetailsPanel());
    restLayout->addWidget(CreateHelpPanel(), 1);
    Splitter1->addWidget(rest);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({265, 1035 - 265 - 4});
    root->addWidget(Splitter1, 1);

    ProgressBar = new QProgressBar(this);
    SetNameAndAccessible(ProgressBar, "ProgressBar", QStringLiteral("Progress"));
    ProgressBar->setFixedHeight(17);
    ProgressBar->hide();
    root->addWidget(ProgressBar);

    SetKeyboardOrder();
}

QWidget *TfrmMain::CreateTopBar() {
    Panel6 = new QFrame(this);
    SetNameAndAccessible(Panel6, "Panel6", QStringLiteral("File and actions"));
    Panel6->setFixedHeight(73);
    auto *layout = new QHBoxLayout(Panel6);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(0);

    grpSapLogon = new QGroupBox(QStringLiteral(" SAPLOGON.INI "), Panel6);
    SetNameAndAccessible(grpSapLogon, "grpSapLogon", QStringLiteral("SAPLOGON.INI"));
    auto *chooseLabel = new QLabel(QStringLiteral("Choose &file"), grpSapLogon);
    chooseLabel->setObjectName(QStringLiteral("lblChooseFile"));
    chooseLabel->move(12, 19);
    chooseLabel->adjustSize();
    edtSapLogon = new QLineEdit(grpSapLogon);
    SetNameAndAccessible(edtSapLogon, "edtSapLogon", QStringLiteral("Choose file"));
    edtSapLogon->setReadOnly(true);
    edtSapLogon->setGeometry(12, 35, 667, FieldHeight);
    chooseLabel->setBuddy(edtSapLogon);
    bbtOpen = AddPictureButton(grpSapLogon, "bbtOpen", QStringLiteral("open"),
                               QStringLiteral("Open a SAPLOGON.INI file"), 685, 33, 0);
    bbtOpen->setAccessibleName(QStringLiteral("Open"));
    bbtFind = AddPictureButton(grpSapLogon, "bbtFind", QStringLiteral("find"),
                               QStringLiteral("Find SAPLOGON.INI in the Windows folder"), 716, 33, 0);
    bbtFind->setAccessibleName(QStringLiteral("Find"));
    grpSapLogon->installEventFilter(this); // keeps the path edit stretched and the buttons at the right
    layout->addWidget(grpSapLogon, 1);
    layout->addSpacing(8);

    grpAction = new QGroupBox(QStringLiteral(" Action "), Panel6);
    SetNameAndAccessible(grpAction, "grpAction", QStringLiteral("Action"));
    grpAction->setFixedWidth(270);
    auto makeButton = [this](const char *name, const QString &caption, const QString &icon, int x,
                             int width) {
        auto *button = new QPushButton(QIcon(QStringLiteral(":/icons/") + icon + QStringLiteral(".svg")),
                                       caption, grpAction);
        SetNameAndAccessible(button, name, caption);
        button->setGeometry(x, 20, width, 40);
        button->setIconSize(QSize(16, 16));
        button->setProperty("tag", 0);
        return button;
    };
    bbtAbout = makeButton("bbtAbout", QStringLiteral("About"), QStringLiteral("about"), 6, 75);
    bbtSave = makeButton("bbtSave", QStringLiteral("Save"), QStringLiteral("save"), 87, 78);
    bbtSave->setEnabled(false);
    imgModified = new QLabel(grpAction);
    SetNameAndAccessible(imgModified, "imgModified", QStringLiteral("File modified"));
    imgModified->setToolTip(QStringLiteral("File modified"));
    imgModified->setPixmap(QIcon(QStringLiteral(":/icons/modified.svg")).pixmap(QSize(20, 20)));
    imgModified->setAlignment(Qt::AlignCenter);
    imgModified->setGeometry(171, 20, 25, 40);
    imgModified->hide();
    bbtExit = makeButton("bbtExit", QStringLiteral("Quit"), QStringLiteral("quit"), 270 - 6 - 62, 62);
    layout->addWidget(grpAction);

    connect(bbtOpen, &QPushButton::clicked, this, [this] { Guard([this] { bbtOpenClick(); }); });
    connect(bbtFind, &QPushButton::clicked, this, [this] { Guard([this] { bbtFindClick(); }); });
    connect(bbtAbout, &QPushButton::clicked, this, [this] { Guard([this] { bbtAboutClick(); }); });
    connect(bbtSave, &QPushButton::clicked, this, [this] { Guard([this] { bbtSaveClick(); }); });
    connect(bbtExit, &QPushButton::clicked, this, [this] { Guard([this] { bbtExitClick(); }); });
    return Panel6;
}

QWidget *TfrmMain::CreateListPanel() {
    pnlItems = new QWidget(this);
    SetNameAndAccessible(pnlItems, "pnlItems", QStringLiteral("Entries"));
    pnlItems->setMinimumWidth(120);
    auto *layout = new QVBoxLayout(pnlItems);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->setSpacing(0);

    edtFilter = new QLineEdit(pnlItems);
    SetNameAndAccessible(edtFilter, "edtFilter", QStringLiteral("Filter"));
    edtFilter->setPlaceholderText(QStringLiteral("Filter: description, SID, server"));
    edtFilter->setToolTip(QStringLiteral("Shows the entries whose description, SID, server, message server "
                                         "or address contain the text (Ctrl+F; Escape clears)"));
    edtFilter->setClearButtonEnabled(true);
    if (auto *clear = edtFilter->findChild<QAbstractButton *>()) {
        SetNameAndAccessible(clear, "bbtClearFilter", QStringLiteral("Clear filter"));
        clear->setToolTip(QStringLiteral("Clear filter"));
    }
    edtFilter->installEventFilter(this);
    layout->addWidget(edtFilter);
    layout->addSpacing(2);
    connect(edtFilter, &QLineEdit::textChanged, this, [this] { Guard([this] { ApplyFilter(); }); });
    auto *findShortcut = new QShortcut(QKeySequence::Find, this);
    connect(findShortcut, &QShortcut::activated, this, [this] {
        edtFilter->setFocus(Qt::ShortcutFocusReason);
        edtFilter->selectAll();
    });

    lbxEntries = new TEntryListBox(pnlItems);
    SetNameAndAccessible(lbxEntries, "lbxEntries", QStringLiteral("Entries"));
    lbxEntries->setFont(UiFont(QStringLiteral("Courier New"), 8));
    lbxEntries->setSelectionMode(QAbstractItemView::SingleSelection);
    lbxEntries->setUniformItemSizes(true);
    lbxEntries->setItemDelegate(new TFixedRowDelegate(lbxEntries));
    lbxEntries->setIconSize(QSize(12, 12));
    lbxEntries->installEventFilter(this);
    lbxEntries->viewport()->installEventFilter(this);
    layout->addWidget(lbxEntries, 1);

    auto *strip = new QWidget(pnlItems);
    strip->setObjectName(QStringLiteral("pnlItemButtons"));
    strip->setFixedHeight(33);
    bbtUp = AddPictureButton(strip, "bbtUp", QStringLiteral("up"), QStringLiteral("Move up"), 4, 4, -1);
    bbtDown =
        AddPictureButton(strip, "bbtDown", QStringLiteral("down"), QStringLiteral("Move down"), 35, 4, 1);
    bbtAdd = AddPictureButton(strip, "bbtAdd", QStringLiteral("add"), QStringLiteral("Insert new entry"), 66,
                              4, 0);
    bbtRemove = AddPictureButton(strip, "bbtRemove", QStringLiteral("remove"), QStringLiteral("Delete entry"),
                                 97, 4, 0);
    bbtCopy =
        AddPictureButton(strip, "bbtCopy", QStringLiteral("copy"), QStringLiteral("Copy entry"), 128, 4, 0);
    bbtImport = AddPictureButton(strip, "bbtImport", QStringLiteral("import"),
                                 QStringLiteral("Import from other SAPLOGON.INI file"), 159, 4, 0);
    bbtUp->setEnabled(false);
    bbtDown->setEnabled(false);
    bbtRemove->setEnabled(false);
    bbtCopy->setEnabled(false);
    chkSID = new QCheckBox(QStringLiteral("SID"), strip);
    SetNameAndAccessible(chkSID, "chkSID", QStringLiteral("SID"));
    chkSID->setToolTip(QStringLiteral("Show SID in the list"));
    chkSID->setGeometry(200, 6, 41, 17);
    chkSID->setProperty("tag", 0);
    layout->addWidget(strip);

    connect(bbtUp, &QPushButton::clicked, this, [this] { Guard([this] { bbMoveEntryClick(bbtUp); }); });
    connect(bbtDown, &QPushButton::clicked, this, [this] { Guard([this] { bbMoveEntryClick(bbtDown); }); });
    connect(bbtAdd, &QPushButton::clicked, this, [this] { Guard([this] { bbtAddClick(); }); });
    connect(bbtRemove, &QPushButton::clicked, this, [this] { Guard([this] { bbtRemoveClick(); }); });
    connect(bbtCopy, &QPushButton::clicked, this, [this] { Guard([this] { bbtCopyClick(); }); });
    connect(bbtImport, &QPushButton::clicked, this, [this] { Guard([this] { bbtImportClick(); }); });
    connect(chkSID, &QCheckBox::clicked, this, [this] { Guard([this] { chkSIDClick(); }); });
    return pnlItems;
}

QWidget *TfrmMain::CreateDetailsPanel() {
    pnlDetails = new QWidget(this);
    SetNameAndAccessible(pnlDetails, "pnlDetails", QStringLiteral("Details"));
    pnlDetails->setFixedWidth(496);
    auto *layout = new QVBoxLayout(pnlDetails);
    layout->setContentsMargins(4, 4, 4, 4);

    PageControl = new QTabWidget(pnlDetails);
    SetNameAndAccessible(PageControl, "PageControl", QStringLiteral("Pages"));
    PageControl->setIconSize(QSize(16, 16));
    layout->addWidget(PageControl);

    auto makeScroll = [](QWidget *page, const char *name, QWidget *content) {
        auto *scroll = new QScrollArea(page);
        SetNameAndAccessible(scroll, name, page->accessibleName());
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        // The fields move the page into view themselves; the area is no stop of its own.
        scroll->setFocusPolicy(Qt::NoFocus);
        // The form lies on the palette's window colour, where the style draws the frames of edits
        // and check boxes to be seen; on the base colour they vanish under a dark palette.
        scroll->setBackgroundRole(QPalette::Window);
        content->setBackgroundRole(QPalette::Window);
        content->setAutoFillBackground(true);
        scroll->setWidget(content);
        auto *pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(0, 0, 0, 0);
        pageLayout->addWidget(scroll);
        return scroll;
    };

    tshSystems = new QWidget;
    SetNameAndAccessible(tshSystems, "tshSystems", QStringLiteral("Systems"));
    scrDetails = makeScroll(tshSystems, "scrDetails", CreateSystemsContent());
    tshGlobalSettings = new QWidget;
    SetNameAndAccessible(tshGlobalSettings, "tshGlobalSettings", QStringLiteral("Global settings"));
    ScrollBox1 = makeScroll(tshGlobalSettings, "ScrollBox1", CreateGlobalContent());
    tshFileContent = new QWidget;
    SetNameAndAccessible(tshFileContent, "tshFileContent", QStringLiteral("File content"));
    auto *fileLayout = new QVBoxLayout(tshFileContent);
    fileLayout->setContentsMargins(0, 0, 0, 0);
    CodeMemo->setParent(tshFileContent);
    CodeMemo->SetSyntaxStyles(IniStyler.get());
    SetNameAndAccessible(CodeMemo, "CodeMemo", QStringLiteral("File content"));
    fileLayout->addWidget(CodeMemo);

    const QIcon systemsIcon(QStringLiteral(":/icons/page-systems.svg"));
    const QIcon globalIcon(QStringLiteral(":/icons/page-global.svg"));
    const QIcon fileIcon(QStringLiteral(":/icons/page-file.svg"));
    PageControl->addTab(tshSystems, systemsIcon, QStringLiteral("Systems"));
    PageControl->addTab(tshGlobalSettings, globalIcon, QStringLiteral("Global settings"));
    PageControl->addTab(tshFileContent, fileIcon, QStringLiteral("File content"));
    return pnlDetails;
}

QWidget *TfrmMain::CreateHelpPanel() {
    pnlHelp = new QWidget(this);
    SetNameAndAccessible(pnlHelp, "pnlHelp", QStringLiteral("Help"));
    auto *layout = new QVBoxLayout(pnlHelp);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(0);
    pnlField = new QLabel(pnlHelp);
    SetNameAndAccessible(pnlField, "pnlField", QStringLiteral("Help title"));
    pnlField->setFixedHeight(21);
    pnlField->setAlignment(Qt::AlignCenter);
    QFont titleFont(QStringLiteral("Verdana"), 9);
    titleFont.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
    titleFont.setBold(true);
    pnlField->setFont(titleFont);
    memHelp = new QPlainTextEdit(pnlHelp);
    SetNameAndAccessible(memHelp, "memHelp", QStringLiteral("Help text"));
    memHelp->setReadOnly(true);
    memHelp->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memHelp->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memHelp->setFont(UiFont(QStringLiteral("Courier New"), 9));
    layout->addWidget(pnlField);
    layout->addWidget(memHelp, 1);
    return pnlHelp;
}

QWidget *TfrmMain::CreateSystemsContent() {
    auto *content = new QWidget(this); // parented now so that it takes the window font
    content->setObjectName(QStringLiteral("scrDetailsContent"));
    AddHeading(content, QStringLiteral("Required fields"), 8, 11);
    AddEdit(content, "ledtDescription", QStringLiteral("&Description"), 33, FullWidth, 1);
    AddCombo(content, "cbxOrigin", QStringLiteral("&Origin"), 59, FullWidth, 2,
             {QStringLiteral("MS_SEL_GROUPS"), QStringLiteral("MS_SEL_SERVER"), QStringLiteral("USEREDIT")});
    AddEdit(content, "ledtServer", QStringLiteral("&Server"), 86, FullWidth, 3);
    AddCombo(content, "cbxSystem", QStringLiteral("S&ystem"), 112, 48, 4,
             {QStringLiteral("2"), QStringLiteral("3")});
    AddEdit(content, "ledtDatabase", QStringLiteral("Data&base"), 139, FullWidth, 5);
    AddEdit(content, "ledtAddress", QStringLiteral("&Address"), 165, FullWidth, 6);
    AddEdit(content, "ledtMSSysName", QStringLiteral("MSSys&Name"), 192, FullWidth, 7);
    AddEdit(content, "ledtMSSrvName", QStringLiteral("MSSr&vName"), 218, FullWidth, 8);
    AddHeading(content, QStringLiteral("Optional fields"), 8, 244);
    AddEdit(content, "ledtRouter", QStringLiteral("&Router"), 271, FullWidth, 9);
    AddCombo(content, "cbxRouterChoice", QStringLiteral("Router&Choice"), 297, 65, 10,
             {QStringLiteral("1"), QStringLiteral("0")});
    AddEdit(content, "ledtRouter2", QStringLiteral("Router&2"), 324, FullWidth, 11);
    AddHeading(content, QStringLiteral("Language support (Native Language support)"), 8, 350);
    AddEdit(content, "ledtCodePage", QStringLiteral("Code &page"), 377, FullWidth, 12);
    QStringList codePageIndexes;
    for (int i = -1; i <= 99; ++i)
        codePageIndexes << QString::number(i);
    AddCombo(content, "cbxCodePageIndex", QStringLiteral("Code page &index"), 403, 48, 13, codePageIndexes);
    AddEdit(content, "ledtEncodingID", QStringLiteral("&EncodingID"), 430, FullWidth, 14);
    AddHeading(content, QStringLiteral("SNC Support (Secure Network Settings)"), 8, 456);
    AddEdit(content, "ledtSncName", QStringLiteral("SncNa&me"), 482, FullWidth, 15);
    AddCombo(content, "cbxSncChoice", QStringLiteral("SncC&hoice"), 509, 48, 16,
             {QStringLiteral("-1"), QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"),
              QStringLiteral("3"), QStringLiteral("9")});
    AddHeading(content, QStringLiteral("Connection speed"), 8, 535);
    AddCombo(content, "cbxLowSpeedConnection", QStringLiteral("&LowSpeedConnection"), 562, 48, 17,
             {QStringLiteral("1"), QStringLiteral("0")});
    AddHeading(content, QStringLiteral("Other sections"), 8, 588);
    ledtSessManKey = AddEdit(content, "ledtSessManKey", QStringLiteral("SessMan&Key"), 615, 305, 18);
    bbtSessManKeyAuto =
        AddPictureButton(content, "bbtSessManKeyAuto", QStringLiteral("renumber"),
                         QStringLiteral("Renumber the SessManKey of all entries"), 431, 613, 0);
    bbtSessManKeyAuto->setAccessibleName(QStringLiteral("Renumber SessManKey"));
    WatchField(bbtSessManKeyAuto, 0);
    connect(bbtSessManKeyAuto, &QPushButton::clicked, this,
            [this] { Guard([this] { bbtSessManKeyAutoClick(); }); });
    AddHeading(content, QStringLiteral("Optional sections"), 8, 641);
    AddEdit(content, "ledtMSSrvPort", QStringLiteral("MSSrvPor&t"), 668, FullWidth, 19);
    auto *bottom = new QLabel(content);
    bottom->setObjectName(QStringLiteral("lblBottomSpace"));
    bottom->setGeometry(0, 668 + FieldHeight, 8, 13);
    grpOtherFields = AddOtherContentGroup(content, QStringLiteral("Other fields in this file"),
                                          "grpOtherFields", "lvwOtherFields", 668 + FieldHeight + 13);
    content->setFixedSize(FieldX + FullWidth + 8, 668 + FieldHeight + 13);
    return content;
}

QWidget *TfrmMain::CreateGlobalContent() {
    auto *content = new QWidget(this); // parented now so that it takes the window font
    content->setObjectName(QStringLiteral("ScrollBox1Content"));
    AddHeading(content, QStringLiteral("Configuration"), 16, 15);
    ledtSessManNewKey =
        AddEdit(content, "ledtSessManNewKey", QStringLiteral("&SessManNewKey"), 41, FullWidth, 20);
    AddEdit(content, "ledtMessageServerTimeout", QStringLiteral("&MessageServerTimeout"), 68, FullWidth, 21);
    AddCheck(content, "chkWithWizard", QStringLiteral("&WithWizard"), 95, 22);
    AddCheck(content, "chkConfirmDelete", QStringLiteral("&ConfirmDelete"), 118, 23);
    AddCheck(content, "chkNoEditFunctionality", QStringLiteral("&NoEditFunctionality"), 141, 24);
    AddCheck(content, "chkSapguiHexdumpActivated", QStringLiteral("Sapgui&HexdumpActivated"), 164, 25);
    AddCheck(content, "chkSapguiTraceActivated", QStringLiteral("Sapgui&TraceActivated"), 187, 26);
    cbxSapguiTraceLevel =
        AddCombo(content, "cbxSapguiTraceLevel", QStringLiteral("SapguiTrace&Level"), 210, 145, 27,
                 {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
    AddEdit(content, "ledtSapguiNTCmdOpts", QStringLiteral("SapguiNTCmd&Opts"), 237, FullWidth, 28);
    AddHeading(content, QStringLiteral("MSLast"), 16, 271);
    cbxMSLast = AddCombo(content, "cbxMSLast", QStringLiteral("MSL&ast"), 290, 145, 29, {});
    // One name an entry: a list of strings the entries share costs a pointer a row, where items
    // of the drop-down's own would cost an object each.
    cbxMSLast->setModel(new QStringListModel(cbxMSLast));
    if (auto *popup = qobject_cast<QListView *>(cbxMSLast->view()))
        popup->setUniformItemSizes(true);
    AddHeading(content, QStringLiteral("MSWinPos"), 16, 319);
    AddEdit(content, "ledtNormX", QStringLiteral("Norm&X"), 345, FullWidth, 30);
    AddEdit(content, "ledtNormY", QStringLiteral("Norm&Y"), 372, FullWidth, 31);
    grpKeptContent = AddOtherContentGroup(content, QStringLiteral("Other keys and sections in this file"),
                                          "grpKeptContent", "lvwKeptContent", 372 + FieldHeight + 13);
    content->setFixedSize(FieldX + FullWidth + 8, 372 + FieldHeight + 13);
    return content;
}

namespace {
QLabel *AddFieldLabel(QWidget *parent, const char *name, const QString &text, int y, QWidget *buddy) {
    auto *label = new QLabel(text, parent);
    // Named after the field without its kind: ledtServer's label is lblServer, cbxOrigin's lblOrigin.
    const QString field = QLatin1String(name);
    qsizetype kind = 0;
    while (kind < field.size() && field[kind].isLower())
        ++kind;
    label->setObjectName(QStringLiteral("lbl") + field.mid(kind));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Right-aligned against the field; a caption that the stand-in face makes too wide is set smaller.
    const int room = FieldX - LabelGap - 2;
    QFont font = label->font();
    while (QFontMetrics(font).horizontalAdvance(WithoutMnemonic(text)) > room && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 0.25);
    label->setFont(font);
    label->setGeometry(FieldX - LabelGap - room, y, room, FieldHeight);
    label->setBuddy(buddy);
    return label;
}
} // namespace

QLineEdit *TfrmMain::AddEdit(QWidget *parent, const char *name, const QString &label, int y, int width,
                             int tag) {
    auto *edit = new QLineEdit(parent);
    SetNameAndAccessible(edit, name, WithoutMnemonic(label));
    edit->setGeometry(FieldX, y, width, FieldHeight);
    AddFieldLabel(parent, name, label, y, edit);
    WatchField(edit, tag);
    return edit;
}

QComboBox *TfrmMain::AddCombo(QWidget *parent, const char *name, const QString &label, int y, int width,
                              int tag, const QStringList &items) {
    auto *combo = new QComboBox(parent);
    SetNameAndAccessible(combo, name, WithoutMnemonic(label));
    combo->setEditable(false);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    combo->setMaxVisibleItems(20);
    combo->setGeometry(FieldX, y, width, FieldHeight);
    AddFieldLabel(parent, name, label, y, combo);
    WatchField(combo, tag);
    return combo;
}

QCheckBox *TfrmMain::AddCheck(QWidget *parent, const char *name, const QString &caption, int y, int tag) {
    auto *check = new QCheckBox(caption, parent);
    SetNameAndAccessible(check, name, WithoutMnemonic(caption));
    check->setGeometry(FieldX, y, std::max(145, check->sizeHint().width()), 17);
    WatchField(check, tag);
    return check;
}

void TfrmMain::AddHeading(QWidget *parent, const QString &text, int x, int y) {
    auto *heading = new QLabel(text, parent);
    heading->setObjectName(QStringLiteral("lblHeading") + QString::number(y));
    QFont font = heading->font();
    font.setPointSize(10);
    font.setBold(true);
    heading->setFont(font);
    heading->move(x, y);
    heading->adjustSize();
}

QPushButton *TfrmMain::AddPictureButton(QWidget *parent, const char *name, const QString &icon,
                                        const QString &hint, int x, int y, int tag) {
    auto *button = new QPushButton(parent);
    SetNameAndAccessible(button, name, hint);
    button->setIcon(QIcon(QStringLiteral(":/icons/") + icon + QStringLiteral(".svg")));
    button->setIconSize(QSize(16, 16));
    button->setToolTip(hint);
    button->setGeometry(x, y, 25, 25);
    button->setProperty("tag", tag);
    return button;
}

TOtherContentGroup *TfrmMain::AddOtherContentGroup(QWidget *parent, const QString &title, const char *name,
                                                   const char *listName, int y) {
    auto *group = new TOtherContentGroup(title, name, listName, parent);
    group->move(8, y);
    group->setFixedWidth(FieldX + FullWidth - 8);
    group->setProperty("contentHeight", y); // the page's height without the group
    WatchField(group->List(), 0);
    group->List()->setProperty("otherContent", true);
    return group;
}

void TfrmMain::FitOtherContentGroup(TOtherContentGroup *group) {
    QWidget *content = group->parentWidget();
    const int height = group->property("contentHeight").toInt();
    content->setFixedSize(content->width(), height + (group->isHidden() ? 0 : group->Extent() + 8));
}

void TfrmMain::WatchField(QWidget *control, int tag) {
    control->setProperty("tag", tag);
    control->setFocusPolicy(Qt::StrongFocus);
    control->installEventFilter(this);
    if (tag > 0)
        FFields[tag] = control;
}

// ---------------------------------------------------------------------------------------------
// Events

template <typename F> bool TfrmMain::Guard(F &&handler) {
    try {
        handler();
        return true;
    } catch (const std::exception &error) {
        ShowException(error, this);
        return false;
    }
}

template <typename F> void TfrmMain::KeepDocumentOnError(F &&load) {
    const auto saved = std::tuple(FSapLogon, FModified, FEntries, FGlobal, FOther);
    const QString shownPath = edtSapLogon->text();
    try {
        load();
    } catch (...) {
        std::tie(FSapLogon, FModified, FEntries, FGlobal, FOther) = saved;
        edtSapLogon->setText(shownPath);
        BuildFileContent(); // the failed load may have emptied the lines
        throw;
    }
}

bool TfrmMain::FilterFieldKey(QLineEdit *edit, QKeyEvent *event) const {
    const QString typed = event->text();
    if (typed.isEmpty() || !typed[0].isPrint() ||
        (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    const int tag = TagOf(edit);
    if (IsDigitsField(tag)) {
        for (QChar c : typed)
            if (c < u'0' || c > u'9')
                return true;
    }
    if (IsLimitedField(tag) && edit->text().size() - edit->selectedText().size() + typed.size() > TextLimit)
        return true;
    return false;
}

QScrollArea *TfrmMain::PageScrollOf(const QWidget *control) const {
    for (QScrollArea *scroll : {scrDetails, ScrollBox1})
        if (scroll->widget()->isAncestorOf(control))
            return scroll;
    return nullptr;
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event) {
    if (watched == grpSapLogon && event->type() == QEvent::Resize) {
        const int width = grpSapLogon->width();
        edtSapLogon->resize(width - 12 - 70, FieldHeight);
        bbtOpen->move(width - 64, 33);
        bbtFind->move(width - 33, 33);
        return false;
    }
    if (watched == lbxEntries->viewport() && event->type() == QEvent::MouseButtonRelease) {
        Guard([this] { lbxEntriesClick(); });
        return false;
    }
    if (watched == edtFilter && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && !edtFilter->text().isEmpty()) {
        edtFilter->clear();
        return true;
    }
    if (watched == lbxEntries && event->type() == QEvent::KeyRelease) {
        // Keys that bring the focus in or belong to a shortcut select nothing; they would switch
        // the page back to Systems.
        const auto *key = static_cast<QKeyEvent *>(event);
        const QList<int> ignored{Qt::Key_Tab,     Qt::Key_Backtab, Qt::Key_Shift,
                                 Qt::Key_Control, Qt::Key_Alt,     Qt::Key_AltGr,
                                 Qt::Key_Meta,    Qt::Key_Super_L, Qt::Key_Super_R};
        const bool selects =
            !ignored.contains(key->key()) && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (selects)
            Guard([this] { lbxEntriesClick(); });
        return false;
    }
    auto *control = qobject_cast<QWidget *>(watched);
    if (!control || !control->property("tag").isValid())
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn: {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::PopupFocusReason)
            break;
        Guard([this, control] { ShowHelp(control); });
        if (QScrollArea *page = PageScrollOf(control))
            page->ensureWidgetVisible(control, 0, 8);
        break;
    }
    case QEvent::FocusOut: {
        // A drop-down's own list and a dialog over the window leave the field focused.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
            break;
        // A rejected value takes the focus back, so that the user sees what to correct.
        if (TagOf(control) > 0 && !Guard([this, control] { ReadModification(control); })) {
            activateWindow();
            QTimer::singleShot(0, control, [control] { control->setFocus(Qt::OtherFocusReason); });
        }
        break;
    }
    case QEvent::Wheel:
        // The wheel over a drop-down without focus scrolls the page; under styles where it would
        // change the value, that change would never be committed.
        if (qobject_cast<QComboBox *>(control) && !control->hasFocus()) {
            if (QScrollArea *page = PageScrollOf(control))
                QApplication::sendEvent(page->verticalScrollBar(), event);
            return true;
        }
        break;
    case QEvent::KeyPress:
        if (auto *edit = qobject_cast<QLineEdit *>(control))
            return FilterFieldKey(edit, static_cast<QKeyEvent *>(event));
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TfrmMain::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (FShown)
        return;
    FShown = true;
    Guard([this] { FormShow(); });
}

void TfrmMain::closeEvent(QCloseEvent *event) {
    // Any way of closing asks before unsaved changes are dropped, as the Quit button does.
    if (FModified && !FCloseConfirmed) {
        bool confirmed = false;
        Guard([this, &confirmed] {
            confirmed = Dialogs().Confirm(
                this,
                QStringLiteral("The original file has been modified.\nAre you sure you want to "
                               "exit the program?"),
                TMsgDlgType::mtWarning);
        });
        if (!confirmed) {
            event->ignore();
            return;
        }
    }
    event->accept();
}

// ---------------------------------------------------------------------------------------------
// Document delegates

void TfrmMain::LoadSapLogon(const QString &source) {
    FDocument.LoadSapLogon(source);
}

void TfrmMain::BuildFileContent() {
    FDocument.BuildFileContent();
    // Every commit and command ends here, so the marks always describe the model as it stands.
    RefreshProblems();
}

void TfrmMain::SaveWithBackup() {
    FDocument.SaveWithBackup();
}

// ---------------------------------------------------------------------------------------------
// Views

int TfrmMain::SelectedRow() const {
    return lbxEntries->SelectedRow();
}

// The list holds one row per entry in model order; the filter only hides rows.
int TfrmMain::EntryOfRow(int row) const {
    return row >= 0 && row < FEntries.size() && row < lbxEntries->count() ? row : -1;
}

int TfrmMain::RowOfEntry(int entry) const {
    return entry >= 0 && entry < lbxEntries->count() ? entry : -1;
}

int TfrmMain::SelectedEntry() const {
    return EntryOfRow(SelectedRow());
}

bool TfrmMain::FilterActive() const {
    return !edtFilter->text().trimmed().isEmpty();
}

namespace {
bool EntryMatches(const tyEntry &e, const QString &text) {
    for (const QString *field : {&e.Description, &e.MSSysName, &e.Server, &e.MSSrvName, &e.Address})
        if (field->contains(text, Qt::CaseInsensitive))
            return true;
    return false;
}
} // namespace

void TfrmMain::HideFilteredRows() {
    const QString text = edtFilter->text().trimmed();
    for (int row = 0; row < lbxEntries->count(); ++row) {
        const int entry = EntryOfRow(row);
        const bool hidden = !text.isEmpty() && entry >= 0 && !EntryMatches(FEntries[entry], text);
        if (lbxEntries->isRowHidden(row) != hidden)
            lbxEntries->setRowHidden(row, hidden);
    }
}

int TfrmMain::FirstVisibleRow() const {
    for (int row = 0; row < lbxEntries->count(); ++row)
        if (!lbxEntries->isRowHidden(row))
            return row;
    return -1;
}

void TfrmMain::ApplyFilter() {
    HideFilteredRows();
    // The selection stays on an entry the user can see.
    const int row = SelectedRow();
    if (row < 0 || lbxEntries->isRowHidden(row)) {
        const int first = FirstVisibleRow();
        if (first >= 0) {
            lbxEntries->setCurrentRow(first);
            ShowEntry();
        } else {
            lbxEntries->setCurrentRow(-1);
            lbxEntries->clearSelection();
            ShowHelpText(); // no entry now, so none of its problems
        }
    }
    UpdateButtons();
}

void TfrmMain::ClearFilter() {
    const QSignalBlocker blocker(edtFilter);
    edtFilter->clear();
    HideFilteredRows();
}

void TfrmMain::RefreshEntryList() {
    QStringList rows;
    rows.reserve(FEntries.size());
    if (!chkSID->isChecked()) {
        for (const tyEntry &entry : FEntries)
            rows << entry.Description;
    } else {
        qsizetype width = 0;
        for (const tyEntry &entry : FEntries)
            width = std::max(width, entry.Description.size());
        for (const tyEntry &entry : FEntries)
            rows << entry.Description.leftJustified(width + 1, u' ') + QStringLiteral("| ") + entry.MSSysName;
    }
    lbxEntries->Rows().SetRows(std::move(rows));
    HideFilteredRows();
    if (const int first = FirstVisibleRow(); first >= 0) {
        lbxEntries->setCurrentRow(first);
        UpdateButtons();
        ShowEntry();
    }
    RefreshMSLastList();

    const tyConfiguration &cfg = FGlobal.Configuration;
    qobject_cast<QLineEdit *>(FFields[fnSessManNewKey])->setText(QString::number(cfg.SessManNewKey));
    qobject_cast<QLineEdit *>(FFields[fnMessageServerTimeout])
        ->setText(QString::number(cfg.MessageServerTimeout));
    qobject_cast<QCheckBox *>(FFields[fnWithWizard])->setChecked(cfg.WithWizard);
    qobject_cast<QCheckBox *>(FFields[fnConfirmDelete])->setChecked(cfg.ConfirmDelete);
    qobject_cast<QCheckBox *>(FFields[fnNoEditFunctionality])->setChecked(cfg.NoEditFunctionality);
    qobject_cast<QCheckBox *>(FFields[fnSapguiHexdumpActivated])->setChecked(cfg.SapguiHexdumpActivated);
    qobject_cast<QCheckBox *>(FFields[fnSapguiTraceActivated])->setChecked(cfg.SapguiTraceActivated);
    SelectComboItem(cbxSapguiTraceLevel, QString::number(cfg.SapguiTraceLevel));
    qobject_cast<QLineEdit *>(FFields[fnSapguiNTCmdOpts])->setText(cfg.SapguiNTCmdOpts);
    SelectComboItem(cbxMSLast, FGlobal.MSLast.MSLast);
    qobject_cast<QLineEdit *>(FFields[fnNormX])->setText(QString::number(FGlobal.MSWinPos.NormX));
    qobject_cast<QLineEdit *>(FFields[fnNormY])->setText(QString::number(FGlobal.MSWinPos.NormY));
    grpKeptContent->ShowKept(FOther);
    FitOtherContentGroup(grpKeptContent);

    BuildFileContent();
}

void TfrmMain::UpdateButtons() {
    const int row = SelectedRow();
    const int count = lbxEntries->count();
    const bool selected = row >= 0;
    // Moving past rows the filter hides would be moving blind.
    const bool filtered = FilterActive();
    bbtUp->setEnabled(!filtered && selected && row > 0);
    bbtDown->setEnabled(!filtered && selected && row < count - 1);
    const QString notFiltered = QStringLiteral(" \u2014 not while the list is filtered");
    for (QPushButton *move : {bbtUp, bbtDown}) {
        QString tip = move->toolTip();
        if (tip.endsWith(notFiltered))
            tip.chop(notFiltered.size());
        move->setToolTip(filtered ? tip + notFiltered : tip);
    }
    bbtRemove->setEnabled(selected);
    bbtCopy->setEnabled(selected);
    bbtImport->setEnabled(selected);
    bbtSave->setEnabled(!FEntries.isEmpty());
}

void TfrmMain::ShowEntry() {
    const int row = SelectedEntry();
    if (row < 0)
        return;
    PageControl->setCurrentWidget(tshSystems);
    const tyEntry &entry = FEntries[row];
    grpOtherFields->ShowEntryValues(FOther, entry);
    FitOtherContentGroup(grpOtherFields);
    ShowHelpText();
    for (int tag = 1; tag <= tyEntry::FieldCount; ++tag) {
        const QString &value = entry.field(tag - 1);
        if (auto *edit = qobject_cast<QLineEdit *>(FFields[tag]))
            edit->setText(value);
        else if (auto *combo = qobject_cast<QComboBox *>(FFields[tag]))
            SelectComboItem(combo, value);
    }
}

void TfrmMain::RefreshMSLastList() {
    const QString shown = cbxMSLast->currentIndex() >= 0 ? cbxMSLast->currentText() : QString();
    QStringList names;
    names.reserve(FEntries.size());
    for (const tyEntry &entry : FEntries)
        names << entry.MSSysName;
    qobject_cast<QStringListModel *>(cbxMSLast->model())->setStringList(names);
    SelectComboItem(cbxMSLast, shown);
}

void TfrmMain::ShowModified() {
    imgModified->setVisible(FModified);
    ShowTitle();
}

void TfrmMain::SelectRowAndShow(int entry) {
    if (const int row = RowOfEntry(entry); row >= 0) {
        lbxEntries->setRowHidden(row, false); // the entry just worked on stays in sight
        lbxEntries->setCurrentRow(row);
    }
    ShowEntry();
    UpdateButtons();
}

void TfrmMain::RefreshProblems() {
    FProblems = CheckDocument(FDocument);
    // Most entries have none: only those that do get a list of lines.
    std::vector<quint8> level(size_t(FEntries.size()), 0);
    QHash<int, QStringList> lines;
    for (const TProblem &p : FProblems) {
        if (p.Entry < 1 || p.Entry > FEntries.size())
            continue;
        const quint8 worst = p.Level == TProblem::Severity::Error ? 2 : 1;
        level[size_t(p.Entry - 1)] = std::max(level[size_t(p.Entry - 1)], worst);
        lines[p.Entry - 1] << ProblemLine(TProblem{0, p.Where, p.Level, p.Message});
    }
    // Only rows whose problems changed are touched: a commit must stay quick on long lists.
    for (int row = 0; row < lbxEntries->count(); ++row) {
        const int entry = EntryOfRow(row);
        if (entry < 0)
            continue;
        lbxEntries->Rows().SetProblem(row, level[size_t(entry)], lines.value(entry).join(u'\n'));
    }
    ShowHelpText();
}

// ---------------------------------------------------------------------------------------------
// Field commit and help

namespace {
// What a field control holds as text. A drop-down whose stored value matches none of its items
// shows no choice and yields nothing: leaving it keeps the stored value.
std::optional<QString> ControlText(const QWidget *control) {
    if (const auto *combo = qobject_cast<const QComboBox *>(control))
        return combo->currentIndex() < 0 ? std::nullopt : std::optional<QString>(combo->currentText());
    if (const auto *edit = qobject_cast<const QLineEdit *>(control))
        return edit->text();
    return std::nullopt;
}
} // namespace

void TfrmMain::ReadModification(QWidget *sender) {
    if (qobject_cast<QLineEdit *>(sender) || qobject_cast<QComboBox *>(sender))
        sender->setPalette(QPalette());
    const int row = SelectedEntry();
    if (row < 0)
        return;

    const int tag = TagOf(sender);
    const std::optional<QString> text = ControlText(sender);
    bool changed = false;
    auto commitText = [&](QString &stored) {
        if (text && TrimControl(*text) != stored) {
            stored = TrimControl(*text);
            changed = true;
        }
    };
    auto commitInt = [&](qint32 &stored, bool strict) {
        if (!text)
            return;
        qint32 value = 0;
        if (!TryStrToInt(*text, value)) {
            if (strict)
                throw EAppError(QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(*text));
            value = 0;
        }
        changed = value != stored;
        stored = value;
    };
    auto commitBool = [&](bool &stored) {
        const bool checked = qobject_cast<QCheckBox *>(sender)->isChecked();
        changed = checked != stored;
        stored = checked;
    };

    tyConfiguration &cfg = FGlobal.Configuration;
    switch (tag) {
    case fnSessManNewKey:
        commitInt(cfg.SessManNewKey, true);
        break;
    case fnMessageServerTimeout:
        commitInt(cfg.MessageServerTimeout, true);
        break;
    case fnWithWizard:
        commitBool(cfg.WithWizard);
        break;
    case fnConfirmDelete:
        commitBool(cfg.ConfirmDelete);
        break;
    case fnNoEditFunctionality:
        commitBool(cfg.NoEditFunctionality);
        break;
    case fnSapguiHexdumpActivated:
        commitBool(cfg.SapguiHexdumpActivated);
        break;
    case fnSapguiTraceActivated:
        commitBool(cfg.SapguiTraceActivated);
        break;
    case fnSapguiTraceLevel:
        commitInt(cfg.SapguiTraceLevel, false);
        break;
    case fnSapguiNTCmdOpts:
        commitText(cfg.SapguiNTCmdOpts);
        break;
    case fnMSLast:
        commitText(FGlobal.MSLast.MSLast);
        break;
    case fnNormX:
        commitInt(FGlobal.MSWinPos.NormX, true);
        break;
    case fnNormY:
        commitInt(FGlobal.MSWinPos.NormY, true);
        break;
    default:
        if (tag >= 1 && tag <= tyEntry::FieldCount)
            commitText(FEntries[row].field(tag - 1));
        break;
    }

    bool regenerated = false;
    if (changed) {
        FModified = true;
        if (tag == fnDescription || (tag == fnMSSysName && chkSID->isChecked())) {
            RefreshEntryList();
            SelectRowAndShow(row);
            regenerated = true; // the refill regenerated the text from this very model
        }
        if (tag == fnMSSysName)
            RefreshMSLastList();
    }
    if (!regenerated)
        BuildFileContent();
    ShowModified();
}

void TfrmMain::ShowHelp(QWidget *sender) {
    if (qobject_cast<QLineEdit *>(sender) || qobject_cast<QComboBox *>(sender))
        HighlightField(sender);
    memHelp->clear();
    FHelpSender = sender;
    FHelpText.clear();
    const THelpTopic *topic =
        sender->property("otherContent").toBool() ? OtherContentHelpTopic() : HelpTopic(TagOf(sender));
    if (!topic)
        return;
    pnlField->setText(topic->Title);
    for (qsizetype i = 0; i < topic->Lines.size(); ++i) {
        if (i > 0)
            FHelpText += QStringLiteral("\n\n");
        FHelpText += topic->Lines[i];
    }
    if (TagOf(sender) != fnDescription)
        FHelpText += u'\n';
    ShowHelpText();
}

void TfrmMain::ShowHelpText() {
    if (!FHelpSender || FHelpText.isEmpty())
        return;
    // Under an entry's fields its own problems; under the global settings those of the file.
    const bool global = tshGlobalSettings->isAncestorOf(FHelpSender);
    const int entry = global ? 0 : SelectedEntry() + 1;
    QStringList lines;
    if (entry >= 0)
        for (const TProblem &p : FProblems)
            if (p.Entry == entry)
                lines << QStringLiteral("- ") + ProblemLine(TProblem{0, p.Where, p.Level, p.Message});
    QString text = FHelpText;
    if (!lines.isEmpty())
        text += (global ? QStringLiteral("\nProblems of the file:\n")
                        : QStringLiteral("\nProblems of this entry:\n")) +
                lines.join(u'\n');
    if (memHelp->toPlainText() != text)
        memHelp->setPlainText(text);
}

// ---------------------------------------------------------------------------------------------
// Start-up, open, find, save

void TfrmMain::FormCreate() {
    setWindowTitle(ApplicationTitle());
    PageControl->setCurrentWidget(tshSystems);
    lbxEntries->setFocus(); // start in the list rather than in the read-only path
    FLines.Clear();
}

void TfrmMain::FormShow() {
    if (sendUsageHit)
        sendUsageHit();
    if (FCommandLine.isEmpty())
        return;
    const QString path = FCommandLine.first();
    // A file that cannot be read (or is no regular file) leaves the document empty, with no path.
    if (FileExists(path))
        OpenFile(path);
}

void TfrmMain::OpenFile(const QString &path) {
    KeepDocumentOnError([this, &path] {
        FSapLogon = path;
        edtSapLogon->setText(path);
        LoadSapLogon(QString());
    });
    RefreshEntryList();
    ShowModified(); // the file just read has no unsaved changes, whatever the one before had
}

bool TfrmMain::ConfirmDiscard() {
    return !FModified ||
           Dialogs().Confirm(this,
                             QStringLiteral("The original file has been modified.\nDiscard the changes and "
                                            "open another file?"),
                             TMsgDlgType::mtWarning);
}

void TfrmMain::bbtOpenClick() {
    if (!ConfirmDiscard())
        return;
    const std::optional<QString> chosen = Dialogs().OpenFileName(this, QtFileFilters(OpenDialogFilter()));
    // Cancelling leaves the document as it is; it must not re-read the file over unsaved changes.
    if (!chosen)
        return;
    if (FileExists(*chosen)) {
        OpenFile(*chosen);
        UpdateButtons();
    } else {
        FSapLogon.clear();
        ShowTitle();
    }
}

void TfrmMain::bbtFindClick() {
    if (!ConfirmDiscard())
        return;
    QString candidate = GetWindowsDir() + QStringLiteral("saplogon.ini");
    if (!FileExists(candidate)) {
        // Windows matches names without case; a Wine folder may hold the file under another case.
        const QStringList found =
            QDir(GetWindowsDir()).entryList({QStringLiteral("saplogon.ini")}, QDir::Files, QDir::Name);
        candidate = found.isEmpty() ? GetEnvVar(QStringLiteral("SAPLOGON_INI_FILE"))
                                    : GetWindowsDir() + found.first();
    }
    if (!FileExists(candidate)) {
        Dialogs().Message(this, QStringLiteral("File SAPLOGON.INI not found"), TMsgDlgType::mtError);
        return;
    }
    OpenFile(candidate);
}

void TfrmMain::bbtSaveClick() {
    const std::optional<QString> chosen = Dialogs().SaveFileName(this, FSapLogon);
    if (!chosen)
        return;
    if (!ConfirmSaveWithProblems())
        return;
    // SAP Logon itself may have written the file while it was open here.
    if (FDocument.ChangedOnDisk(*chosen) &&
        !Dialogs().Confirm(this,
                           QStringLiteral("The file has been changed by another program since it was "
                                          "opened.\nReplace it? The current file is kept as a backup."),
                           TMsgDlgType::mtWarning))
        return;
    FSapLogon = *chosen;
    edtSapLogon->setText(FSapLogon);
    // Backup, write, reload of the lines from the written file, FModified cleared.
    FDocument.Save();
    RefreshProblems(); // the written file no longer holds what only the file showed
    ShowModified();
}

bool TfrmMain::ConfirmSaveWithProblems() {
    // The model is checked after every regeneration, so FProblems describes it as it stands.
    QStringList errors;
    bool unwritable = false;
    for (const TProblem &p : FProblems) {
        if (p.Level != TProblem::Severity::Error)
            continue;
        errors << ProblemLine(p);
        unwritable = unwritable || p.Unwritable;
    }
    if (errors.isEmpty())
        return true;
    constexpr int kShown = 5;
    QString message =
        errors.size() == 1
            ? QStringLiteral("The file has an error that SAP Logon will not report:\n")
            : QStringLiteral("The file has %1 errors that SAP Logon will not report:\n").arg(errors.size());
    message += errors.mid(0, kShown).join(u'\n');
    if (errors.size() > kShown)
        message += QStringLiteral("\n... and %1 more").arg(errors.size() - kShown);
    if (!unwritable)
        return Dialogs().Confirm(this, message + QStringLiteral("\n\nSave anyway?"), TMsgDlgType::mtWarning);
    // UTF-16 holds every character, and SAP Logon reads it.
    const TMsgDlgAnswer answer = Dialogs().ConfirmOrCancel(
        this,
        message +
            QStringLiteral("\n\nSave anyway? Yes writes the file as UTF-16 LE with a byte-order mark, which "
                           "holds every character and which SAP Logon reads; No keeps Windows-1252 and "
                           "writes the replacements shown; Cancel writes nothing."),
        TMsgDlgType::mtWarning);
    if (answer == TMsgDlgAnswer::Cancel)
        return false;
    if (answer == TMsgDlgAnswer::Yes)
        FLines.SetEncoding(TTextEncoding::Utf16LE);
    return true;
}

void TfrmMain::bbtAboutClick() {
    // The about box is wired in by the application.
    if (showAbout)
        showAbout(this);
}

// ---------------------------------------------------------------------------------------------
// Entry commands

void TfrmMain::FocusDescription() {
    auto *edit = qobject_cast<QLineEdit *>(FFields[fnDescription]);
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
}

void TfrmMain::bbtAddClick() {
    if (!Dialogs().Confirm(this, QStringLiteral("Add a new entry ?"), TMsgDlgType::mtConfirmation))
        return;
    tyEntry entry;
    entry.Description = QStringLiteral("Please enter a description");
    FEntries.append(entry);
    ClearFilter(); // the new entry must be seen to be edited
    RefreshEntryList();
    SelectRowAndShow(int(FEntries.size()) - 1);
    FocusDescription();
    FModified = true;
    ShowModified();
}

void TfrmMain::bbtCopyClick() {
    const int row = SelectedEntry();
    if (row < 0)
        return;
    FEntries.append(tyEntry(FEntries[row]));
    ClearFilter();
    RefreshEntryList();
    SelectRowAndShow(int(FEntries.size()) - 1);
    FocusDescription();
    FModified = true;
    ShowModified();
}

void TfrmMain::bbtRemoveClick() {
    const int row = SelectedEntry();
    if (row < 0)
        return;
    if (!Dialogs().Confirm(this, QStringLiteral("Remove the selected entry ?"), TMsgDlgType::mtWarning))
        return;
    FEntries.removeAt(row);
    RefreshEntryList();
    // Removing the last row selects the one before it.
    SelectRowAndShow(std::min(row, int(FEntries.size()) - 1));
    FModified = true;
    ShowModified();
}

void TfrmMain::bbMoveEntryClick(QWidget *sender) {
    if (FilterActive())
        return;
    const int row = SelectedRow();
    const int step = TagOf(sender);
    const int target = row + step;
    if (row < 0 || step == 0 || target < 0 || target >= FEntries.size() || row >= FEntries.size())
        return;
    FEntries.swapItemsAt(row, target);
    TEntryListModel &rows = lbxEntries->Rows();
    const QString text = rows.Text(row);
    rows.SetText(row, rows.Text(target));
    rows.SetText(target, text);
    lbxEntries->setCurrentRow(target);
    UpdateButtons();
    BuildFileContent();
    FModified = true;
    ShowModified();
}

void TfrmMain::bbtSessManKeyAutoClick() {
    if (!Dialogs().Confirm(this, QStringLiteral("Replace current values with counter value ?"),
                           TMsgDlgType::mtConfirmation))
        return;
    FDocument.RenumberSessManKeys();
    ledtSessManNewKey->setText(QString::number(FGlobal.Configuration.SessManNewKey));
    BuildFileContent();
    if (const int row = SelectedEntry(); row >= 0)
        ledtSessManKey->setText(FEntries[row].SessManKey);
    ShowModified();
}

void TfrmMain::bbtImportClick() {
    const std::optional<QString> chosen = Dialogs().OpenFileName(this, QtFileFilters(OpenDialogFilter()));
    // Cancelling imports nothing; it must not reload the current file over unsaved changes.
    if (!chosen)
        return;
    KeepDocumentOnError([this, &chosen] { LoadSapLogon(*chosen); });
    ClearFilter();
    RefreshEntryList();
    FModified = true;
    ShowModified();
}

void TfrmMain::chkSIDClick() {
    RefreshEntryList();
}

void TfrmMain::bbtExitClick() {
    if (FModified && !Dialogs().Confirm(
                         this,
                         QStringLiteral("The original file has been modified.\nAre you sure you want to exit "
                                        "the program?"),
                         TMsgDlgType::mtWarning))
        return;
    FCloseConfirmed = true;
    if (!close())
        FCloseConfirmed = false;
}

void TfrmMain::lbxEntriesClick() {
    UpdateButtons();
    ShowEntry();
}
