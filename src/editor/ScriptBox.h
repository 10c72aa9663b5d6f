#pragma once

// QScintilla's headers spell out the keywords this project switches off.
#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qsciscintilla.h>
#undef signals
#undef slots

#include <functional>

// The editor's text box: a script with line numbers and the colours of its language,
// in a fixed-width face, readable on light and dark palettes. The text keeps the file's own
// line ends; a new line gets the one the file uses.
class ScriptBox final : public QsciScintilla {
public:
    enum class Language { Plain, VBScript, JScript, Perl };
    // Characters from which edits are no longer announced one by one (see showText).
    static constexpr qsizetype LargeText = 1 << 20;

    explicit ScriptBox(QWidget* parent = nullptr);

    // Shows `text` as the content of the file at `path`, coloured by the path's extension;
    // not a change the user could undo. A long text shows its first screen at once and
    // comes in whole from the event loop (read only until then), then `loaded` runs.
    void showText(QString text, const QString& path, const QString& lineEnd = QStringLiteral("\r\n"),
                  std::function<void()> loaded = {});
    bool isLoading() const { return m_restAt < m_rest.size(); }
    // The rest of the text in at once, for what needs all of it now.
    void finishLoading();
    // All of the text, once it is all in.
    QString wholeText();
    Language language() const { return m_language; }
    static Language languageOf(const QString& path, QStringView text);

    // 1-based, as error messages count lines.
    int currentLine() const;
    void goToLine(int line);

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

protected:
    void changeEvent(QEvent* event) override;

private:
    static constexpr qsizetype FirstPiece = 64 * 1024;
    static constexpr qsizetype Piece = 2 * 1024 * 1024;
    void appendPiece(qsizetype chars);
    void scheduleNextPiece();
    void finishShowing();
    void applyLanguage();
    void updateMarginWidth();

    Language m_language = Language::Plain;
    int m_marginDigits = 0;
    QString m_rest; // what is still to come in
    qsizetype m_restAt = 0;
    quint64 m_generation = 0;
    std::function<void()> m_loaded;
};
