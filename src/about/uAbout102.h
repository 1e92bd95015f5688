#pragma once

#include "about/uNewVersion.h"

#include <QDialog>

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;

// The about box: title, version, platform, release news and web links, and a red notice that
// offers a newer version for download. Create it per use and show it modally; creating it runs
// the new-version check, so it appears only once that check has ended (or reached its limit).
class TfrmAbout102 : public QDialog {
    Q_OBJECT

public:
    explicit TfrmAbout102(QWidget *parent);
    // Tests: the check and the downloads go to Source; packages land in TargetFolder (empty: the
    // user's Downloads folder).
    TfrmAbout102(QWidget *parent, const TUpdateSource &Source, const QString &TargetFolder = {});

    bool NewVersionAvailable() const { return FNewVersionAvalaible; }
    const QString &News() const { return FNews; }
    const QString &ExeSetup() const { return FExeSetup; }

    // The page each link opens, by the sender's tag; empty for any other tag.
    static QString WebLinkAddress(int Tag);

    void lblNewVersionClick();
    void menNewVersionClick(QObject *Sender);
    void WebLinkClick(QObject *Sender);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void CheckNewVersion();

    TUpdateSource FSource;
    QString FTargetFolder;
    bool FNewVersionAvalaible = false;
    QString FNews;
    QString FExeSetup;

    QLabel *Image1;
    QLabel *imgBug;
    QLabel *lblApplicationTitle;
    QLabel *lblVersion;
    QLabel *lblVersionHistory;
    QLabel *lblNewVersion;
    QPlainTextEdit *memNews;
    QLabel *lblWindowsVersion;
    QLabel *lblToolVersion;
    QLabel *lblWebSite;
    QPushButton *bbtEula;
    QLabel *imgDonate;
    QPushButton *BitBtn1;
    QMenu *pmNewVersion;
    QAction *menSetup;
    QAction *menCAB;
};
