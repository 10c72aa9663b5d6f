#pragma once

#include "ScriptKind.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

class QAction;
class QDialog;
class QComboBox;
class QGroupBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class DirListBox;
class DriveList;
class FileListBox;
class PreviewLoader;
class QPushButton;
class OptionButton;
class QStatusBar;
class Workbench;

// The main window: the script browser, the action buttons and the kind and host choices. A
// view of the workbench, which holds the state every action shares and does the actions.
class frmMain final : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(Workbench& workbench, QWidget* parent = nullptr);

    QString statusText() const;
    void setStatusText(const QString& text);
    QString helpFile() const { return m_helpFile; }
    // Selects the script `name` of the shown folder, as a click in the file list would.
    void selectScript(const QString& name);
    // The kind whose option button is selected, tested in the order VBS, JS, Perl.
    ScriptKind selectedKind() const;

Q_SIGNALS:
    // Every text the status bar is given, in order, also when it does not change.
    void statusTextSet(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Form_Load();
    void mnuFileExit_Click();
    void fldDrive_Change();
    void fldDir_Change();
    void fldFileList_Click();
    void fldViewSrc_Change() {}

    void selVBS_Click();
    void selJS_Click();
    void selPls_Click();
    void cWSC_Click();
    void cCsc_Click();
    void mnuToolScrVBS_Click();
    void mnuToolScrJS_Click();
    void mnuToolScrPLS_Click();
    void mnuToolIpriWSCR_Click();
    void mnuToolIpriCSCR_Click();
    void btnNew_Click();
    void mnuFileNew_Click();
    void btnEdit_Click();
    void mnuFileOpen_Click();

    void btnOption_Click();
    void mnuToolOption_Click();
    void mnuHelpAbout_Click();
    void mnuHelpVOXTool_Click();
    // Opens the manual at `topic`, or at its first page for 0.
    void showHelp(int topic);
    void btnRun_Click();
    void mnuFileRun_Click();
    void btnEncode_Click();
    void mnuFileEncode_Click();

    void chooseKind(ScriptKind kind, const QString& message);
    void chooseHost(const QString& interpreter, const QString& message);
    void checkMenuEntry(QAction* chosen, const QList<QAction*>& entries);
    void connectActions();

    void createControls();
    void standOnWorkingFolder();
    void createMenus();
    void setTabOrder();
    void installHints();

    struct Hint {
        QString onFocus; // empty: gaining the focus shows nothing
        QString onMouse; // empty: the mouse over it shows nothing
        bool idleOnFocusOut = false;
    };
    void addHint(QWidget* w, const Hint& hint);

    Workbench& m_workbench;
    // One of each, brought forward when asked for again.
    QPointer<QDialog> m_option;
    QPointer<QDialog> m_about;
    QString m_helpFile;
    QHash<QObject*, Hint> m_hints;
    bool m_shownOnce = false;

    QWidget* m_client = nullptr;
    DriveList* fldDrive = nullptr;
    DirListBox* fldDir = nullptr;
    FileListBox* fldFileList = nullptr;
    QPlainTextEdit* fldViewSrc = nullptr;
    PreviewLoader* m_preview = nullptr;
    QPushButton* btnNew = nullptr;
    QPushButton* btnEdit = nullptr;
    QPushButton* btnRun = nullptr;
    QPushButton* btnEncode = nullptr;
    QPushButton* btnOption = nullptr;
    QGroupBox* CInterp = nullptr;
    OptionButton* cWSC = nullptr;
    OptionButton* cCsc = nullptr;
    QGroupBox* Frame1 = nullptr;
    OptionButton* selJS = nullptr;
    OptionButton* selVBS = nullptr;
    OptionButton* selPls = nullptr;
    QStatusBar* sbMain = nullptr;
    QLabel* m_statusLabel = nullptr;

    QAction* mnuFileNew = nullptr;
    QAction* mnuFileOpen = nullptr;
    QAction* mnuFileRun = nullptr;
    QAction* mnuFileEncode = nullptr;
    QAction* mnuFileExit = nullptr;
    QAction* mnuToolScrJS = nullptr;
    QAction* mnuToolScrVBS = nullptr;
    QAction* mnuToolScrPLS = nullptr;
    QAction* mnuToolIpriWSCR = nullptr;
    QAction* mnuToolIpriCSCR = nullptr;
    QAction* mnuToolOption = nullptr;
    QAction* mnuHelpVOXTool = nullptr;
    QAction* mnuHelpAbout = nullptr;
};
