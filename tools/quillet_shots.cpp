// Shows one window as a user would meet it, at a given desktop font size and palette, and
// saves a picture of the whole screen (window manager frames included); for looking at what
// only the eye can judge. Not a test: scripts/screenshots runs it under Xvfb.
//   quillet_shots WINDOW POINTS light|dark OUT.png
// WINDOW: main, options, about, splash, editor, menu, drives, help, help-TOPIC.
#include "Fonts.h"
#include "HelpViewer.h"
#include "Palettes.h"
#include "TestBench.h"
#include "frmAbout.h"
#include "frmEdit.h"
#include "frmOption.h"
#include "frmSplash.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QScreen>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

namespace {

const char Script[] = "' 日本語のコメント: このスクリプトはメッセージを表示します\r\n"
                      "Option Explicit\r\n"
                      "Dim message\r\n"
                      "message = \"こんにちは、Quillet\"\r\n"
                      "WScript.Echo message\r\n";

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    const QStringList args = app.arguments();
    if (args.size() != 5)
        return 2;
    const QString window = args[1], out = args[4];
    installInterfaceFonts();
    QFont f = QApplication::font();
    f.setPointSizeF(args[2].toDouble());
    QApplication::setFont(f);
    if (args[3] == QLatin1String("dark")) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(darkPalette());
    }

    QTemporaryDir dir;
    QFile script(dir.filePath(QStringLiteral("挨拶.vbs")));
    if (script.open(QIODevice::WriteOnly))
        script.write(Script);
    script.close();
    QDir::setCurrent(dir.path());

    FakeServices fakes;
    TestBench bench(fakes);
    QWidget* shown = nullptr;
    frmMain* main = nullptr;
    if (window == QLatin1String("main") || window == QLatin1String("menu") ||
        window == QLatin1String("drives")) {
        main = new frmMain(bench.workbench);
        main->show();
        main->selectScript(QStringLiteral("挨拶.vbs"));
        shown = main;
    } else if (window == QLatin1String("options")) {
        shown = new frmOption(fakes.services());
        shown->show();
    } else if (window == QLatin1String("about")) {
        shown = new frmAbout(fakes.services());
        shown->show();
    } else if (window == QLatin1String("splash")) {
        shown = new frmSplash([]() -> QWidget* { return nullptr; });
        shown->show();
        if (auto* timer = shown->findChild<QTimer*>(QStringLiteral("Timer1")))
            timer->stop();
    } else if (window.startsWith(QLatin1String("help"))) {
        // "help" at the first page, "help-230" at the topic with that number.
        auto* viewer = new HelpViewer;
        viewer->openFile(QStringLiteral(QUILLET_BINARY_DIR "/share/quillet/quillet.chm"),
                         window.section(u'-', 1).toUInt());
        viewer->show();
        shown = viewer;
    } else if (window == QLatin1String("editor")) {
        bench.editor.openFile(script.fileName());
        shown = bench.editor.window();
    } else {
        return 2;
    }
    QTimer::singleShot(800, [&] {
        if (window == QLatin1String("menu")) {
            main->findChild<QWidget*>(QStringLiteral("btnRun"))->setFocus(Qt::TabFocusReason);
            main->menuBar()->setActiveAction(
                main->findChild<QMenu*>(QStringLiteral("mnuTool"))->menuAction());
        } else if (window == QLatin1String("drives")) {
            main->findChild<QComboBox*>(QStringLiteral("fldDrive"))->showPopup();
        }
    });
    // Once the window manager has framed and shown the windows: a second after they are
    // exposed, for the popups to settle.
    int tries = 0;
    QTimer poll;
    poll.setInterval(500);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QRect area;
        bool exposed = true;
        for (const QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible())
                continue;
            area |= w->frameGeometry();
            exposed = exposed && w->windowHandle() && w->windowHandle()->isExposed();
        }
        ++tries;
        if ((area.isEmpty() || !exposed || tries < 4) && tries < 20)
            return;
        poll.stop();
        QScreen* screen = QGuiApplication::primaryScreen();
        area = area.adjusted(-8, -8, 8, 8) & screen->geometry();
        const bool saved = !area.isEmpty() &&
                           screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(out);
        QApplication::exit(saved ? 0 : 1);
    });
    poll.start();
    return QApplication::exec();
}
