// Where the child elements of a data file's root start and end in its bytes, found by reading the file only as far
// as asked for and without parsing it, so that one element of a large file (a screen of the map) can be parsed
// alone. The scan reads UTF-8 files only (an XML declaration naming another encoding, a UTF-16 file or a document
// type stops it); it trusts the file to be well-formed, which its callers check by parsing the file whole once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One child element: from the '<' of its start tag to just past the end of its end tag, as byte offsets of the
// file, and the line its start tag stands on.
struct ElementSpan {
    int64_t begin = 0, end = 0;
    int32_t line = 1;
};

// The scan of one file, resumed where it stopped by each call.
struct ElementScan {
    std::string path;                // as the file system names it
    std::string root;                // the root element's name the file must have
    std::string child;               // the children whose places are wanted
    std::vector<ElementSpan> spans;  // the root's children of that name, in order, as far as read
    bool finished = false;           // the root's end tag was reached: spans holds them all
    bool failed = false;             // the file cannot be read this way; nothing of the scan may be used
    // Where reading goes on: the offset and line just past the last child read, and whether the root was entered.
    int64_t next = 0;
    int32_t nextLine = 1;
    bool inRoot = false;
};

// Reads on until `count` children are known or the root ends; false when the scan failed (now or before).
bool scanElementsUpTo(ElementScan& scan, int64_t count);
// The bytes of a span, read from the file; false when they cannot be read.
bool readElementBytes(const ElementScan& scan, const ElementSpan& span, std::string& bytes);
