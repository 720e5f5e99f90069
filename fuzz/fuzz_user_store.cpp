// The settings file's reader on untrusted bytes (a file edited by hand, or damaged): it never fails,
// and a write keeps every line it does not change, so the text written reads back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/user_store_text.h"

namespace {

void Check(bool holds) {
    if (!holds)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tintwell;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TUserStoreText text(bytes);
    const std::vector<std::string> quelm{"Software", "zorVIK", "Quelm"};
    const std::vector<std::string> picker{"Software", "zorVIK", "Quelm", "Forms", "frmColorPicker"};
    for (const auto* key : {&quelm, &picker}) {
        (void)text.KeyExists(*key);
        for (const char* name : {"OrvDateSeparator", "Top", "WindowState", "", "\xc3\x84"})
            (void)text.Find(*key, name);
    }
    // The key path the file names first, whatever it is, read as the store would read it.
    if (const std::size_t open = bytes.find('['); open != std::string_view::npos) {
        const std::size_t close = bytes.find(']', open);
        if (close != std::string_view::npos)
            if (const auto key = SplitKeyPath(bytes.substr(open + 1, close - open - 1)))
                (void)text.Find(*key, "Top");
    }

    // A write: the value reads back, and the written text is a fixed point of reading and writing.
    text.Set(picker, "Top", std::int32_t{-300});
    text.Set(quelm, "OrvShortDateFormat", std::string(bytes.substr(0, 16)));
    const std::string written = text.Text();
    const TUserStoreText again(written);
    const TStoredValue* top = again.Find(picker, "top");
    Check(top != nullptr && *top == TStoredValue(std::int32_t{-300}));
    const TStoredValue* format = again.Find(quelm, "OrvShortDateFormat");
    Check(format != nullptr && *format == TStoredValue(std::string(bytes.substr(0, 16))));
    Check(again.Text() == written);
    return 0;
}
