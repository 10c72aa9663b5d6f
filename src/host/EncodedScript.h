#pragma once

// The one place where an encoded script (.vbe, or //E:VBScript.Encode) becomes plain text
// before the VBScript engine sees it. Encoded JScript needs nothing here: Wine's
// JScript.Encode engine reads it itself.

#include <string>

namespace host {

// True with `bytes` turned into the plain script's bytes (every encoded block decoded, the
// rest kept); false with the sentence the user is shown, which names the damaged block's line.
bool decodeEncodedVBScript(std::string& bytes, std::wstring* why);

} // namespace host
