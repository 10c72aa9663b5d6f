#pragma once

#include <QString>

// Every text the editor window shows, exactly as the user sees it.
namespace frmEditText {

inline const QString Caption = QStringLiteral("スクリプトの編集");
inline const QString Label1 = QStringLiteral("ﾌｧｲﾙ名");
inline const QString MnuFile = QStringLiteral("ﾌｧｲﾙ(&F)");
inline const QString MnuFileSave = QStringLiteral("保存(&S)");
inline const QString MnuFilePrint = QStringLiteral("印刷(&P)");
inline const QString MnuFileClose = QStringLiteral("閉じる(&C)");
inline const QString MnuEdit = QStringLiteral("編集(&E)");
inline const QString MnuEditUndo = QStringLiteral("やり直し(&U)");
inline const QString MnuEditCut = QStringLiteral("切り取り(&T)");
inline const QString MnuEditCopy = QStringLiteral("ｺﾋﾟｰ(&C)");
inline const QString MnuEditPaste = QStringLiteral("貼り付け(&P)");

inline const QString SaveFailed = QStringLiteral("ファイルの保存時にエラーが起きました");
inline const QString SaveOnCloseFailed = QStringLiteral("ファイルの保存でエラーが起きました");
inline const QString NotSaved = QStringLiteral("まだ保存されていません。保存しますか");
inline const QString NotImplemented = QStringLiteral("まだ機能が実装されていません");
inline const QString Title = QStringLiteral("Quillet");

// When a file cannot be shown as it is.
inline const QString OpenFailed = QStringLiteral("ファイルを開けませんでした。");
inline const QString LossyText = QStringLiteral(
    "このファイルには文字として読めないバイトがあります。その部分は「\uFFFD」と表示されます。\r\n"
    "変更しない行は元のバイトのまま保存されます。変更した行の「\uFFFD」は「?」として保存されます。");
inline const QString LossyUnicodeText = QStringLiteral(
    "このファイルには文字として読めないバイトがあります。その部分は「\uFFFD」と表示されます。\r\n"
    "変更しない行は元のバイトのまま保存されます。変更した行の「\uFFFD」はそのまま保存されます。");

inline const QString AliasedCodes = QStringLiteral(
    "このファイルには、同じ文字に二つの文字コードがある文字 (NEC・IBM 拡張文字) が含まれています。\r\n"
    "変更しない行は元のバイトのまま保存されます。変更した行では、それらの文字は標準の文字コードで保存されます"
    "。");

// When what is on disk is not what the window read.
inline const QString OverwriteUnread =
    QStringLiteral("このファイルは開けなかったため、内容を読み込んでいません。\r\n"
                   "上書きすると元の内容は失われます。上書きしますか");
inline const QString OverwriteChanged =
    QStringLiteral("このファイルは、読み込んだ後でほかのプログラムによって変更されています。\r\n"
                   "上書きすると、その変更は失われます。上書きしますか");
inline const QString Reload = QStringLiteral("このファイルは、ほかのプログラムによって変更されました。\r\n"
                                             "読み込み直しますか");
inline const QString ReloadLosingChanges =
    QStringLiteral("このファイルは、ほかのプログラムによって変更されました。\r\n"
                   "読み込み直すと、まだ保存していない変更は失われます。読み込み直しますか");

// Ctrl+G, to the line an error message names.
inline const QString GoToPrompt = QStringLiteral("移動先の行番号を入力してください (1～%1)");
inline const QString GoToTitle = QStringLiteral("指定行へ移動");

// Accessible names of what has no caption of its own.
inline const QString NameEditSrc = QStringLiteral("スクリプトの内容");
inline const QString NameToolbar = QStringLiteral("ツールバー");
inline const QString NameStatus = QStringLiteral("ステータスバー");
inline const QString ToolNew = QStringLiteral("新規作成");
inline const QString ToolOpen = QStringLiteral("開く");
inline const QString ToolSave = QStringLiteral("保存");
inline const QString ToolPrint = QStringLiteral("印刷");
inline const QString ToolCut = QStringLiteral("切り取り");
inline const QString ToolCopy = QStringLiteral("コピー");
inline const QString ToolPaste = QStringLiteral("貼り付け");

} // namespace frmEditText
