#include "WineWarmer.h"

#include "StandIns.h"

#include <QFileInfo>

WineWarmer::WineWarmer(QString hostFolder)
    : m_hostFolder(std::move(hostFolder))
{
}

WineWarmer::~WineWarmer()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(2000))
        m_process.kill();
    m_process.waitForFinished(1000);
}

bool WineWarmer::start()
{
    const QString helper = m_hostFolder + QStringLiteral("/quillet-wine-idle.exe");
    const StandIns::Context c = StandIns::Context::system({}, m_hostFolder);
    if (c.wineLoader.isEmpty() || !QFileInfo(helper).isFile())
        return false;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& kv : StandIns::wineEnvironment(c)) {
        const qsizetype eq = kv.indexOf(u'=');
        env.insert(kv.left(eq), kv.mid(eq + 1));
    }
    m_process.setProcessEnvironment(env);
    // A new Wine prefix is made on this first start; what Wine says about it goes nowhere.
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start(c.wineLoader, {helper}, QIODevice::WriteOnly);
    return m_process.waitForStarted(5000);
}
