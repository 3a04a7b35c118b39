// The XML document access layer every data file goes through: opening with the two error boxes,
// location paths, attribute and text reads, and the loader frame (1 on success, 0 on failure, no rollback).
// The only unit that knows pugixml.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

struct XmlDocumentData;

// The error every failing parser operation raises; thrown and caught only inside the loader frame.
struct ComError {
    int32_t code = 0;
    // The text shown to the player: the system's description of the code, else the two substitute texts.
    std::string message() const;
};

constexpr int32_t comInvalidPointer = static_cast<int32_t>(0x80004003u);
constexpr int32_t comOutOfMemory = static_cast<int32_t>(0x8007000Eu);

// One loaded document, alive while any handle of it is held.
struct XmlDocument {
    std::shared_ptr<XmlDocumentData> data;
};

// A node of a document; empty for a list entry that does not exist or a node that is not an element.
// Every read through an empty handle raises ComError 0x80004003.
struct XmlNode {
    std::shared_ptr<XmlDocumentData> document;
    void* handle = nullptr;
    bool empty() const { return handle == nullptr; }
};

struct XmlNodeList {
    std::vector<XmlNode> nodes;
    int32_t length() const { return static_cast<int32_t>(nodes.size()); }
    // The entry at index, or an empty handle when the index is out of range.
    XmlNode item(int32_t index) const;
};

// Why a file could not be opened, as the "XMLパースエラー" box words it: the 1-based line (0 when the file cannot
// be read) and that line's text or the reason, cut where the box cuts it.
struct XmlParseProblem {
    int32_t line = 0;
    std::string text;
};

// Loads and parses a file named the game's way, converted to UTF-8 first; white-space-only text is dropped.
// False after the "XMLパースエラー" box when the file is missing or not well-formed; the file's name and the line
// also go to standard error.
bool openXmlDocument(XmlDocument& document, const std::string& path);
// The same without any box: for looking ahead at files the game has not asked for yet, and for the validator,
// which is given what the box would have said.
bool openXmlDocumentQuietly(XmlDocument& document, const std::string& path, XmlParseProblem* problem = nullptr);
// Parses a data file's bytes as the files above are parsed, without any box and without keeping the document: for
// checking an edit before it is written. False, with what the box would say, when they are not well-formed.
bool parseXmlBytes(XmlDocument& document, const std::string& bytes, XmlParseProblem* problem = nullptr);
// Parses bytes cut out of a data file (one element of it) as a document of their own, the same way and without
// any box or keeping, the nodes' lines counted from the file's line `firstLine`; false when they are not a
// well-formed document.
bool parseXmlPart(XmlDocument& document, const std::string& bytes, int32_t firstLine);
// The document's root element; empty when there is none.
XmlNode rootElement(const XmlDocument& document);
// "//name": every element of that name in document order; "name": the root element when it has that name.
XmlNodeList selectNodes(const XmlDocument& document, const std::string& path);
// The element's child elements of that name, in document order. Raises on an empty handle.
XmlNodeList selectNodes(const XmlNode& element, const std::string& name);
// The node viewed as an element: empty when it is empty or not an element.
XmlNode asElement(const XmlNode& node);
// The attribute read by the wide-string-to-integer rule: blanks, a sign, digits up to the first non-digit; 0 when none.
int32_t attributeInt(const XmlNode& element, const std::string& name);
// An attribute read by the integer rule into a field: readIntAttributes(element, {{"power", weapon.power}, ...}).
struct IntAttribute {
    const char* name;
    int32_t& field;
};
// Reads each attribute into its field, in the order given; the first read through an empty handle raises, as
// attributeInt does, so the fields before it keep what they had.
void readIntAttributes(const XmlNode& element, std::initializer_list<IntAttribute> attributes);
// The attribute's text; empty when the element does not have it.
std::string attributeText(const XmlNode& element, const std::string& name);
bool hasAttribute(const XmlNode& element, const std::string& name);
// The node's text content.
std::string elementText(const XmlNode& node);
// The element's own name ("screen"); empty for an empty handle or a node that is no element.
std::string elementName(const XmlNode& node);
// Every child element whatever its name, in document order; none for an empty handle.
XmlNodeList childElements(const XmlNode& element);
// The names of the element's attributes in document order; none for an empty handle.
std::vector<std::string> attributeNames(const XmlNode& element);
// The integer rule on its own.
int32_t wideToInt(const std::string& text);

// Shows the "COMエラー" box with the error's text.
void reportComError(const ComError& error);
// The 1-based line of the file on which the node starts; 0 for an empty handle.
int32_t xmlNodeLine(const XmlNode& node);
// Shows the "XMLパースエラー" box: a line break, the line number and 行, a line break and the line's text,
// shortened to 255 UTF-16 units without cutting a character.
void reportParseError(int32_t line, const std::string& sourceText);

// The guarded region: runs the body and returns its result; a ComError raised inside shows "COMエラー" with its
// text and gives 0, and so does running out of memory (with the out-of-memory code's text).
int32_t runGuarded(const std::function<int32_t()>& body);
// The loader frame: opens the file (parse-error box and 0 when that fails), then runs the body inside the
// guarded region.
int32_t runXmlLoader(const std::string& path, const std::function<int32_t(XmlDocument& document)>& body);
// The loader frame without any box, for looking ahead at files: opens the file quietly and runs the body; 0
// when the file cannot be opened or the body raises.
int32_t runXmlLoaderQuietly(const std::string& path, const std::function<int32_t(XmlDocument& document)>& body);
// The same for a file looked at once, to make a small index of it: a kept document is used when there is one, but
// a document parsed here is let go afterwards, so the whole file is not held for the sake of a few names.
int32_t runXmlReaderUnkept(const std::string& path, const std::function<int32_t(XmlDocument& document)>& body);

// Write side, used by the save file. Each raises ComError on failure, so it runs inside runGuarded.
// A new, empty document.
XmlDocument createXmlDocument();
// Appends a processing instruction (target "xml" makes it the declaration) or a comment to the document.
void appendProcessingInstruction(XmlDocument& document, const std::string& target, const std::string& data);
void appendComment(XmlDocument& document, const std::string& text);
// Appends a new element to the document (as its root) or to an element, and returns it.
XmlNode appendElement(XmlDocument& document, const std::string& name);
XmlNode appendElement(const XmlNode& parent, const std::string& name);
// Appends a text node to an element.
void appendText(const XmlNode& parent, const std::string& text);
// Sets an attribute to a number written in decimal.
void setAttribute(const XmlNode& element, const std::string& name, int32_t value);
// Writes the document as UTF-8 to a file named the game's way, replacing it atomically: the text goes to
// PATH.tmp, is flushed to disk and renamed over PATH; the file it replaces is kept as PATH.bak unless replaceBackup
// is false, which leaves PATH.bak as it is. A failure raises ComError and leaves PATH as it was.
void saveXmlDocument(const XmlDocument& document, const std::string& path, bool replaceBackup = true);
