// Text of any bytes into espeak-ng through the one door it has. Under AddressSanitizer a read
// of freed memory inside espeak-ng ends the run: what passes the door must never make one.
#include "spelling/EspeakPhonemizer.h"

#include <cstdlib>

using namespace tessary;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const EspeakPhonemizer phonemizer;
    if (!phonemizer.available())
        std::abort(); // espeak-ng-data missing: nothing would be tested
    phonemizer.phonemize(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
