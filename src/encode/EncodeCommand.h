#pragma once

#include "EncodedScript.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// quillet-encode: the Script Encoder's command line on this system,
//   quillet-encode [/s] [/f] [/xl] [/l language] [/e extension] source [destination]
// and a check of an encoded file, /d.
namespace EncodeCommand {

struct Options {
    bool silent = false;    // /s
    bool overwrite = false; // /f
    bool decode = false;    // /d
    QString language;       // /l, as typed
    QString extension;      // /e, as typed
    QStringList files;      // source, then destination
    bool help = false;      // /? -h --help
};

// Switches are recognised in any place and any case, "/x" or "-x"; "--" ends them. What is
// not a switch is a file name, even one that starts with "/".
std::optional<Options> parse(const QStringList& arguments, QString* error);

struct Outcome {
    int exitCode = 0;
    QString out; // for standard output
    QString err; // for standard error
};

// Everything the command does, with the files of the file system.
Outcome run(const Options& options);

// Parses, then runs; a usage error ends with 2 and the usage text.
Outcome main(const QStringList& arguments);

inline const QString Usage = QStringLiteral(
    "使い方: quillet-encode [/s] [/f] [/xl] [/l 言語] [/e 種類] 元のファイル [出力ファイル]\n"
    "        quillet-encode /d [/s] [/f] エンコードされたファイル [出力ファイル]\n"
    "スクリプト (.vbs、.js) "
    "をエンコードします。スイッチはどこに書いてもよく、大文字と小文字は区別しません。\n"
    "  /s       うまくいったときは何も表示しません\n"
    "  /f       出力ファイルがすでにあれば置き換えます\n"
    "  /xl      受け付けますが、何もしません (ASP ファイル用のスイッチです)\n"
    "  /l 言語  VBScript か JScript: 開始マーカーの形を決めます\n"
    "  /e 種類  拡張子で種類が決まらないファイルの種類: vbs か js\n"
    "  /d       エンコードされたファイルを確かめます。出力ファイルを指定すると、デコードした内容を書きます\n"
    "出力ファイルを省くと、元のファイルの拡張子を .vbe (VBScript) か .jse (JScript) "
    "に変えた名前になります。\n"
    "元のファイルに '**Start Encode** (JScript では //**Start Encode**) "
    "があれば、その後ろだけをエンコードします。\n");

} // namespace EncodeCommand
