#pragma once

#include "Fakes.h"
#include "InternalEditorWindow.h"
#include "Printing.h"
#include "Workbench.h"
#include "frmMain.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QPrinter>
#include <QTest>

// The control `name` inside `window`.
template <class W = QWidget> W* child(const QObject* window, const QString& name)
{
    W* w = window->findChild<W*>(name);
    if (!w)
        qWarning("no %s", qPrintable(name));
    return w;
}

// What a user does in a window, a string a step: "click:btnRun" clicks a button with the
// mouse, "menu:mnuFileRun" chooses a menu entry, "key:selVBS:Right" presses an arrow key on
// a control, "toggle:" and "press:" are a screen reader's actions on a button, "set:" a UI
// automation tool selecting one.
inline void perform(const QWidget* window, const QStringList& steps)
{
    for (const QString& step : steps) {
        const QStringList p = step.split(u':');
        const QString& what = p[0];
        if (what == QStringLiteral("click")) {
            QTest::mouseClick(child<QAbstractButton>(window, p[1]), Qt::LeftButton);
        } else if (what == QStringLiteral("menu")) {
            child<QAction>(window, p[1])->trigger();
        } else if (what == QStringLiteral("key")) {
            QWidget* w = child(window, p[1]);
            w->setFocus();
            QTest::keyClick(w, p[2] == QStringLiteral("Right") ? Qt::Key_Right : Qt::Key_Left);
        } else if (what == QStringLiteral("set")) {
            child<QAbstractButton>(window, p[1])->setChecked(true);
        } else {
            auto* b = child<QAbstractButton>(window, p[1]);
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(b);
            QVERIFY2(a && a->actionInterface(), qPrintable(step));
            a->actionInterface()->doAction(what == QStringLiteral("toggle")
                                               ? QAccessibleActionInterface::toggleAction()
                                               : QAccessibleActionInterface::pressAction());
            QTRY_VERIFY(!b->isDown()); // a press is an animated click
        }
    }
}

// Answers the print dialog from a script: prints to a PDF file of the test's, or cancels.
class FakePrinting final : public Printing {
public:
    QString pdfPath; // empty: the user cancels
    bool printSelection = false;
    QList<bool> offeredSelection; // one entry per dialog shown

    bool choosePrinter(QPrinter& printer, bool hasSelection, QWidget*) override
    {
        offeredSelection.append(hasSelection);
        if (pdfPath.isEmpty())
            return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
        if (printSelection && hasSelection)
            printer.setPrintRange(QPrinter::Selection);
        return true;
    }
};

// The workbench with the real editor window over `services`, wired as main() wires the real
// ones, and the main window on it when a test asks for one; the windows go with it.
struct TestBench {
    explicit TestBench(const Services& services)
        : editor(services, printing)
        , workbench(services, editor)
    {
    }
    explicit TestBench(FakeServices& fakes)
        : TestBench(fakes.services())
    {
    }
    ~TestBench() { delete main.data(); }
    TestBench(const TestBench&) = delete;
    TestBench& operator=(const TestBench&) = delete;

    // A main window, shown and active as after start, in place of the one before.
    frmMain* showMain()
    {
        delete main.data();
        main = new frmMain(workbench);
        main->show();
        QApplication::setActiveWindow(main);
        if (!QTest::qWaitForWindowActive(main))
            qWarning("the main window is not active");
        return main;
    }

    FakePrinting printing;
    InternalEditorWindow editor;
    Workbench workbench;
    QPointer<frmMain> main;
};
