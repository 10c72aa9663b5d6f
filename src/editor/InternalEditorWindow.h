#pragma once

#include "InternalEditor.h"
#include "Services.h"

#include <QPointer>

class Printing;
class frmEdit;

// The one internal editor window of the program: made on first use, shown again for every
// later file, closed by the user whenever; what is still open goes with this object.
class InternalEditorWindow final : public InternalEditor {
public:
    InternalEditorWindow(const Services& services, Printing& printing);
    ~InternalEditorWindow() override;
    InternalEditorWindow(const InternalEditorWindow&) = delete;
    InternalEditorWindow& operator=(const InternalEditorWindow&) = delete;

    void openFile(const QString& path) override;

    // The window while it is open, else nullptr.
    frmEdit* window() const;

private:
    Services m_services;
    Printing& m_printing;
    QPointer<frmEdit> m_window;
};
