#pragma once

#include <QComboBox>

// The drive list. On this platform Qt names a drop-down list after its current entry, so a
// screen reader would call it "/": this one is named for what it chooses, its accessible
// name, with the shown drive as its value.
class DriveList final : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent = nullptr);
};
