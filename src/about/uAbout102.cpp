#include "about/uAbout102.h"

#include "platform/FileNames.h"
#include "platform/ShellKnownPath.h"
#include "platform/WebSites.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStyle>
#include <QUrl>

// Resources of a static library are registered only on request.
static void initAboutResources() {
    Q_INIT_RESOURCE(about);
}

namespace {
const char *const TagProperty = "tag";

int tagOf(const QObject *o) {
    return o ? o->property(TagProperty).toInt() : 0;
}

bool askYesNo(QWidget *parent, const QString &text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmer"), text, QMessageBox::NoButton, parent);
    QPushButton *yes = box.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

void showError(QWidget *parent, const QString &text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Erreur"), text, QMessageBox::NoButton, parent);
    box.setDefaultButton(box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole));
    box.exec();
}

// Opens the file manager on the file's folder, with the file selected where the desktop allows.
void showInFileManager(const QString &path) {
    const QString native = QDir::toNativeSeparators(path);
#if defined(Q_OS_WIN)
    QProcess explorer;
    explorer.setProgram(QStringLiteral("explorer.exe"));
    explorer.setNativeArguments(QStringLiteral("/select,\"") + native + QStringLiteral("\""));
    if (explorer.startDetached())
        return;
#elif defined(Q_OS_MACOS)
    if (QProcess::startDetached(QStringLiteral("open"), {QStringLiteral("-R"), native}))
        return;
#else
    // The freedesktop file-manager interface selects the file; dbus-send cannot quote a comma.
    if (!native.contains(u',')) {
        QProcess dbus;
        dbus.start(QStringLiteral("dbus-send"),
                   {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                    QStringLiteral("--dest=org.freedesktop.FileManager1"),
                    QStringLiteral("--type=method_call"), QStringLiteral("/org/freedesktop/FileManager1"),
                    QStringLiteral("org.freedesktop.FileManager1.ShowItems"),
                    QStringLiteral("array:string:") + QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded),
                    QStringLiteral("string:")});
        if (dbus.waitForFinished(3000) && dbus.exitStatus() == QProcess::NormalExit && dbus.exitCode() == 0)
            return;
    }
#endif
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, QPoint at, int pointSize = 0) {
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setAccessibleName(text);
    if (pointSize > 0) {
        QFont f = label->font();
        f.setPointSize(pointSize);
        label->setFont(f);
    }
    label->adjustSize();
    label->move(at);
    return label;
}

void alignRight(QLabel *label, int right, int y) {
    label->adjustSize();
    label->move(right - label->width(), y);
}

// A label that acts as a link: reached with Tab, activated with Space or Enter, and framed while
// it has the focus (a label draws no focus mark of its own).
void makeActivatable(QLabel *label, const QString &look, const QString &description) {
    label->setFocusPolicy(Qt::StrongFocus);
    label->setAccessibleDescription(description);
    label->setStyleSheet(QStringLiteral("QLabel { ") + look +
                         QStringLiteral(" border: 1px solid transparent; }"
                                        " QLabel:focus { border: 1px dotted #303030; }"));
}

bool isActivationKey(const QEvent *event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<const QKeyEvent *>(event);
    return key->modifiers() == Qt::NoModifier &&
           (key->key() == Qt::Key_Space || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter);
}
} // namespace

TfrmAbout102::TfrmAbout102(QWidget *parent) : TfrmAbout102(parent, TUpdateSource::Configured()) {}

TfrmAbout102::TfrmAbout102(QWidget *parent, const TUpdateSource &Source, const QString &TargetFolder)
    : QDialog(parent), FSource(Source), FTargetFolder(TargetFolder) {
    initAboutResources();
    setObjectName(QStringLiteral("frmAbout102"));
    setWindowTitle(QStringLiteral("About"));
    setAccessibleName(QStringLiteral("About"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setFixedSize(450, 288);
    // The box is drawn over a fixed light picture, so its colours are fixed with it: under a dark
    // desktop palette its text would be light on light.
    setPalette(style()->standardPalette());

    // The picture is taller than the box: show its middle.
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAccessibleName(QStringLiteral("Background"));
    const QPixmap background(QStringLiteral(":/about/background.png"));
    Image1->setPixmap(background.copy(0, (background.height() - height()) / 2, width(), height()));
    Image1->setGeometry(rect());

    imgBug = new QLabel(this);
    imgBug->setObjectName(QStringLiteral("imgBug"));
    imgBug->setAccessibleName(QStringLiteral("Debug version"));
    imgBug->setPixmap(QPixmap(QStringLiteral(":/about/debug.png")));
    imgBug->setToolTip(QStringLiteral("Version debug !!!"));
    imgBug->setGeometry(8, 8, 32, 32);

    lblApplicationTitle = makeLabel(this, "lblApplicationTitle", QString(), {170, 8}, 16);
    lblVersion = makeLabel(this, "lblVersion", QString(), {170, 36}, 12);
    lblVersionHistory = makeLabel(this, "lblVersionHistory", QStringLiteral("Version History"), {170, 64});

    lblNewVersion = makeLabel(this, "lblNewVersion", QStringLiteral("New version available"), {0, 64});
    // A darker red than pure red: that one reads below 4.5:1 on the picture.
    makeActivatable(lblNewVersion, QStringLiteral("color: #c00000;"),
                    QStringLiteral("Opens the download menu"));
    lblNewVersion->setCursor(Qt::PointingHandCursor);
    lblNewVersion->installEventFilter(this);
    alignRight(lblNewVersion, 442, 64);

    memNews = new QPlainTextEdit(this);
    memNews->setObjectName(QStringLiteral("memNews"));
    memNews->setAccessibleName(QStringLiteral("Version History"));
    memNews->setReadOnly(true);
    memNews->setTabChangesFocus(true);
    memNews->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memNews->setGeometry(170, 80, 272, 137);

    lblWindowsVersion = makeLabel(this, "lblWindowsVersion", QString(), {170, 223});
    lblToolVersion = makeLabel(this, "lblToolVersion", QString(), {170, 239});

    lblWebSite = makeLabel(this, "lblWebSite", QUrl(MakerWebSite()).host(), {0, 239});
    lblWebSite->setProperty(TagProperty, 1);
    makeActivatable(lblWebSite, QStringLiteral("color: blue; text-decoration: underline;"),
                    WebLinkAddress(1));
    lblWebSite->setCursor(Qt::PointingHandCursor);
    lblWebSite->setToolTip(WebLinkAddress(1));
    lblWebSite->installEventFilter(this);
    alignRight(lblWebSite, 442, 239);

    bbtEula = new QPushButton(QStringLiteral("E.U.L.A."), this);
    bbtEula->setObjectName(QStringLiteral("bbtEula"));
    bbtEula->setAccessibleName(QStringLiteral("E.U.L.A."));
    bbtEula->setProperty(TagProperty, 3);
    bbtEula->setAutoDefault(false);
    bbtEula->setGeometry(170, 255, 75, 25);
    connect(bbtEula, &QPushButton::clicked, this, [this] { WebLinkClick(bbtEula); });

    imgDonate = new QLabel(this);
    imgDonate->setObjectName(QStringLiteral("imgDonate"));
    imgDonate->setAccessibleName(QStringLiteral("Donate"));
    imgDonate->setProperty(TagProperty, 2);
    imgDonate->setPixmap(QPixmap(QStringLiteral(":/about/donate.png")));
    imgDonate->setCursor(Qt::PointingHandCursor);
    imgDonate->setToolTip(QStringLiteral("Donate"));
    makeActivatable(imgDonate, QString(), QStringLiteral("Opens the donation page"));
    imgDonate->setAlignment(Qt::AlignCenter);
    imgDonate->setGeometry(267, 256, 76, 23); // room for the focus frame around the 74 x 21 picture
    imgDonate->installEventFilter(this);

    BitBtn1 =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("&Close"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setAccessibleName(QStringLiteral("Close"));
    BitBtn1->setDefault(true);
    BitBtn1->setGeometry(367, 255, 75, 25);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    pmNewVersion = new QMenu(this);
    pmNewVersion->setObjectName(QStringLiteral("pmNewVersion"));
    pmNewVersion->setAccessibleName(QStringLiteral("New version"));
    menSetup = pmNewVersion->addAction(QStringLiteral("Installation program"));
    menSetup->setObjectName(QStringLiteral("menSetup"));
    menSetup->setProperty(TagProperty, 1);
    menCAB = pmNewVersion->addAction(QStringLiteral("Executable only"));
    menCAB->setObjectName(QStringLiteral("menCAB"));
    menCAB->setProperty(TagProperty, 2);
    for (QAction *item : {menSetup, menCAB})
        connect(item, &QAction::triggered, this, [this, item] { menNewVersionClick(item); });

    // Reading order after Close: the notice, the news, the web link, E.U.L.A., Donate.
    setTabOrder(BitBtn1, lblNewVersion);
    setTabOrder(lblNewVersion, memNews);
    setTabOrder(memNews, lblWebSite);
    setTabOrder(lblWebSite, bbtEula);
    setTabOrder(bbtEula, imgDonate);
    BitBtn1->setFocus();

    FormCreate();
}

void TfrmAbout102::FormCreate() {
    imgBug->hide();
    lblApplicationTitle->setText(ApplicationTitle());
    lblApplicationTitle->setAccessibleName(lblApplicationTitle->text());
    lblApplicationTitle->adjustSize();
    lblVersion->setText(QStringLiteral("Version ") + FSource.RunningVersion.toString());
    lblVersion->setAccessibleName(lblVersion->text());
    lblVersion->adjustSize();

    CheckNewVersion();
    lblNewVersion->setVisible(FNewVersionAvalaible);
    memNews->setPlainText(FNews);

    // The description may be wider than the box; the hint shows it whole.
    const QString os = OSDescription();
    const int room = width() - 8 - lblWindowsVersion->x();
    lblWindowsVersion->setText(lblWindowsVersion->fontMetrics().elidedText(os, Qt::ElideRight, room));
    lblWindowsVersion->setToolTip(os);
    lblWindowsVersion->setAccessibleName(os);
    lblWindowsVersion->adjustSize();
    lblToolVersion->setText(BuildToolDescription());
    lblToolVersion->setAccessibleName(lblToolVersion->text());
    lblToolVersion->adjustSize();

    menSetup->setEnabled(!FExeSetup.isEmpty());
}

void TfrmAbout102::CheckNewVersion() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const TNewVersionInfo info = ::CheckNewVersion(FSource);
    QApplication::restoreOverrideCursor();
    FNewVersionAvalaible = info.FNewVersionAvalaible;
    FNews = info.FNews;
    FExeSetup = info.FExeSetup;
}

QString TfrmAbout102::WebLinkAddress(int Tag) {
    switch (Tag) {
    case 1:
        return MakerWebSite() + QStringLiteral("/wiki/doku.php");
    case 2:
        return PaymentService() + QStringLiteral("/cgi-bin/webscr?cmd=_s-xclick&hosted_button_id=") +
               QString::fromLatin1(QUrl::toPercentEncoding(DonationButtonId()));
    case 3:
        return MakerWebSite() + QStringLiteral("/wiki/doku.php?id=start:utils:eula");
    default:
        return {};
    }
}

void TfrmAbout102::WebLinkClick(QObject *Sender) {
    const QString address = WebLinkAddress(tagOf(Sender));
    if (!address.isEmpty())
        QDesktopServices::openUrl(QUrl(address));
}

void TfrmAbout102::lblNewVersionClick() {
    pmNewVersion->popup(lblNewVersion->mapToGlobal(QPoint(0, lblNewVersion->height())));
}

void TfrmAbout102::menNewVersionClick(QObject *Sender) {
    QString name;
    switch (tagOf(Sender)) {
    case 1:
        name = SetupPackageName(FExeSetup);
        break;
    case 2:
        name = ExecutablePackageName(FSource.RunningFile);
        break;
    default:
        return;
    }
    const QString folder = FTargetFolder.isEmpty() ? GetKnownFolder(FOLDERID_Downloads) : FTargetFolder;
    // Only a plain file name may be written, and only into a folder we know.
    if (name.isEmpty() || folder.isEmpty() || !QDir().mkpath(folder)) {
        showError(this, QStringLiteral("Unable to download the new version"));
        return;
    }
    const QString target = QDir(folder).filePath(name);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok =
        DownloadFile(FSource.DownloadDirectory + QString::fromLatin1(QUrl::toPercentEncoding(name)), target,
                     FSource.TimeLimitMs);
    QApplication::restoreOverrideCursor();
    if (!ok) {
        showError(this, QStringLiteral("Unable to download the new version"));
        return;
    }
    if (askYesNo(this, QStringLiteral("File downloaded successfuly.\nOpen the download folder ?")))
        showInFileManager(target);
}

bool TfrmAbout102::eventFilter(QObject *watched, QEvent *event) {
    const bool activated = (event->type() == QEvent::MouseButtonRelease &&
                            static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) ||
                           isActivationKey(event);
    if (watched == lblNewVersion && (activated || event->type() == QEvent::ContextMenu)) {
        lblNewVersionClick();
        return true;
    }
    if ((watched == lblWebSite || watched == imgDonate) && activated) {
        WebLinkClick(watched);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
