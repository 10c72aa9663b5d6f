#pragma once

#include <QString>

// Message box flags: a button set plus an icon.
namespace MsgFlags {
constexpr int OkOnly = 0;
constexpr int YesNoCancel = 3;
constexpr int YesNo = 4;
constexpr int Critical = 16;
constexpr int Exclamation = 48;
constexpr int Information = 64;
// The second button, not the first, answers Enter: for questions whose safe answer is No.
constexpr int DefaultButton2 = 256;
} // namespace MsgFlags

// The button that closed a message box.
namespace MsgResult {
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Yes = 6;
constexpr int No = 7;
} // namespace MsgResult

// The modal conversations with the user. An empty title shows the application title.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual int MsgBox(const QString& text, int flags = MsgFlags::OkOnly, const QString& title = {}) = 0;
    // The field's text on OK; the empty text on Cancel.
    virtual QString InputBox(const QString& prompt, const QString& title = {}, const QString& def = {}) = 0;
    // The chosen file, or the empty text when the user cancels. `filter` is "name (*.ext);;...".
    virtual QString GetOpenFileName(const QString& title, const QString& filter,
                                    const QString& initialPath) = 0;
};
