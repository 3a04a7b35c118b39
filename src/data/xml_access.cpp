// The XML layer on pugixml: every data file and the save file go through here. Files are converted to
// UTF-8 before parsing, so every text handed out is valid UTF-8 and parse-error offsets give true lines.
#include "data/xml_access.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <iconv.h>
#include <pugixml.hpp>
#include <unistd.h>

#include "data/document_cache.h"
#include "platform/file_stamp.h"
#include "platform/files.h"
#include "platform/window.h"

struct XmlDocumentData {
    pugi::xml_document document;
    std::string source;  // the document as parsed (UTF-8), for the line numbers of nodes
};

namespace {

constexpr int32_t comFail = static_cast<int32_t>(0x80004005u);

[[noreturn]] void raise(int32_t code) {
    throw ComError{code};
}

// ---- UTF-8 helpers ----

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

// The longest prefix of text that fits in maxUnits UTF-16 units, never cut inside a character (a character
// outside the basic plane takes two units and is left out whole when only one is free). Bytes that are not
// UTF-8 become U+FFFD, so the box never receives broken text.
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

// ---- Line numbers ----

// The 1-based line of a byte offset and the text of that line (without its line end). Lines end at LF, CR LF
// or a lone CR, as the parser sees them.
void locateLine(const std::string& text, size_t offset, int32_t& line, std::string& lineText) {
    offset = std::min(offset, text.size());
    line = 1;
    size_t lineStart = 0;
    for (size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
            ++line;
            lineStart = i + 1;
        }
    }
    size_t lineEnd = text.find_first_of("\r\n", lineStart);
    if (lineEnd == std::string::npos) lineEnd = text.size();
    lineText = text.substr(lineStart, lineEnd - lineStart);
}

// ---- Encodings ----

struct Decoding {
    std::string text;      // the document as UTF-8
    int32_t errorLine = 0;  // where decoding failed
    std::string problem;   // the text of the parse-error box when it failed
};

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
bool convertWithIconv(const char* from, const char* data, size_t size, std::string& out, bool& unsupported) {
    out.clear();
    unsupported = false;
    iconv_t converter = iconv_open("UTF-8", from);
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

// Brings the file's bytes to UTF-8: a byte-order mark decides first (UTF-8, UTF-16 LE or BE, also UTF-16
// recognised by its first "<?" without a mark), else the encoding the declaration names; none means UTF-8.
// Shift_JIS and its aliases are read as CP932, the superset that Japanese files are really written in.
bool decodeToUtf8(const std::string& bytes, Decoding& result) {
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

// ---- Nodes ----

pugi::xml_node pugiNode(const XmlNode& node) {
    if (node.empty() || !node.document) raise(comInvalidPointer);
    return pugi::xml_node(static_cast<pugi::xml_node_struct*>(node.handle));
}

XmlNode wrap(const std::shared_ptr<XmlDocumentData>& document, pugi::xml_node node) {
    if (!node) return {};
    return XmlNode{document, node.internal_object()};
}

// A location step that is a bare element name (or "*"), with no axis, predicate or function.
bool isPlainName(const std::string& name) {
    return !name.empty() && name.find_first_of("/[]@()=|\"' \t\r\n") == std::string::npos;
}

bool nameMatches(pugi::xml_node node, const std::string& name) {
    return node.type() == pugi::node_element && (name == "*" || name == node.name());
}

// Visits every node below top (top itself when `withTop`) in document order until the visitor returns true;
// iterative, so that deep nesting cannot exhaust the stack. Gives the node the visitor stopped at, or an empty one.
template <typename Visit>
pugi::xml_node walkBelow(pugi::xml_node top, bool withTop, Visit visit) {
    if (withTop && visit(top)) return top;
    pugi::xml_node node = top.first_child();
    while (node) {
        if (visit(node)) return node;
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && node != top && !node.next_sibling()) node = node.parent();
        if (!node || node == top) break;
        node = node.next_sibling();
    }
    return {};
}

// Every element of that name below top, in document order.
void collectDescendants(const std::shared_ptr<XmlDocumentData>& document, pugi::xml_node top,
                        const std::string& name, XmlNodeList& list) {
    walkBelow(top, false, [&](pugi::xml_node node) {
        if (nameMatches(node, name)) list.nodes.push_back(wrap(document, node));
        return false;
    });
}

// Paths beyond the three forms the game uses go to pugixml's XPath engine.
XmlNodeList selectByXPath(const std::shared_ptr<XmlDocumentData>& document, pugi::xml_node context,
                          const std::string& path) {
    XmlNodeList list;
    try {
        pugi::xpath_node_set set = context.select_nodes(path.c_str());
        set.sort();
        for (const pugi::xpath_node& found : set) {
            if (found.node()) list.nodes.push_back(wrap(document, found.node()));
        }
    } catch (const pugi::xpath_exception&) {
        raise(comFail);
    }
    return list;
}

XmlNodeList selectFrom(const std::shared_ptr<XmlDocumentData>& document, pugi::xml_node context,
                       const std::string& path) {
    XmlNodeList list;
    if (path.size() > 2 && path.compare(0, 2, "//") == 0 && isPlainName(path.substr(2))) {
        collectDescendants(document, document->document, path.substr(2), list);
        return list;
    }
    if (!isPlainName(path)) return selectByXPath(document, context, path);
    for (pugi::xml_node child = context.first_child(); child; child = child.next_sibling()) {
        if (nameMatches(child, path)) list.nodes.push_back(wrap(document, child));
    }
    return list;
}

size_t offsetOf(pugi::xml_node node) {
    return static_cast<size_t>(std::max<ptrdiff_t>(0, node.offset_debug()));
}

// The first element below top (top included) that carries the same attribute twice, or an empty node.
pugi::xml_node elementWithRepeatedAttribute(pugi::xml_node top) {
    return walkBelow(top, true, [](pugi::xml_node node) {
        if (node.type() != pugi::node_element) return false;
        for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
            for (pugi::xml_attribute b = a.next_attribute(); b; b = b.next_attribute()) {
                if (std::strcmp(a.name(), b.name()) == 0) return true;
            }
        }
        return false;
    });
}

// A well-formed document has exactly one root element, no text outside it and no attribute named twice on
// one element; pugixml accepts all three, the game does not. Gives the offset of the first fault, or npos.
size_t misplacedTopLevelNode(const pugi::xml_document& document) {
    pugi::xml_node root;
    for (pugi::xml_node node = document.first_child(); node; node = node.next_sibling()) {
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) return offsetOf(node);
        if (node.type() == pugi::node_element) {
            if (root) return offsetOf(node);
            root = node;
        }
    }
    if (!root) return 0;
    if (const pugi::xml_node repeated = elementWithRepeatedAttribute(root)) return offsetOf(repeated);
    return std::string::npos;
}

// ---- Files ----

// The failure codes of the file system, in the system's own numbering.
int32_t codeOfErrno(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return static_cast<int32_t>(0x80070003u);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return static_cast<int32_t>(0x80070005u);
    case ENOSPC:
    case EDQUOT:
        return static_cast<int32_t>(0x80070070u);
    case EIO:
        return static_cast<int32_t>(0x8007001Fu);
    case ENOMEM:
        return comOutOfMemory;
    case ENAMETOOLONG:
        return static_cast<int32_t>(0x800700CEu);
    default:
        return comFail;
    }
}

bool writeAll(int descriptor, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(descriptor, text.data() + done, text.size() - done);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

// Keeps the file about to be replaced as PATH.bak. A hard link costs nothing and leaves no moment without
// PATH; where links are not possible the bytes are copied. A backup that cannot be made does not stop the save.
void keepBackup(const std::string& target) {
    if (::access(target.c_str(), F_OK) != 0) return;
    const std::string backup = target + ".bak";
    ::unlink(backup.c_str());
    if (::link(target.c_str(), backup.c_str()) == 0) return;
    std::string bytes;
    if (!readWholeFile(target, bytes)) return;
    const int descriptor = ::open(backup.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0) return;
    writeAll(descriptor, bytes);
    ::close(descriptor);
}

void syncFolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return;
    ::fsync(descriptor);
    ::close(descriptor);
}

// The new text reaches the disk under PATH.tmp first and replaces PATH with one rename, so PATH is always
// either the old file or the new one whole, whenever the process dies or the disk fills.
void writeFileAtomically(const std::string& target, const std::string& text) {
    const std::string temporary = target + ".tmp";
    const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0) raise(codeOfErrno(errno));
    if (!writeAll(descriptor, text) || ::fsync(descriptor) != 0) {
        const int error = errno;
        ::close(descriptor);
        ::unlink(temporary.c_str());
        raise(codeOfErrno(error));
    }
    if (::close(descriptor) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        raise(codeOfErrno(error));
    }
    keepBackup(target);
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        raise(codeOfErrno(error));
    }
    syncFolderOf(target);
}

struct StringWriter : pugi::xml_writer {
    std::string text;
    void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
};

}  // namespace

// The system's descriptions of the codes the game can meet, as a Japanese system words them; other codes
// get the two substitute texts.
std::string ComError::message() const {
    const uint32_t value = static_cast<uint32_t>(code);
    switch (value) {
    case 0x80004001u: return "実装されていません";
    case 0x80004002u: return "インターフェイスがサポートされていません";
    case 0x80004003u: return "無効なポインターです";
    case 0x80004004u: return "操作は中止されました";
    case 0x80004005u: return "エラーを特定できません";
    case 0x8000FFFFu: return "致命的なエラーです";
    case 0x80070002u: return "指定されたファイルが見つかりません";
    case 0x80070003u: return "指定されたパスが見つかりません";
    case 0x80070005u: return "アクセスが拒否されました";
    case 0x8007000Eu: return "この操作を完了するのに十分な記憶域がありません";
    case 0x8007001Fu: return "システムに接続されたデバイスが機能していません";
    case 0x80070057u: return "パラメーターが間違っています";
    case 0x80070070u: return "ディスクに十分な空き領域がありません";
    case 0x800700CEu: return "ファイル名または拡張子が長すぎます";
    default: break;
    }
    char text[32];
    if (value >= 0x80040201u && value <= 0x8004FFFFu) {
        std::snprintf(text, sizeof text, "IDispatch error #%d", static_cast<int>(value - 0x80040200u));
    } else {
        std::snprintf(text, sizeof text, "Unknown error 0x%0lX", static_cast<unsigned long>(value));
    }
    return text;
}

XmlNode XmlNodeList::item(int32_t index) const {
    return index >= 0 && index < length() ? nodes[static_cast<size_t>(index)] : XmlNode{};
}

void reportParseError(int32_t line, const std::string& sourceText) {
    // The box holds 255 UTF-16 units; a longer line is cut at the last whole character that fits.
    const std::string text = utf16Prefix("\n" + std::to_string(line) + "行\n" + sourceText, 255);
    showMessageBox(text, "XMLパースエラー");
}

void reportComError(const ComError& error) {
    showMessageBox(error.message(), "COMエラー");
}

namespace {

// Opens and parses a file, showing the parse-error box when loud. A file unchanged on disk since it was last
// parsed gives the same parsed document again (nothing the loaders do writes into it).
bool openDocument(XmlDocument& document, const std::string& path, bool loud) {
    const std::string real = resolveGamePath(path);
    const std::string key = absoluteFilePath(real);
    const FileStamp stamp = fileStamp(real);
    if (auto kept = keptDocument(key, stamp, nullptr)) {
        document.data = std::move(kept);
        return true;
    }
    std::string bytes;
    if (!readWholeFile(real, bytes)) {
        if (loud) reportParseError(0, "ファイルを開けません: " + path);
        return false;
    }
    if (auto kept = keptDocument(key, stamp, &bytes)) {
        document.data = std::move(kept);
        return true;
    }
    Decoding decoding;
    if (!decodeToUtf8(bytes, decoding)) {
        if (loud) reportParseError(decoding.errorLine, decoding.problem);
        return false;
    }
    auto data = std::make_shared<XmlDocumentData>();
    // As a fragment, text outside the root stays in the tree, so that it can be refused below.
    const pugi::xml_parse_result result = data->document.load_buffer(
        decoding.text.data(), decoding.text.size(), pugi::parse_default | pugi::parse_fragment, pugi::encoding_utf8);
    size_t errorOffset = std::string::npos;
    if (!result) {
        errorOffset = static_cast<size_t>(std::max<ptrdiff_t>(0, result.offset));
    } else {
        errorOffset = misplacedTopLevelNode(data->document);
    }
    if (errorOffset != std::string::npos) {
        int32_t line = 0;
        std::string lineText;
        locateLine(decoding.text, errorOffset, line, lineText);
        if (loud) reportParseError(line, lineText);
        return false;
    }
    data->source = std::move(decoding.text);
    // Kept only when the file did not change while it was read.
    if (sameStamp(stamp, fileStamp(real))) keepDocument(key, stamp, bytes, data);
    document.data = std::move(data);
    return true;
}

}  // namespace

// A file that cannot be read is reported as line 0 with a sentence naming the file as the game names it.
bool openXmlDocument(XmlDocument& document, const std::string& path) {
    return openDocument(document, path, true);
}

bool openXmlDocumentQuietly(XmlDocument& document, const std::string& path) {
    return openDocument(document, path, false);
}

int32_t xmlNodeLine(const XmlNode& node) {
    if (node.empty() || !node.document) return 0;
    const ptrdiff_t offset = pugiNode(node).offset_debug();
    if (offset < 0) return 0;
    int32_t line = 0;
    std::string lineText;
    locateLine(node.document->source, static_cast<size_t>(offset), line, lineText);
    return line;
}

XmlNodeList selectNodes(const XmlDocument& document, const std::string& path) {
    if (!document.data) raise(comInvalidPointer);
    return selectFrom(document.data, document.data->document, path);
}

XmlNodeList selectNodes(const XmlNode& element, const std::string& name) {
    return selectFrom(element.document, pugiNode(element), name);
}

XmlNode asElement(const XmlNode& node) {
    if (node.empty()) return {};
    return pugiNode(node).type() == pugi::node_element ? node : XmlNode{};
}

int32_t attributeInt(const XmlNode& element, const std::string& name) {
    return wideToInt(attributeText(element, name));
}

std::string attributeText(const XmlNode& element, const std::string& name) {
    return pugiNode(element).attribute(name.c_str()).value();
}

bool hasAttribute(const XmlNode& element, const std::string& name) {
    return !pugiNode(element).attribute(name.c_str()).empty();
}

// All text below the node in document order, without the white space at its two ends (line breaks and
// indentation around a text in a hand-written file are not part of it).
std::string elementText(const XmlNode& node) {
    const pugi::xml_node top = pugiNode(node);
    std::string text;
    if (top.type() == pugi::node_pcdata || top.type() == pugi::node_cdata) {
        text = top.value();
    } else {
        pugi::xml_node at = top.first_child();
        while (at) {
            if (at.type() == pugi::node_pcdata || at.type() == pugi::node_cdata) text += at.value();
            if (at.first_child()) {
                at = at.first_child();
                continue;
            }
            while (at && at != top && !at.next_sibling()) at = at.parent();
            if (!at || at == top) break;
            at = at.next_sibling();
        }
    }
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// Blanks, an optional sign, then digits up to the first non-digit. A number beyond the 32-bit range gives
// the nearest limit, as the runtime's conversion does.
int32_t wideToInt(const std::string& text) {
    size_t at = 0;
    while (at < text.size() && std::strchr(" \t\n\v\f\r", text[at]) != nullptr && text[at] != '\0') ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    int64_t value = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        value = std::min<int64_t>(value * 10 + (text[at] - '0'), int64_t{1} << 31);
        ++at;
    }
    if (negative) value = -value;
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

int32_t runXmlLoader(const std::string& path, const std::function<int32_t(XmlDocument& document)>& body) {
    try {
        XmlDocument document;
        if (!openXmlDocument(document, path)) return 0;
        return body(document);
    } catch (const ComError& error) {
        reportComError(error);
        return 0;
    } catch (const std::bad_alloc&) {
        reportComError(ComError{comOutOfMemory});
        return 0;
    }
}

XmlDocument createXmlDocument() {
    return XmlDocument{std::make_shared<XmlDocumentData>()};
}

void appendProcessingInstruction(XmlDocument& document, const std::string& target, const std::string& data) {
    if (!document.data) raise(comInvalidPointer);
    pugi::xml_node node = document.data->document.append_child(pugi::node_pi);
    if (!node || !node.set_name(target.c_str()) || !node.set_value(data.c_str())) raise(comFail);
}

void appendComment(XmlDocument& document, const std::string& text) {
    if (!document.data) raise(comInvalidPointer);
    pugi::xml_node node = document.data->document.append_child(pugi::node_comment);
    if (!node || !node.set_value(text.c_str())) raise(comFail);
}

XmlNode appendElement(XmlDocument& document, const std::string& name) {
    if (!document.data) raise(comInvalidPointer);
    pugi::xml_node node = document.data->document.append_child(name.c_str());
    if (!node) raise(comFail);
    return wrap(document.data, node);
}

XmlNode appendElement(const XmlNode& parent, const std::string& name) {
    pugi::xml_node node = pugiNode(parent).append_child(name.c_str());
    if (!node) raise(comFail);
    return wrap(parent.document, node);
}

void appendText(const XmlNode& parent, const std::string& text) {
    pugi::xml_node node = pugiNode(parent).append_child(pugi::node_pcdata);
    if (!node || !node.set_value(text.c_str())) raise(comFail);
}

void setAttribute(const XmlNode& element, const std::string& name, int32_t value) {
    pugi::xml_node node = pugiNode(element);
    if (node.type() != pugi::node_element) raise(comFail);
    pugi::xml_attribute attribute = node.attribute(name.c_str());
    if (!attribute) attribute = node.append_attribute(name.c_str());
    if (!attribute || !attribute.set_value(std::to_string(value).c_str())) raise(comFail);
}

// The top-level nodes (declaration, comment, root) go on lines of their own; inside the root the text
// nodes the caller appended are the only line breaks.
void saveXmlDocument(const XmlDocument& document, const std::string& path) {
    if (!document.data) raise(comInvalidPointer);
    StringWriter writer;
    for (pugi::xml_node node = document.data->document.first_child(); node; node = node.next_sibling()) {
        node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
        writer.text += '\n';
    }
    writeFileAtomically(resolveGamePath(path), writer.text);
}
