#pragma once

#include "Dialogs.h"

class QMessageBox;

// Message, input and file-open boxes as Qt dialogs with Japanese buttons, modal to the
// active window.
class QtDialogs final : public Dialogs {
public:
    int MsgBox(const QString& text, int flags, const QString& title) override;
    QString InputBox(const QString& prompt, const QString& title, const QString& def) override;
    QString GetOpenFileName(const QString& title, const QString& filter, const QString& initialPath) override;

    // Builds the box without showing it, so tests can look at it.
    static QMessageBox* buildMessageBox(const QString& text, int flags, const QString& title);
};
