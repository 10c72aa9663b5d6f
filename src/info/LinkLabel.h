#pragma once

#include <QLabel>

// A label that acts as a link: the mouse or, with the focus on it, Enter or Space; a screen
// reader meets it as a link, which its press action follows.
class LinkLabel final : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

    // Follows the link, as a click does.
    void activate() { Q_EMIT clicked(); }

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
