#pragma once

// QScintilla's headers spell out the keywords this project switches off.
#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qsciscintilla.h>
#undef signals
#undef slots

class QsciLexer;

// The editor's text box: a script with line numbers and the colours of its language,
// in a fixed-width face, readable on light and dark palettes. Texts go in and out with LF
// line ends; the file's own line ends are the window's to keep.
class ScriptBox final : public QsciScintilla {
public:
    enum class Language { Plain, VBScript, JScript, Perl };

    explicit ScriptBox(QWidget* parent = nullptr);

    // Shows `text` as the content of the file at `path`, coloured by the path's extension;
    // not a change the user could undo.
    void showText(const QString& text, const QString& path);
    Language language() const { return m_language; }
    static Language languageOf(const QString& path, QStringView text);

    // 1-based, as error messages count lines.
    int currentLine() const;
    void goToLine(int line);

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyLanguage();
    void updateMarginWidth();

    Language m_language = Language::Plain;
    QsciLexer* m_lexer = nullptr;
    int m_marginDigits = 0;
};
