#pragma once

#include "PosixFile.h"
#include "ScriptText.h"
#include "Services.h"

#include <QMainWindow>

class Printing;
class QAction;
class QLabel;
class QLineEdit;
class ScriptBox;
class QStatusBar;
class QToolBar;

// The internal editor: one script, edited and saved back to the path in its file-name
// field. One window for the whole program, shown beside the main window.
class frmEdit final : public QMainWindow {
    Q_OBJECT
public:
    frmEdit(const Services& services, Printing& printing);

    // Before the window is refilled: asks about unsaved changes, and saves when asked to.
    // False when the text stays (Cancel, or a save that fails).
    bool mayRefill();
    // Shows the window, brought forward, puts `path` into the file-name field and loads the
    // file.
    void showFile(const QString& path);

    // True while the text needs no saving.
    bool isSaved() const { return m_isSaved; }

    // Writes the whole text to `path` in the file's own encoding and line ends; sets
    // `success`, and isSaved() when it worked. Shows nothing.
    void saveWsh(const QString& path, bool& success);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void Form_Load();
    void Form_Unload(bool& cancel);
    void fldEditSrc_Change();
    void mnuFileSave_Click();
    void mnuFilePrint_Click();
    void mnuEditUndo_Click();
    void mnuEditCut_Click();
    void mnuEditCopy_Click();
    void mnuEditPaste_Click();
    void goToLine();

    void createControls();
    void createMenus();
    void createToolbar();
    void load(const QString& path);
    void reportOpenFailure(const QString& path, const QString& reason);
    // The file a save writes: the path the open sequence gave while the field still shows
    // it (a name that is not UTF-8 is shown readably, not as it is), else what was typed.
    QString targetPath() const;
    // Saves after the questions a save may need; `failedText` reports a failed write.
    // False when nothing was written.
    bool saveAsking(const QString& failedText);
    // Asks before writing over a file that was never read, or that changed on disk.
    bool mayOverwrite(const QString& path);
    bool changedOnDisk(std::optional<PosixFile::Stamp>* now = nullptr);
    void offerReload();

    Services m_services;
    Printing& m_printing;
    bool m_isSaved = true;
    ScriptText m_file;                         // the lines a save keeps as they were
    QString m_fieldPath;                       // what the open sequence put into the file-name field
    QString m_path;                            // the file the text was read from or last saved to
    QString m_unread;                          // a file that could not be read: never replaced unasked
    std::optional<PosixFile::Stamp> m_stamp;   // of m_path when last read or written
    size_t m_diskHash = 0;                     // of its bytes then
    std::optional<PosixFile::Stamp> m_offered; // a change already offered for reloading
    bool m_loading = false;
    bool m_asking = false;

    QToolBar* Toolbar1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* fldFileName = nullptr;
    ScriptBox* fldEditSrc = nullptr;
    QStatusBar* SBfedit = nullptr;
};
