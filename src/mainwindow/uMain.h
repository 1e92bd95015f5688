#pragma once

#include "document/SapLogonDocument.h"
#include "editor/CodeMemo.h"
#include "highlight/MemoStyler.h"
#include "mainwindow/EntryListBox.h"
#include "platform/StrToInt.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QSplitter;
class QTabWidget;
class TOtherContentGroup;

// The editor's main window: file choice, entry list, field form with help, entry commands and the
// regenerated file text. It owns the document for the whole run.
class TfrmMain : public QWidget {
    Q_OBJECT

public:
    explicit TfrmMain(QWidget *parent = nullptr);
    ~TfrmMain() override;

    // Hooks the application wires in: the about box, and the usage hit sent when the window shows.
    std::function<void(QWidget *parent)> showAbout;
    std::function<void()> sendUsageHit;

    // Arguments after the program name; FormShow opens the first one.
    void SetCommandLine(const QStringList &arguments) { FCommandLine = arguments; }

    SapLogonDocument &Document() { return FDocument; }
    TCodeMemoStrings &Lines() { return FLines; }

    // Document operations, delegated to the document; each keeps the File content page current.
    void LoadSapLogon(const QString &source);
    void BuildFileContent();
    void SaveWithBackup();

    // Window views kept in step with the model.
    void RefreshEntryList();
    void UpdateButtons();
    void ShowEntry();
    void RefreshMSLastList();
    void ShowModified();

    void ReadModification(QWidget *sender);
    void ShowHelp(QWidget *sender);

    // Command handlers.
    void FormCreate();
    void FormShow();
    void bbtOpenClick();
    void bbtFindClick();
    void bbtSaveClick();
    void bbtAboutClick();
    void bbtAddClick();
    void bbtCopyClick();
    void bbtRemoveClick();
    void bbMoveEntryClick(QWidget *sender);
    void bbtSessManKeyAutoClick();
    void bbtImportClick();
    void chkSIDClick();
    void bbtExitClick();
    void lbxEntriesClick();

    // Selected row of the entry list, -1 when none.
    int SelectedRow() const;
    // The one mapping between list rows and entries (index into FEntries); -1 for none.
    int EntryOfRow(int row) const;
    int RowOfEntry(int entry) const;
    int SelectedEntry() const;
    // Problems of the model as last checked (after every regeneration).
    const QList<TProblem> &Problems() const { return FProblems; }
    // The form control bound to a field number (1..31).
    QWidget *FieldControl(int tag) const { return FFields.at(tag); }

    static QString OpenDialogFilter();

private:
    // The text view's model; the File content page shows its lines.
    // The styler outlives the view that draws with it; the view joins the File content page
    // when the page is built and is deleted with it.
    std::unique_ptr<TIniMemoStyler> IniStyler = CreateIniMemoStyler();
    TCodeMemo *CodeMemo = new TCodeMemo;
    TCodeMemoStrings &FLines = CodeMemo->Lines();
    SapLogonDocument FDocument;

public:
    // The document state, named as the rest of the system knows it.
    QString &FSapLogon = FDocument.FSapLogon;
    bool &FModified = FDocument.FModified;
    QList<tyEntry> &FEntries = FDocument.FEntries;
    tyGlobal &FGlobal = FDocument.FGlobal;
    tyOtherContent &FOther = FDocument.FOther;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // Runs a handler; an error it raises ends it and is shown in the standard error box.
    template <typename F> bool Guard(F &&handler);
    // Runs a load; when it fails the document is put back as it was before.
    template <typename F> void KeepDocumentOnError(F &&load);
    void CreateControls();
    QWidget *CreateTopBar();
    QWidget *CreateListPanel();
    QWidget *CreateDetailsPanel();
    QWidget *CreateHelpPanel();
    QWidget *CreateSystemsContent();
    QWidget *CreateGlobalContent();
    QLineEdit *AddEdit(QWidget *parent, const char *name, const QString &label, int y, int width, int tag);
    QComboBox *AddCombo(QWidget *parent, const char *name, const QString &label, int y, int width, int tag,
                        const QStringList &items);
    QCheckBox *AddCheck(QWidget *parent, const char *name, const QString &caption, int y, int tag);
    void AddHeading(QWidget *parent, const QString &text, int x, int y);
    QPushButton *AddPictureButton(QWidget *parent, const char *name, const QString &icon, const QString &hint,
                                  int x, int y, int tag);
    void WatchField(QWidget *control, int tag);
    TOtherContentGroup *AddOtherContentGroup(QWidget *parent, const QString &title, const char *name,
                                             const char *listName, int y);
    // The scrolling page grows by the group while it is shown.
    void FitOtherContentGroup(TOtherContentGroup *group);
    void OpenFile(const QString &path);
    // The filter hides the rows of entries that do not match; it never reorders.
    bool FilterActive() const;
    void ApplyFilter();
    void HideFilteredRows();
    void ClearFilter();
    int FirstVisibleRow() const;
    void RefreshProblems();
    // The help of the focused field, followed by the problems that concern it.
    void ShowHelpText();
    // Errors ask before saving; unwritable characters offer UTF-16 instead. False: do not save.
    bool ConfirmSaveWithProblems();
    // Asks before unsaved changes are dropped; true when there are none or the user agrees.
    bool ConfirmDiscard();
    void SelectRowAndShow(int entry);
    void FocusDescription();
    bool FilterFieldKey(QLineEdit *edit, QKeyEvent *event) const;
    QScrollArea *PageScrollOf(const QWidget *control) const; // the scrolling page holding a field

    // Keyboard, title and file drops (uMainDesktop.cpp).
    void CreateShortcuts();
    void SetKeyboardOrder();
    void AcceptFileDrops();
    void OpenDroppedFile(const QString &path);
    // Commits the field being edited, as leaving it would; false when its value was rejected.
    bool CommitFocusedField();
    // A command from a shortcut or a drop: none while a dialog is open, and only once the focused
    // field is committed. An error it raises is shown in the standard error box.
    void RunCommand(const std::function<void()> &command);
    void ShowTitle();

    QStringList FCommandLine;
    bool FShown = false;
    bool FCloseConfirmed = false;
    std::array<QWidget *, 32> FFields{};
    QList<TProblem> FProblems;
    QPointer<QWidget> FHelpSender; // the field whose help is shown
    QString FHelpText;             // that help, without the problems

public:
    // Controls, named as the window's design names them.
    QFrame *Panel6 = nullptr;
    QLineEdit *edtSapLogon = nullptr;
    QLineEdit *edtFilter = nullptr;
    QPushButton *bbtOpen = nullptr;
    QPushButton *bbtFind = nullptr;
    QPushButton *bbtAbout = nullptr;
    QPushButton *bbtSave = nullptr;
    QLabel *imgModified = nullptr;
    QPushButton *bbtExit = nullptr;
    QProgressBar *ProgressBar = nullptr;
    QWidget *pnlItems = nullptr;
    QSplitter *Splitter1 = nullptr;
    QWidget *pnlDetails = nullptr;
    QWidget *pnlHelp = nullptr;
    TEntryListBox *lbxEntries = nullptr;
    QPushButton *bbtUp = nullptr;
    QPushButton *bbtDown = nullptr;
    QPushButton *bbtAdd = nullptr;
    QPushButton *bbtRemove = nullptr;
    QPushButton *bbtCopy = nullptr;
    QPushButton *bbtImport = nullptr;
    QCheckBox *chkSID = nullptr;
    QTabWidget *PageControl = nullptr;
    QWidget *tshSystems = nullptr;
    QWidget *tshGlobalSettings = nullptr;
    QWidget *tshFileContent = nullptr;
    QScrollArea *scrDetails = nullptr;
    QScrollArea *ScrollBox1 = nullptr;
    QLabel *pnlField = nullptr;
    QPlainTextEdit *memHelp = nullptr;
    QPushButton *bbtSessManKeyAuto = nullptr;
    QLineEdit *ledtSessManKey = nullptr;
    QLineEdit *ledtSessManNewKey = nullptr;
    QComboBox *cbxMSLast = nullptr;
    QComboBox *cbxSapguiTraceLevel = nullptr;
    QGroupBox *grpSapLogon = nullptr;
    QGroupBox *grpAction = nullptr;
    TOtherContentGroup *grpOtherFields = nullptr; // the selected entry's further entry sections
    TOtherContentGroup *grpKeptContent = nullptr; // further global keys and kept sections
};

// A stored value selects the first item equal to it ignoring case; no match leaves no selection.
void SelectComboItem(QComboBox *combo, const QString &value);
