#include "InternalEditorWindow.h"

#include "frmEdit.h"

InternalEditorWindow::InternalEditorWindow(const Services& services, Printing& printing)
    : m_services(services)
    , m_printing(printing)
{
}

InternalEditorWindow::~InternalEditorWindow()
{
    delete m_window;
}

frmEdit* InternalEditorWindow::window() const
{
    return m_window;
}

void InternalEditorWindow::openFile(const QString& path)
{
    // Refilling would throw away what the user typed.
    if (m_window && !m_window->mayRefill())
        return;
    if (!m_window)
        m_window = new frmEdit(m_services, m_printing);
    m_window->showFile(path);
}
