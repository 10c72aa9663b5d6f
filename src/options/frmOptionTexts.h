#pragma once

#include <QString>

// Every text the options dialog shows, exactly as the user sees it.
namespace frmOptionText {

inline const QString Caption = QStringLiteral("ｵﾌﾟｼｮﾝ設定");
inline const QString Label1 = QStringLiteral("ユーザー名");
inline const QString Label2 = QStringLiteral("エディタ");
inline const QString Label3 = QStringLiteral("ブラウザ");
inline const QString Label4 = QStringLiteral("エンコーダ");
inline const QString Browse = QStringLiteral("...");
inline const QString Toroku = QStringLiteral("登 録");
inline const QString Cancel = QStringLiteral("ｷｬﾝｾﾙ");
inline const QString Help = QStringLiteral("ﾍﾙﾌﾟ");
inline const QString Naizo = QStringLiteral("内蔵エディタを使う");

// The dialog's own defaults, written as real values by "登 録".
inline const QString DefaultUserName = QStringLiteral("No User Name Setting");
inline const QString DefaultBrowser = QStringLiteral("No Browser Setting");
inline const QString DefaultEncoder = QStringLiteral("No Encoder Path");

inline const QString PickTitle = QStringLiteral("ｴﾃﾞｨﾀの設定");
// The programs of this system carry no ".EXE", so all files are offered too.
inline const QString PickFilter = QStringLiteral("ｴﾃﾞｨﾀ(*.EXE);;すべてのファイル (*)");

inline const QString HelpText = QStringLiteral("ﾕｰｻﾞｰ名と編集用ｴﾃﾞｨﾀの設定をします");
inline const QString NoEditor = QStringLiteral("ｴﾃﾞｨﾀの設定ができていません");
inline const QString UserNameFailed = QStringLiteral("ﾕｰｻﾞｰ名の登録ができません");
inline const QString EditorFailed = QStringLiteral("ｴﾃﾞｨﾀの登録ができません");
inline const QString BrowserFailed = QStringLiteral("ﾌﾞﾗｳｻﾞの登録ができません");
inline const QString EncoderFailed = QStringLiteral("エンコーダの登録ができません");
inline const QString Thanks =
    QStringLiteral("ﾕｰｻﾞｰの登録が行われました\r\nご使用いただきありがとうございます\r\n\r\n"
                   "登録した情報を有効にするには\r\n一度Quilletを終了させて再起動してください");

// Accessible names of the browse buttons, whose caption says nothing.
inline const QString NameBrowseEditor = QStringLiteral("エディタを選ぶ...");
inline const QString NameBrowseBrowser = QStringLiteral("ブラウザを選ぶ...");
inline const QString NameBrowseEncoder = QStringLiteral("エンコーダを選ぶ...");

} // namespace frmOptionText
