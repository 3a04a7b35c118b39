// The runner's numbers and key names.
#include "core/script_words.h"

#include <charconv>
#include <limits>

#include "core/key_codes.h"

bool parseScriptInteger(const std::string& text, int64_t& value) {
    std::size_t start = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    const bool negative = start == 1 && text[0] == '-';
    int base = 10;
    if (text.size() > start + 2 && text[start] == '0' && (text[start + 1] == 'x' || text[start + 1] == 'X')) {
        base = 16;
        start += 2;
    }
    if (start >= text.size()) return false;
    uint64_t magnitude = 0;
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data() + start, end, magnitude, base);
    if (status != std::errc() || stop != end || magnitude > uint64_t{std::numeric_limits<int64_t>::max()}) return false;
    value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

bool parseScriptKey(const std::string& text, int32_t& key) {
    for (const KeyName& named : keyNames) {
        if (text == named.name) {
            key = named.key;
            return true;
        }
    }
    int64_t code = 0;
    if (!parseScriptInteger(text, code) || code < 0 || code >= keyCount) return false;
    key = static_cast<int32_t>(code);
    return true;
}
