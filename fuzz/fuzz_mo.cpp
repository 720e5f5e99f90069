// The catalogue reader on untrusted bytes: a catalogue either loads or is refused with its message;
// every lookup in one that loads stays inside the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "i18n/mo_catalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tintwell;
    try {
        const TMoCatalogue catalogue(std::vector<std::uint8_t>(data, data + size), "fuzz.mo");
        (void)HasUtf8Charset(catalogue.Header());
        // Texts around and inside the catalogue's own identifiers exercise every branch of the search.
        for (const char* id : {"", "&Capture", "Bitmaps", "Stop (Es&c)", "\xff\xff", "A", "zzzz"})
            if (const auto translation = catalogue.Find(id))
                (void)IsValidUtf8(*translation);
        if (size > 8) {
            const std::string probe(reinterpret_cast<const char*>(data) + size - 8, 8);
            (void)catalogue.Find(probe);
        }
    } catch (const EGnuGettextError&) {
        // Refused with its message: what a malformed file must give.
    }
    return 0;
}
