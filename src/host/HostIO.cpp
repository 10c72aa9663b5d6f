#include "HostIO.h"

#include <algorithm>

namespace host {

namespace {

std::wstring fromCodePage(UINT cp, DWORD flags, const char* data, size_t size, bool* ok)
{
    *ok = true;
    if (size == 0)
        return {};
    const int n = MultiByteToWideChar(cp, flags, data, static_cast<int>(size), nullptr, 0);
    if (n <= 0) {
        *ok = false;
        return {};
    }
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(cp, flags, data, static_cast<int>(size), w.data(), n);
    return w;
}

std::wstring fromUtf16(const char* data, size_t size, bool bigEndian)
{
    std::wstring w;
    w.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2) {
        const unsigned char a = static_cast<unsigned char>(data[i]);
        const unsigned char b = static_cast<unsigned char>(data[i + 1]);
        w.push_back(static_cast<wchar_t>(bigEndian ? (a << 8 | b) : (b << 8 | a)));
    }
    return w;
}

// Where the last complete UTF-8 character ends.
size_t completeUtf8(const std::string& s)
{
    size_t i = s.size();
    for (int back = 0; back < 4 && i > 0; ++back) {
        const unsigned char c = static_cast<unsigned char>(s[i - 1]);
        if (c < 0x80)
            return s.size();
        if (c >= 0xC0) { // a lead byte: is its sequence complete?
            const size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
            return s.size() - (i - 1) >= need ? s.size() : i - 1;
        }
        --i;
    }
    return s.size();
}

// Where a stream's cursor stands after `text`, for TextStream.Line and .Column.
void advance(const std::wstring& text, long* line, long* column)
{
    for (wchar_t c : text) {
        if (c == L'\n') {
            ++*line;
            *column = 1;
        } else if (c != L'\r') {
            ++*column;
        }
    }
}

} // namespace

std::wstring decodeText(const std::string& bytes)
{
    const char* d = bytes.data();
    const size_t n = bytes.size();
    bool ok = true;
    if (n >= 3 && static_cast<unsigned char>(d[0]) == 0xEF && static_cast<unsigned char>(d[1]) == 0xBB &&
        static_cast<unsigned char>(d[2]) == 0xBF)
        return fromCodePage(CP_UTF8, 0, d + 3, n - 3, &ok);
    if (n >= 2 && static_cast<unsigned char>(d[0]) == 0xFF && static_cast<unsigned char>(d[1]) == 0xFE)
        return fromUtf16(d + 2, n - 2, false);
    if (n >= 2 && static_cast<unsigned char>(d[0]) == 0xFE && static_cast<unsigned char>(d[1]) == 0xFF)
        return fromUtf16(d + 2, n - 2, true);
    std::wstring w = fromCodePage(CP_UTF8, MB_ERR_INVALID_CHARS, d, n, &ok);
    if (ok)
        return w;
    return fromCodePage(932, 0, d, n, &ok);
}

std::string toUtf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string s(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), s.data(), n, nullptr,
                            nullptr);
    return s;
}

Output::Output(DWORD which, bool unicode)
    : m_handle(GetStdHandle(which))
    , m_unicode(unicode)
{
    DWORD mode = 0;
    m_console = valid() && GetConsoleMode(m_handle, &mode);
}

void Output::write(const std::wstring& text)
{
    advance(text, &m_line, &m_column);
    if (!valid() || text.empty())
        return;
    DWORD done = 0;
    if (m_console) {
        WriteConsoleW(m_handle, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
        return;
    }
    if (m_unicode) {
        WriteFile(m_handle, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &done, nullptr);
        return;
    }
    const std::string bytes = toUtf8(text);
    WriteFile(m_handle, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
}

void Output::writeLine(const std::wstring& text)
{
    write(text + newline());
}

Input::Input(bool unicode)
    : m_handle(GetStdHandle(STD_INPUT_HANDLE))
    , m_unicode(unicode)
{
    DWORD mode = 0;
    m_console = valid() && GetConsoleMode(m_handle, &mode);
}

bool Input::fill()
{
    if (m_eof || !valid())
        return false;
    if (m_console) {
        wchar_t buffer[1024];
        DWORD got = 0;
        if (!ReadConsoleW(m_handle, buffer, 1024, &got, nullptr) || got == 0) {
            m_eof = true;
            return false;
        }
        // Ctrl+Z at the start of a line ends console input, as on Windows.
        if (got >= 1 && buffer[0] == 0x1A) {
            m_eof = true;
            return false;
        }
        m_text.append(buffer, got);
        return true;
    }
    char buffer[4096];
    DWORD got = 0;
    if (!ReadFile(m_handle, buffer, sizeof buffer, &got, nullptr) || got == 0) {
        m_eof = true;
        // What is left of an incomplete character still reads as something.
        if (!m_raw.empty()) {
            m_text += decodeText(m_raw);
            m_raw.clear();
            return true;
        }
        return false;
    }
    m_raw.append(buffer, got);
    if (m_unicode) {
        const size_t whole = m_raw.size() & ~size_t(1);
        m_text += fromUtf16(m_raw.data(), whole, false);
        m_raw.erase(0, whole);
        return true;
    }
    const size_t cut = completeUtf8(m_raw);
    bool ok = true;
    std::wstring w = fromCodePage(CP_UTF8, MB_ERR_INVALID_CHARS, m_raw.data(), cut, &ok);
    if (!ok) {
        m_text += decodeText(m_raw);
        m_raw.clear();
    } else {
        m_text += w;
        m_raw.erase(0, cut);
    }
    return true;
}

std::wstring Input::take(size_t n)
{
    n = std::min(n, m_text.size());
    std::wstring s = m_text.substr(0, n);
    m_text.erase(0, n);
    advance(s, &m_line, &m_column);
    return s;
}

std::wstring Input::read(size_t count)
{
    while (m_text.size() < count && fill()) {
    }
    return take(count);
}

std::wstring Input::readLine()
{
    for (;;) {
        const size_t nl = m_text.find(L'\n');
        if (nl != std::wstring::npos) {
            std::wstring line = take(nl + 1);
            line.pop_back();
            if (!line.empty() && line.back() == L'\r')
                line.pop_back();
            return line;
        }
        if (!fill())
            return take(m_text.size());
    }
}

std::wstring Input::readAll()
{
    while (fill()) {
    }
    return take(m_text.size());
}

bool Input::atEndOfStream()
{
    return m_text.empty() && !fill();
}

bool Input::atEndOfLine()
{
    if (m_text.empty() && !fill())
        return true;
    return m_text[0] == L'\n' || m_text[0] == L'\r';
}

} // namespace host
