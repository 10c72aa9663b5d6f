#include "OptionButton.h"

#include <utility>

OptionButton::OptionButton(const QString& text, QWidget* parent)
    : QRadioButton(text, parent)
{
    connect(this, &QAbstractButton::toggled, this, [this](bool on) {
        if (on)
            Q_EMIT chosen();
    });
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (!std::exchange(m_clickSelects, false))
            Q_EMIT chosen();
    });
}

void OptionButton::choose()
{
    if (isChecked())
        Q_EMIT chosen();
    else
        setChecked(true);
}

void OptionButton::nextCheckState()
{
    // Called by a click only, and only when the click changes the state.
    m_clickSelects = true;
    QRadioButton::nextCheckState();
}
