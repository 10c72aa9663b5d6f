// Script browser figures, each beside a floor measured in the same run:
//   a folder of 100,000 entries listed and sorted  vs  a bare readdir of it;
//   a folder of 100,000 subfolders in the folder list, and the main window started in it,
//                                                  vs  a bare readdir of it;
//   a 20 MB code page 932 script's first screen     vs  reading and decoding the file,
//   and the same script opened and saved in the internal editor;
//   the longest blocking step while the rest loads;
//   a 2 MB rich-text file's first screen and longest step vs  parsing it;
//   one arrow-key step through 1,000 files of 10 KB vs  reading and decoding one of them.
#include "DirListBox.h"
#include "FileListBox.h"
#include "Fonts.h"
#include "InternalEditorWindow.h"
#include "PreviewLoader.h"
#include "RtfReader.h"
#include "ScriptBox.h"
#include "ScriptFiles.h"
#include "SystemServices.h"
#include "TextCodec.h"
#include "Workbench.h"
#include "frmEdit.h"
#include "frmMain.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace {

double ms(const QElapsedTimer& t)
{
    return t.nsecsElapsed() / 1e6;
}

template <class F> double medianMs(int runs, F f)
{
    QList<double> v;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        v.append(ms(t));
    }
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

void benchFolder(const QString& root)
{
    const QString dir = root + QStringLiteral("/many");
    QDir().mkpath(dir);
    const char* exts[] = {".vbs", ".js", ".pls", ".txt"};
    for (int i = 0; i < 100000; ++i) {
        QFile f(dir + QStringLiteral("/f%1%2")
                          .arg((i * 7919) % 100000, 6, 10, QLatin1Char('0'))
                          .arg(QLatin1String(exts[i % 4])));
        f.open(QIODevice::WriteOnly);
    }
    const double floor = medianMs(5, [&] {
        DIR* d = opendir(QFile::encodeName(dir).constData());
        int n = 0;
        while (readdir(d))
            ++n;
        closedir(d);
    });
    const double entryList = medianMs(3, [&] {
        (void)QDir(dir).entryList({QStringLiteral("*.vbs"), QStringLiteral("*.js"), QStringLiteral("*.pls")},
                                  QDir::Files, QDir::Name | QDir::IgnoreCase);
    });
    FileListBox list;
    list.resize(169, 210);
    list.show();
    const double shown = medianMs(5, [&] {
        list.setPath(QString());
        list.setPath(dir);
        QCoreApplication::processEvents();
        list.repaint();
    });
    std::printf("folder of 100,000 entries (75,000 scripts)\n"
                "  floor: bare readdir           %8.1f ms\n"
                "  QDir::entryList, 3 patterns   %8.1f ms   (%.2fx floor)\n"
                "  file list shown and sorted    %8.1f ms   (%.2fx floor, %lld names)\n",
                floor, entryList, entryList / floor, shown, shown / floor,
                static_cast<long long>(list.fileNames().size()));
}

void benchSubfolders(const QString& root, int count)
{
    const QString dir = root + QStringLiteral("/folders");
    QDir().mkpath(dir);
    for (int i = 0; i < count; ++i)
        QDir().mkdir(dir + QStringLiteral("/d%1").arg((i * 7919) % count, 6, 10, QLatin1Char('0')));
    const double floor = medianMs(5, [&] {
        DIR* d = opendir(QFile::encodeName(dir).constData());
        int n = 0;
        while (readdir(d))
            ++n;
        closedir(d);
    });
    DirListBox list;
    list.resize(169, 174);
    list.show();
    const double shown = medianMs(3, [&] {
        list.setPath(root);
        list.setPath(dir);
        QCoreApplication::processEvents();
        list.repaint();
    });
    std::printf("folder of %d subfolders\n"
                "  floor: bare readdir           %8.1f ms\n"
                "  folder list shown             %8.1f ms   (%.2fx floor, %d rows)\n",
                count, floor, shown, shown / floor, list.model()->rowCount());

    const QString before = QDir::currentPath();
    QDir::setCurrent(dir);
    QTemporaryDir settingsDir;
    SystemServices system(settingsDir.path());
    InternalEditorWindow editorWindow(system.services(), system.printing);
    Workbench workbench(system.services(), editorWindow);
    QElapsedTimer t;
    t.start();
    {
        frmMain main(workbench);
        main.show();
        QCoreApplication::processEvents();
        main.repaint();
        const double started = ms(t);
        std::printf("  main window started there     %8.1f ms   (%.2fx floor)\n", started, started / floor);
    }
    QDir::setCurrent(before);
}

qint64 rssKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// The internal editor on the same file, as the window takes it: opened until the first
// screen is painted, the memory once the event loop has run, a jump to the end with the
// longest step of the styling that follows, and a save, each beside its floor.
void benchEditor(const QString& root, const QString& path, const QByteArray& bytes, double readDecode)
{
    QString text = TextCodec::decodeFile(bytes).text;
    const QString out = root + QStringLiteral("/floor-out.vbs");
    const double encodeWrite = medianMs(5, [&] {
        QFile f(out);
        f.open(QIODevice::WriteOnly);
        f.write(*TextCodec::encode(text, TextEncoding::Cp932));
        f.flush();
        ::fdatasync(f.handle());
    });
    text.clear();
    text.squeeze();

    const qint64 before = rssKiB();
    SystemServices system(root + QStringLiteral("/cfg"));
    InternalEditorWindow editorWindow(system.services(), system.printing);
    QElapsedTimer t;
    t.start();
    editorWindow.openFile(path);
    frmEdit* editor = editorWindow.window();
    editor->repaint();
    const double opened = ms(t);
    // The rest comes in from the event loop: the longest the window was away meanwhile.
    auto* box = editor->findChild<ScriptBox*>(QStringLiteral("fldEditSrc"));
    double longestLoading = 0;
    QElapsedTimer gap;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, editor, [&] {
        longestLoading = std::max(longestLoading, ms(gap));
        gap.restart();
    });
    gap.start();
    tick.start(1);
    while (box->isLoading())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    tick.stop();
    const double whole = ms(t);
    for (int i = 0; i < 20; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    const double memoryMiB = double(rssKiB() - before) / 1024.0;
    QObject::disconnect(&tick, nullptr, editor, nullptr);

    // Ctrl+End, then the styling that idle time does: the longest the window was away.
    double longest = 0;
    QObject::connect(&tick, &QTimer::timeout, editor, [&] {
        longest = std::max(longest, ms(gap));
        gap.restart();
    });
    gap.start();
    tick.start(1);
    QKeyEvent press(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
    QCoreApplication::sendEvent(box, &press);
    box->repaint();
    const double jump = ms(gap);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 3000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    tick.stop();
    longest = std::max(longest, jump);

    bool saved = false;
    t.restart();
    editor->saveWsh(root + QStringLiteral("/copy.vbs"), saved);
    const double save = ms(t);
    delete editor;
    std::printf("  internal editor: first screen %8.1f ms   (%.2fx read and decode)\n"
                "  internal editor: all in       %8.1f ms   longest step while loading %.1f ms\n"
                "  internal editor: memory       %8.1f MiB  (%.2fx the file's %.1f MB)\n"
                "  internal editor: Ctrl+End     %8.1f ms   longest step while styling %.1f ms\n"
                "  floor: encode and write        %8.1f ms\n"
                "  internal editor: saved        %8.1f ms   (%.2fx encode and write)%s\n",
                opened, opened / readDecode, whole, longestLoading, memoryMiB,
                memoryMiB * 1024 * 1024 / double(bytes.size()), double(bytes.size()) / 1e6, jump, longest,
                encodeWrite, save, save / encodeWrite, saved ? "" : "  SAVE FAILED");
}

void benchBigFile(const QString& root)
{
    const QString path = root + QStringLiteral("/big.vbs");
    QByteArray line =
        "' \x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD \xB6\xC0\xB6\xC5 WScript.Echo \"abcdefghijklmnop\"\r\n";
    QByteArray big;
    big.reserve(21 * 1024 * 1024);
    for (int i = 0; big.size() < 20 * 1000 * 1000; ++i)
        big += QByteArray::number(i) + line;
    writeFile(path, big);
    const int lines = int(big.count('\n'));

    const double readDecode = medianMs(5, [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        (void)TextCodec::decodeFile(f.readAll());
    });

    QPlainTextEdit view;
    view.resize(449, 321);
    PreviewLoader::setUpView(&view);
    view.show();
    PreviewLoader loader(&view);
    QElapsedTimer t;
    t.start();
    loader.load(path);
    view.repaint();
    const double firstScreen = ms(t);

    // The longest time the event loop was away while the rest loaded.
    double longest = 0;
    QElapsedTimer gap;
    gap.start();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &view, [&] {
        longest = std::max(longest, ms(gap));
        gap.restart();
    });
    tick.start(1);
    while (loader.isLoading())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    const double total = ms(t);
    std::printf("20 MB code page 932 script (%d lines)\n"
                "  floor: read and decode        %8.1f ms\n"
                "  first screen shown            %8.1f ms   (%.2fx floor)\n"
                "  whole file loaded             %8.1f ms   longest blocking step %.1f ms (%d blocks)\n",
                lines, readDecode, firstScreen, firstScreen / readDecode, total, longest,
                view.document()->blockCount());

    benchEditor(root, path, big, readDecode);
}

// A file of nothing but NUL bytes named like a script: the preview reads what it may and
// never blocks long, beside reading and decoding the same bytes.
void benchNulFile(const QString& root, qint64 size)
{
    const QString path = root + QStringLiteral("/zeros.vbs");
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.resize(size);
    }
    const double readDecode = medianMs(3, [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        (void)TextCodec::decodeFile(f.read(ScriptFiles::MaxBytes));
    });
    QPlainTextEdit view;
    view.resize(449, 321);
    PreviewLoader::setUpView(&view);
    view.show();
    PreviewLoader loader(&view);
    QElapsedTimer t;
    t.start();
    loader.load(path);
    view.repaint();
    const double firstScreen = ms(t);
    double longest = 0;
    QElapsedTimer gap;
    gap.start();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &view, [&] {
        longest = std::max(longest, ms(gap));
        gap.restart();
    });
    tick.start(1);
    while (loader.isLoading())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    std::printf("%lld MB of NUL bytes\n"
                "  floor: read and decode        %8.1f ms\n"
                "  first screen shown            %8.1f ms   (%.2fx floor)\n"
                "  whole preview loaded          %8.1f ms   longest blocking step %.1f ms\n",
                static_cast<long long>(size / 1000000), readDecode, firstScreen, firstScreen / readDecode,
                ms(t), longest);
}

// The preview of one rich-text file, timed as the big script is.
void benchRtfFile(const QString& path, const char* what)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    const QByteArray bytes = f.readAll();
    qsizetype runs = 0;
    const double parse = medianMs(5, [&] {
        const std::optional<RtfDocument> doc = RtfReader::read(bytes);
        runs = 0;
        for (const RtfParagraph& p : doc->paragraphs)
            runs += p.runs.size();
    });

    QPlainTextEdit view;
    view.resize(449, 321);
    PreviewLoader::setUpView(&view);
    view.show();
    PreviewLoader loader(&view);
    QElapsedTimer t;
    t.start();
    loader.load(path);
    view.repaint();
    const double firstScreen = ms(t);
    // The longest time the event loop was away while the rest loaded.
    double longest = 0;
    QElapsedTimer gap;
    gap.start();
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &view, [&] {
        longest = std::max(longest, ms(gap));
        gap.restart();
    });
    tick.start(1);
    while (loader.isLoading())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    const double total = ms(t);
    std::printf("%s, %lld KB, %lld runs\n"
                "  floor: parse                  %8.1f ms\n"
                "  first screen shown            %8.1f ms   (%.2fx floor)\n"
                "  whole file loaded             %8.1f ms   longest blocking step %.1f ms (%d blocks)\n",
                what, static_cast<long long>(bytes.size() / 1024), static_cast<long long>(runs), parse,
                firstScreen, firstScreen / parse, total, longest, view.document()->blockCount());
}

void benchRtf(const QString& root, qsizetype size)
{
    const QByteArray head =
        "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fmodern\\fcharset128 IPAGothic;}}"
        "{\\colortbl;\\red192\\green0\\blue0;}\n";
    // Every run alone in its group, all in one paragraph: the worst case for a viewer that
    // lays out the paragraph again for each run.
    QByteArray runs = head;
    while (runs.size() < size)
        runs += "{\\b a}{\\i b}";
    runs += "}";
    writeFile(root + QStringLiteral("/runs.rtf"), runs);
    // A document: short paragraphs of Japanese and ASCII text with a few formatted words.
    QByteArray prose = head;
    for (int i = 0; prose.size() < size; ++i)
        prose += "\\pard " + QByteArray::number(i) +
                 " \\'83\\'58\\'83\\'4e\\'83\\'8a\\'83\\'76\\'83\\'67 {\\b WScript.Echo} "
                 "{\\i\\cf1 \\'90\\'e0\\'96\\'be} plain text that fills the line\\par\n";
    prose += "}";
    writeFile(root + QStringLiteral("/prose.rtf"), prose);
    benchRtfFile(root + QStringLiteral("/runs.rtf"), "rich text, one paragraph of one-letter runs");
    benchRtfFile(root + QStringLiteral("/prose.rtf"), "rich text, paragraphs of prose");
}

void benchWalk(const QString& root)
{
    const QString dir = root + QStringLiteral("/walk");
    QDir().mkpath(dir);
    QByteArray body;
    while (body.size() < 10 * 1024)
        body += "WScript.Echo \"\x82\xB1\x82\xF1\x82\xC9\x82\xBF\x82\xCD\" ' 10 KB of script\r\n";
    for (int i = 0; i < 1000; ++i)
        writeFile(dir + QStringLiteral("/s%1.vbs").arg(i, 4, 10, QLatin1Char('0')), body);

    // The floor shows the same file in a preview set up as the window's, and paints it.
    QPlainTextEdit floorView;
    PreviewLoader::setUpView(&floorView);
    floorView.show();
    const double floor = medianMs(101, [&] {
        QFile f(dir + QStringLiteral("/s0500.vbs"));
        f.open(QIODevice::ReadOnly);
        floorView.setPlainText(TextCodec::toLf(TextCodec::decodeFile(f.readAll()).text));
        floorView.repaint();
    });
    floorView.hide();

    const QString before = QDir::currentPath();
    QDir::setCurrent(dir);
    QTemporaryDir settingsDir;
    SystemServices system(settingsDir.path());
    InternalEditorWindow editorWindow(system.services(), system.printing);
    Workbench workbench(system.services(), editorWindow);
    frmMain main(workbench);
    main.show();
    QCoreApplication::processEvents();
    QWidget* list = main.findChild<QWidget*>(QStringLiteral("fldFileList"));
    list->setFocus();
    QList<double> steps;
    for (int i = 0; i < 999; ++i) {
        QElapsedTimer t;
        t.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QCoreApplication::sendEvent(list, &press);
        // What the key posted (status bar, selection, the preview's pieces) counts too.
        QCoreApplication::processEvents();
        main.findChild<QWidget*>(QStringLiteral("fldViewSrc"))->repaint();
        steps.append(ms(t));
    }
    QDir::setCurrent(before);
    std::sort(steps.begin(), steps.end());
    std::printf("walking 1,000 files of 10 KB with the arrow key (now at %s)\n"
                "  floor: read, decode, show one %8.3f ms\n"
                "  one step, preview shown       %8.3f ms median, %.3f ms 90th percentile (%.1fx floor)\n",
                qPrintable(QFileInfo(workbench.selectedFile()).fileName()), floor, steps[steps.size() / 2],
                steps[steps.size() * 9 / 10], steps[steps.size() / 2] / floor);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installInterfaceFonts();
    QTemporaryDir root;
    std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));
    // One part alone when named: files, folders, big, rtf, walk, nul.
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const auto wanted = [&](const char* part) { return only.isEmpty() || only == QLatin1String(part); };
    if (wanted("files"))
        benchFolder(root.path());
    if (wanted("folders"))
        benchSubfolders(root.path(), argc > 2 ? std::max(1, atoi(argv[2])) : 100000);
    if (wanted("big"))
        benchBigFile(root.path());
    if (wanted("rtf"))
        benchRtf(root.path(), argc > 2 ? std::max(1, atoi(argv[2])) : 2 * 1024 * 1024);
    if (wanted("walk"))
        benchWalk(root.path());
    if (wanted("nul"))
        benchNulFile(root.path(), argc > 2 ? std::max(1, atoi(argv[2])) * 1000000LL : 100000000LL);
    return 0;
}
