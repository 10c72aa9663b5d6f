#include "ScriptBox.h"

#include "Fonts.h"

#include <QEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QTimer>

namespace {

// Scintilla's own lexers, set directly: QScintilla's lexer classes give each style a font
// of their own, and text measured in one face and drawn in another loses its spaces.
constexpr int LexerCpp = 3, LexerPerl = 6, LexerVBScript = 28;

enum class Role { Comment, Keyword, String, Number };
struct StyleRole {
    int style;
    Role role;
};

const char VbKeywords[] =
    "and as byref byval call case class const dim do each else elseif empty end eqv erase error exit "
    "explicit false for function get goto if imp in is let loop me mod new next not nothing null on "
    "option or preserve private property public randomize redim rem resume select set step stop sub "
    "then to true until wend while with xor";
const char VbFunctions[] =
    "abs array asc atn cbool cbyte ccur cdate cdbl chr cint clng cos createobject csng cstr date "
    "dateadd datediff datepart dateserial datevalue day escape eval exp filter fix formatcurrency "
    "formatdatetime formatnumber formatpercent getlocale getobject getref hex hour inputbox instr "
    "instrrev int isarray isdate isempty isnull isnumeric isobject join lbound lcase left len "
    "loadpicture log ltrim mid minute month monthname msgbox now oct replace rgb right rnd round "
    "rtrim scriptengine second sgn sin space split sqr strcomp string strreverse tan time timer "
    "timeserial timevalue trim typename ubound ucase unescape vartype weekday weekdayname year wscript";
// Scintilla's VBScript styles: comment, number, keyword, string, preprocessor, date, string
// to the line end, the second keyword list, constant, hexadecimal number.
const StyleRole VbStyles[] = {{1, Role::Comment},  {2, Role::Number}, {3, Role::Keyword}, {4, Role::String},
                              {5, Role::Keyword},  {8, Role::String}, {9, Role::String},  {10, Role::Keyword},
                              {13, Role::Keyword}, {17, Role::Number}};

const char JsKeywords[] =
    "break case catch class const continue debugger default delete do else enum export extends false "
    "finally for function if import in instanceof new null return super switch this throw true try "
    "typeof var void while with";
const char JsObjects[] = "ActiveXObject Enumerator GetObject WScript WSH";
// The C-like lexer's styles: comments, number, keyword, strings, regular expression,
// unclosed string, the second keyword list.
const StyleRole JsStyles[] = {{1, Role::Comment},  {2, Role::Comment}, {3, Role::Comment},
                              {15, Role::Comment}, {4, Role::Number},  {5, Role::Keyword},
                              {16, Role::Keyword}, {6, Role::String},  {7, Role::String},
                              {12, Role::String},  {14, Role::String}};

const char PerlKeywords[] =
    "my our local sub if elsif else unless while until for foreach do last next redo return use no "
    "require package print printf sprintf open close die warn eval defined undef ref scalar shift "
    "unshift push pop split join keys values each exists delete chomp chop lc uc length substr index "
    "sort map grep exit and or not";
// Perl's styles: comment, documentation, number, keyword, strings of every quoting.
const StyleRole PerlStyles[] = {{2, Role::Comment}, {3, Role::Comment}, {4, Role::Number},
                                {5, Role::Keyword}, {6, Role::String},  {7, Role::String},
                                {19, Role::String}, {22, Role::String}, {23, Role::String},
                                {24, Role::String}, {26, Role::String}, {27, Role::String}};

struct Colours {
    QColor text, paper, comment, keyword, string, number, margin, marginText, selection;
    QColor of(Role r) const
    {
        switch (r) {
        case Role::Comment:
            return comment;
        case Role::Keyword:
            return keyword;
        case Role::String:
            return string;
        case Role::Number:
            return number;
        }
        return text;
    }
};

// Colours for the palette's background: the same hues, dark or light.
Colours coloursFor(const QPalette& palette)
{
    const bool dark = palette.color(QPalette::Base).lightness() < 128;
    Colours c;
    c.text = palette.color(QPalette::Text);
    c.paper = palette.color(QPalette::Base);
    c.comment = dark ? QColor(0x6A, 0x99, 0x55) : QColor(0x00, 0x80, 0x00);
    c.keyword = dark ? QColor(0x56, 0x9C, 0xD6) : QColor(0x00, 0x00, 0xC0);
    c.string = dark ? QColor(0xCE, 0x91, 0x78) : QColor(0xA3, 0x15, 0x15);
    c.number = dark ? QColor(0xB5, 0xCE, 0xA8) : QColor(0x09, 0x86, 0x58);
    c.margin = palette.color(QPalette::Window);
    c.marginText = palette.color(QPalette::WindowText);
    c.selection = palette.color(QPalette::Highlight);
    return c;
}

QFont codeFont()
{
    // A fixed-width face that holds Japanese: every column of a script lines up.
    QFont f = Fonts::sized(Fonts::FixedGothic, 11.25);
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    return f;
}

} // namespace

ScriptBox::ScriptBox(QWidget* parent)
    : QsciScintilla(parent)
{
    setUtf8(true);
    setEolVisibility(false);
    setWrapMode(WrapNone);
    setTabWidth(4);
    setFont(codeFont());
    setMarginType(0, NumberMargin);
    setMarginLineNumbers(0, true);
    setMarginWidth(1, 0);
    // Styled in idle time, so that a jump to the end of a long script never waits for
    // the whole of it to be coloured.
    SendScintilla(SCI_SETIDLESTYLING, SC_IDLESTYLING_ALL);
    // Lines are measured as they are shown, not all at once.
    SendScintilla(SCI_SETLAYOUTCACHE, SC_CACHE_PAGE);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1);
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    applyLanguage();
    // After every change the box draws, whether or not it announced the change.
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, [this] { updateMarginWidth(); });
}

ScriptBox::Language ScriptBox::languageOf(const QString& path, QStringView text)
{
    // Rich text is shown as its codes, uncoloured.
    if (text.startsWith(QStringLiteral("{\\rtf")))
        return Language::Plain;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QStringLiteral("vbs") || suffix == QStringLiteral("vbe"))
        return Language::VBScript;
    if (suffix == QStringLiteral("js") || suffix == QStringLiteral("jse"))
        return Language::JScript;
    if (suffix == QStringLiteral("pls"))
        return Language::Perl;
    return Language::Plain;
}

void ScriptBox::showText(QString text, const QString& path, const QString& lineEnd,
                         std::function<void()> loaded)
{
    ++m_generation;
    setEolMode(lineEnd == QStringLiteral("\n")   ? EolUnix
               : lineEnd == QStringLiteral("\r") ? EolMac
                                                 : EolWindows);
    const Language language = languageOf(path, text);
    if (language != m_language) {
        m_language = language;
        applyLanguage();
    }
    // The box reports every edit to accessibility as a count of the characters before it:
    // a keystroke near the end of a 20 MB script took a fifth of a second, and loading it
    // copied the whole text once more. Large scripts do without those events.
    SendScintilla(SCI_SETMODEVENTMASK, text.size() > LargeText ? 0 : SC_MODEVENTMASKALL);
    // Loading is not an edit: nothing to undo afterwards, nothing kept to undo it with.
    SendScintilla(SCI_SETUNDOCOLLECTION, 0);
    setReadOnly(false);
    m_rest = std::move(text);
    m_restAt = 0;
    m_loaded = std::move(loaded);
    SendScintilla(SCI_CLEARALL);
    // The first screen at once, the rest from the event loop, so that a long script shows
    // before it is all in the box.
    appendPiece(FirstPiece);
    setCursorPosition(0, 0);
    updateMarginWidth();
    if (isLoading()) {
        scheduleNextPiece();
    } else {
        finishShowing();
    }
}

void ScriptBox::scheduleNextPiece()
{
    const quint64 generation = m_generation;
    QTimer::singleShot(0, this, [this, generation] {
        if (generation != m_generation || !isLoading())
            return;
        appendPiece(Piece);
        if (isLoading())
            scheduleNextPiece();
        else
            finishShowing();
    });
}

void ScriptBox::appendPiece(qsizetype chars)
{
    qsizetype end = qMin(m_rest.size(), m_restAt + chars);
    // Never between the two halves of a character outside the first plane.
    if (end < m_rest.size() && m_rest[end].isLowSurrogate())
        ++end;
    const QByteArray bytes = QStringView(m_rest).sliced(m_restAt, end - m_restAt).toUtf8();
    // Read only for the user, not for the loading itself.
    SendScintilla(SCI_SETREADONLY, 0);
    SendScintilla(SCI_APPENDTEXT, static_cast<unsigned long>(bytes.size()), bytes.constData());
    SendScintilla(SCI_SETREADONLY, m_restAt + (end - m_restAt) < m_rest.size() ? 1 : 0);
    m_restAt = end;
}

void ScriptBox::finishLoading()
{
    if (!isLoading())
        return;
    appendPiece(m_rest.size());
    finishShowing();
}

void ScriptBox::finishShowing()
{
    m_rest.clear();
    m_rest.squeeze();
    m_restAt = 0;
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETUNDOCOLLECTION, 1);
    setReadOnly(false);
    setModified(false);
    updateMarginWidth();
    if (std::function<void()> loaded = std::move(m_loaded))
        loaded();
}

QString ScriptBox::wholeText()
{
    finishLoading();
    // Read where the box keeps it: no copy of 20 MB before the one that makes the text.
    const auto* bytes = static_cast<const char*>(SendScintillaPtrResult(SCI_GETCHARACTERPOINTER));
    return bytes ? QString::fromUtf8(bytes, length()) : QString();
}

int ScriptBox::currentLine() const
{
    int line = 0, index = 0;
    getCursorPosition(&line, &index);
    return line + 1;
}

void ScriptBox::goToLine(int line)
{
    const int target = qBound(1, line, lines()) - 1;
    setCursorPosition(target, 0);
    ensureLineVisible(target);
}

// The box answers the input method with the whole paragraph around the caret, which in a
// script without blank lines is the whole script: every move near the end of 20 MB cost a
// fifth of a second. The caret's line is what an input method needs.
QVariant ScriptBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query != Qt::ImSurroundingText && query != Qt::ImCursorPosition && query != Qt::ImAnchorPosition)
        return QsciScintilla::inputMethodQuery(query);
    int line = 0, index = 0;
    getCursorPosition(&line, &index);
    const QString text = this->text(line);
    if (query == Qt::ImSurroundingText)
        return text;
    const long pos = SendScintilla(query == Qt::ImAnchorPosition ? SCI_GETANCHOR : SCI_GETCURRENTPOS);
    const long lineStart = SendScintilla(SCI_POSITIONFROMLINE, line);
    if (pos < lineStart || pos > lineStart + long(text.toUtf8().size()))
        return QVariant(int(text.size())); // the anchor lies on another line
    return QVariant(int(QString::fromUtf8(text.toUtf8().left(pos - lineStart)).size()));
}

void ScriptBox::changeEvent(QEvent* event)
{
    QsciScintilla::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyLanguage();
}

void ScriptBox::applyLanguage()
{
    const Colours c = coloursFor(palette());
    const QFont font = codeFont();
    // One face and one size for every style, the line numbers included.
    setFont(font);
    setColor(c.text);
    setPaper(c.paper);
    SendScintilla(SCI_STYLESETFONT, STYLE_DEFAULT, font.family().toUtf8().constData());
    SendScintilla(SCI_STYLESETSIZEFRACTIONAL, STYLE_DEFAULT, long(font.pointSizeF() * 100));
    SendScintilla(SCI_STYLESETFORE, STYLE_DEFAULT, c.text);
    SendScintilla(SCI_STYLESETBACK, STYLE_DEFAULT, c.paper);
    SendScintilla(SCI_STYLECLEARALL);
    // Set only when it changes: setting it styles the whole text at once.
    auto lexer = [this](int id) {
        if (SendScintilla(SCI_GETLEXER) != id)
            SendScintilla(SCI_SETLEXER, id);
    };
    auto colour = [&](const auto& styles) {
        for (const StyleRole& s : styles)
            SendScintilla(SCI_STYLESETFORE, s.style, c.of(s.role));
    };
    switch (m_language) {
    case Language::VBScript:
        lexer(LexerVBScript);
        SendScintilla(SCI_SETKEYWORDS, 0ul, VbKeywords);
        SendScintilla(SCI_SETKEYWORDS, 1ul, VbFunctions);
        colour(VbStyles);
        break;
    case Language::JScript:
        lexer(LexerCpp);
        SendScintilla(SCI_SETKEYWORDS, 0ul, JsKeywords);
        SendScintilla(SCI_SETKEYWORDS, 1ul, JsObjects);
        colour(JsStyles);
        break;
    case Language::Perl:
        lexer(LexerPerl);
        SendScintilla(SCI_SETKEYWORDS, 0ul, PerlKeywords);
        colour(PerlStyles);
        break;
    case Language::Plain:
        lexer(SCLEX_NULL);
        break;
    }
    SendScintilla(SCI_STYLESETFORE, STYLE_LINENUMBER, c.marginText);
    SendScintilla(SCI_STYLESETBACK, STYLE_LINENUMBER, c.margin);
    setMarginsBackgroundColor(c.margin);
    setMarginsForegroundColor(c.marginText);
    setCaretForegroundColor(c.text);
    setSelectionBackgroundColor(c.selection);
    setSelectionForegroundColor(palette().color(QPalette::HighlightedText));
    m_marginDigits = 0;
    updateMarginWidth();
}

void ScriptBox::updateMarginWidth()
{
    const int digits = qMax(3, int(QString::number(lines()).size()));
    if (digits == m_marginDigits)
        return;
    m_marginDigits = digits;
    setMarginWidth(0, QString(digits + 1, u'9'));
}
