#include "ScriptBox.h"

#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qscilexerjavascript.h>
#include <Qsci/qscilexerperl.h>
#undef signals
#undef slots

#include <QEvent>
#include <QFileInfo>
#include <QFontDatabase>

namespace {

// Scintilla's VBScript lexer, which QScintilla has no class for: its styles and keywords.
constexpr int VbDefault = 0, VbComment = 1, VbNumber = 2, VbKeyword = 3, VbString = 4, VbPreprocessor = 5,
              VbOperator = 6, VbIdentifier = 7, VbDate = 8, VbStringEol = 9, VbKeyword2 = 10, VbConstant = 13,
              VbHexNumber = 17;
constexpr int LexerVBScript = 28;
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

struct Colours {
    QColor text, paper, comment, keyword, string, number, margin, marginText, selection, caretLine;
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
    QFont f(QStringLiteral("ＭＳ ゴシック"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPointSizeF(11.25);
    return f;
}

} // namespace

ScriptBox::ScriptBox(QWidget* parent)
    : QsciScintilla(parent)
{
    setUtf8(true);
    setEolMode(EolUnix);
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
    connect(this, &QsciScintilla::linesChanged, this, [this] { updateMarginWidth(); });
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

void ScriptBox::showText(const QString& text, const QString& path)
{
    const Language language = languageOf(path, text);
    if (language != m_language) {
        m_language = language;
        applyLanguage();
    }
    // Loading is not an edit: nothing to undo afterwards, nothing kept to undo it with.
    SendScintilla(SCI_SETUNDOCOLLECTION, 0);
    setText(text);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    SendScintilla(SCI_SETUNDOCOLLECTION, 1);
    setModified(false);
    setCursorPosition(0, 0);
    updateMarginWidth();
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
    QsciLexer* old = m_lexer;
    m_lexer = nullptr;
    if (m_language == Language::JScript || m_language == Language::Perl) {
        if (m_language == Language::JScript) {
            auto* js = new QsciLexerJavaScript(this);
            m_lexer = js;
        } else {
            m_lexer = new QsciLexerPerl(this);
        }
        m_lexer->setDefaultFont(font);
        m_lexer->setFont(font, -1);
        m_lexer->setDefaultColor(c.text);
        m_lexer->setColor(c.text, -1);
        m_lexer->setDefaultPaper(c.paper);
        m_lexer->setPaper(c.paper, -1);
        auto colour = [this](const QColor& col, std::initializer_list<int> styles) {
            for (int s : styles)
                m_lexer->setColor(col, s);
        };
        if (m_language == Language::JScript) {
            colour(c.comment, {QsciLexerCPP::Comment, QsciLexerCPP::CommentLine, QsciLexerCPP::CommentDoc,
                               QsciLexerCPP::CommentLineDoc});
            colour(c.keyword, {QsciLexerCPP::Keyword, QsciLexerCPP::KeywordSet2});
            colour(c.string, {QsciLexerCPP::DoubleQuotedString, QsciLexerCPP::SingleQuotedString,
                              QsciLexerCPP::Regex, QsciLexerCPP::UnclosedString});
            colour(c.number, {QsciLexerCPP::Number});
        } else {
            colour(c.comment, {QsciLexerPerl::Comment, QsciLexerPerl::POD});
            colour(c.keyword, {QsciLexerPerl::Keyword});
            colour(c.string, {QsciLexerPerl::DoubleQuotedString, QsciLexerPerl::SingleQuotedString,
                              QsciLexerPerl::HereDocumentDelimiter, QsciLexerPerl::SingleQuotedHereDocument,
                              QsciLexerPerl::DoubleQuotedHereDocument});
            colour(c.number, {QsciLexerPerl::Number});
        }
        setLexer(m_lexer);
    } else {
        setLexer(nullptr);
        setFont(font);
        setColor(c.text);
        setPaper(c.paper);
        SendScintilla(SCI_STYLESETFONT, STYLE_DEFAULT, font.family().toUtf8().constData());
        SendScintilla(SCI_STYLESETFORE, STYLE_DEFAULT, c.text);
        SendScintilla(SCI_STYLESETBACK, STYLE_DEFAULT, c.paper);
        SendScintilla(SCI_STYLECLEARALL);
        if (m_language == Language::VBScript) {
            SendScintilla(SCI_SETLEXER, LexerVBScript);
            SendScintilla(SCI_SETKEYWORDS, 0ul, VbKeywords);
            SendScintilla(SCI_SETKEYWORDS, 1ul, VbFunctions);
            for (int s : {VbComment})
                SendScintilla(SCI_STYLESETFORE, s, c.comment);
            for (int s : {VbKeyword, VbKeyword2, VbPreprocessor, VbConstant})
                SendScintilla(SCI_STYLESETFORE, s, c.keyword);
            for (int s : {VbString, VbStringEol, VbDate})
                SendScintilla(SCI_STYLESETFORE, s, c.string);
            for (int s : {VbNumber, VbHexNumber})
                SendScintilla(SCI_STYLESETFORE, s, c.number);
            for (int s : {VbDefault, VbOperator, VbIdentifier})
                SendScintilla(SCI_STYLESETFORE, s, c.text);
        }
    }
    delete old;
    setMarginsFont(font);
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
