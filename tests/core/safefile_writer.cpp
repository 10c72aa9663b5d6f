// Writes its standard input to PATH as the editor's save (replace), the New action's
// overwrite (entry) or its append would, so that a test can run the write as another user.
// Prints the reason of a failure and exits 1.
#include "NativeName.h"
#include "SafeFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QString how = QString::fromUtf8(argv[1]);
    const QString path = NativeName::fromBytes(QByteArrayView(argv[2]));
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return 2;
    const QByteArray bytes = in.readAll();
    QString reason;
    bool ok = false;
    if (how == QStringLiteral("replace"))
        ok = SafeFile::replace(path, bytes, &reason);
    else if (how == QStringLiteral("entry"))
        ok = SafeFile::replaceEntry(path, bytes, &reason);
    else if (how == QStringLiteral("append"))
        ok = SafeFile::append(path, bytes, &reason);
    else
        return 2;
    if (!ok)
        QTextStream(stdout) << reason;
    return ok ? 0 : 1;
}
