#pragma once

#include "ScriptKind.h"
#include "Services.h"

#include <QObject>
#include <QString>

class InternalEditor;

// What the main window's buttons and menus do, apart from any window: the state the actions
// share and the new, run, encode and edit actions, each step a user sees going through the
// services. The main window shows it and forwards its clicks to it.
class Workbench final : public QObject {
    Q_OBJECT
public:
    Workbench(const Services& services, InternalEditor& editor);

    const Services& services() const { return m_services; }

    // The shared state: the chosen script's full path, the settings read at load, the
    // chosen kind's comment mark and host (empty until chosen), and the status bar's idle
    // text.
    const QString& selectedFile() const { return m_selectedFile; }
    const QString& userName() const { return m_userName; }
    const QString& editorPath() const { return m_editorPath; }
    const QString& commentMark() const { return m_commentMark; }
    const QString& interpreter() const { return m_interpreter; }
    const QString& idleStatusText() const { return m_idleStatusText; }

    // The main window's load: the idle text and the two settings, read once.
    void load();
    // The script browser's choice.
    void selectFile(const QString& path);
    // The kind and host choices.
    void chooseKind(ScriptKind kind);
    void chooseHost(const QString& interpreter);

    // A button asks its own question; its menu entry asks in other words, and a new script
    // from the menu is appended to a file of the name without asking.
    enum class From { Button, Menu };

    // Runs the selected script under the chosen host, the GUI host when none is chosen yet.
    void run(From from);
    // Hands the selected script to the encoder of the settings, if one is set; the encoded
    // copy is named for `kind`.
    void encode(ScriptKind kind);
    // Makes a script of `kind` that starts with the header in `folder`, and opens it in the
    // editor. Nothing opens for a file that was not written.
    void newScript(const QString& folder, ScriptKind kind, From from);

    enum class Edit { Done, NewScriptWanted };
    // Opens the selected script in the editor of the settings. With none chosen, asks
    // whether to make a new one instead, which the caller then does.
    Edit edit();
    // The File menu's open entry: as edit, but without a file chosen it opens the text that
    // says so, as the name of a file.
    void open();

Q_SIGNALS:
    // A new script was written, before the editor opens it.
    void scriptWritten(const QString& path);
    // A script host was started as process `pid`.
    void runStarted(qint64 pid);

private:
    // Opens `path` in the internal editor, or starts the external one as the editor setting,
    // a blank and the path, neither quoted.
    void openInEditor(const QString& path);

    Services m_services;
    InternalEditor& m_editor;
    QString m_selectedFile;
    QString m_userName;
    QString m_editorPath;
    QString m_commentMark;
    QString m_interpreter;
    QString m_idleStatusText;
};
