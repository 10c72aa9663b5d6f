#include "QtDialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

class tst_QtDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void messageBoxLooks_data();
    void messageBoxLooks();
    void messageBoxAnswers_data();
    void messageBoxAnswers();
    void inputBox_data();
    void inputBox();
    void openDialogShowsTheFileItStartsOn_data();
    void openDialogShowsTheFileItStartsOn();
};

namespace {

// Acts on the modal dialog once it is up.
void whenModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, qApp, [act] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) {
            whenModal(act);
            return;
        }
        act(w);
    });
}

QStringList buttonTexts(QMessageBox* box)
{
    QStringList texts;
    const auto buttons = box->findChild<QDialogButtonBox*>()->buttons();
    for (QAbstractButton* b : buttons)
        texts.append(b->text());
    texts.sort();
    return texts;
}

QPushButton* buttonWithText(QWidget* w, const QString& text)
{
    for (QPushButton* b : w->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

} // namespace

void tst_QtDialogs::messageBoxLooks_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<int>("icon");
    QTest::addColumn<QString>("shownTitle");
    const QString ok = QStringLiteral("OK"), cancel = QStringLiteral("キャンセル"),
                  yes = QStringLiteral("はい"), no = QStringLiteral("いいえ");
    QTest::newRow("0") << 0 << QString() << QStringList{ok} << int(QMessageBox::NoIcon) << "Quillet";
    QTest::newRow("3") << 3 << "t" << QStringList{no, yes, cancel} << int(QMessageBox::NoIcon) << "t";
    QTest::newRow("4") << 4 << QString() << QStringList{no, yes} << int(QMessageBox::NoIcon) << "Quillet";
    QTest::newRow("16") << 16 << QString() << QStringList{ok} << int(QMessageBox::Critical) << "Quillet";
    QTest::newRow("48") << 48 << "警告" << QStringList{ok} << int(QMessageBox::Warning) << "警告";
    QTest::newRow("51") << 51 << QString() << QStringList{no, yes, cancel} << int(QMessageBox::Warning)
                        << "Quillet";
    QTest::newRow("64") << 64 << QString() << QStringList{ok} << int(QMessageBox::Information) << "Quillet";
}

void tst_QtDialogs::messageBoxLooks()
{
    QFETCH(int, flags);
    QFETCH(QString, title);
    QFETCH(QStringList, buttons);
    QFETCH(int, icon);
    QFETCH(QString, shownTitle);
    std::unique_ptr<QMessageBox> box(
        QtDialogs::buildMessageBox(QStringLiteral("一行目\r\n二行目"), flags, title));
    QStringList expected = buttons;
    expected.sort();
    QCOMPARE(buttonTexts(box.get()), expected);
    QCOMPARE(int(box->icon()), icon);
    QCOMPARE(box->windowTitle(), shownTitle);
    QCOMPARE(box->text(), QStringLiteral("一行目\n二行目"));
}

void tst_QtDialogs::messageBoxAnswers_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<QString>("press"); // a button's text, or "Escape"
    QTest::addColumn<int>("result");
    QTest::newRow("ok") << 16 << "OK" << 1;
    QTest::newRow("yes") << 3 << "はい" << 6;
    QTest::newRow("no") << 51 << "いいえ" << 7;
    QTest::newRow("cancel") << 3 << "キャンセル" << 2;
    QTest::newRow("escape on yes/no/cancel") << 3 << "Escape" << 2;
    QTest::newRow("escape on yes/no") << 4 << "Escape" << 7;
}

void tst_QtDialogs::messageBoxAnswers()
{
    QFETCH(int, flags);
    QFETCH(QString, press);
    QFETCH(int, result);
    whenModal([press](QWidget* w) {
        if (press == QLatin1String("Escape"))
            QTest::keyClick(w, Qt::Key_Escape);
        else if (QPushButton* b = buttonWithText(w, press))
            b->click();
    });
    QtDialogs dialogs;
    QCOMPARE(dialogs.MsgBox(QStringLiteral("text"), flags, QString()), result);
}

void tst_QtDialogs::inputBox_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("result");
    QTest::newRow("default kept") << QString() << true << QStringLiteral("No CommLine");
    QTest::newRow("typed") << QStringLiteral("a \"b c\"") << true << QStringLiteral("a \"b c\"");
    QTest::newRow("emptied") << QStringLiteral("<empty>") << true << QString();
    QTest::newRow("cancel") << QStringLiteral("x") << false << QString();
}

void tst_QtDialogs::inputBox()
{
    QFETCH(QString, typed);
    QFETCH(bool, accept);
    QFETCH(QString, result);
    QString seenTitle, seenOk, seenCancel;
    whenModal([&](QWidget* w) {
        seenTitle = w->windowTitle();
        auto* edit = w->findChild<QLineEdit*>();
        if (typed == QLatin1String("<empty>"))
            edit->clear();
        else if (!typed.isEmpty())
            edit->setText(typed);
        seenOk = buttonWithText(w, QStringLiteral("OK")) ? QStringLiteral("OK") : QString();
        seenCancel =
            buttonWithText(w, QStringLiteral("キャンセル")) ? QStringLiteral("キャンセル") : QString();
        buttonWithText(w, accept ? QStringLiteral("OK") : QStringLiteral("キャンセル"))->click();
    });
    QtDialogs dialogs;
    QCOMPARE(dialogs.InputBox(QStringLiteral("引数\r\nを入力"), QString(), QStringLiteral("No CommLine")),
             result);
    QCOMPARE(seenTitle, QStringLiteral("Quillet"));
    QCOMPARE(seenOk, QStringLiteral("OK"));
    QCOMPARE(seenCancel, QStringLiteral("キャンセル"));
}

// A start file that the first filter would hide is shown by the filter that shows it, chosen.
void tst_QtDialogs::openDialogShowsTheFileItStartsOn_data()
{
    QTest::addColumn<QString>("file"); // in a temporary folder; empty: start on the folder
    QTest::addColumn<QString>("filter");
    QTest::newRow("a program without .EXE") << "quillet-encode"
                                            << "すべてのファイル (*)";
    QTest::newRow("a program with .exe, in any case") << "screnc.exe"
                                                      << "ｴﾃﾞｨﾀ(*.EXE)";
    QTest::newRow("a folder") << ""
                              << "ｴﾃﾞｨﾀ(*.EXE)";
}

void tst_QtDialogs::openDialogShowsTheFileItStartsOn()
{
    QFETCH(QString, file);
    QFETCH(QString, filter);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString start = file.isEmpty() ? dir.path() : dir.filePath(file);
    if (!file.isEmpty()) {
        QFile f(start);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QString seenFilter, seenFolder;
    whenModal([&](QWidget* w) {
        auto* d = qobject_cast<QFileDialog*>(w);
        if (!d)
            return;
        seenFilter = d->selectedNameFilter();
        seenFolder = d->directory().absolutePath();
        d->reject();
    });
    QtDialogs dialogs;
    QCOMPARE(dialogs.GetOpenFileName(QStringLiteral("ｴﾃﾞｨﾀの設定"),
                                     QStringLiteral("ｴﾃﾞｨﾀ(*.EXE);;すべてのファイル (*)"), start),
             QString());
    QCOMPARE(seenFilter, filter);
    QCOMPARE(seenFolder, QDir(dir.path()).absolutePath());
}

QTEST_MAIN(tst_QtDialogs)
#include "tst_QtDialogs.moc"
