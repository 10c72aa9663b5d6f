#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class QGroupBox;
class QTimer;

// Shown first; after four seconds, or at once on a key or a click, it opens the main
// window and goes away.
class frmSplash final : public QWidget {
    Q_OBJECT
public:
    using MainWindowFactory = std::function<QWidget*()>;
    explicit frmSplash(MainWindowFactory createMainWindow, QWidget* parent = nullptr);

    static constexpr int Interval = 4000;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Timer1_Timer();
    void Form_KeyPress();
    void Frame1_Click();
    void openMainWindow();

    MainWindowFactory m_createMainWindow;
    QPointer<QWidget> m_mainWindow;
    QGroupBox* Frame1 = nullptr;
    QTimer* Timer1 = nullptr;
};
