#pragma once

#include "ChmFile.h"

#include <QMainWindow>

class QAction;
class QSplitter;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

// A compiled help file's contents beside its pages. Pages are laid out by Qt's own text
// engine, which breaks Japanese lines between any two characters where the rules allow.
class HelpViewer final : public QMainWindow {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);

    // Shows the file at the page of the context number `topic`, or at its first page for 0
    // or a number it does not know. False, and the reason shown, when it cannot be read.
    bool openFile(const QString& path, quint32 topic = 0);
    // The page shown, as a path inside the file ("/index.html").
    QString page() const;

private:
    void showPage(const QString& path);
    void followLink(const QUrl& url);
    void pageChanged(const QUrl& url);
    void showFailure(const QString& path, const QString& reason);
    void fitContents();

    ChmFile m_chm;
    QSplitter* m_split = nullptr;
    QTreeWidget* m_contents = nullptr;
    QTextBrowser* m_page = nullptr;
    QAction* m_back = nullptr;
    QAction* m_forward = nullptr;
    QAction* m_home = nullptr;
};
