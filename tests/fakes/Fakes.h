#pragma once

#include "Clock.h"
#include "Dialogs.h"
#include "Drives.h"
#include "InternalEditor.h"
#include "Launcher.h"
#include "Registry.h"
#include "Services.h"
#include "SettingsArea.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QStringEncoder>
#include <QStringList>

// Text as a script file in code page 932 holds it.
inline QByteArray cp932(const QString& s)
{
    QStringEncoder enc("CP932");
    return enc.encode(s);
}

// A message box and an input box as FakeDialogs::described() writes them.
inline QString box(int flags, const QString& title, const QString& text)
{
    return QStringList{QStringLiteral("MsgBox"), QString::number(flags), title, text}.join(u'|');
}
inline QString input(const QString& title, const QString& prompt, const QString& def)
{
    return QStringList{QStringLiteral("InputBox"), title, prompt, def}.join(u'|');
}

// The main window's input boxes, as the user reads them.
namespace MainBoxes {
inline QString run()
{
    return input("スクリプトファイルの実行", "コマンドラインのオプションを指定してください", "No CommLine");
}
inline QString runMenu()
{
    return input("WSHﾌｧｲﾙの実行", "ｺﾏﾝﾄﾞﾗｲﾝのｵﾌﾟｼｮﾝを指定してください", "No CommLine");
}
inline QString encode(const QString& offered)
{
    return input("スクリプトのエンコード", "コマンドラインのオプションを指定してください", offered);
}
inline QString newScript()
{
    return input("新規作成", "新しく作成するﾌｧｲﾙ名を入力してください\r\n拡張子は要りません", "NewFile");
}
inline QString newScriptMenu()
{
    return input("新規作成", "新しく作成するWSHﾌｧｲﾙ名を入力してください\r\n拡張子は要りません", "NewFile");
}
} // namespace MainBoxes

// Records every box the program would show and answers from a script, in order.
class FakeDialogs final : public Dialogs {
public:
    struct Call {
        QString kind; // "MsgBox", "InputBox", "GetOpenFileName"
        QString text;
        int flags = 0;
        QString title;
        QString def;
    };
    QList<Call> calls;
    // One line a call: "MsgBox|flags|title|text" or "InputBox|title|prompt|default".
    QStringList described() const
    {
        QStringList out;
        for (const Call& c : calls)
            out.append(c.kind == QStringLiteral("MsgBox") ? box(c.flags, c.title, c.text)
                                                          : input(c.title, c.text, c.def));
        return out;
    }
    QList<int> msgAnswers;    // consumed in order; OK when empty
    QStringList inputAnswers; // consumed in order; Cancel (empty) when empty
    // An input answer that takes what the box offered.
    static inline const QString AcceptDefault = QStringLiteral("<accept the default>");
    QStringList fileAnswers;

    int MsgBox(const QString& text, int flags, const QString& title) override
    {
        calls.append({QStringLiteral("MsgBox"), text, flags, title, {}});
        return msgAnswers.isEmpty() ? MsgResult::Ok : msgAnswers.takeFirst();
    }
    QString InputBox(const QString& prompt, const QString& title, const QString& def) override
    {
        calls.append({QStringLiteral("InputBox"), prompt, 0, title, def});
        const QString answer = inputAnswers.isEmpty() ? QString() : inputAnswers.takeFirst();
        return answer == AcceptDefault ? def : answer;
    }
    QString GetOpenFileName(const QString& title, const QString& filter, const QString& initialPath) override
    {
        calls.append({QStringLiteral("GetOpenFileName"), filter, 0, title, initialPath});
        return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
    }
};

// Records each command line as "windowStyle|line"; starts process 4242 unless told otherwise.
class FakeLauncher final : public Launcher {
public:
    QStringList lines;
    LaunchResult result{4242, {}, {}, LaunchFailure::None};
    void fail(LaunchFailure why = LaunchFailure::NotFound)
    {
        result = {0, QStringLiteral("x"), QStringLiteral("x"), why};
    }
    LaunchResult Shell(const QString& commandLine, int windowStyle) override
    {
        lines.append(QString::number(windowStyle) + u'|' + commandLine);
        if (commandLine.trimmed().isEmpty())
            return {0, QStringLiteral("empty"), {}, LaunchFailure::EmptyCommand};
        return result;
    }
};

class FakeClock final : public Clock {
public:
    QDateTime time = QDateTime(QDate(2001, 5, 12), QTime(9, 3, 27));
    QDateTime now() const override { return time; }
};

// In memory, recording the order of reads and writes; can be told to fail.
class MemorySettings final : public SettingsArea {
public:
    QHash<QString, QString> values; // "app/section/key"
    mutable QStringList log;        // "read Key", "write Key=Value"
    bool failReads = false;
    QStringList failKeys; // writes of these keys fail

    // A setting of the program's own, "<none>" when none is stored.
    QString option(const QString& key) const
    {
        return values.value(QStringLiteral("Quillet/Option/") + key, QStringLiteral("<none>"));
    }
    void setOption(const QString& key, const QString& value)
    {
        values.insert(QStringLiteral("Quillet/Option/") + key, value);
    }
    std::optional<QString> read(const QString& app, const QString& section, const QString& key,
                                const QString& def) const override
    {
        log.append(QStringLiteral("read ") + key);
        if (failReads)
            return std::nullopt;
        return values.value(app + u'/' + section + u'/' + key, def);
    }
    bool write(const QString& app, const QString& section, const QString& key, const QString& value) override
    {
        log.append(QStringLiteral("write ") + key + u'=' + value);
        if (failKeys.contains(key))
            return false;
        values.insert(app + u'/' + section + u'/' + key, value);
        return true;
    }
};

// Volumes that are folders of a test's own; the root volume "/" holds everything else.
class FakeDrives final : public Drives {
public:
    QList<Volume> list{{QStringLiteral("/"), {}}};
    QHash<QString, QString> folders;

    QList<Volume> volumes() const override { return list; }
    QString rootOf(const QString& path) const override
    {
        QString best = QStringLiteral("/");
        for (const Volume& v : list)
            if ((path == v.root || path.startsWith(v.root + u'/')) && v.root.size() > best.size())
                best = v.root;
        return best;
    }
    QString currentFolder(const QString& root) const override { return folders.value(root, root); }
    void rememberFolder(const QString& folder) override { folders.insert(rootOf(folder), folder); }
};

// Values put in by the test, under "root\\key" and the lower-case name.
class FakeRegistry final : public Registry {
public:
    QHash<QString, RegValue> values;
    void set(quint32 root, const QString& key, const QString& name, const RegValue& v)
    {
        values.insert(path(root, key, name), v);
    }
    static RegValue string(const QString& text, quint32 type = RegType::String)
    {
        QByteArray data(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        return {type, data + QByteArray(2, '\0')};
    }
    // The ".htm" association and its open command, as a browser registers them.
    void setBrowser(const QString& command)
    {
        set(RegRoot::ClassesRoot, QStringLiteral(".htm"), {}, string(QStringLiteral("htmlfile")));
        set(RegRoot::ClassesRoot, QStringLiteral("htmlfile\\shell\\open\\command"), {}, string(command));
    }
    std::optional<RegValue> query(quint32 root, const QString& key, const QString& name) const override
    {
        const auto it = values.constFind(path(root, key, name));
        return it == values.cend() ? std::nullopt : std::optional<RegValue>(*it);
    }
    static QString path(quint32 root, const QString& key, const QString& name)
    {
        return QString::number(root, 16) + u'\\' + key.toLower() + u'|' + name.toLower();
    }
};

// The editor window as the workbench reaches it: which files it was asked to show.
class FakeEditor final : public InternalEditor {
public:
    QStringList opened;
    void openFile(const QString& path) override { opened.append(path); }
};

// The fakes, wired as the workbench and the windows expect them; any of them can be swapped
// for a real one.
struct FakeServices {
    FakeDialogs dialogs;
    FakeLauncher launcher;
    MemorySettings settings;
    FakeClock clock;
    FakeDrives drives;
    FakeRegistry registry;
    Services services(Launcher* realLauncher = nullptr, SettingsArea* realSettings = nullptr,
                      Registry* realRegistry = nullptr)
    {
        return {
            dialogs, realLauncher ? *realLauncher : launcher, realSettings ? *realSettings : settings, clock,
            drives,  realRegistry ? *realRegistry : registry};
    }
};
