#include "QtDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class tst_QtDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void boxes_data();
    void boxes();
    void openDialogShowsTheFileItStartsOn_data();
    void openDialogShowsTheFileItStartsOn();
};

namespace {

// Acts on the modal dialog once it is up.
void whenModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, qApp, [act] {
        if (QWidget* w = QApplication::activeModalWidget())
            act(w);
        else
            whenModal(act);
    });
}

// The dialog's button texts, sorted; clicks the one that reads `press`, or Escape for "Escape".
QStringList buttonsThenPress(QWidget* w, const QString& press)
{
    QStringList texts;
    const auto buttons = w->findChild<QDialogButtonBox*>()->buttons();
    for (QAbstractButton* b : buttons)
        texts.append(b->text());
    if (press == QLatin1String("Escape"))
        QTest::keyClick(w, Qt::Key_Escape);
    else
        buttons.value(texts.indexOf(press))->click();
    texts.sort();
    return texts;
}

} // namespace

void tst_QtDialogs::boxes_data()
{
    QTest::addColumn<int>("flags"); // -1: the input box
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("typed"); // null: left as it is
    QTest::addColumn<QString>("press"); // a button's text, or "Escape"
    QTest::addColumn<QString>("shown"); // title [icon]: buttons, sorted
    QTest::addColumn<QString>("result");
    auto row = [](int flags, const char* title, const char* typed, const char* press, const char* shown,
                  const char* result) {
        QTest::addRow("%d %s %s", flags, press, result)
            << flags << QString::fromUtf8(title) << QString::fromUtf8(typed) << QString::fromUtf8(press)
            << QString::fromUtf8(shown) << QString::fromUtf8(result);
    };
    row(3, "t", nullptr, "はい", "t [NoIcon]: いいえ|はい|キャンセル", "6");
    row(3, "", nullptr, "Escape", "Quillet [NoIcon]: いいえ|はい|キャンセル", "2");
    row(4, "", nullptr, "Escape", "Quillet [NoIcon]: いいえ|はい", "7");
    row(16, "", nullptr, "OK", "Quillet [Critical]: OK", "1");
    row(48, "警告", nullptr, "Escape", "警告 [Warning]: OK", "1");
    row(51, "", nullptr, "いいえ", "Quillet [Warning]: いいえ|はい|キャンセル", "7");
    row(64, "", nullptr, "OK", "Quillet [Information]: OK", "1");
    const char* input = "Quillet: OK|キャンセル";
    row(-1, "", nullptr, "OK", input, "No CommLine");
    row(-1, "", "a \"b c\"", "OK", input, "a \"b c\"");
    row(-1, "", "", "OK", input, "");
    row(-1, "", "x", "キャンセル", input, "");
}

void tst_QtDialogs::boxes()
{
    QFETCH(int, flags);
    QFETCH(QString, title);
    QFETCH(QString, typed);
    QFETCH(QString, press);
    QString shown, text;
    whenModal([&](QWidget* w) {
        shown = w->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            shown +=
                QStringLiteral(" [%1]").arg(QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon()));
            text = box->text();
        } else if (auto* input = qobject_cast<QInputDialog*>(w)) {
            text = input->labelText();
            if (!typed.isNull())
                input->setTextValue(typed);
        }
        shown += QStringLiteral(": ") + buttonsThenPress(w, press).join(u'|');
    });
    QtDialogs dialogs;
    QTEST(flags < 0 ? dialogs.InputBox(QStringLiteral("引数\r\nを入力"), title, QStringLiteral("No CommLine"))
                    : QString::number(dialogs.MsgBox(QStringLiteral("一行目\r\n二行目"), flags, title)),
          "result");
    QTEST(shown, "shown");
    QCOMPARE(text, flags < 0 ? QStringLiteral("引数\nを入力") : QStringLiteral("一行目\n二行目"));
}

// A start file that the first filter would hide is shown by the filter that shows it, chosen.
void tst_QtDialogs::openDialogShowsTheFileItStartsOn_data()
{
    QTest::addColumn<QString>("file"); // in a temporary folder; empty: start on the folder
    QTest::addColumn<QString>("filter");
    const QString exe = QStringLiteral("ｴﾃﾞｨﾀ(*.EXE)");
    QTest::newRow("a program without .EXE")
        << QStringLiteral("quillet-encode") << QStringLiteral("すべてのファイル (*)");
    QTest::newRow("a program with .exe, in any case") << QStringLiteral("screnc.exe") << exe;
    QTest::newRow("a folder") << QString() << exe;
}

void tst_QtDialogs::openDialogShowsTheFileItStartsOn()
{
    QFETCH(QString, file);
    const QTemporaryDir dir;
    const QString start = file.isEmpty() ? dir.path() : dir.filePath(file);
    if (!file.isEmpty())
        QVERIFY(QFile(start).open(QIODevice::WriteOnly));
    QString seen;
    whenModal([&](QWidget* w) {
        auto* d = qobject_cast<QFileDialog*>(w);
        seen = d->selectedNameFilter() + u' ' + d->directory().absolutePath();
        d->reject();
    });
    QtDialogs dialogs;
    QCOMPARE(dialogs.GetOpenFileName(QStringLiteral("ｴﾃﾞｨﾀの設定"),
                                     QStringLiteral("ｴﾃﾞｨﾀ(*.EXE);;すべてのファイル (*)"), start),
             QString());
    QFETCH(QString, filter);
    QCOMPARE(seen, filter + u' ' + QDir(dir.path()).absolutePath());
}

QTEST_MAIN(tst_QtDialogs)
#include "tst_QtDialogs.moc"
