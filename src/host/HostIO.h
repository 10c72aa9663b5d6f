#pragma once

// Standard input and output as the scripts see them. A console gets UTF-16 through the
// console calls; a pipe or a file gets UTF-8 (UTF-16 LE with //U), since that is what a
// Linux terminal, pipe or file holds, whatever code page Wine would pick.

#include <windows.h>

#include <string>

namespace host {

class Output {
public:
    Output(DWORD which, bool unicode);
    bool valid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    void write(const std::wstring& text);
    void writeLine(const std::wstring& text);
    const wchar_t* newline() const { return m_console ? L"\r\n" : L"\n"; }
    // Where the cursor stands, for TextStream.Line and .Column.
    long line() const { return m_line; }
    long column() const { return m_column; }

private:
    HANDLE m_handle;
    bool m_console = false;
    bool m_unicode = false;
    long m_line = 1;
    long m_column = 1;
};

class Input {
public:
    explicit Input(bool unicode);
    bool valid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    std::wstring read(size_t count);
    std::wstring readLine();
    std::wstring readAll();
    void skip(size_t count) { read(count); }
    void skipLine() { readLine(); }
    bool atEndOfStream();
    bool atEndOfLine();
    long line() const { return m_line; }
    long column() const { return m_column; }

private:
    bool fill(); // reads more; false at the end
    std::wstring take(size_t n);
    HANDLE m_handle;
    bool m_console = false;
    bool m_unicode = false;
    bool m_eof = false;
    std::string m_raw;   // bytes not yet decoded (an incomplete character)
    std::wstring m_text; // decoded, not yet read
    long m_line = 1;
    long m_column = 1;
};

// Bytes of text as Quillet reads every file: a byte-order mark decides, else valid UTF-8,
// else code page 932 (never Wine's ANSI code page, which follows the Unix locale).
std::wstring decodeText(const std::string& bytes);
std::string toUtf8(const std::wstring& text);

} // namespace host
