#include "QtPrinting.h"

#include <QPrintDialog>
#include <QPrinter>

bool QtPrinting::choosePrinter(QPrinter& printer, bool hasSelection, QWidget* parent)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("印刷"));
    dialog.setAccessibleName(dialog.windowTitle());
    dialog.setOption(QAbstractPrintDialog::PrintSelection, hasSelection);
    if (hasSelection)
        printer.setPrintRange(QPrinter::Selection);
    return dialog.exec() == QDialog::Accepted;
}
