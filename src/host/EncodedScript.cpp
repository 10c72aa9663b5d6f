#include "EncodedScript.h"

#include "Messages.h"

namespace host {

bool decodeEncodedVBScript(std::wstring& text, std::wstring* why)
{
    (void)text; // Quillet's codec for encoded scripts plugs in here.
    *why = host::text(Text::EncodedVbs);
    return false;
}

} // namespace host
