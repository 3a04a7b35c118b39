// Editing a data file's bytes in place: a scan of the markup finds each element's tags and attributes by byte
// offset, the edit replaces only those bytes, and the XML layer's own parser reads the result before it is taken.
#include "data/xml_edit.h"

#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

#include "data/text_decoding.h"
#include "data/xml_access.h"
#include "platform/files.h"

namespace {

struct ScannedAttribute {
    std::string name;
    std::size_t valueAt = 0, valueEnd = 0;  // the value's bytes, inside its quotes
    char quote = '"';
};

struct ScannedElement {
    std::string name;
    std::size_t start = 0;          // its '<'
    std::size_t attributesEnd = 0;  // just after its name or its last attribute's closing quote
    std::size_t end = 0;            // just after its end tag, or after its "/>"
    int32_t line = 0;
    std::vector<ScannedAttribute> attributes;
};

struct ScannedFile {
    std::string encoding;  // as decodeToUtf8 names it; empty for UTF-8
    std::string lineEnd;   // the file's first line end, LF when it has none
    std::vector<ScannedElement> elements;
};

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Every element in document order, found in the bytes themselves: the markup's characters are ASCII, and in the
// 8-bit encodings the game reads (UTF-8, Shift_JIS) no byte of another character is < > " ' = / or a blank, so
// the bytes need no decoding. False with why when the markup breaks off.
bool scanElements(const std::string& bytes, std::vector<ScannedElement>& elements, std::string& problem) {
    const std::vector<std::size_t> lineStarts = lineStartOffsets(bytes);
    const std::size_t size = bytes.size();
    std::vector<std::size_t> open;  // the elements whose end tag is still to come
    std::size_t at = 0;
    const auto broken = [&](const char* what) {
        problem = "line " + std::to_string(lineOfOffset(lineStarts, at)) + ": " + what + " is not closed";
        return false;
    };
    const auto skipPast = [&](const char* close) {
        const std::size_t found = bytes.find(close, at);
        if (found == std::string::npos) return false;
        at = found + std::strlen(close);
        return true;
    };
    while ((at = bytes.find('<', at)) != std::string::npos) {
        if (bytes.compare(at, 4, "<!--") == 0) {
            if (!skipPast("-->")) return broken("a comment");
        } else if (bytes.compare(at, 9, "<![CDATA[") == 0) {
            if (!skipPast("]]>")) return broken("a CDATA section");
        } else if (bytes.compare(at, 2, "<?") == 0) {
            if (!skipPast("?>")) return broken("a processing instruction");
        } else if (bytes.compare(at, 2, "<!") == 0) {
            // A document type, whose inner part in brackets may hold '>'.
            int32_t depth = 0;
            std::size_t i = at + 2;
            for (; i < size && (bytes[i] != '>' || depth > 0); ++i)
                depth += bytes[i] == '[' ? 1 : bytes[i] == ']' ? -1 : 0;
            if (i >= size) return broken("a document type");
            at = i + 1;
        } else if (bytes.compare(at, 2, "</") == 0) {
            const std::size_t close = bytes.find('>', at);
            if (close == std::string::npos || open.empty()) return broken("an end tag");
            elements[open.back()].end = close + 1;
            open.pop_back();
            at = close + 1;
        } else {
            ScannedElement element;
            element.start = at;
            element.line = lineOfOffset(lineStarts, at);
            std::size_t i = at + 1;
            while (i < size && !isBlank(bytes[i]) && bytes[i] != '/' && bytes[i] != '>') ++i;
            element.name = bytes.substr(at + 1, i - at - 1);
            element.attributesEnd = i;
            for (;;) {
                while (i < size && isBlank(bytes[i])) ++i;
                if (i >= size) return broken("a start tag");
                if (bytes[i] == '>') {
                    ++i;
                    open.push_back(elements.size());
                    break;
                }
                if (bytes[i] == '/') {
                    if (i + 1 >= size || bytes[i + 1] != '>') return broken("a start tag");
                    i += 2;
                    element.end = i;
                    break;
                }
                ScannedAttribute attribute;
                const std::size_t nameAt = i;
                while (i < size && !isBlank(bytes[i]) && bytes[i] != '=' && bytes[i] != '>' && bytes[i] != '/') ++i;
                attribute.name = bytes.substr(nameAt, i - nameAt);
                while (i < size && isBlank(bytes[i])) ++i;
                if (i >= size || bytes[i] != '=') return broken("a start tag");
                ++i;
                while (i < size && isBlank(bytes[i])) ++i;
                if (i >= size || (bytes[i] != '"' && bytes[i] != '\'')) return broken("a start tag");
                attribute.quote = bytes[i];
                attribute.valueAt = i + 1;
                const std::size_t close = bytes.find(attribute.quote, i + 1);
                if (close == std::string::npos) return broken("an attribute's value");
                attribute.valueEnd = close;
                i = close + 1;
                element.attributesEnd = i;
                element.attributes.push_back(std::move(attribute));
            }
            at = i;
            elements.push_back(std::move(element));
        }
    }
    if (!open.empty()) {
        at = elements[open.back()].start;
        return broken("an element");
    }
    return true;
}

// The parsed document's elements in document order.
void collectElements(const XmlNode& element, std::vector<XmlNode>& into) {
    into.push_back(element);
    const XmlNodeList children = childElements(element);
    for (const XmlNode& child : children.nodes) collectElements(child, into);
}

// Parses the bytes as the game will; their elements in document order, or false with why.
bool readsAsData(const std::string& bytes, std::vector<XmlNode>& elements, std::string& problem) {
    XmlDocument document;
    XmlParseProblem parse;
    if (!parseXmlBytes(document, bytes, &parse)) {
        problem = "the file would not read: line " + std::to_string(parse.line) + ": " + parse.text;
        return false;
    }
    elements.clear();
    const XmlNode root = rootElement(document);
    if (!root.empty()) collectElements(root, elements);
    return true;
}

// Scans a file that reads as it is, in an encoding whose bytes the scan understands, and checks that the scan found
// the elements the parser finds.
bool scanFile(const std::string& bytes, ScannedFile& file, std::string& problem) {
    DecodedText decoded;
    if (!decodeToUtf8(bytes, decoded)) {
        problem = "the file does not read as it is: line " + std::to_string(decoded.errorLine) + ": " + decoded.problem;
        return false;
    }
    if (decoded.encoding.rfind("UTF-16", 0) == 0) {
        problem = "a file in " + decoded.encoding + " is not edited; save it as UTF-8 or Shift_JIS";
        return false;
    }
    file.encoding = decoded.encoding;
    std::vector<XmlNode> parsed;
    std::string why;
    if (!readsAsData(bytes, parsed, why)) {
        problem = "the file does not read as it is" + why.substr(why.find(':'));
        return false;
    }
    if (!scanElements(bytes, file.elements, problem)) return false;
    bool same = parsed.size() == file.elements.size();
    for (std::size_t i = 0; same && i < parsed.size(); ++i) {
        std::string name;
        same = encodeFromUtf8(elementName(parsed[i]), file.encoding, name) && name == file.elements[i].name;
    }
    if (!same) {
        problem = "the file's markup is not understood well enough to edit it by hand";
        return false;
    }
    const std::size_t end = bytes.find_first_of("\r\n");
    file.lineEnd = end == std::string::npos ? "\n" : bytes.compare(end, 2, "\r\n") == 0 ? "\r\n" : bytes.substr(end, 1);
    return true;
}

bool findElement(const ScannedFile& file, const XmlElementAt& at, std::size_t& index, std::string& problem) {
    if (at.order >= 0) {
        index = static_cast<std::size_t>(at.order);
        if (index < file.elements.size()) return true;
        problem = "the file has " + std::to_string(file.elements.size()) + " elements, not " +
                  std::to_string(at.order + 1);
        return false;
    }
    int32_t seen = 0;
    for (index = 0; index < file.elements.size(); ++index) {
        const ScannedElement& element = file.elements[index];
        if (element.line == at.line && element.name == at.name && seen++ == at.nth) return true;
    }
    problem = "no <" + at.name + "> number " + std::to_string(at.nth + 1) + " starts on line " +
              std::to_string(at.line);
    return false;
}

// How many elements the element holds, itself included.
std::size_t elementsWithin(const ScannedFile& file, std::size_t index) {
    std::size_t count = 1;
    while (index + count < file.elements.size() && file.elements[index + count].start < file.elements[index].end)
        ++count;
    return count;
}

std::string escaped(const std::string& value, char quote) {
    std::string out;
    for (const char c : value) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '\n': out += "&#10;"; break;
        case '\r': out += "&#13;"; break;
        case '\t': out += "&#9;"; break;
        default:
            if (c == quote) {
                out += quote == '"' ? "&quot;" : "&apos;";
            } else {
                out += c;
            }
        }
    }
    return out;
}

bool encoded(const std::string& text, const ScannedFile& file, std::string& bytes, std::string& problem) {
    if (encodeFromUtf8(text, file.encoding, bytes)) return true;
    problem = "\"" + text + "\" cannot be written in this file's encoding (" +
              (file.encoding.empty() ? std::string("UTF-8") : file.encoding) + ")";
    return false;
}

// The start of the line the offset is on.
std::size_t lineStartOf(const std::string& bytes, std::size_t offset) {
    while (offset > 0 && !isLineEnd(bytes[offset - 1])) --offset;
    return offset;
}

// Where the line the offset is on ends: its line end, or the end of the file.
std::size_t lineEndOf(const std::string& bytes, std::size_t offset) {
    while (offset < bytes.size() && !isLineEnd(bytes[offset])) ++offset;
    return offset;
}

bool onlyBlanks(const std::string& bytes, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
        if (!isBlank(bytes[i])) return false;
    }
    return true;
}

// Whether only blanks and whole comments follow on the line from the offset.
bool onlyBlanksAndComments(const std::string& bytes, std::size_t from, std::size_t to) {
    while (from < to) {
        if (isBlank(bytes[from])) {
            ++from;
        } else if (bytes.compare(from, 4, "<!--") == 0) {
            const std::size_t close = bytes.find("-->", from);
            if (close == std::string::npos || close + 3 > to) return false;
            from = close + 3;
        } else {
            return false;
        }
    }
    return true;
}

// Takes the edited bytes once they read and readsBack says the parsed elements hold the edit.
bool accept(std::string& bytes, std::string edited, std::string& problem,
            const std::function<bool(const std::vector<XmlNode>&)>& readsBack) {
    std::vector<XmlNode> elements;
    if (!readsAsData(edited, elements, problem)) return false;
    if (!readsBack(elements)) {
        problem = "the file would not read back as edited";
        return false;
    }
    bytes = std::move(edited);
    return true;
}

}  // namespace

bool setXmlAttribute(std::string& bytes, const XmlElementAt& at, const std::string& name, const std::string& value,
                     std::string& problem) {
    ScannedFile file;
    std::size_t index = 0;
    if (!scanFile(bytes, file, problem) || !findElement(file, at, index, problem)) return false;
    const ScannedElement& element = file.elements[index];
    std::string attributeName;
    if (!encoded(name, file, attributeName, problem)) return false;
    if (attributeName.empty() || attributeName.find_first_of(" \t\r\n<>&=/\"'") != std::string::npos) {
        problem = "\"" + name + "\" is not an attribute's name";
        return false;
    }
    std::string edited = bytes;
    const ScannedAttribute* existing = nullptr;
    for (const ScannedAttribute& attribute : element.attributes) {
        if (attribute.name == attributeName) existing = &attribute;
    }
    const char quote = existing != nullptr          ? existing->quote
                       : element.attributes.empty() ? '"'
                                                    : element.attributes.back().quote;
    std::string written;
    if (!encoded(escaped(value, quote), file, written, problem)) return false;
    if (existing != nullptr) {
        edited.replace(existing->valueAt, existing->valueEnd - existing->valueAt, written);
    } else {
        edited.insert(element.attributesEnd, " " + attributeName + "=" + quote + written + quote);
    }
    return accept(bytes, std::move(edited), problem, [&](const std::vector<XmlNode>& elements) {
        return index < elements.size() && attributeText(elements[index], name) == value;
    });
}

namespace {

// insertXmlElementAfter, and with lineBelow the element last among others on its line gets the new one on a line of
// its own below, indented as that line is.
bool insertAfter(std::string& bytes, const XmlElementAt& at, const std::string& markup, std::string& problem,
                 bool lineBelow) {
    ScannedFile file;
    std::size_t index = 0;
    if (!scanFile(bytes, file, problem) || !findElement(file, at, index, problem)) return false;
    std::vector<XmlNode> inserted;
    std::string why;
    if (!readsAsData(markup, inserted, why) || inserted.empty()) {
        problem = "\"" + markup + "\" is not one element";
        return false;
    }
    std::string written;
    if (!encoded(markup, file, written, problem)) return false;
    const ScannedElement& element = file.elements[index];
    const std::size_t lineStart = lineStartOf(bytes, element.start), lineEnd = lineEndOf(bytes, element.end);
    std::size_t place = element.end;
    std::string before;
    if (lineBelow && !onlyBlanks(bytes, lineStart, element.start) &&
        onlyBlanksAndComments(bytes, element.end, lineEnd)) {
        std::size_t indent = lineStart;
        while (indent < element.start && isBlank(bytes[indent])) ++indent;
        place = lineEnd;
        before = file.lineEnd + bytes.substr(lineStart, indent - lineStart);
    } else if (!onlyBlanks(bytes, lineStart, element.start)) {
        // Among others on its line: after it, spaced as it is spaced from what comes before it.
        std::size_t blanks = element.start;
        while (blanks > lineStart && isBlank(bytes[blanks - 1])) --blanks;
        before = bytes.substr(blanks, element.start - blanks);
    } else if (onlyBlanksAndComments(bytes, element.end, lineEnd)) {
        // On a line of its own (a comment after it stays with it): a line of the same indentation below.
        place = lineEnd;
        before = file.lineEnd + bytes.substr(lineStart, element.start - lineStart);
    } else {
        // First of several on its line: after it, spaced as the next one is.
        std::size_t blanks = element.end;
        while (blanks < lineEnd && isBlank(bytes[blanks])) ++blanks;
        before = bytes.substr(element.end, blanks - element.end);
    }
    std::string edited = bytes;
    edited.insert(place, before + written);
    const std::size_t after = index + elementsWithin(file, index);
    const std::string name = elementName(inserted.front());
    return accept(bytes, std::move(edited), problem, [&](const std::vector<XmlNode>& elements) {
        return elements.size() == file.elements.size() + inserted.size() && elementName(elements[after]) == name;
    });
}

}  // namespace

bool insertXmlElementAfter(std::string& bytes, const XmlElementAt& at, const std::string& markup,
                           std::string& problem) {
    return insertAfter(bytes, at, markup, problem, false);
}

bool insertXmlElementBelow(std::string& bytes, const XmlElementAt& at, const std::string& markup,
                           std::string& problem) {
    return insertAfter(bytes, at, markup, problem, true);
}

bool removeXmlElement(std::string& bytes, const XmlElementAt& at, std::string& problem) {
    ScannedFile file;
    std::size_t index = 0;
    if (!scanFile(bytes, file, problem) || !findElement(file, at, index, problem)) return false;
    const ScannedElement& element = file.elements[index];
    const std::size_t lineStart = lineStartOf(bytes, element.start), lineEnd = lineEndOf(bytes, element.end);
    std::size_t from = element.start, to = element.end;
    const bool firstOnLine = onlyBlanks(bytes, lineStart, element.start);
    if (firstOnLine && onlyBlanks(bytes, element.end, lineEnd)) {
        // Its whole line goes, with the line's end; the last line of a file without one takes the end before it.
        from = lineStart;
        to = lineEnd;
        if (to < bytes.size()) {
            to += bytes.compare(to, 2, "\r\n") == 0 ? 2 : 1;
        } else if (from > 0) {
            from -= from >= 2 && bytes.compare(from - 2, 2, "\r\n") == 0 ? 2 : 1;
        }
    } else if (!firstOnLine) {
        while (from > lineStart && (bytes[from - 1] == ' ' || bytes[from - 1] == '\t')) --from;
    } else {
        while (to < lineEnd && (bytes[to] == ' ' || bytes[to] == '\t')) ++to;
    }
    std::string edited = bytes;
    edited.erase(from, to - from);
    const std::size_t removed = elementsWithin(file, index);
    return accept(bytes, std::move(edited), problem, [&](const std::vector<XmlNode>& elements) {
        return elements.size() + removed == file.elements.size();
    });
}

bool editXmlFile(const std::string& path, const std::function<bool(std::string& bytes, std::string& problem)>& edit,
                 std::string& problem) {
    const std::string real = resolveGamePath(path);
    std::string bytes;
    if (!readWholeFile(real, bytes)) {
        problem = real + ": cannot be read";
        return false;
    }
    std::string why;
    if (!edit(bytes, why)) {
        problem = real + ": " + why;
        return false;
    }
    // The world's folder gets no .bak beside its files: undoing an edit is writing the old bytes again.
    if (writeFileAtomically(real, bytes, &why, false) != 0) {
        problem = real + ": cannot be written: " + why;
        return false;
    }
    return true;
}
