#pragma once

#include "Printing.h"

// The platform's print dialog, which also offers printing to a PDF file.
class QtPrinting final : public Printing {
public:
    bool choosePrinter(QPrinter& printer, bool hasSelection, QWidget* parent) override;
};
