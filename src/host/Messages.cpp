#include "Messages.h"

#include <cstdio>

namespace host {

namespace {

bool g_japanese = false;

struct Entry {
    unsigned number;
    const wchar_t* en;
    const wchar_t* ja;
};

// Run-time errors both engines share, then VBScript's compile errors, then JScript's own.
const Entry Common[] = {
    {5, L"Invalid procedure call or argument", L"プロシージャの呼び出し、または引数が不正です。"},
    {6, L"Overflow", L"オーバーフローしました。"},
    {7, L"Out of memory", L"メモリが不足しています。"},
    {9, L"Subscript out of range", L"インデックスが有効範囲にありません。"},
    {10, L"This array is fixed or temporarily locked",
     L"この配列は固定されているか、一時的にロックされています。"},
    {11, L"Division by zero", L"0 で除算しました。"},
    {13, L"Type mismatch", L"型が一致しません。"},
    {14, L"Out of string space", L"文字列領域が不足しています。"},
    {17, L"Can't perform requested operation", L"要求された操作は実行できません。"},
    {28, L"Out of stack space", L"スタック領域が不足しています。"},
    {35, L"Sub or Function not defined", L"Sub または Function が定義されていません。"},
    {48, L"Error in loading DLL", L"DLL の読み込み中にエラーが発生しました。"},
    {51, L"Internal error", L"内部エラーです。"},
    {52, L"Bad file name or number", L"ファイル名または番号が不正です。"},
    {53, L"File not found", L"ファイルが見つかりません。"},
    {54, L"Bad file mode", L"ファイル モードが不正です。"},
    {55, L"File already open", L"ファイルは既に開かれています。"},
    {57, L"Device I/O error", L"デバイス I/O エラーです。"},
    {58, L"File already exists", L"同名のファイルが既に存在します。"},
    {61, L"Disk full", L"ディスクの空き容量が不足しています。"},
    {62, L"Input past end of file", L"ファイルの終わりを越えて読み込もうとしました。"},
    {67, L"Too many files", L"ファイルが多すぎます。"},
    {68, L"Device unavailable", L"デバイスが使用できません。"},
    {70, L"Permission denied", L"書き込みできません。"},
    {71, L"Disk not ready", L"ディスクが準備されていません。"},
    {74, L"Can't rename with different drive", L"ドライブの異なる名前には変更できません。"},
    {75, L"Path/File access error", L"パス名が無効です。"},
    {76, L"Path not found", L"パスが見つかりません。"},
    {91, L"Object variable not set", L"オブジェクト変数が設定されていません。"},
    {92, L"For loop not initialized", L"For ループが初期化されていません。"},
    {94, L"Invalid use of Null", L"Null の使い方が不正です。"},
    {322, L"Can't create necessary temporary file", L"必要な一時ファイルを作成できません。"},
    {424, L"Object required", L"オブジェクトがありません。"},
    {429, L"ActiveX component can't create object",
     L"ActiveX コンポーネントはオブジェクトを作成できません。"},
    {430, L"Class doesn't support Automation", L"クラスはオートメーションをサポートしていません。"},
    {432, L"File name or class name not found during Automation operation",
     L"オートメーションの操作中にファイル名またはクラス名が見つかりませんでした。"},
    {438, L"Object doesn't support this property or method",
     L"オブジェクトでサポートされていないプロパティまたはメソッドです。"},
    {440, L"Automation error", L"オートメーション エラーです。"},
    {445, L"Object doesn't support this action", L"オブジェクトはこの動作をサポートしていません。"},
    {446, L"Object doesn't support named arguments", L"オブジェクトは名前付き引数をサポートしていません。"},
    {447, L"Object doesn't support current locale setting",
     L"オブジェクトは現在のロケール設定をサポートしていません。"},
    {448, L"Named argument not found", L"名前付き引数が見つかりません。"},
    {449, L"Argument not optional", L"引数は省略できません。"},
    {450, L"Wrong number of arguments or invalid property assignment",
     L"引数の数が一致していません。または不正なプロパティを指定しています。"},
    {451, L"Object not a collection", L"オブジェクトはコレクションではありません。"},
    {453, L"Specified DLL function not found", L"指定された DLL 関数が見つかりません。"},
    {457, L"This key is already associated with an element of this collection",
     L"このキーは既にこのコレクションの要素に割り当てられています。"},
    {458, L"Variable uses an Automation type not supported in VBScript",
     L"変数は VBScript でサポートされていないオートメーション型を使用しています。"},
    {462, L"The remote server machine does not exist or is unavailable",
     L"リモート サーバーが存在しないか、使用できません。"},
    {481, L"Invalid picture", L"ピクチャが不正です。"},
    {500, L"Variable is undefined", L"変数が定義されていません。"},
    {501, L"Illegal assignment", L"代入が不正です。"},
    {502, L"Object not safe for scripting", L"オブジェクトはスクリプトに対して安全ではありません。"},
    {503, L"Object not safe for initializing", L"オブジェクトは初期化に対して安全ではありません。"},
    {504, L"Object not safe for creating", L"オブジェクトは作成に対して安全ではありません。"},
    {505, L"Invalid or unqualified reference", L"参照が不正か、修飾されていません。"},
    {506, L"Class not defined", L"クラスが定義されていません。"},
    {507, L"An exception occurred", L"例外が発生しました。"},
    {5008, L"Illegal assignment", L"代入が不正です。"},
    {5017, L"Syntax error in regular expression", L"正規表現の構文エラーです。"},
    {5018, L"Unexpected quantifier", L"予期しない量指定子です。"},
    {5019, L"Expected ']' in regular expression", L"正規表現に ']' がありません。"},
    {5020, L"Expected ')' in regular expression", L"正規表現に ')' がありません。"},
    {5021, L"Invalid range in character set", L"文字セットの範囲が不正です。"},
    {32811, L"Element not found", L"要素が見つかりません。"},
};

const Entry VbCompile[] = {
    {1001, L"Out of memory", L"メモリが不足しています。"},
    {1002, L"Syntax error", L"構文エラーです。"},
    {1003, L"Expected ':'", L"':' がありません。"},
    {1005, L"Expected '('", L"'(' がありません。"},
    {1006, L"Expected ')'", L"')' がありません。"},
    {1007, L"Expected ']'", L"']' がありません。"},
    {1010, L"Expected identifier", L"識別子がありません。"},
    {1011, L"Expected '='", L"'=' がありません。"},
    {1012, L"Expected 'If'", L"'If' がありません。"},
    {1013, L"Expected 'To'", L"'To' がありません。"},
    {1014, L"Expected 'End'", L"'End' がありません。"},
    {1015, L"Expected 'Function'", L"'Function' がありません。"},
    {1016, L"Expected 'Sub'", L"'Sub' がありません。"},
    {1017, L"Expected 'Then'", L"'Then' がありません。"},
    {1018, L"Expected 'Wend'", L"'Wend' がありません。"},
    {1019, L"Expected 'Loop'", L"'Loop' がありません。"},
    {1020, L"Expected 'Next'", L"'Next' がありません。"},
    {1021, L"Expected 'Case'", L"'Case' がありません。"},
    {1022, L"Expected 'Select'", L"'Select' がありません。"},
    {1023, L"Expected expression", L"式がありません。"},
    {1024, L"Expected statement", L"ステートメントがありません。"},
    {1025, L"Expected end of statement", L"ステートメントの末尾が不正です。"},
    {1026, L"Expected integer constant", L"整数の定数がありません。"},
    {1027, L"Expected 'While' or 'Until'", L"'While' または 'Until' がありません。"},
    {1028, L"Expected 'While', 'Until' or end of statement",
     L"'While'、'Until'、またはステートメントの末尾がありません。"},
    {1029, L"Expected 'With'", L"'With' がありません。"},
    {1030, L"Identifier too long", L"識別子が長すぎます。"},
    {1031, L"Invalid number", L"数値が不正です。"},
    {1032, L"Invalid character", L"不正な文字です。"},
    {1033, L"Unterminated string constant", L"文字列定数が終了していません。"},
    {1034, L"Unterminated comment", L"コメントが終了していません。"},
    {1037, L"Invalid use of 'Me' keyword", L"'Me' キーワードの使い方が不正です。"},
    {1038, L"'loop' without 'do'", L"'Loop' に対応する 'Do' がありません。"},
    {1039, L"Invalid 'exit' statement", L"'Exit' ステートメントが不正です。"},
    {1040, L"Invalid 'for' loop control variable", L"'For' ループの制御変数が不正です。"},
    {1041, L"Name redefined", L"名前が再定義されています。"},
    {1042, L"Must be first statement on the line", L"行の最初のステートメントでなければなりません。"},
    {1043, L"Cannot assign to non-ByVal argument", L"ByVal でない引数には代入できません。"},
    {1044, L"Cannot use parentheses when calling a Sub", L"Sub の呼び出しにかっこは使えません。"},
    {1045, L"Expected literal constant", L"リテラル定数がありません。"},
    {1046, L"Expected 'In'", L"'In' がありません。"},
    {1047, L"Expected 'Class'", L"'Class' がありません。"},
    {1048, L"Must be defined inside a Class", L"Class の中で定義しなければなりません。"},
    {1049, L"Expected Let or Set or Get in property declaration",
     L"プロパティの宣言に Let、Set、Get のいずれかがありません。"},
    {1050, L"Expected 'Property'", L"'Property' がありません。"},
    {1051, L"Number of arguments must be consistent across properties specification",
     L"プロパティの引数の数が一致していません。"},
    {1052, L"Cannot have multiple default property/method in a Class",
     L"Class に既定のプロパティまたはメソッドを複数指定することはできません。"},
    {1053, L"Class initialize or terminate do not have arguments",
     L"Class の Initialize と Terminate には引数を指定できません。"},
    {1054, L"Property set or let must have at least one argument",
     L"Property Set と Property Let には引数が少なくとも 1 つ必要です。"},
    {1055, L"Unexpected 'Next'", L"予期しない 'Next' です。"},
    {1056, L"'Default' can be specified only on 'Property' or 'Function' or 'Sub'",
     L"'Default' は 'Property'、'Function'、'Sub' にだけ指定できます。"},
    {1057, L"'Default' specification must also specify 'Public'",
     L"'Default' を指定するときは 'Public' も指定してください。"},
    {1058, L"'Default' specification can only be on Property Get",
     L"'Default' は Property Get にだけ指定できます。"},
};

const Entry JsOwn[] = {
    {1002, L"Syntax error", L"構文エラーです。"},
    {1003, L"Expected ':'", L"':' がありません。"},
    {1004, L"Expected ';'", L"';' がありません。"},
    {1005, L"Expected '('", L"'(' がありません。"},
    {1006, L"Expected ')'", L"')' がありません。"},
    {1007, L"Expected ']'", L"']' がありません。"},
    {1008, L"Expected '{'", L"'{' がありません。"},
    {1009, L"Expected '}'", L"'}' がありません。"},
    {1010, L"Expected identifier", L"識別子がありません。"},
    {1011, L"Expected '='", L"'=' がありません。"},
    {1012, L"Expected '/'", L"'/' がありません。"},
    {1013, L"Invalid number", L"数値が不正です。"},
    {1014, L"Invalid character", L"不正な文字です。"},
    {1015, L"Unterminated string constant", L"文字列定数が終了していません。"},
    {1016, L"Unterminated comment", L"コメントが終了していません。"},
    {1018, L"'return' statement outside of function", L"関数の外に 'return' ステートメントがあります。"},
    {1019, L"Can't have 'break' outside of loop", L"ループの外では 'break' は使えません。"},
    {1020, L"Can't have 'continue' outside of loop", L"ループの外では 'continue' は使えません。"},
    {1023, L"Expected hexadecimal digit", L"16 進数の数字がありません。"},
    {1024, L"Expected 'while'", L"'while' がありません。"},
    {1025, L"Label redefined", L"ラベルが再定義されています。"},
    {1026, L"Label not found", L"ラベルが見つかりません。"},
    {1027, L"'default' can only appear once in a 'switch' statement",
     L"'switch' ステートメントの中で 'default' は 1 回しか使えません。"},
    {1028, L"Expected identifier, string or number", L"識別子、文字列、または数値がありません。"},
    {1029, L"Expected '@end'", L"'@end' がありません。"},
    {1030, L"Conditional compilation is turned off", L"条件付きコンパイルがオフになっています。"},
    {1031, L"Expected constant", L"定数がありません。"},
    {1032, L"Expected '@'", L"'@' がありません。"},
    {1033, L"Expected 'catch'", L"'catch' がありません。"},
    {1034, L"Expected 'var'", L"'var' がありません。"},
    {1035, L"'throw' must be followed by an expression on the same source line",
     L"'throw' の後には同じ行に式が必要です。"},
    {5001, L"Number expected", L"数値がありません。"},
    {5002, L"Function expected", L"関数がありません。"},
    {5003, L"Cannot assign to a function result", L"関数の結果には代入できません。"},
    {5004, L"Cannot index object", L"オブジェクトにインデックスを付けられません。"},
    {5005, L"String expected", L"文字列がありません。"},
    {5006, L"Date object expected", L"Date オブジェクトがありません。"},
    {5007, L"Object expected", L"オブジェクトがありません。"},
    {5009, L"Undefined identifier", L"定義されていない識別子です。"},
    {5010, L"Boolean expected", L"ブール値がありません。"},
    {5011, L"Can't execute code from a freed script", L"解放されたスクリプトのコードは実行できません。"},
    {5012, L"Object member expected", L"オブジェクトのメンバーがありません。"},
    {5013, L"VBArray expected", L"VBArray がありません。"},
    {5014, L"JScript object expected", L"JScript オブジェクトがありません。"},
    {5015, L"Enumerator object expected", L"Enumerator オブジェクトがありません。"},
    {5016, L"Regular Expression object expected", L"正規表現オブジェクトがありません。"},
    {5022, L"Exception thrown and not caught", L"例外がスローされましたが、キャッチされませんでした。"},
    {5023, L"Function does not have a valid prototype object",
     L"関数に有効なプロトタイプ オブジェクトがありません。"},
    {5024, L"The URI to be encoded contains an invalid character",
     L"エンコードする URI に無効な文字が含まれています。"},
    {5025, L"The URI to be decoded is not a valid encoding", L"デコードする URI のエンコードが無効です。"},
    {5026, L"The number of fractional digits is out of range", L"小数部の桁数が有効範囲にありません。"},
    {5027, L"The precision is out of range", L"精度が有効範囲にありません。"},
    {5028, L"Array or arguments object expected", L"配列または arguments オブジェクトがありません。"},
    {5029, L"Array length must be a finite positive integer",
     L"配列の長さは有限の正の整数でなければなりません。"},
    {5030, L"Array length must be assigned a finite positive number",
     L"配列の長さには有限の正の数を代入してください。"},
    {5031, L"Array object expected", L"配列オブジェクトがありません。"},
    {5034, L"Circular reference in value argument not supported", L"値の引数に循環参照があります。"},
    {5038, L"Argument list too large to apply", L"引数リストが大きすぎます。"},
    {5039, L"Redeclaration of const property", L"定数が再宣言されました。"},
};

const Entry* lookup(const Entry* begin, const Entry* end, unsigned n)
{
    for (const Entry* e = begin; e != end; ++e)
        if (e->number == n)
            return e;
    return nullptr;
}

template <size_t N> const Entry* lookup(const Entry (&table)[N], unsigned n)
{
    return lookup(table, table + N, n);
}

const wchar_t* pick(const Entry* e)
{
    return g_japanese ? e->ja : e->en;
}

// Codes that Wine's engines and Windows' own objects give in place of the engines' numbers.
struct Alias {
    HRESULT hr;
    unsigned number;
};
const Alias Aliases[] = {
    {HRESULT(0x80020012), 11},  // DISP_E_DIVBYZERO
    {HRESULT(0x8002000A), 6},   // DISP_E_OVERFLOW
    {HRESULT(0x8002000B), 9},   // DISP_E_BADINDEX
    {HRESULT(0x80020005), 13},  // DISP_E_TYPEMISMATCH
    {HRESULT(0x80020003), 438}, // DISP_E_MEMBERNOTFOUND
    {HRESULT(0x80020006), 438}, // DISP_E_UNKNOWNNAME
    {HRESULT(0x8002000E), 450}, // DISP_E_BADPARAMCOUNT
    {HRESULT(0x80020004), 448}, // DISP_E_PARAMNOTFOUND
    {HRESULT(0x8002000F), 449}, // DISP_E_PARAMNOTOPTIONAL
    {HRESULT(0x80020007), 446}, // DISP_E_NONAMEDARGS
    {HRESULT(0x80070057), 5},   // E_INVALIDARG
    {HRESULT(0x8007000E), 7},   // E_OUTOFMEMORY
    {HRESULT(0x80004001), 445}, // E_NOTIMPL
    {HRESULT(0x80004002), 430}, // E_NOINTERFACE
    {HRESULT(0x80070005), 70},  // E_ACCESSDENIED
    {HRESULT(0x80070002), 53},  // file not found
    {HRESULT(0x80070003), 76},  // path not found
    {HRESULT(0x80070050), 58},  // file exists
    {HRESULT(0x80070070), 61},  // disk full
    {HRESULT(0x800401F3), 429}, // CO_E_CLASSSTRING
    {HRESULT(0x80040154), 429}, // REGDB_E_CLASSNOTREG
};

} // namespace

bool japanese()
{
    return g_japanese;
}

void setJapanese(bool on)
{
    g_japanese = on;
}

unsigned errorNumber(HRESULT hr)
{
    if ((static_cast<unsigned long>(hr) & 0xFFFF0000u) == 0x800A0000u)
        return static_cast<unsigned>(hr) & 0xFFFFu;
    for (const Alias& a : Aliases)
        if (a.hr == hr)
            return a.number;
    return 0;
}

HRESULT shownCode(HRESULT hr)
{
    const unsigned n = errorNumber(hr);
    return n ? HRESULT(0x800A0000u | n) : hr;
}

std::wstring tableText(HRESULT hr)
{
    const unsigned n = errorNumber(hr);
    if (n) {
        if (const Entry* e = lookup(Common, n))
            return pick(e);
        if (const Entry* e = lookup(VbCompile, n))
            return pick(e);
        if (const Entry* e = lookup(JsOwn, n))
            return pick(e);
    }
    return {};
}

std::wstring errorText(HRESULT hr)
{
    if (std::wstring t = tableText(hr); !t.empty())
        return t;
    if (hr == E_FAIL)
        return g_japanese ? L"スクリプトの実行中にエラーが発生しました。" : L"The script failed to run";
    if (hr == HRESULT(0x80070006))
        return text(Text::NoConsole);
    wchar_t* buffer = nullptr;
    const DWORD lang =
        g_japanese ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT) : MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT);
    if (FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, static_cast<DWORD>(hr), lang, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr) &&
        buffer) {
        std::wstring s(buffer);
        LocalFree(buffer);
        while (!s.empty() && (s.back() == L'\n' || s.back() == L'\r' || s.back() == L' '))
            s.pop_back();
        if (!s.empty())
            return s;
    }
    return text(Text::UnknownError);
}

std::wstring errorSource(Engine engine, HRESULT hr, bool compile)
{
    const unsigned n = errorNumber(hr);
    compile = compile || (n >= 1000 && n < 1100);
    const wchar_t* name = engine == Engine::VBScript ? L"VBScript" : L"JScript";
    if (g_japanese)
        return std::wstring(name) + (compile ? L" コンパイル エラー" : L" 実行時エラー");
    return std::wstring(name) + (compile ? L" compilation error" : L" runtime error");
}

std::wstring text(Text t)
{
    const bool ja = g_japanese;
    switch (t) {
    case Text::BoxTitle:
        return L"Windows Script Host";
    case Text::BoxScript:
        return ja ? L"スクリプト:" : L"Script:";
    case Text::BoxLine:
        return ja ? L"行:" : L"Line:";
    case Text::BoxChar:
        return ja ? L"文字:" : L"Char:";
    case Text::BoxError:
        return ja ? L"エラー:" : L"Error:";
    case Text::BoxCode:
        return ja ? L"コード:" : L"Code:";
    case Text::BoxSource:
        return ja ? L"ソース:" : L"Source:";
    case Text::NoScriptFile:
        return ja ? L"入力エラー: スクリプト ファイル \"%s\" が見つかりません。"
                  : L"Input Error: Can not find script file \"%s\".";
    case Text::UnreadableScript:
        return ja ? L"入力エラー: スクリプト ファイル \"%s\" を読み込めません。"
                  : L"Input Error: Can not read script file \"%s\".";
    case Text::NoEngineForExt:
        return ja ? L"入力エラー: ファイル拡張子 \"%s\" のスクリプト エンジンがありません。"
                  : L"Input Error: There is no script engine for file extension \"%s\".";
    case Text::NoEngine:
        return ja ? L"入力エラー: スクリプト エンジン \"%s\" が見つかりません。"
                  : L"Input Error: Can not find script engine \"%s\".";
    case Text::EngineFailed:
        return ja ? L"スクリプト エンジン \"%s\" を起動できません。" : L"Can not start script engine \"%s\".";
    case Text::UnknownOption:
        return ja ? L"入力エラー: 不明なオプション \"%s\" が指定されました。"
                  : L"Input Error: Unknown option \"%s\" specified.";
    case Text::BadTimeout:
        return ja ? L"入力エラー: \"%s\" のタイムアウト値が不正です。"
                  : L"Input Error: Invalid timeout value in \"%s\".";
    case Text::BadEncoding:
        return ja ? L"スクリプト \"%s\" を実行できません。%s" : L"Can not run script \"%s\". %s";
    case Text::Timeout:
        return ja ? L"スクリプト \"%s\" の実行時間が制限を超えました。\nスクリプトの実行を中止しました。"
                  : L"Script execution time was exceeded on script \"%s\".\nScript execution was terminated.";
    case Text::Logo:
        return ja ? L"Quillet Script Host バージョン 5.812\nCopyright (C) 2026 Quillet Project\n"
                  : L"Quillet Script Host Version 5.812\nCopyright (C) 2026 Quillet Project\n";
    case Text::Usage:
        return ja ? L"使い方: CScript [ホストのオプション...] スクリプト名 "
                    L"[スクリプトのオプションと引数...]\n\n"
                    L"ホストのオプション:\n"
                    L" //B         バッチ モード: スクリプトのエラーとメッセージを表示しません\n"
                    L" //E:engine  スクリプトの実行にエンジンを使います (VBScript, JScript, JScript.Encode)\n"
                    L" //I         対話モード (既定)\n"
                    L" //logo      ロゴを表示します (既定)\n"
                    L" //nologo    ロゴを表示しません\n"
                    L" //T:nn      タイムアウト (秒): スクリプトを実行できる最大の時間\n"
                    L" //U         リダイレクトされた入出力に Unicode を使います\n"
                  : L"Usage: CScript [host options...] scriptname [options and parameters to script]\n\n"
                    L"Host options:\n"
                    L" //B         Batch mode: suppresses script errors and prompts from displaying\n"
                    L" //E:engine  Use engine for executing script (VBScript, JScript, JScript.Encode)\n"
                    L" //I         Interactive mode (default)\n"
                    L" //logo      Display logo (default)\n"
                    L" //nologo    Prevent logo display\n"
                    L" //T:nn      Time out in seconds: maximum time a script is permitted to run\n"
                    L" //U         Use Unicode for redirected I/O from the console\n";
    case Text::CreateFailed:
        return ja ? L"\"%s\" という名前のオブジェクトを作成できませんでした。"
                  : L"Could not create object named \"%s\".";
    case Text::GetFailed:
        return ja ? L"\"%s\" という名前のオブジェクトを取得できませんでした。"
                  : L"Could not locate object named \"%s\".";
    case Text::NoConsole:
        return ja ? L"ハンドルが無効です。" : L"The handle is invalid.";
    case Text::EventsUnsupported:
        return ja ? L"イベントの接続 (CreateObject の 2 番目の引数) には対応していません。"
                  : L"Connecting events (the second argument of CreateObject) is not supported.";
    case Text::UnknownError:
        return ja ? L"不明な実行時エラーです。" : L"Unknown runtime error";
    }
    return {};
}

std::wstring fill(Text t, const std::wstring& a, const std::wstring& b)
{
    std::wstring s = text(t);
    size_t from = 0; // past what was filled in, which may itself hold "%s"
    for (const std::wstring* v : {&a, &b}) {
        const size_t at = s.find(L"%s", from);
        if (at == std::wstring::npos)
            break;
        s.replace(at, 2, *v);
        from = at + v->size();
    }
    return s;
}

} // namespace host
