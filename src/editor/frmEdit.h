#pragma once

#include "Services.h"
#include "TextCodec.h"

#include <QMainWindow>

class QAction;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QStatusBar;
class QToolBar;

// The internal editor: one script, edited and saved back to the path in its file-name
// field. One window for the whole program, shown beside the main window.
class frmEdit final : public QMainWindow {
    Q_OBJECT
public:
    // The open sequence: shows the window (made first when there is none, else brought
    // forward), puts `path` into the file-name field and loads the file, replacing what the
    // window held without asking.
    static frmEdit* openFile(const Services& services, const QString& path);
    // The window while it is open, else nullptr.
    static frmEdit* instance();

    // True while the text needs no saving.
    bool isSaved = true;

    // Writes the whole text to `path` in the file's own encoding and line ends; sets
    // `success`, and `isSaved` when it worked. Shows nothing.
    void saveWsh(const QString& path, bool& success);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    explicit frmEdit(const Services& services);

    void Form_Load();
    void Form_Unload(bool& cancel);
    void fldEditSrc_Change();
    void mnuFileSave_Click();
    void mnuFilePrint_Click();
    void mnuEditUndo_Click();
    void mnuEditCut_Click();
    void mnuEditCopy_Click();
    void mnuEditPaste_Click();

    void createControls();
    void createMenus();
    void createToolbar();
    void load(const QString& path);
    void reportOpenFailure(const QString& path, const QString& reason);

    Services m_services;
    TextEncoding m_encoding = TextEncoding::Cp932;
    bool m_crlf = true;
    bool m_loading = false;

    QToolBar* Toolbar1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* fldFileName = nullptr;
    QPlainTextEdit* fldEditSrc = nullptr;
    QStatusBar* SBfedit = nullptr;
};
