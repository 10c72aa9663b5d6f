#include "RtfReader.h"

#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

QString RtfDocument::plainText() const
{
    QString out;
    for (qsizetype i = 0; i < paragraphs.size(); ++i) {
        if (i > 0)
            out += u'\n';
        for (const RtfRun& run : paragraphs[i].runs)
            out += run.text;
    }
    return out;
}

namespace {

// Files come from anywhere: these bound the work and the numbers we keep.
constexpr qsizetype kMaxDepth = 256;
constexpr int kMaxWordLength = 32;
constexpr qint64 kMaxParam = 2147483647;
constexpr int kMaxUc = 8;
constexpr int kDefaultCodePage = 1252;

enum class Dest { Text, Skip, FontTable, ColorTable, UprSkip };

enum class Kw {
    ParagraphBreak, // \par, \line
    PageBreak,      // \page, \sect: end a paragraph only when it has text
    Row,
    Char, // a word that stands for one character
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    FontSize,
    Color,
    Plain,
    Font,
    DefaultFont,
    AnsiCodePage,
    Mac,
    Pc,
    Pca,
    Unicode,
    UnicodeSkip,
    Bin,
    FontTable,
    ColorTable,
    Red,
    Green,
    Blue,
    Charset,
    CodePage,
    SkipDest,
    Upr,
    Ud,
    AssocBold,
    AssocItalic,
    AssocFontSize,
    Loch,
    Hich,
    Dbch,
    Rtlch,
    Ltrch,
};

struct Word {
    std::string_view name;
    Kw kw;
    char16_t ch = 0;
};

// clang-format off
constexpr Word kWords[] = {
    {"ab", Kw::AssocBold}, {"afs", Kw::AssocFontSize}, {"ai", Kw::AssocItalic},
    {"ansicpg", Kw::AnsiCodePage}, {"annotation", Kw::SkipDest}, {"atnauthor", Kw::SkipDest},
    {"atnid", Kw::SkipDest}, {"author", Kw::SkipDest}, {"b", Kw::Bold}, {"bin", Kw::Bin},
    {"blue", Kw::Blue}, {"bullet", Kw::Char, 0x2022}, {"cell", Kw::Char, u'\t'}, {"cf", Kw::Color},
    {"colorschememapping", Kw::SkipDest}, {"colortbl", Kw::ColorTable}, {"comment", Kw::SkipDest},
    {"cpg", Kw::CodePage}, {"datastore", Kw::SkipDest}, {"dbch", Kw::Dbch}, {"deff", Kw::DefaultFont},
    {"doccomm", Kw::SkipDest}, {"emdash", Kw::Char, 0x2014}, {"emspace", Kw::Char, 0x2003},
    {"endash", Kw::Char, 0x2013}, {"enspace", Kw::Char, 0x2002}, {"f", Kw::Font},
    {"fcharset", Kw::Charset}, {"filetbl", Kw::SkipDest}, {"fldinst", Kw::SkipDest},
    {"fonttbl", Kw::FontTable}, {"footer", Kw::SkipDest}, {"footerf", Kw::SkipDest},
    {"footerl", Kw::SkipDest}, {"footerr", Kw::SkipDest}, {"footnote", Kw::SkipDest},
    {"fs", Kw::FontSize}, {"generator", Kw::SkipDest}, {"green", Kw::Green}, {"header", Kw::SkipDest},
    {"headerf", Kw::SkipDest}, {"headerl", Kw::SkipDest}, {"headerr", Kw::SkipDest},
    {"hich", Kw::Hich}, {"i", Kw::Italic}, {"info", Kw::SkipDest}, {"keywords", Kw::SkipDest},
    {"latentstyles", Kw::SkipDest}, {"ldblquote", Kw::Char, 0x201C}, {"line", Kw::ParagraphBreak},
    {"listoverridetable", Kw::SkipDest}, {"listtable", Kw::SkipDest}, {"loch", Kw::Loch},
    {"lquote", Kw::Char, 0x2018}, {"ltrch", Kw::Ltrch}, {"mac", Kw::Mac}, {"mmathPr", Kw::SkipDest},
    {"nestcell", Kw::Char, u'\t'}, {"nestrow", Kw::Row}, {"nonshppict", Kw::SkipDest},
    {"object", Kw::SkipDest}, {"operator", Kw::SkipDest}, {"page", Kw::PageBreak},
    {"par", Kw::ParagraphBreak}, {"pc", Kw::Pc}, {"pca", Kw::Pca}, {"pgdsctbl", Kw::SkipDest},
    {"pict", Kw::SkipDest}, {"plain", Kw::Plain}, {"qmspace", Kw::Char, 0x2005},
    {"rdblquote", Kw::Char, 0x201D}, {"red", Kw::Red}, {"revtbl", Kw::SkipDest}, {"row", Kw::Row},
    {"rquote", Kw::Char, 0x2019}, {"rsidtbl", Kw::SkipDest}, {"rtlch", Kw::Rtlch},
    {"sect", Kw::PageBreak}, {"stylesheet", Kw::SkipDest}, {"subject", Kw::SkipDest},
    {"tab", Kw::Char, u'\t'}, {"tc", Kw::SkipDest}, {"template", Kw::SkipDest},
    {"themedata", Kw::SkipDest}, {"title", Kw::SkipDest}, {"txe", Kw::SkipDest}, {"u", Kw::Unicode},
    {"uc", Kw::UnicodeSkip}, {"ud", Kw::Ud}, {"ul", Kw::Underline}, {"uld", Kw::Underline},
    {"uldash", Kw::Underline}, {"uldashd", Kw::Underline}, {"uldashdd", Kw::Underline},
    {"uldb", Kw::Underline}, {"ulhwave", Kw::Underline}, {"ulldash", Kw::Underline},
    {"ulnone", Kw::UnderlineNone}, {"ulth", Kw::Underline}, {"ulthd", Kw::Underline},
    {"ulthdash", Kw::Underline}, {"ulthdashd", Kw::Underline}, {"ulthdashdd", Kw::Underline},
    {"ulthldash", Kw::Underline}, {"ululdbwave", Kw::Underline}, {"ulw", Kw::Underline},
    {"ulwave", Kw::Underline}, {"upr", Kw::Upr}, {"userprops", Kw::SkipDest}, {"xe", Kw::SkipDest},
    {"xmlnstbl", Kw::SkipDest}, {"zwj", Kw::Char, 0x200D}, {"zwnj", Kw::Char, 0x200C},
};
// clang-format on

const Word* findWord(std::string_view name)
{
    static const auto sorted = [] {
        std::array<Word, std::size(kWords)> a{};
        std::copy(std::begin(kWords), std::end(kWords), a.begin());
        std::sort(a.begin(), a.end(), [](const Word& x, const Word& y) { return x.name < y.name; });
        return a;
    }();
    const auto it = std::lower_bound(sorted.begin(), sorted.end(), name,
                                     [](const Word& w, std::string_view n) { return w.name < n; });
    return it != sorted.end() && it->name == name ? &*it : nullptr;
}

const char* codecName(int codePage)
{
    switch (codePage) {
    case 437:
        return "IBM437";
    case 850:
        return "IBM850";
    case 852:
        return "IBM852";
    case 866:
        return "IBM866";
    case 874:
        return "windows-874";
    case 932:
        return "CP932";
    case 936:
        return "CP936";
    case 949:
        return "CP949";
    case 950:
        return "CP950";
    case 1250:
        return "windows-1250";
    case 1251:
        return "windows-1251";
    case 1252:
        return "windows-1252";
    case 1253:
        return "windows-1253";
    case 1254:
        return "windows-1254";
    case 1255:
        return "windows-1255";
    case 1256:
        return "windows-1256";
    case 1257:
        return "windows-1257";
    case 1258:
        return "windows-1258";
    case 10000:
        return "macintosh";
    case 65001:
        return "UTF-8";
    default:
        return nullptr;
    }
}

// 0 stands for the document's code page.
int codePageForCharset(int charset)
{
    switch (charset) {
    case 2: // symbol fonts: the bytes are glyph numbers, show them as Latin
        return 1252;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return 0;
    }
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

struct Format {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool dbch = false;  // text is double-byte: associated properties (\ab, \afs) describe it
    bool rtlch = false; // associated properties describe right-to-left text, which we don't tell apart
    int halfPoints = 0;
    int color = 0; // colour table index; 0 is "auto"
    int font = -1; // -1: the default font
};

struct State {
    Format fmt;
    int uc = 1;
    Dest dest = Dest::Text;
};

class Parser {
public:
    explicit Parser(QByteArrayView bytes)
        : p_(bytes.data())
        , end_(bytes.data() + bytes.size())
    {
    }

    std::optional<RtfDocument> run();

private:
    State& st() { return states_.back(); }
    bool inText() const { return !states_.empty() && states_.back().dest == Dest::Text; }

    bool openGroup();
    bool closeGroup();
    void controlSequence();
    void controlWord(std::string_view name, bool known, bool hasParam, int param);
    void textByte(char c);
    void addColor();
    void byteChar(char c);
    void unicodeChar(int n);

    void flushBytes();
    QStringDecoder& decoderFor(int codePage);
    int currentCodePage() const;
    void append(const QString& text);
    void appendRaw(const QString& text);
    void endParagraph();
    void finishSurrogate();

    const char* p_;
    const char* end_;
    std::vector<State> states_;
    RtfDocument doc_;
    RtfParagraph para_;
    QByteArray pending_; // bytes in the current code page, decoded together so DBCS pairs join
    int ucSkip_ = 0;
    char16_t highSurrogate_ = 0;
    bool rootClosed_ = false;

    int ansiCodePage_ = 0;
    int defaultFont_ = -1;
    QHash<int, int> fontCodePages_;
    int tableFont_ = -1;
    QList<quint32> colors_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorPending_ = false;
    std::vector<std::pair<int, QStringDecoder>> decoders_;
};

std::optional<RtfDocument> Parser::run()
{
    while (p_ < end_) {
        const char c = *p_;
        if (c == '{') {
            ++p_;
            if (!openGroup())
                return std::nullopt;
        } else if (c == '}') {
            ++p_;
            if (!closeGroup())
                return std::nullopt;
        } else if (c == '\\') {
            ++p_;
            controlSequence();
        } else {
            ++p_;
            textByte(c);
        }
    }
    // A file cut short keeps what it had.
    flushBytes();
    finishSurrogate();
    if (!para_.runs.isEmpty())
        doc_.paragraphs.append(std::move(para_));
    return std::move(doc_);
}

bool Parser::openGroup()
{
    if (qsizetype(states_.size()) >= kMaxDepth)
        return false;
    flushBytes();
    ucSkip_ = 0;
    if (states_.empty()) {
        // The first group is the document; a group after it closed is trailing junk.
        State s;
        if (rootClosed_)
            s.dest = Dest::Skip;
        states_.push_back(s);
        return true;
    }
    const State inherited = states_.back();
    states_.push_back(inherited);
    return true;
}

bool Parser::closeGroup()
{
    if (states_.empty())
        return false;
    flushBytes();
    ucSkip_ = 0;
    if (st().dest == Dest::ColorTable && colorPending_)
        addColor(); // a last entry without its ';'
    states_.pop_back();
    if (states_.empty())
        rootClosed_ = true;
    return true;
}

void Parser::controlSequence()
{
    if (p_ >= end_)
        return;
    const char c = *p_;
    if (isLetter(c)) {
        const char* const start = p_;
        while (p_ < end_ && isLetter(*p_))
            ++p_;
        const qsizetype length = p_ - start;
        bool hasParam = false;
        qint64 value = 0;
        bool negative = false;
        if (end_ - p_ >= 2 && *p_ == '-' && isDigit(p_[1])) {
            negative = true;
            ++p_;
        }
        while (p_ < end_ && isDigit(*p_)) {
            hasParam = true;
            value = std::min(value * 10 + (*p_ - '0'), kMaxParam);
            ++p_;
        }
        if (p_ < end_ && *p_ == ' ')
            ++p_;
        const int param = int(negative ? -value : value);
        controlWord(std::string_view(start, size_t(std::min<qsizetype>(length, kMaxWordLength))),
                    length <= kMaxWordLength, hasParam, param);
        return;
    }
    ++p_;
    if (c == '\'') {
        const int hi = end_ - p_ >= 1 ? hexValue(p_[0]) : -1;
        const int lo = end_ - p_ >= 2 ? hexValue(p_[1]) : -1;
        if (hi < 0 || lo < 0) {
            // A broken escape shows nothing; what follows it is read as usual.
            p_ += hi >= 0 ? 1 : 0;
            return;
        }
        p_ += 2;
        byteChar(char(hi << 4 | lo));
        return;
    }
    if (c == '\\' || c == '{' || c == '}') {
        byteChar(c);
        return;
    }
    if (c == '\r' || c == '\n') {
        controlWord("par", true, false, 0);
        return;
    }
    if (c == '*') {
        // An optional destination: whatever it is, we don't show it. Inside \upr only its
        // \ud part matters, and that part stays readable.
        if (!states_.empty() && st().dest != Dest::UprSkip)
            st().dest = Dest::Skip;
        return;
    }
    flushBytes();
    if (ucSkip_ > 0) {
        --ucSkip_;
        return;
    }
    if (!inText())
        return;
    if (c == '~')
        append(QString(QChar(0x00A0)));
    else if (c == '_')
        append(QString(QChar(0x2011)));
    // \- (optional hyphen) and the rest show nothing.
}

void Parser::controlWord(std::string_view name, bool known, bool hasParam, int param)
{
    flushBytes();
    const Word* w = known ? findWord(name) : nullptr;
    if (w && w->kw == Kw::Bin) {
        // Raw data follows wherever the word stands; it may hold braces and backslashes.
        p_ += hasParam && param > 0 ? std::min<qsizetype>(param, end_ - p_) : 0;
        return;
    }
    if (states_.empty())
        return;
    State& s = st();
    if (!w)
        return;
    if (w->kw == Kw::UnicodeSkip) {
        s.uc = std::clamp(hasParam ? param : 1, 0, kMaxUc);
        return;
    }
    if (w->kw == Kw::Ud && s.dest == Dest::UprSkip) {
        s.dest = Dest::Text;
        return;
    }
    if (s.dest == Dest::Skip || s.dest == Dest::UprSkip)
        return;

    const bool on = !hasParam || param != 0;
    Format& f = s.fmt;
    // Words that change the document's settings or start a destination act wherever they are.
    switch (w->kw) {
    case Kw::AnsiCodePage:
        ansiCodePage_ = param;
        return;
    case Kw::Mac:
        ansiCodePage_ = 10000;
        return;
    case Kw::Pc:
        ansiCodePage_ = 437;
        return;
    case Kw::Pca:
        ansiCodePage_ = 850;
        return;
    case Kw::DefaultFont:
        defaultFont_ = param;
        return;
    case Kw::FontTable:
        s.dest = Dest::FontTable;
        tableFont_ = -1;
        return;
    case Kw::ColorTable:
        s.dest = Dest::ColorTable;
        red_ = green_ = blue_ = 0;
        colorPending_ = false;
        return;
    case Kw::SkipDest:
        s.dest = Dest::Skip;
        return;
    case Kw::Upr:
        s.dest = Dest::UprSkip;
        return;
    default:
        break;
    }

    if (s.dest == Dest::FontTable) {
        if (w->kw == Kw::Font)
            tableFont_ = param;
        else if (w->kw == Kw::Charset)
            fontCodePages_.insert(tableFont_, codePageForCharset(param));
        else if (w->kw == Kw::CodePage)
            fontCodePages_.insert(tableFont_, param);
        return;
    }
    if (s.dest == Dest::ColorTable) {
        const int v = std::clamp(param, 0, 255);
        colorPending_ = colorPending_ || w->kw == Kw::Red || w->kw == Kw::Green || w->kw == Kw::Blue;
        if (w->kw == Kw::Red)
            red_ = v;
        else if (w->kw == Kw::Green)
            green_ = v;
        else if (w->kw == Kw::Blue)
            blue_ = v;
        return;
    }

    if (ucSkip_ > 0) {
        --ucSkip_;
        return;
    }
    switch (w->kw) {
    case Kw::ParagraphBreak:
        endParagraph();
        break;
    case Kw::PageBreak:
        // A break right after \par would otherwise leave an empty paragraph.
        if (!para_.runs.isEmpty() || highSurrogate_)
            endParagraph();
        break;
    case Kw::Row:
        // The row's last \cell left a tab nobody wants to see.
        if (!para_.runs.isEmpty() && para_.runs.back().text.endsWith(u'\t')) {
            para_.runs.back().text.chop(1);
            if (para_.runs.back().text.isEmpty())
                para_.runs.removeLast();
        }
        endParagraph();
        break;
    case Kw::Char:
        append(QString(QChar(w->ch)));
        break;
    case Kw::Bold:
        f.bold = on;
        break;
    case Kw::Italic:
        f.italic = on;
        break;
    case Kw::Underline:
        f.underline = on;
        break;
    case Kw::UnderlineNone:
        f.underline = false;
        break;
    case Kw::FontSize:
        f.halfPoints = hasParam ? std::clamp(param, 1, 3276) : 24;
        break;
    case Kw::Color:
        f.color = std::max(param, 0);
        break;
    case Kw::Plain:
        f = Format{};
        break;
    case Kw::Font:
        f.font = param;
        break;
    case Kw::Unicode:
        if (hasParam)
            unicodeChar(param);
        break;
    case Kw::AssocBold:
        if (f.dbch && !f.rtlch)
            f.bold = on;
        break;
    case Kw::AssocItalic:
        if (f.dbch && !f.rtlch)
            f.italic = on;
        break;
    case Kw::AssocFontSize:
        if (f.dbch && !f.rtlch)
            f.halfPoints = hasParam ? std::clamp(param, 1, 3276) : 24;
        break;
    case Kw::Loch:
    case Kw::Hich:
        f.dbch = false;
        break;
    case Kw::Dbch:
        f.dbch = true;
        break;
    case Kw::Rtlch:
        f.rtlch = true;
        break;
    case Kw::Ltrch:
        f.rtlch = false;
        break;
    default:
        break;
    }
}

void Parser::textByte(char c)
{
    if (c == '\r' || c == '\n')
        return;
    if (states_.empty())
        return;
    if (st().dest == Dest::ColorTable) {
        if (c == ';')
            addColor();
        return;
    }
    byteChar(c);
}

void Parser::addColor()
{
    colors_.append(quint32(red_) << 16 | quint32(green_) << 8 | quint32(blue_));
    red_ = green_ = blue_ = 0;
    colorPending_ = false;
}

void Parser::byteChar(char c)
{
    if (!inText())
        return;
    if (ucSkip_ > 0) {
        --ucSkip_;
        return;
    }
    if (c != '\0') // padding some writers leave; never text
        pending_.append(c);
}

void Parser::unicodeChar(int n)
{
    const int u = n < 0 ? n + 65536 : n;
    if (u <= 0 || u > 0xFFFF) {
        if (u != 0)
            append(QString(QChar::ReplacementCharacter));
    } else if (QChar::isHighSurrogate(char16_t(u))) {
        finishSurrogate();
        highSurrogate_ = char16_t(u);
    } else if (QChar::isLowSurrogate(char16_t(u))) {
        if (highSurrogate_) {
            const QChar pair[2] = {QChar(highSurrogate_), QChar(char16_t(u))};
            highSurrogate_ = 0;
            appendRaw(QString(pair, 2));
        } else {
            append(QString(QChar::ReplacementCharacter));
        }
    } else {
        append(QString(QChar(char16_t(u))));
    }
    ucSkip_ = st().uc;
}

int Parser::currentCodePage() const
{
    const int font = states_.empty() || states_.back().fmt.font < 0 ? defaultFont_ : states_.back().fmt.font;
    const int fromFont = fontCodePages_.value(font, 0);
    if (fromFont > 0)
        return fromFont;
    return ansiCodePage_ > 0 ? ansiCodePage_ : kDefaultCodePage;
}

QStringDecoder& Parser::decoderFor(int codePage)
{
    if (!codecName(codePage))
        codePage = kDefaultCodePage;
    for (auto& [cp, decoder] : decoders_) {
        if (cp == codePage)
            return decoder;
    }
    QStringDecoder decoder(codecName(codePage), QStringDecoder::Flag::Stateless);
    if (!decoder.isValid()) // a Qt without ICU lacks the Asian code pages
        decoder = QStringDecoder(codecName(kDefaultCodePage), QStringDecoder::Flag::Stateless);
    decoders_.emplace_back(codePage, std::move(decoder));
    return decoders_.back().second;
}

void Parser::flushBytes()
{
    if (pending_.isEmpty())
        return;
    // Printable ASCII reads the same in every code page we decode, but for the backslash
    // (a won sign in ICU's code page 949): most runs need no decoder.
    if (std::all_of(pending_.cbegin(), pending_.cend(),
                    [](char c) { return c >= 0x20 && c < 0x7F && c != '\\'; })) {
        append(QString::fromLatin1(pending_));
        pending_.clear();
        return;
    }
    // The sentinel space makes a lead byte cut off at the end show as a replacement
    // character instead of vanishing.
    pending_.append(' ');
    QString text = decoderFor(currentCodePage()).decode(pending_);
    if (text.endsWith(u' '))
        text.chop(1);
    // ICU marks bytes it can't map with SUB.
    if (!pending_.contains('\x1a'))
        text.replace(QChar(0x1a), QChar::ReplacementCharacter);
    pending_.clear();
    append(text);
}

void Parser::finishSurrogate()
{
    if (highSurrogate_) {
        highSurrogate_ = 0;
        appendRaw(QString(QChar::ReplacementCharacter));
    }
}

void Parser::append(const QString& text)
{
    finishSurrogate();
    appendRaw(text);
}

void Parser::appendRaw(const QString& text)
{
    if (text.isEmpty() || states_.empty())
        return;
    const Format& f = st().fmt;
    RtfRun run;
    run.bold = f.bold;
    run.italic = f.italic;
    run.underline = f.underline;
    run.halfPoints = f.halfPoints;
    if (f.color > 0 && f.color < colors_.size()) {
        run.hasColor = true;
        run.rgb = colors_[f.color];
    }
    if (!para_.runs.isEmpty()) {
        RtfRun& last = para_.runs.back();
        if (last.bold == run.bold && last.italic == run.italic && last.underline == run.underline &&
            last.halfPoints == run.halfPoints && last.hasColor == run.hasColor && last.rgb == run.rgb) {
            last.text += text;
            return;
        }
    }
    run.text = text;
    para_.runs.append(std::move(run));
}

void Parser::endParagraph()
{
    flushBytes();
    finishSurrogate();
    doc_.paragraphs.append(std::move(para_));
    para_ = RtfParagraph{};
}

} // namespace

namespace RtfReader {

bool looksLikeRtf(QByteArrayView bytes)
{
    return bytes.startsWith("{\\rtf");
}

std::optional<RtfDocument> read(QByteArrayView bytes)
{
    if (!looksLikeRtf(bytes))
        return std::nullopt;
    return Parser(bytes).run();
}

} // namespace RtfReader
