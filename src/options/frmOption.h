#pragma once

#include "Services.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The four user settings, shown and registered. Not modal: the main window stays usable.
class frmOption final : public QDialog {
    Q_OBJECT
public:
    explicit frmOption(const Services& services, QWidget* parent = nullptr);

private:
    void Form_Load();
    void cbNaizo_Click();
    void btnBrowse_Click();
    void btnBrowse2_Click();
    void btnEncoder_Click();
    void btnToroku_Click();
    void btnCancel_Click();
    void btnHelp_Click();

    // `fallback`: where the file dialog starts when the field names no existing folder.
    void pickProgram(QLineEdit* field, const QString& fallback = {});

    Services m_services;
    // The dialog's copies of the four values.
    QString m_userName;
    QString m_editor;
    QString m_browser;
    QString m_encoder;

    QLabel* Label1 = nullptr;
    QLineEdit* fldUserName = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* fldEditor = nullptr;
    QPushButton* btnBrowse = nullptr;
    QPushButton* btnToroku = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnHelp = nullptr;
    QCheckBox* cbNaizo = nullptr;
    QLineEdit* fldBrowser = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* btnBrowse2 = nullptr;
    QPushButton* btnEncoder = nullptr;
    QLineEdit* fldEncoder = nullptr;
    QLabel* Label4 = nullptr;
};
