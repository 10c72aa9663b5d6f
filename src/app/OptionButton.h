#pragma once

#include <QRadioButton>

// An option button that says when it is chosen: when it becomes the selected one of its
// group however that happens (a click, the arrow keys, an accessibility action, setChecked),
// and when a click confirms it while it is already selected. Once for each.
class OptionButton final : public QRadioButton {
    Q_OBJECT
public:
    explicit OptionButton(const QString& text, QWidget* parent = nullptr);

    // Selects the button, or confirms it when it is selected already, as a click would.
    void choose();

Q_SIGNALS:
    void chosen();

protected:
    void nextCheckState() override;

private:
    // A click that is selecting the button has been reported by the selection already.
    bool m_clickSelects = false;
};
