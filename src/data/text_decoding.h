// Bringing a data file's bytes to UTF-8 before the XML layer parses them, and the line and length rules of the
// parse-error box. Used by the XML layer only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct DecodedText {
    std::string text;       // the document as UTF-8
    std::string encoding;   // what the bytes were read as, by iconv's name ("CP932", "UTF-16LE"); empty for UTF-8
    int32_t errorLine = 0;  // where decoding stopped, when it failed
    std::string problem;    // why it failed, as the parse-error box says it
};

// Brings a file's bytes to UTF-8: a byte-order mark decides first (UTF-8, UTF-16 LE or BE, also UTF-16
// recognised by its first "<?" without a mark), else the encoding the XML declaration names; none means UTF-8.
// Shift_JIS and its aliases are read as CP932. False, with the line and the reason, when the bytes are not
// valid in their encoding or the encoding is unknown.
bool decodeToUtf8(const std::string& bytes, DecodedText& result);
// Brings UTF-8 text back to an encoding decodeToUtf8 named (empty for UTF-8 itself, which is only checked); false
// when the text holds a character the encoding cannot write, or bytes that are not UTF-8.
bool encodeFromUtf8(const std::string& text, const std::string& encoding, std::string& bytes);
// The 1-based line of a byte offset and the text of that line (without its line end). Lines end at LF, CR LF
// or a lone CR, as the parser sees them.
void locateLine(const std::string& text, std::size_t offset, int32_t& line, std::string& lineText);
// The byte offset at which each line of the text starts (the first is 0), by the same line ends, so that the
// line of an offset is found by a binary search instead of a scan from the start.
std::vector<std::size_t> lineStartOffsets(const std::string& text);
// The 1-based line of a byte offset, from the text's line starts.
int32_t lineOfOffset(const std::vector<std::size_t>& lineStarts, std::size_t offset);
// The longest prefix of text that fits in maxUnits UTF-16 units, never cut inside a character; bytes that are
// not UTF-8 become U+FFFD.
std::string utf16Prefix(const std::string& text, std::size_t maxUnits);
