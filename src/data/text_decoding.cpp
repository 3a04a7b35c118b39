// Text decoding for the XML layer: files are converted to UTF-8 before parsing, so every text handed out is
// valid UTF-8 and parse-error offsets give true lines.
#include "data/text_decoding.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <iconv.h>

namespace {

// Decodes one UTF-8 character at text[at]; returns its length, or 0 when the bytes there are not a valid,
// shortest-form sequence of a scalar value. The code point is stored in point.
size_t decodeUtf8(const std::string& text, size_t at, uint32_t& point) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    size_t length = 0;
    uint32_t minimum = 0;
    if (lead < 0x80) {
        point = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, point = lead & 0x1Fu, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, point = lead & 0x0Fu, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, point = lead & 0x07u, minimum = 0x10000;
    } else {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(at + i);
        if ((next & 0xC0u) != 0x80u) return 0;
        point = (point << 6) | (next & 0x3Fu);
    }
    if (point < minimum || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return 0;
    return length;
}

// Offset of the first byte that does not start a valid UTF-8 character, or npos.
size_t firstInvalidUtf8(const std::string& text) {
    uint32_t point = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t length = decodeUtf8(text, at, point);
        if (length == 0) return at;
        at += length;
    }
    return std::string::npos;
}

std::string lowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The encoding named by the XML declaration at the start of an 8-bit file; empty when none is named.
std::string declaredEncoding(const std::string& bytes) {
    if (bytes.compare(0, 5, "<?xml") != 0) return {};
    const size_t end = bytes.find("?>");
    if (end == std::string::npos) return {};
    const std::string declaration = bytes.substr(0, end);
    size_t at = declaration.find("encoding");
    if (at == std::string::npos) return {};
    at += 8;
    const auto skipBlanks = [&] {
        while (at < declaration.size() && std::strchr(" \t\r\n", declaration[at]) != nullptr) ++at;
    };
    skipBlanks();
    if (at >= declaration.size() || declaration[at] != '=') return {};
    ++at;
    skipBlanks();
    if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\'')) return {};
    const char quote = declaration[at++];
    const size_t close = declaration.find(quote, at);
    if (close == std::string::npos) return {};
    return declaration.substr(at, close - at);
}

// Converts with glibc iconv. False with unsupported set when iconv does not know the encoding, or with the
// converted prefix in out when the bytes hold a sequence that the encoding does not allow.
bool convertWithIconv(const char* from, const char* data, size_t size, std::string& out, bool& unsupported,
                      const char* to = "UTF-8") {
    out.clear();
    unsupported = false;
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        unsupported = true;
        return false;
    }
    char* in = const_cast<char*>(data);
    size_t inLeft = size;
    char chunk[4096];
    bool ok = true;
    for (;;) {
        char* outPtr = chunk;
        size_t outLeft = sizeof chunk;
        const size_t done = inLeft > 0 ? iconv(converter, &in, &inLeft, &outPtr, &outLeft)
                                       : iconv(converter, nullptr, nullptr, &outPtr, &outLeft);
        const int error = errno;
        out.append(chunk, static_cast<size_t>(outPtr - chunk));
        if (done == static_cast<size_t>(-1)) {
            if (error == E2BIG) continue;
            ok = false;
            break;
        }
        if (inLeft == 0 && outPtr == chunk) break;
    }
    iconv_close(converter);
    return ok;
}

// A line ends at LF, at CR LF (counted at the LF) or at a lone CR.
bool endsLineAt(const std::string& text, size_t at) {
    return text[at] == '\n' || (text[at] == '\r' && (at + 1 >= text.size() || text[at + 1] != '\n'));
}

}  // namespace

void locateLine(const std::string& text, size_t offset, int32_t& line, std::string& lineText) {
    offset = std::min(offset, text.size());
    line = 1;
    size_t lineStart = 0;
    for (size_t i = 0; i < offset; ++i) {
        if (endsLineAt(text, i)) {
            ++line;
            lineStart = i + 1;
        }
    }
    size_t lineEnd = text.find_first_of("\r\n", lineStart);
    if (lineEnd == std::string::npos) lineEnd = text.size();
    lineText = text.substr(lineStart, lineEnd - lineStart);
}

std::vector<size_t> lineStartOffsets(const std::string& text) {
    std::vector<size_t> starts{0};
    for (size_t i = 0; i < text.size(); ++i) {
        if (endsLineAt(text, i)) starts.push_back(i + 1);
    }
    return starts;
}

int32_t lineOfOffset(const std::vector<size_t>& lineStarts, size_t offset) {
    // Every start at or before the offset opens a line the offset lies on or after.
    const auto after = std::upper_bound(lineStarts.begin(), lineStarts.end(), offset);
    return static_cast<int32_t>(std::max<std::ptrdiff_t>(1, after - lineStarts.begin()));
}

// A character outside the basic plane takes two units and is left out whole when only one is free; bytes that
// are not UTF-8 become U+FFFD, so the box never receives broken text.
std::string utf16Prefix(const std::string& text, size_t maxUnits) {
    std::string result;
    size_t units = 0;
    uint32_t point = 0;
    for (size_t at = 0; at < text.size();) {
        size_t length = decodeUtf8(text, at, point);
        std::string piece;
        if (length == 0) {
            piece = "\xEF\xBF\xBD";
            point = 0xFFFD;
            length = 1;
        } else {
            piece = text.substr(at, length);
        }
        const size_t need = point >= 0x10000 ? 2 : 1;
        if (units + need > maxUnits) break;
        units += need;
        result += piece;
        at += length;
    }
    return result;
}

bool encodeFromUtf8(const std::string& text, const std::string& encoding, std::string& bytes) {
    if (encoding.empty()) {
        bytes = text;
        return firstInvalidUtf8(text) == std::string::npos;
    }
    bool unsupported = false;
    return convertWithIconv("UTF-8", text.data(), text.size(), bytes, unsupported, encoding.c_str());
}

// Shift_JIS is read as CP932, the superset that Japanese files are really written in. A file that declares a
// 16- or 32-bit encoding but reached here as 8-bit text is refused rather than misread.
bool decodeToUtf8(const std::string& bytes, DecodedText& result) {
    const auto startsWith = [&](const char* prefix, size_t length) {
        return bytes.size() >= length && std::memcmp(bytes.data(), prefix, length) == 0;
    };
    const char* wide = nullptr;
    size_t skip = 0;
    std::string name;
    if (startsWith("\xEF\xBB\xBF", 3)) {
        skip = 3;
    } else if (startsWith("\xFF\xFE", 2)) {
        wide = "UTF-16LE", skip = 2;
    } else if (startsWith("\xFE\xFF", 2)) {
        wide = "UTF-16BE", skip = 2;
    } else if (startsWith("<\0?\0", 4)) {
        wide = "UTF-16LE";
    } else if (startsWith("\0<\0?", 4)) {
        wide = "UTF-16BE";
    } else {
        name = declaredEncoding(bytes);
    }

    std::string iconvName;
    if (wide != nullptr) {
        iconvName = wide;
    } else {
        const std::string lower = lowerAscii(name);
        if (lower == "shift_jis" || lower == "shift-jis" || lower == "sjis" || lower == "x-sjis" ||
            lower == "ms_kanji" || lower == "csshiftjis" || lower == "windows-31j" || lower == "cp932") {
            iconvName = "CP932";
        } else if (lower.rfind("utf-16", 0) == 0 || lower.rfind("utf-32", 0) == 0 || lower.rfind("ucs-", 0) == 0 ||
                   lower == "iso-10646-ucs-2" || lower == "iso-10646-ucs-4") {
            result.errorLine = 1;
            result.problem = "文字コード " + name + " が宣言されていますが、ファイルはその形式で書かれていません";
            return false;
        } else if (!lower.empty() && lower != "utf-8" && lower != "utf8") {
            iconvName = name;
        }
    }

    result.encoding = iconvName;
    if (iconvName.empty()) {
        result.text = bytes.substr(skip);
        const size_t bad = firstInvalidUtf8(result.text);
        if (bad == std::string::npos) return true;
        std::string ignored;
        locateLine(result.text, bad, result.errorLine, ignored);
        result.problem = "UTF-8 として読めない文字があります";
        return false;
    }

    bool unsupported = false;
    if (convertWithIconv(iconvName.c_str(), bytes.data() + skip, bytes.size() - skip, result.text, unsupported)) {
        return true;
    }
    const std::string shownName = wide != nullptr ? std::string(wide) : name;
    if (unsupported) {
        result.errorLine = 1;
        result.problem = "文字コード " + shownName + " には対応していません";
    } else {
        std::string ignored;
        locateLine(result.text, result.text.size(), result.errorLine, ignored);
        result.problem = "文字コード " + shownName + " として読めない文字があります";
    }
    return false;
}
