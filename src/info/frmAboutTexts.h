#pragma once

#include <QString>

// Every text the About box shows, exactly as the user sees it.
namespace frmAboutText {

inline const QString Caption = QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報");
inline const QString Title = QStringLiteral("Quillet");
inline const QString Version = QStringLiteral("Version 0.3.16");
inline const QString Description = QStringLiteral(
    "QuilletはWindows Scripting Hostに使うVBScriptやJavaScriptのコードを作成し、実行するためのツールです");
inline const QString HomeLabel = QStringLiteral("ﾎｰﾑﾍﾟｰｼﾞ:");
inline const QString HomePage = QStringLiteral("https://quillet.example.org/");
inline const QString MailLabel = QStringLiteral("電子メール:");
inline const QString MailAddress = QStringLiteral("quillet@example.org");
inline const QString Copyright = QStringLiteral("Copyright (C) 2026 Quillet Project");
inline const QString Ok = QStringLiteral("OK");
inline const QString SysInfo = QStringLiteral("ｼｽﾃﾑ情報(&S)...");

inline const QString NoSysInfo = QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません");
inline const QString BadSetup = QStringLiteral("設定がきちんとしていません");
inline const QString AppTitle = QStringLiteral("Quillet");
inline const QString MailCommand = QStringLiteral("rundll32.exe shdocvw.dll,OpenURL ");

inline const QString NameIcon = QStringLiteral("Quillet のアイコン");

} // namespace frmAboutText
