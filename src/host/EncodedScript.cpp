#include "EncodedScript.h"

#include "../core/EncodedScript.h"
#include "HostIO.h"
#include "Messages.h"

#include <cwctype>

namespace host {

bool decodeEncodedVBScript(std::string& bytes, std::wstring* why)
{
    // Decoded as bytes, before any text decoding: the blocks keep the script's own charset.
    EncodedScript::Decoded d = EncodedScript::decodeScript(bytes);
    if (!d.ok()) {
        // The codec's sentence starts mid-sentence in English; here it starts one.
        *why = decodeText(d.error(japanese()));
        if (!why->empty())
            (*why)[0] = static_cast<wchar_t>(std::towupper((*why)[0]));
        return false;
    }
    bytes = std::move(d.text);
    return true;
}

} // namespace host
