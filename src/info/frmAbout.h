#pragma once

#include "Services.h"

#include <QDialog>

class LinkLabel;
class QLabel;
class QPushButton;

// Which program and version this is, the author's links, and the system information.
class frmAbout final : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(const Services& services, QWidget* parent = nullptr);

    // The path of the system-information program as last found.
    const QString& sysInfoPath() const { return m_sysInfoPath; }

private:
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void lblURL_Click();
    void lblAddress_Click();
    void StartSysInfo();
    // This box's own reader: true when the value was read; the text through `value`, which a
    // type other than a string or a number leaves as it was.
    bool GetKeyValue(quint32 root, const QString& key, const QString& name, QString& value) const;

    Services m_services;
    QString m_sysInfoPath;
    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* Label3 = nullptr;
    LinkLabel* lblURL = nullptr;
    QLabel* Label2 = nullptr;
    LinkLabel* lblAddress = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;
};
