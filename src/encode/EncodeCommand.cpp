#include "EncodeCommand.h"

#include "PosixFile.h"
#include "SafeFile.h"
#include "ScriptFiles.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace EncodeCommand {

namespace {

const QString NoSource = QStringLiteral("元のファイルが指定されていません。");
const QString TooManyFiles = QStringLiteral("ファイル名が多すぎます: %1");
const QString NoValue = QStringLiteral("%1 の後に値がありません。");
const QString BadLanguage =
    QStringLiteral("言語 %1 はエンコードできません (VBScript か JScript を指定してください)。");
const QString BadType = QStringLiteral("種類 %1 はエンコードできません (vbs か js を指定してください)。");
const QString UnknownKind =
    QStringLiteral("%1: 拡張子から種類がわかりません。/e vbs か /e js で種類を指定してください。");
const QString NoFile = QStringLiteral("%1: ファイルがありません。");
const QString NotRegular = QStringLiteral("%1: 通常のファイルではありません。");
const QString TooLarge = QStringLiteral("%1: ファイルが大きすぎます (64 MiB まで)。");
const QString Unreadable = QStringLiteral("%1: 読み込めません: %2");
const QString SameFile = QStringLiteral("%1: 出力ファイルが元のファイルと同じです。");
const QString Exists =
    QStringLiteral("%1: 出力ファイルがすでにあります。置き換えるには /f を付けてください。");
const QString AlreadyEncoded = QStringLiteral("%1: すでにエンコードされています。");
const QString Unverified =
    QStringLiteral("%1: エンコードした結果を確かめられませんでした (%2)。何も書き込んでいません。");
const QString NoBlock = QStringLiteral("%1: エンコードされた部分がありません。");
const QString WriteFailed = QStringLiteral("%1: 書き込めません: %2");
const QString Encoded = QStringLiteral("エンコードしました: %1 → %2\n");
const QString Decoded = QStringLiteral("デコードしました: %1 → %2\n");
const QString Checked = QStringLiteral("%1: 正しくエンコードされています (ブロック %2 個)。\n");
const QString WineWarning =
    QStringLiteral("注意: %1: エンコードした部分に ASCII 以外の文字が %2 個あります。Wine の JScript.Encode "
                   "はこのファイルを実行できません (Windows では実行できます)。\n");

// The switch an argument names, in lower case, or empty.
QString switchName(const QString& a)
{
    static const QStringList known{QStringLiteral("s"), QStringLiteral("f"), QStringLiteral("xl"),
                                   QStringLiteral("l"), QStringLiteral("e"), QStringLiteral("d"),
                                   QStringLiteral("?"), QStringLiteral("h")};
    if (a == QStringLiteral("--help"))
        return QStringLiteral("?");
    if (a.size() < 2 || (a[0] != u'/' && a[0] != u'-'))
        return {};
    QString name = a.mid(1).toLower();
    // "/l:JScript" as well as "/l JScript".
    if (name.size() >= 2 && name[1] == u':' && (name[0] == u'l' || name[0] == u'e'))
        name.truncate(1);
    return known.contains(name) ? name : QString();
}

std::optional<EncodedScript::Language> languageNamed(const QString& name)
{
    const QString n = name.toLower();
    if (n == QStringLiteral("vbscript") || n == QStringLiteral("vbs"))
        return EncodedScript::Language::VBScript;
    if (n == QStringLiteral("jscript") || n == QStringLiteral("javascript") || n == QStringLiteral("js"))
        return EncodedScript::Language::JScript;
    return std::nullopt;
}

std::optional<EncodedScript::Language> languageOfType(QString type)
{
    if (type.startsWith(u'.'))
        type.remove(0, 1);
    type = type.toLower();
    if (type == QStringLiteral("vbs"))
        return EncodedScript::Language::VBScript;
    if (type == QStringLiteral("js"))
        return EncodedScript::Language::JScript;
    return std::nullopt;
}

QString suffixOf(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.mid(dot + 1) : QString();
}

// The source's name with the encoded extension in place of its own.
QString defaultDestination(const QString& source, EncodedScript::Language language)
{
    const QString suffix = suffixOf(source);
    const QString base = suffix.isEmpty() ? source : source.left(source.size() - suffix.size() - 1);
    return base +
           (language == EncodedScript::Language::VBScript ? QStringLiteral(".vbe") : QStringLiteral(".jse"));
}

Outcome failed(const QString& message)
{
    return {1, {}, message + u'\n'};
}

// The source's bytes, or the reason there are none.
std::optional<QByteArray> readSource(const QString& path, QString* error)
{
    switch (PosixFile::kind(path)) {
    case PosixFile::Kind::Missing:
        *error = NoFile.arg(path);
        return std::nullopt;
    case PosixFile::Kind::Regular:
    case PosixFile::Kind::Unknown:
        break;
    default:
        // A pipe or device named like a script would block or never end.
        *error = NotRegular.arg(path);
        return std::nullopt;
    }
    PosixFile::Read read = PosixFile::readRegular(path, ScriptFiles::MaxBytes);
    if (read.tooLarge) {
        *error = TooLarge.arg(path);
        return std::nullopt;
    }
    if (!read.ok) {
        *error = Unreadable.arg(path, read.reason);
        return std::nullopt;
    }
    return std::move(read.bytes);
}

// Why the destination must not be written: it is the source under another name, or it exists
// and /f was not given. Empty when it may.
QString refusal(const QString& source, const QString& destination, bool overwrite)
{
    const QByteArray s = QFile::encodeName(source), d = QFile::encodeName(destination);
    struct stat ss {
    }, ds{};
    // Through links and hard links alike: the same file is the same device and inode.
    if (::stat(s.constData(), &ss) == 0 && ::stat(d.constData(), &ds) == 0 && ss.st_dev == ds.st_dev &&
        ss.st_ino == ds.st_ino)
        return SameFile.arg(destination);
    if (!overwrite && ::lstat(d.constData(), &ds) == 0)
        return Exists.arg(destination);
    return {};
}

QString write(const QString& destination, const std::string& bytes)
{
    QString reason;
    if (!SafeFile::replace(destination, QByteArray(bytes.data(), qsizetype(bytes.size())), &reason))
        return WriteFailed.arg(destination, reason);
    return {};
}

std::string_view view(const QByteArray& bytes)
{
    return {bytes.constData(), std::size_t(bytes.size())};
}

Outcome encode(const Options& o)
{
    const QString source = o.files.value(0);
    std::optional<EncodedScript::Language> language;
    if (!o.extension.isEmpty()) {
        language = languageOfType(o.extension);
        if (!language)
            return failed(BadType.arg(o.extension));
    }
    if (!o.language.isEmpty()) {
        language = languageNamed(o.language);
        if (!language)
            return failed(BadLanguage.arg(o.language));
    }
    if (!language)
        language = languageOfType(suffixOf(source));
    if (!language)
        return failed(UnknownKind.arg(source));
    const QString destination = o.files.size() > 1 ? o.files[1] : defaultDestination(source, *language);

    QString error;
    const std::optional<QByteArray> bytes = readSource(source, &error);
    if (!bytes)
        return failed(error);
    if (const QString why = refusal(source, destination, o.overwrite); !why.isEmpty())
        return failed(why);
    const EncodedScript::Decoded before = EncodedScript::decodeScript(view(*bytes));
    if (before.ok() && before.blocks > 0)
        return failed(AlreadyEncoded.arg(source));

    const EncodedScript::Encoded encoded = EncodedScript::encodeScript(view(*bytes), *language);
    // The engines must read back exactly the source, or nothing is written.
    const EncodedScript::Decoded back = EncodedScript::decodeScript(encoded.bytes);
    if (!back.ok() || back.text != view(*bytes))
        return failed(Unverified.arg(source, back.ok() ? QStringLiteral("内容が一致しません")
                                                       : QString::fromStdString(back.error())));
    if (const QString why = write(destination, encoded.bytes); !why.isEmpty())
        return failed(why);

    Outcome done;
    if (!o.silent) {
        done.out = Encoded.arg(source, destination);
        if (*language == EncodedScript::Language::JScript && encoded.keptCharacters > 0)
            done.err = WineWarning.arg(destination).arg(encoded.keptCharacters);
    }
    return done;
}

Outcome decode(const Options& o)
{
    const QString source = o.files.value(0);
    QString error;
    const std::optional<QByteArray> bytes = readSource(source, &error);
    if (!bytes)
        return failed(error);
    if (o.files.size() > 1)
        if (const QString why = refusal(source, o.files[1], o.overwrite); !why.isEmpty())
            return failed(why);
    const EncodedScript::Decoded decoded = EncodedScript::decodeScript(view(*bytes));
    if (!decoded.ok())
        return failed(source + QStringLiteral(": ") + QString::fromStdString(decoded.error()));
    if (decoded.blocks == 0)
        return failed(NoBlock.arg(source));
    Outcome done;
    if (o.files.size() > 1) {
        if (const QString why = write(o.files[1], decoded.text); !why.isEmpty())
            return failed(why);
        if (!o.silent)
            done.out = Decoded.arg(source, o.files[1]);
    } else if (!o.silent) {
        done.out = Checked.arg(source).arg(decoded.blocks);
    }
    return done;
}

} // namespace

std::optional<Options> parse(const QStringList& arguments, QString* error)
{
    Options o;
    bool switches = true;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (switches && a == QStringLiteral("--")) {
            switches = false;
            continue;
        }
        const QString name = switches ? switchName(a) : QString();
        if (name.isEmpty()) {
            if (o.files.size() == 2) {
                *error = TooManyFiles.arg(a);
                return std::nullopt;
            }
            o.files.append(a);
        } else if (name == QStringLiteral("s")) {
            o.silent = true;
        } else if (name == QStringLiteral("f")) {
            o.overwrite = true;
        } else if (name == QStringLiteral("d")) {
            o.decode = true;
        } else if (name == QStringLiteral("?") || name == QStringLiteral("h")) {
            o.help = true;
        } else if (name == QStringLiteral("l") || name == QStringLiteral("e")) {
            QString value;
            if (const qsizetype colon = a.indexOf(u':'); colon > 0) {
                value = a.mid(colon + 1);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            }
            if (value.isEmpty()) {
                *error = NoValue.arg(a);
                return std::nullopt;
            }
            (name == QStringLiteral("l") ? o.language : o.extension) = value;
        }
        // /xl only keeps an @language line out of ASP pages, which are not encoded here.
    }
    if (o.files.isEmpty() && !o.help) {
        *error = NoSource;
        return std::nullopt;
    }
    return o;
}

Outcome run(const Options& options)
{
    if (options.help)
        return {0, Usage, {}};
    return options.decode ? decode(options) : encode(options);
}

Outcome main(const QStringList& arguments)
{
    QString error;
    const std::optional<Options> options = parse(arguments, &error);
    if (!options)
        return {2, {}, error + u'\n' + Usage};
    return run(*options);
}

} // namespace EncodeCommand
