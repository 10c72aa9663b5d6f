#include "RtfReader.h"

// quillet_core is built without the fuzzer's coverage and sanitizer flags; compiling the
// reader here gets it instrumented, and the linker then leaves the library's copy out.
#include "RtfReader.cpp"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto doc = RtfReader::read(bytes))
        (void)doc->plainText();
    return 0;
}
