// The XML layer on pugixml: every data file and the save file go through here. Files are converted to
// UTF-8 (text_decoding) before parsing, so every text handed out is valid UTF-8.
#include "data/xml_access.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include <pugixml.hpp>

#include "data/document_cache.h"
#include "data/text_decoding.h"
#include "platform/file_stamp.h"
#include "platform/files.h"
#include "platform/window.h"

struct XmlDocumentData {
    pugi::xml_document document;
    std::string source;  // the document as parsed (UTF-8), for the line numbers of nodes
    // Where each line of the source starts, made when a node's line is first asked for (the validator asks for
    // many; the game hardly ever), so each line is found by a binary search.
    std::once_flag lineStartsMade;
    std::vector<size_t> lineStarts;
    int32_t firstLine = 1;  // the line of its file the source starts on (a part of a file parsed alone)
};

namespace {

constexpr int32_t comFail = static_cast<int32_t>(0x80004005u);

[[noreturn]] void raise(int32_t code) {
    throw ComError{code};
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
template <typename Visit> pugi::xml_node walkBelow(pugi::xml_node top, bool withTop, Visit visit) {
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
void collectDescendants(const std::shared_ptr<XmlDocumentData>& document, pugi::xml_node top, const std::string& name,
                        XmlNodeList& list) {
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
    case ENOTDIR: return static_cast<int32_t>(0x80070003u);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return static_cast<int32_t>(0x80070005u);
    case ENOSPC:
    case EDQUOT: return static_cast<int32_t>(0x80070070u);
    case EIO: return static_cast<int32_t>(0x8007001Fu);
    case ENOMEM: return comOutOfMemory;
    case ENAMETOOLONG: return static_cast<int32_t>(0x800700CEu);
    default: return comFail;
    }
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

namespace {

std::string parseErrorHead(int32_t line) {
    return "\n" + std::to_string(line) + "行\n";
}

// The problem as the box shows it, so that the quiet open tells the same text: the box holds 255 UTF-16
// units, and a longer line is cut at the last whole character that fits.
XmlParseProblem parseProblem(int32_t line, const std::string& sourceText) {
    const std::string head = parseErrorHead(line);
    return {line, utf16Prefix(head + sourceText, 255).substr(head.size())};
}

}  // namespace

void reportParseError(int32_t line, const std::string& sourceText) {
    showMessageBox(parseErrorHead(line) + parseProblem(line, sourceText).text, "XMLパースエラー");
}

void reportComError(const ComError& error) {
    showMessageBox(error.message(), "COMエラー");
}

namespace {

// Decodes and parses a file's bytes into data, its source kept for the lines of its nodes; false with the line and
// its text (or why the bytes do not decode) when they are not a well-formed document.
bool parseDocumentBytes(const std::string& bytes, XmlDocumentData& data, XmlParseProblem& problem) {
    DecodedText decoding;
    if (!decodeToUtf8(bytes, decoding)) {
        problem = parseProblem(decoding.errorLine, decoding.problem);
        return false;
    }
    // As a fragment, text outside the root stays in the tree, so that it can be refused below.
    const pugi::xml_parse_result result = data.document.load_buffer(
        decoding.text.data(), decoding.text.size(), pugi::parse_default | pugi::parse_fragment, pugi::encoding_utf8);
    size_t errorOffset = std::string::npos;
    if (!result) {
        errorOffset = static_cast<size_t>(std::max<ptrdiff_t>(0, result.offset));
    } else {
        errorOffset = misplacedTopLevelNode(data.document);
    }
    if (errorOffset != std::string::npos) {
        int32_t line = 0;
        std::string lineText;
        locateLine(decoding.text, errorOffset, line, lineText);
        problem = parseProblem(line, lineText);
        return false;
    }
    data.source = std::move(decoding.text);
    return true;
}

// Opens and parses a file; when that fails, problem tells what the parse-error box says. A file unchanged on
// disk since it was last parsed gives the same parsed document again (nothing the loaders do writes into it).
// A file that cannot be read is reported as line 0 with a sentence naming the file as the game names it.
bool openDocument(XmlDocument& document, const std::string& path, XmlParseProblem& problem, bool keep = true) {
    const std::string real = resolveGamePath(path);
    const std::string key = absoluteFilePath(real);
    const FileStamp stamp = fileStamp(real);
    if (auto kept = keptDocument(key, stamp, nullptr)) {
        document.data = std::move(kept);
        return true;
    }
    std::string bytes;
    if (!readWholeFile(real, bytes)) {
        problem = parseProblem(0, "ファイルを開けません: " + path);
        return false;
    }
    if (auto kept = keptDocument(key, stamp, &bytes)) {
        document.data = std::move(kept);
        return true;
    }
    auto data = std::make_shared<XmlDocumentData>();
    if (!parseDocumentBytes(bytes, *data, problem)) return false;
    // Kept only when the file did not change while it was read.
    if (keep && sameStamp(stamp, fileStamp(real))) keepDocument(key, stamp, bytes, data);
    document.data = std::move(data);
    return true;
}

}  // namespace

// The box says the line but not the file; standard error names both, as FILE:LINE, for the world's author.
bool openXmlDocument(XmlDocument& document, const std::string& path) {
    XmlParseProblem problem;
    if (openDocument(document, path, problem)) return true;
    std::fprintf(stderr, "%s: %s:%d: XMLパースエラー: %s\n", program_invocation_short_name,
                 resolveGamePath(path).c_str(), static_cast<int>(problem.line), problem.text.c_str());
    std::fflush(stderr);
    reportParseError(problem.line, problem.text);
    return false;
}

bool parseXmlBytes(XmlDocument& document, const std::string& bytes, XmlParseProblem* problem) {
    XmlParseProblem ignored;
    auto data = std::make_shared<XmlDocumentData>();
    if (!parseDocumentBytes(bytes, *data, problem != nullptr ? *problem : ignored)) return false;
    document.data = std::move(data);
    return true;
}

bool parseXmlPart(XmlDocument& document, const std::string& bytes, int32_t firstLine) {
    XmlParseProblem ignored;
    auto data = std::make_shared<XmlDocumentData>();
    if (!parseDocumentBytes(bytes, *data, ignored)) return false;
    data->firstLine = firstLine;
    document.data = std::move(data);
    return true;
}

XmlNode rootElement(const XmlDocument& document) {
    if (!document.data) return {};
    return wrap(document.data, document.data->document.document_element());
}

bool openXmlDocumentQuietly(XmlDocument& document, const std::string& path, XmlParseProblem* problem) {
    XmlParseProblem ignored;
    return openDocument(document, path, problem != nullptr ? *problem : ignored);
}

int32_t xmlNodeLine(const XmlNode& node) {
    if (node.empty() || !node.document) return 0;
    const ptrdiff_t offset = pugiNode(node).offset_debug();
    if (offset < 0) return 0;
    XmlDocumentData& document = *node.document;
    std::call_once(document.lineStartsMade, [&] { document.lineStarts = lineStartOffsets(document.source); });
    return lineOfOffset(document.lineStarts, static_cast<size_t>(offset)) + document.firstLine - 1;
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

void readIntAttributes(const XmlNode& element, std::initializer_list<IntAttribute> attributes) {
    for (const IntAttribute& attribute : attributes) attribute.field = attributeInt(element, attribute.name);
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
    std::string text;
    walkBelow(pugiNode(node), true, [&](pugi::xml_node at) {
        if (at.type() == pugi::node_pcdata || at.type() == pugi::node_cdata) text += at.value();
        return false;
    });
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string elementName(const XmlNode& node) {
    if (node.empty() || !node.document) return {};
    const pugi::xml_node element = pugiNode(node);
    return element.type() == pugi::node_element ? element.name() : std::string();
}

XmlNodeList childElements(const XmlNode& element) {
    XmlNodeList list;
    if (element.empty() || !element.document) return list;
    for (pugi::xml_node child = pugiNode(element).first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element) list.nodes.push_back(wrap(element.document, child));
    return list;
}

std::vector<std::string> attributeNames(const XmlNode& element) {
    std::vector<std::string> names;
    if (element.empty() || !element.document) return names;
    for (pugi::xml_attribute a = pugiNode(element).first_attribute(); a; a = a.next_attribute())
        names.emplace_back(a.name());
    return names;
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

namespace {

// The guarded region, with or without the box.
int32_t guarded(const std::function<int32_t()>& body, bool loud) {
    try {
        return body();
    } catch (const ComError& error) {
        if (loud) reportComError(error);
        return 0;
    } catch (const std::bad_alloc&) {
        if (loud) reportComError(ComError{comOutOfMemory});
        return 0;
    }
}

int32_t runLoader(const std::string& path, const std::function<int32_t(XmlDocument& document)>& body, bool loud) {
    return guarded(
        [&] {
            XmlDocument document;
            if (!(loud ? openXmlDocument(document, path) : openXmlDocumentQuietly(document, path))) return 0;
            return body(document);
        },
        loud);
}

}  // namespace

int32_t runGuarded(const std::function<int32_t()>& body) {
    return guarded(body, true);
}

int32_t runXmlLoader(const std::string& path, const std::function<int32_t(XmlDocument& document)>& body) {
    return runLoader(path, body, true);
}

int32_t runXmlLoaderQuietly(const std::string& path, const std::function<int32_t(XmlDocument& document)>& body) {
    return runLoader(path, body, false);
}

int32_t runXmlReaderUnkept(const std::string& path, const std::function<int32_t(XmlDocument& document)>& body) {
    return guarded(
        [&] {
            XmlDocument document;
            XmlParseProblem ignored;
            if (!openDocument(document, path, ignored, false)) return 0;
            return body(document);
        },
        false);
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
void saveXmlDocument(const XmlDocument& document, const std::string& path, bool replaceBackup) {
    if (!document.data) raise(comInvalidPointer);
    StringWriter writer;
    for (pugi::xml_node node = document.data->document.first_child(); node; node = node.next_sibling()) {
        node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
        writer.text += '\n';
    }
    const std::string real = resolveGamePath(path);
    std::string why;
    const int error = writeFileAtomically(real, writer.text, &why, replaceBackup);
    if (error == 0) return;
    // The box shows only the system's code; standard error says which file and what was in the way.
    reportRefusedFile(real, "cannot be written: " + why);
    raise(codeOfErrno(error));
}
