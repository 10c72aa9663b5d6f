#include "StandIns.h"

#include "FontFamilies.h"
#include "NativeName.h"
#include "WinCommandLine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <clocale>
#include <locale.h>

namespace StandIns {

namespace {

const QString NotInstalled =
    QStringLiteral("%1 の代わりに使うプログラム (%2) がインストールされていません。");
const QString NoHold = QStringLiteral("端末の表示を保つ補助プログラム quillet-hold が見つかりません。");
const QString NoAddress = QStringLiteral("開くアドレスがありません。");
const QString NotFound = QStringLiteral("プログラムが見つかりません。");
const QString NotUnicode =
    QStringLiteral("ファイル名の文字コードが UTF-8 ではないため、Windows のプログラムには渡せません: ");

// Wine reads its arguments as UTF-8: a name that is not would reach it as another file.
bool unicodeOnly(const QStringList& args, QString* reason)
{
    for (const QString& a : args) {
        if (!NativeName::isUnicode(a)) {
            *reason = NotUnicode + NativeName::display(a);
            return false;
        }
    }
    return true;
}

QString baseName(const QString& name)
{
    const qsizetype cut = std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
    return name.mid(cut + 1).toLower();
}

// The first of `names` on PATH, with its name.
std::pair<QString, QString> firstOnPath(const QStringList& names)
{
    for (const QString& n : names) {
        const QString path = QStandardPaths::findExecutable(n);
        if (!path.isEmpty())
            return {n, path};
    }
    return {};
}

// The rest of a line as the one file name that notepad.exe and hh.exe take it for: blanks
// and all, without the quotes around it.
QString wholeRestAsPath(const QString& rest)
{
    QString s = rest.trimmed();
    if (s.size() >= 2 && s.startsWith(u'"') && s.endsWith(u'"'))
        s = s.mid(1, s.size() - 2);
    return s;
}

// A script host's arguments with the script itself in Wine's form; host switches ("//B")
// before it stay as they are.
QStringList hostArguments(const QString& rest, QString* reason)
{
    QStringList args = WinCommandLine::splitArguments(rest);
    if (!unicodeOnly(args, reason))
        return {QString()}; // refused below, with the reason given here
    static const QRegularExpression hostSwitch(QStringLiteral("^//[A-Za-z]+(:.*)?$"));
    for (QString& a : args) {
        if (hostSwitch.match(a).hasMatch() && !QFileInfo::exists(a))
            continue;
        if (a.startsWith(u'/'))
            a = wineForm(a);
        break;
    }
    return args;
}

// An argument that names a file or a file about to be written, so that a Windows program
// does not take it for a switch such as "/f".
bool looksLikePath(const QString& a)
{
    if (!a.startsWith(u'/'))
        return false;
    const QFileInfo fi(a);
    if (fi.exists())
        return true;
    const QString parent = fi.absolutePath();
    return parent != QStringLiteral("/") && QFileInfo(parent).isDir();
}

Launch underWine(const QString& name, const QString& program, QStringList args, const Context& c,
                 QString* reason)
{
    if (!unicodeOnly(args, reason))
        return {};
    QString wine = c.wineLoader;
    if (wine.isEmpty())
        wine = QStandardPaths::findExecutable(QStringLiteral("wine64"));
    if (wine.isEmpty())
        wine = QStandardPaths::findExecutable(QStringLiteral("wine"));
    if (wine.isEmpty()) {
        *reason = NotInstalled.arg(name, QStringLiteral("wine"));
        return {};
    }
    args.prepend(program);
    return {wine, args, wineEnvironment(c)};
}

// The script a host's arguments name: the first that is not a host switch.
QString scriptOf(const QStringList& args)
{
    for (const QString& a : args)
        if (!a.startsWith(QStringLiteral("//")))
            return a;
    return {};
}

// WSCRIPT.EXE or CSCRIPT.EXE: Quillet's own host under Wine, or perl for PerlScript.
Launch scriptHost(const QString& name, const QString& rest, bool gui, const Context& c, QString* reason)
{
    const QStringList typed = WinCommandLine::splitArguments(rest);
    if (scriptOf(typed).endsWith(QStringLiteral(".pls"), Qt::CaseInsensitive)) {
        const QString perl = QStandardPaths::findExecutable(QStringLiteral("perl"));
        const QString runner = c.hostFolder + QStringLiteral("/quillet-pls");
        if (perl.isEmpty() || !QFileInfo(runner).isFile()) {
            *reason = NotInstalled.arg(name, perl.isEmpty() ? QStringLiteral("perl") : runner);
            return {};
        }
        QStringList env;
        if (!c.currentLocale.isEmpty())
            env << QStringLiteral("QUILLET_LANG=") + c.currentLocale;
        return {perl,
                QStringList{runner, gui ? QStringLiteral("--gui") : QStringLiteral("--console")} + typed,
                env};
    }
    const QString host =
        c.hostFolder + (gui ? QStringLiteral("/wscript.exe") : QStringLiteral("/cscript.exe"));
    if (!QFileInfo(host).isFile()) {
        *reason = NotInstalled.arg(name, host);
        return {};
    }
    const QStringList args = hostArguments(rest, reason);
    if (!reason->isEmpty())
        return {};
    return underWine(name, host, args, c, reason);
}

struct Terminal {
    QString name;
    QStringList before; // what comes between the terminal and the command it runs
};

// The desktop's own choice of terminal first.
Launch inTerminal(const QString& name, const QStringList& command, const Context& c, QString* reason)
{
    // xterm cells sized by a Latin face, with a Japanese one for the double-width characters.
    const QStringList xterm{QStringLiteral("-T"),  name,
                            QStringLiteral("-fa"), Fonts::LiberationMono,
                            QStringLiteral("-fd"), Fonts::IpaGothic,
                            QStringLiteral("-fs"), QStringLiteral("11"),
                            QStringLiteral("-e")};
    const QList<Terminal> terminals{
        {QStringLiteral("x-terminal-emulator"), {QStringLiteral("-e")}},
        {QStringLiteral("xterm"), xterm},
        {QStringLiteral("gnome-terminal"), {QStringLiteral("--")}},
        {QStringLiteral("konsole"), {QStringLiteral("-e")}},
        {QStringLiteral("xfce4-terminal"), {QStringLiteral("-x")}},
        {QStringLiteral("mate-terminal"), {QStringLiteral("-x")}},
    };
    for (const Terminal& t : terminals) {
        const QString path = QStandardPaths::findExecutable(t.name);
        if (path.isEmpty())
            continue;
        if (c.holdProgram.isEmpty() || !QFileInfo(c.holdProgram).isExecutable()) {
            *reason = NoHold;
            return {};
        }
        QStringList before = t.before;
        if (t.name == QStringLiteral("x-terminal-emulator") &&
            QFileInfo(QFileInfo(path).canonicalFilePath()).fileName().contains(QStringLiteral("xterm")))
            before = xterm;
        return {path, before + QStringList{c.holdProgram} + command, {}};
    }
    *reason = NotInstalled.arg(name, QStringLiteral("x-terminal-emulator"));
    return {};
}

// A bare *.exe that Wine itself provides, such as its own rundll32.exe.
bool inWineSystemFolder(const QString& exe, const Context& c)
{
    for (const QString& sub :
         {QStringLiteral("drive_c/windows/system32"), QStringLiteral("drive_c/windows")}) {
        // Compared by hand: a name filter would take "*" or "?" in the name as a pattern.
        const QStringList all = QDir(c.winePrefix + u'/' + sub).entryList(QDir::Files);
        for (const QString& f : all)
            if (f.compare(exe, Qt::CaseInsensitive) == 0)
                return true;
    }
    return false;
}

} // namespace

QStringList wineEnvironment(const Context& c)
{
    QStringList env;
    // Wine's own diagnostics would only clutter the console host's window.
    if (!c.hasWineDebug)
        env << QStringLiteral("WINEDEBUG=-all");
    // A new Wine prefix would otherwise ask to download .NET and HTML engines first.
    if (!c.hasWineDllOverrides)
        env << QStringLiteral("WINEDLLOVERRIDES=mscoree,mshtml=");
    // Scripts' own file access (FileSystemObject) expects code page 932, which Wine uses only
    // under a Japanese locale; the host still speaks the user's language.
    if (!c.japaneseLocale.isEmpty() && !c.currentLocale.startsWith(QStringLiteral("ja"))) {
        env << QStringLiteral("LC_ALL=") + c.japaneseLocale;
        env << QStringLiteral("QUILLET_LANG=") +
                   (c.currentLocale.isEmpty() ? QStringLiteral("C") : c.currentLocale);
    }
    // Programs that Wine starts in turn use the same loader.
    if (!c.wineLoader.isEmpty())
        env << QStringLiteral("WINELOADER=") + c.wineLoader;
    return env;
}

QString findWineLoader()
{
    const QString own = QStandardPaths::findExecutable(QStringLiteral("wine64"));
    if (!own.isEmpty())
        return own;
    const QString wrapper = QStandardPaths::findExecutable(QStringLiteral("wine"));
    if (wrapper.isEmpty())
        return {};
    QFile f(wrapper);
    if (f.open(QIODevice::ReadOnly)) {
        const QByteArray head = f.read(4096);
        // Debian's wrapper names the loader it would start.
        static const QRegularExpression loader(QStringLiteral("wine64=(/\\S+)"));
        const QRegularExpressionMatch m = loader.match(QString::fromUtf8(head));
        if (head.startsWith("#!") && head.contains("wine32") && m.hasMatch() &&
            QFileInfo(m.captured(1)).isExecutable())
            return m.captured(1);
    }
    return wrapper;
}

Context Context::system(const QString& holdProgram, const QString& hostFolder)
{
    Context c;
    c.holdProgram = holdProgram;
    c.hostFolder = hostFolder;
    c.wineLoader = findWineLoader();
    c.winePrefix = qEnvironmentVariable("WINEPREFIX");
    if (c.winePrefix.isEmpty())
        c.winePrefix = QDir::homePath() + QStringLiteral("/.wine");
    for (const char* name : {"ja_JP.UTF-8", "ja_JP.utf8"}) {
        if (locale_t l = newlocale(LC_ALL_MASK, name, locale_t(nullptr))) {
            freelocale(l);
            c.japaneseLocale = QString::fromLatin1(name);
            break;
        }
    }
    for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        c.currentLocale = qEnvironmentVariable(var);
        if (!c.currentLocale.isEmpty())
            break;
    }
    c.hasWineDebug = qEnvironmentVariableIsSet("WINEDEBUG");
    c.hasWineDllOverrides = qEnvironmentVariableIsSet("WINEDLLOVERRIDES");
    return c;
}

QString wineForm(const QString& path)
{
    QString p = QDir::cleanPath(path);
    p.replace(u'/', u'\\');
    return QStringLiteral("Z:") + p;
}

namespace {

using Resolver = Launch (*)(const QString& name, const QString& rest, const Context& c, QString* reason);

// Any other *.exe: the program itself, under Wine.
Launch windowsProgram(const QString& name, const QString& rest, const Context& c, QString* reason)
{
    QString program;
    if (name.contains(u'/')) {
        const QFileInfo fi(name);
        if (fi.isFile())
            program = fi.absoluteFilePath();
    } else if (!name.contains(u'\\')) {
        program = QStandardPaths::findExecutable(name);
        if (program.isEmpty() && inWineSystemFolder(baseName(name), c))
            program = name;
    }
    if (program.isEmpty()) {
        *reason = NotFound;
        return {};
    }
    QStringList args = WinCommandLine::splitArguments(rest);
    if (!unicodeOnly(args, reason))
        return {};
    for (QString& a : args)
        if (looksLikePath(a))
            a = wineForm(a);
    return underWine(name, program, args, c, reason);
}

Launch guiHost(const QString& name, const QString& rest, const Context& c, QString* reason)
{
    return scriptHost(name, rest, true, c, reason);
}

// In a terminal window that stays open, so that the output can be read.
Launch consoleHost(const QString& name, const QString& rest, const Context& c, QString* reason)
{
    const Launch host = scriptHost(name, rest, false, c, reason);
    if (host.program.isEmpty())
        return {};
    Launch term = inTerminal(name, QStringList{host.program} + host.arguments, c, reason);
    term.environment = host.environment;
    return term;
}

Launch textEditor(const QString& name, const QString& rest, const Context& c, QString* reason)
{
    const auto [editor, path] = firstOnPath(
        {QStringLiteral("gnome-text-editor"), QStringLiteral("gedit"), QStringLiteral("kate"),
         QStringLiteral("kwrite"), QStringLiteral("mousepad"), QStringLiteral("pluma"), QStringLiteral("xed"),
         QStringLiteral("featherpad"), QStringLiteral("leafpad"), QStringLiteral("geany")});
    const QString file = wholeRestAsPath(rest);
    if (path.isEmpty()) {
        // Wine's own notepad, as the last resort; under a Japanese locale it reads code page 932.
        QString wineReason;
        Launch wine = underWine(name, QStringLiteral("notepad.exe"),
                                file.isEmpty() ? QStringList()
                                               : QStringList{file.startsWith(u'/') ? wineForm(file) : file},
                                c, &wineReason);
        if (wine.program.isEmpty())
            *reason = NotInstalled.arg(name, QStringLiteral("gedit, kate, mousepad, wine"));
        return wine;
    }
    return {path, file.isEmpty() ? QStringList() : QStringList{file}, {}};
}

Launch helpViewer(const QString& name, const QString& rest, const Context&, QString* reason)
{
    QString tail = rest.trimmed();
    QString topic;
    static const QRegularExpression mapid(QStringLiteral("^-mapid\\s+(\\d+)\\s+"),
                                          QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = mapid.match(tail); m.hasMatch()) {
        topic = m.captured(1);
        tail = tail.mid(m.capturedLength());
    }
    const QString file = wholeRestAsPath(tail);
    // Quillet's own viewer lays Japanese out; other viewers may break lines only at blanks.
    QString viewer = QStringLiteral("quillet-help");
    QString path = QStandardPaths::findExecutable(viewer);
    if (const QFileInfo beside(QCoreApplication::applicationDirPath() + u'/' + viewer);
        path.isEmpty() && beside.isFile() && beside.isExecutable())
        path = beside.absoluteFilePath();
    if (path.isEmpty()) {
        const auto [other, otherPath] = firstOnPath({QStringLiteral("xchm"), QStringLiteral("kchmviewer")});
        viewer = other;
        path = otherPath;
    }
    if (path.isEmpty()) {
        *reason = NotInstalled.arg(name, QStringLiteral("quillet-help"));
        return {};
    }
    QStringList args;
    if (!topic.isEmpty() && viewer == QStringLiteral("quillet-help"))
        args << QStringLiteral("-mapid") << topic;
    if (!topic.isEmpty() && viewer == QStringLiteral("xchm"))
        args << QStringLiteral("--contextid=") + topic;
    if (!file.isEmpty())
        args << file;
    return {path, args, {}};
}

Launch systemInformation(const QString& name, const QString&, const Context&, QString* reason)
{
    const auto [tool, path] = firstOnPath({QStringLiteral("hardinfo"), QStringLiteral("kinfocenter")});
    if (path.isEmpty()) {
        *reason = NotInstalled.arg(name, QStringLiteral("hardinfo"));
        return {};
    }
    return {path, {}, {}};
}

// "rundll32.exe shdocvw.dll,OpenURL address": the desktop opens the address. Any other use of
// rundll32.exe is Wine's.
Launch internetShortcut(const QString& name, const QString& rest, const Context& c, QString* reason)
{
    static const QRegularExpression openUrl(QStringLiteral("^\\s*shdocvw\\.dll,OpenURL(\\s+|$)"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = openUrl.match(rest);
    if (!m.hasMatch())
        return windowsProgram(name, rest, c, reason);
    const QString target = rest.mid(m.capturedLength()).trimmed();
    if (target.isEmpty()) {
        *reason = NoAddress;
        return {};
    }
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty()) {
        *reason = NotInstalled.arg(name, QStringLiteral("xdg-open"));
        return {};
    }
    static const QRegularExpression mail(QStringLiteral("^[^\\s:/@]+@[^\\s:/@]+$"));
    return {xdgOpen, {mail.match(target).hasMatch() ? QStringLiteral("mailto:") + target : target}, {}};
}

// The Windows programs this system stands in for, by their lower-case file name.
const struct {
    QStringView program;
    Resolver resolve;
} Table[] = {
    {u"wscript.exe", guiHost},            // Quillet's own host under Wine, PerlScript under perl
    {u"cscript.exe", consoleHost},        // the same, in a terminal window
    {u"notepad.exe", textEditor},         // the desktop's text editor
    {u"hh.exe", helpViewer},              // a CHM viewer, Quillet's own first
    {u"msinfo32.exe", systemInformation}, // hardinfo, kinfocenter
    {u"rundll32.exe", internetShortcut},  // xdg-open for "shdocvw.dll,OpenURL"
};

} // namespace

Launch find(const QString& name, const QString& rest, const Context& c, QString* reason)
{
    const QString exe = baseName(name);
    for (const auto& standIn : Table)
        if (exe == standIn.program)
            return standIn.resolve(name, rest, c, reason);
    if (exe.endsWith(QStringLiteral(".exe")))
        return windowsProgram(name, rest, c, reason);
    return {};
}

} // namespace StandIns
