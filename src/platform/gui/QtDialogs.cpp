#include "QtDialogs.h"

#include "mdlUtils.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

const QString OkText = QStringLiteral("OK");
const QString CancelText = QStringLiteral("キャンセル");
const QString YesText = QStringLiteral("はい");
const QString NoText = QStringLiteral("いいえ");

QString titleOrApp(const QString& title)
{
    return title.isEmpty() ? mdlUtils::AppName : title;
}

// Message texts carry CR LF line breaks.
QString displayText(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return t;
}

// The patterns of one filter entry, "name (*.a *.b)" or a bare "*.a".
QStringList patternsOf(const QString& entry)
{
    const qsizetype open = entry.lastIndexOf(u'('), close = entry.lastIndexOf(u')');
    const QString list = open >= 0 && close > open ? entry.mid(open + 1, close - open - 1) : entry;
    return list.split(u' ', Qt::SkipEmptyParts);
}

} // namespace

QMessageBox* QtDialogs::buildMessageBox(const QString& text, int flags, const QString& title)
{
    auto* box = new QMessageBox(QApplication::activeWindow());
    box->setWindowTitle(titleOrApp(title));
    box->setText(displayText(text));
    box->setTextFormat(Qt::PlainText);
    box->setAccessibleName(box->windowTitle());

    switch (flags & 0x70) {
    case MsgFlags::Critical:
        box->setIcon(QMessageBox::Critical);
        break;
    case 32:
        box->setIcon(QMessageBox::Question);
        break;
    case MsgFlags::Exclamation:
        box->setIcon(QMessageBox::Warning);
        break;
    case MsgFlags::Information:
        box->setIcon(QMessageBox::Information);
        break;
    default:
        box->setIcon(QMessageBox::NoIcon);
        break;
    }

    auto add = [box](const QString& caption, QMessageBox::ButtonRole role, int result) {
        QPushButton* b = box->addButton(caption, role);
        b->setProperty("msgResult", result);
        b->setAccessibleName(caption);
        return b;
    };
    switch (flags & 0x0f) {
    case 1: {
        QPushButton* ok = add(OkText, QMessageBox::AcceptRole, MsgResult::Ok);
        box->setDefaultButton(ok);
        box->setEscapeButton(add(CancelText, QMessageBox::RejectRole, MsgResult::Cancel));
        break;
    }
    case MsgFlags::YesNoCancel:
        box->setDefaultButton(add(YesText, QMessageBox::YesRole, MsgResult::Yes));
        add(NoText, QMessageBox::NoRole, MsgResult::No);
        box->setEscapeButton(add(CancelText, QMessageBox::RejectRole, MsgResult::Cancel));
        break;
    case MsgFlags::YesNo:
        box->setDefaultButton(add(YesText, QMessageBox::YesRole, MsgResult::Yes));
        box->setEscapeButton(add(NoText, QMessageBox::NoRole, MsgResult::No));
        break;
    default: {
        QPushButton* ok = add(OkText, QMessageBox::AcceptRole, MsgResult::Ok);
        box->setDefaultButton(ok);
        box->setEscapeButton(ok);
        break;
    }
    }
    if (flags & MsgFlags::DefaultButton2) {
        const QList<QAbstractButton*> buttons = box->buttons();
        for (QAbstractButton* b : buttons)
            if (b->property("msgResult").toInt() == MsgResult::No)
                box->setDefaultButton(qobject_cast<QPushButton*>(b));
    }
    return box;
}

int QtDialogs::MsgBox(const QString& text, int flags, const QString& title)
{
    QMessageBox* box = buildMessageBox(text, flags, title);
    box->exec();
    QAbstractButton* clicked = box->clickedButton();
    // Closed by the window manager without a button: the escape answer.
    if (!clicked)
        clicked = box->escapeButton();
    const int result = clicked ? clicked->property("msgResult").toInt() : MsgResult::Cancel;
    delete box;
    return result;
}

QString QtDialogs::InputBox(const QString& prompt, const QString& title, const QString& def)
{
    QInputDialog dlg(QApplication::activeWindow());
    dlg.setWindowTitle(titleOrApp(title));
    dlg.setLabelText(displayText(prompt));
    dlg.setTextValue(def);
    dlg.setOkButtonText(OkText);
    dlg.setCancelButtonText(CancelText);
    dlg.setAccessibleName(dlg.windowTitle());
    // Room for a path in the field, as the Windows box has.
    dlg.setMinimumWidth(400);
    if (dlg.exec() != QDialog::Accepted)
        return {};
    return dlg.textValue();
}

QString QtDialogs::GetOpenFileName(const QString& title, const QString& filter, const QString& initialPath)
{
    // A file to start on must not be hidden by the first filter: the first one that shows it.
    QString selected;
    const QFileInfo start(initialPath);
    if (start.isFile()) {
        for (const QString& f : filter.split(QStringLiteral(";;"))) {
            if (QDir::match(patternsOf(f), start.fileName())) {
                selected = f;
                break;
            }
        }
    }
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), titleOrApp(title), initialPath, filter,
                                        &selected);
}
