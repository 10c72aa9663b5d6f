#pragma once

#include <QString>

// Every text the workbench's actions show, exactly as the user sees it.
namespace WorkbenchText {

inline const QString AppTitle = QStringLiteral("Quillet");
// What the status bar returns to.
inline const QString IdleStatus = QStringLiteral("Quillet Ver. 0.3.0");
// The user name as the main window takes it when none is stored.
inline const QString DefaultUserName = QStringLiteral("No User Name");

// Running and encoding.
inline const QString RunNoFile = QStringLiteral(
    "ファイルが選択されていません。ファイルを選択してから\r\n［実行］ボタンをクリックしてください");
inline const QString RunPrompt = QStringLiteral("コマンドラインのオプションを指定してください");
inline const QString RunTitle = QStringLiteral("スクリプトファイルの実行");
inline const QString RunMenuPrompt = QStringLiteral("ｺﾏﾝﾄﾞﾗｲﾝのｵﾌﾟｼｮﾝを指定してください");
inline const QString RunMenuTitle = QStringLiteral("WSHﾌｧｲﾙの実行");
inline const QString EncodeNoFile = QStringLiteral(
    "ファイルが選択されていません。ファイルを選択してから\r\n［エンコード］ボタンをクリックしてください");
inline const QString EncodePrompt = QStringLiteral("コマンドラインのオプションを指定してください");
inline const QString EncodeTitle = QStringLiteral("スクリプトのエンコード");

// New scripts and editing.
inline const QString NewPrompt =
    QStringLiteral("新しく作成するﾌｧｲﾙ名を入力してください\r\n拡張子は要りません");
inline const QString NewMenuPrompt =
    QStringLiteral("新しく作成するWSHﾌｧｲﾙ名を入力してください\r\n拡張子は要りません");
inline const QString NewTitle = QStringLiteral("新規作成");
inline const QString NewDefault = QStringLiteral("NewFile");
inline const QString NewNoKind = QStringLiteral("ファイルに種類を選択してください");
inline const QString NewExists = QStringLiteral("同名のファイルが存在します。上書きしますか");
inline const QString NewFailed = QStringLiteral("ファイルを作成できませんでした。");
inline const QString EditNoFile = QStringLiteral("ﾌｧｲﾙが選択されていません。\r\n新規ﾌｧｲﾙを作成しますか");
inline const QString EditTitle = QStringLiteral("ﾌｧｲﾙの編集");
inline const QString OpenNoFile = QStringLiteral("ﾌｧｲﾙが選択されていません");

// A program that did not start.
inline const QString LaunchFailed = QStringLiteral("プログラムを起動できませんでした。");
inline const QString QuoteInProgram = QStringLiteral("プログラムのパスに「\"」は使えません。");

} // namespace WorkbenchText
