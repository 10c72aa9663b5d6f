#pragma once

// The one place where an encoded script (.vbe, or //E:VBScript.Encode) becomes plain text
// before the VBScript engine sees it. Encoded JScript needs nothing here: Wine's
// JScript.Encode engine reads it itself.

#include <string>

namespace host {

// True with `text` decoded; false with the reason the user is shown.
bool decodeEncodedVBScript(std::wstring& text, std::wstring* why);

} // namespace host
