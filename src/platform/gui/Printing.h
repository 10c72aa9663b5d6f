#pragma once

class QPrinter;
class QWidget;

// The print dialog: where a document goes, a printer or a PDF file.
class Printing {
public:
    virtual ~Printing() = default;
    // Sets up `printer` as the user chooses; false when the user cancels. With
    // `hasSelection` the user may print just the selection.
    virtual bool choosePrinter(QPrinter& printer, bool hasSelection, QWidget* parent) = 0;
};
