#pragma once

#include <QString>

// Every text the main window shows, exactly as the user sees it.
namespace frmMainText {

inline const QString Caption = QStringLiteral("Quillet");
inline const QString LoadStatus = QStringLiteral("Quillet Ver.0.3.0");
inline const QString CaptionSuffix = QStringLiteral(" - Quillet Ver.0.1.5");
inline const QString HelpFileName = QStringLiteral("quillet.chm");

inline const QString BtnNew = QStringLiteral("新規作成");
inline const QString BtnEdit = QStringLiteral("編 集");
inline const QString BtnRun = QStringLiteral("実 行");
inline const QString BtnEncode = QStringLiteral("エンコード");
inline const QString BtnOption = QStringLiteral("オプション");
inline const QString OptWsc = QStringLiteral("WSCRIPT.EXE");
inline const QString OptCsc = QStringLiteral("CSCRIPT.EXE");
inline const QString Frame1 = QStringLiteral("スクリプトの種類");
inline const QString SelJs = QStringLiteral("JS");
inline const QString SelVbs = QStringLiteral("VBS");
inline const QString SelPls = QStringLiteral("Perl");

inline const QString MnuFile = QStringLiteral("ファイル(&F)");
inline const QString MnuFileNew = QStringLiteral("新規作成(&N)");
inline const QString MnuFileOpen = QStringLiteral("開く(&O)");
inline const QString MnuFileRun = QStringLiteral("実行(&R)");
inline const QString MnuFileEncode = QStringLiteral("エンコード(&E)");
inline const QString MnuFileExit = QStringLiteral("終了(&X)");
inline const QString MnuTool = QStringLiteral("ツール(&T)");
inline const QString MnuToolScr = QStringLiteral("スクリプトの種類(&S)");
inline const QString MnuToolScrJs = QStringLiteral("JavaScript(&J)");
inline const QString MnuToolScrVbs = QStringLiteral("VBScript(&V)");
inline const QString MnuToolScrPls = QStringLiteral("PerlScript(&P)");
inline const QString MnuToolIpri = QStringLiteral("インタープリタ(&I)");
inline const QString MnuToolIpriWscr = QStringLiteral("WSCRIPT.EXE(&W)");
inline const QString MnuToolIpriCscr = QStringLiteral("CSCRIPT.EXE(&C)");
inline const QString MnuToolOption = QStringLiteral("オプション(&O)...");
inline const QString MnuHelp = QStringLiteral("ヘルプ(&H)");
inline const QString MnuHelpUsage = QStringLiteral("Quilletの使い方(&H)");
inline const QString MnuHelpAbout = QStringLiteral("バージョン情報(&A)...");

inline const QString HintNewFocus = QStringLiteral("選択したﾌｫﾙﾀﾞにVOXﾌｧｲﾙを新規作成し編集をします");
inline const QString HintNewMouse = QStringLiteral("選択したﾌｫﾙﾀﾞにWSHﾌｧｲﾙを新規作成し編集をします");
inline const QString HintEdit = QStringLiteral("選択したﾌｧｲﾙを編集します");
inline const QString HintRun = QStringLiteral("選択したﾌｧｲﾙを実行します");
inline const QString HintEncode = QStringLiteral("スクリプトファイルのエンコードを実行します");
inline const QString HintOption = QStringLiteral("ｵﾌﾟｼｮﾝの設定をします");
inline const QString HintWsc = QStringLiteral("GUI版のWSCRIPT.EXEをインタープリタに使います");
inline const QString HintCsc = QStringLiteral("コマンドライン版のCSCRIPT.EXEをインタープリタに使います");
inline const QString HintFrame1 = QStringLiteral("VBS、JScript、PerlScriptのどれかを選択してください");
inline const QString HintDriveFocus = QStringLiteral("編集・実行するﾌｧｲﾙのあるﾄﾞﾗｲﾌﾞを選択します");
inline const QString HintDirFocus = QStringLiteral("VOXﾌｧｲﾙのあるﾌｫﾙﾀﾞを選択します");
inline const QString HintDirMouse = QStringLiteral("スクリプトファイルのあるフォルダを選択します");
inline const QString HintFileList = QStringLiteral("編集・実行するﾌｧｲﾙをﾘｽﾄから選択します");
inline const QString HintViewSrc = QStringLiteral("ここにはｽｸﾘﾌﾟﾄのｿｰｽが表示されます");

// The kind and host choices confirm themselves with these.
inline const QString KindVbs = QStringLiteral("VBScriptを作成します");
inline const QString KindJs = QStringLiteral("JavaScriptを作成します");
inline const QString KindPls = QStringLiteral("PerlScriptを作成します");
inline const QString HostWsc = QStringLiteral("GUI版のWSCRIPT.EXEを使ってスクリプトを実行します");
inline const QString HostCsc = QStringLiteral("スクリプトの実行にコンソール版のCSCRIPT.EXEを使います");
inline const QString AppTitle = QStringLiteral("Quillet");

// What the status bar says when the browser cannot do what was asked.
inline const QString FileUnreadable = QStringLiteral("ﾌｧｲﾙを読み込めません: ");
inline const QString FileTruncated = QStringLiteral("ﾌｧｲﾙが大きいため先頭の 64 MB だけを表示しています: ");
inline const QString FolderUnreadable = QStringLiteral("ﾌｫﾙﾀﾞを読み込めません: ");
inline const QString DriveNotReady = QStringLiteral("ﾄﾞﾗｲﾌﾞを読み込めません: ");

// Accessible names of the controls that have no caption of their own.
inline const QString NameDrive = QStringLiteral("ドライブ");
inline const QString NameDir = QStringLiteral("フォルダ");
inline const QString NameFileList = QStringLiteral("スクリプトファイル");
inline const QString NameViewSrc = QStringLiteral("スクリプトのソース");
inline const QString NameInterp = QStringLiteral("インタープリタ");
inline const QString NameStatus = QStringLiteral("ステータスバー");

} // namespace frmMainText
