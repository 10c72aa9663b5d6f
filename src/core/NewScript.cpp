#include "NewScript.h"

#include "TextCodec.h"

namespace NewScript {

QString path(const QString& folder, const QString& name, const QString& extension)
{
    return folder + u'/' + name + extension;
}

QString generalDate(const QDateTime& when, const QLocale& locale)
{
    if (locale.language() == QLocale::Japanese || locale.language() == QLocale::C)
        return when.toString(QStringLiteral("yyyy/MM/dd H:mm:ss"));
    // Qt's long time names the time zone, which the general date does not.
    QString time = locale.timeFormat(QLocale::LongFormat);
    time.remove(QLatin1Char('t'));
    return locale.toString(when.date(), QLocale::ShortFormat) + u' ' +
           locale.toString(when.time(), time.trimmed());
}

QString header(const QString& commentMark, const QString& path, const QString& userName, const QString& when)
{
    const QString crlf = QStringLiteral("\r\n");
    return commentMark + QStringLiteral("Windows Scripting Host") + crlf + //
           commentMark + QStringLiteral("ﾌｧｲﾙ名: ") + path + crlf +        //
           commentMark + QStringLiteral("作成者: ") + userName + crlf +    //
           commentMark + QStringLiteral("作成日時: ") + when + crlf + commentMark + crlf;
}

QByteArray headerBytes(const QString& header)
{
    if (const std::optional<QByteArray> whole = TextCodec::encode(header, TextEncoding::Cp932))
        return *whole;
    QByteArray out;
    for (qsizetype i = 0; i < header.size(); ++i) {
        const qsizetype n = header[i].isHighSurrogate() && i + 1 < header.size() ? 2 : 1;
        const std::optional<QByteArray> one =
            TextCodec::encode(QStringView(header).sliced(i, n), TextEncoding::Cp932);
        out += one ? *one : QByteArray("?");
        i += n - 1;
    }
    return out;
}

} // namespace NewScript
