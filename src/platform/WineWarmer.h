#pragma once

#include <QProcess>
#include <QString>

// Keeps Wine started while Quillet runs, so that a script run does not wait for Wine's
// server and services (about 1.5 s cold, 0.1-0.3 s warm). A small Windows program of
// Quillet's stays idle under Wine until its input closes, which happens when Quillet ends,
// however it ends; Wine then shuts down by itself as usual. A persistent wineserver
// ("wineserver -p") is not used: it outlives Quillet and keeps winedevice.exe around.
class WineWarmer final {
public:
    explicit WineWarmer(QString hostFolder);
    ~WineWarmer();
    WineWarmer(const WineWarmer&) = delete;
    WineWarmer& operator=(const WineWarmer&) = delete;

    // False where Wine or the helper is not installed; nothing is started then.
    bool start();

private:
    QString m_hostFolder;
    QProcess m_process;
};
