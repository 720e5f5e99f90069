#include "core/resource_text.h"

#include <utility>

namespace tintwell {
namespace {

std::function<std::string(std::string_view)>& Translator() {
    static std::function<std::string(std::string_view)> translator;
    return translator;
}

} // namespace

std::string ResString(std::string_view text) {
    const auto& translate = Translator();
    return translate ? translate(text) : std::string(text);
}

void SetResStringTranslator(std::function<std::string(std::string_view)> translator) {
    Translator() = std::move(translator);
}

std::string FormatText(std::string_view format, std::initializer_list<std::string_view> args) {
    std::string text;
    text.reserve(format.size() + 16);
    auto next = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size()) {
            const char conversion = format[i + 1];
            if (conversion == '%') {
                text += '%';
                ++i;
                continue;
            }
            if ((conversion == 's' || conversion == 'd') && next != args.end()) {
                text.append(*next++);
                ++i;
                continue;
            }
        }
        text += format[i];
    }
    return text;
}

} // namespace tintwell
