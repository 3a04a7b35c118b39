// The scan of a data file's root children: markup is told apart by its first bytes, a start tag runs to the
// first '>' outside quotes, and nesting is counted by start and end tags. The file is read a block at a time
// from where the last call stopped.
#include "data/element_spans.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t readBlock = size_t{1} << 20;

enum class Step { done, more, bad };

// The line ends in [from, to), as the parser counts them: LF, CR LF and a lone CR each end a line.
int32_t lineEnds(const char* from, const char* to) {
    auto lines = static_cast<int32_t>(std::count(from, to, '\n'));
    for (const char* cr = from; (cr = static_cast<const char*>(std::memchr(cr, '\r', to - cr))) != nullptr; ++cr) {
        if (cr + 1 >= to || cr[1] != '\n') ++lines;
    }
    return lines;
}

// Past the end of markup that holds no elements (a comment, a processing instruction, a CDATA section) starting
// at `at`; `bad` for a document type or other declaration, which the scan does not read.
Step skipOtherMarkup(const std::string& text, size_t& at) {
    const auto skipTo = [&](const char* end) {
        const size_t found = text.find(end, at);
        if (found == std::string::npos) return Step::more;
        at = found + std::strlen(end);
        return Step::done;
    };
    if (text.compare(at, 2, "<?") == 0) return skipTo("?>");
    if (text.size() - at < 4) return Step::more;
    if (text.compare(at, 4, "<!--") == 0) return skipTo("-->");
    if (text.size() - at < 9) return Step::more;
    if (text.compare(at, 9, "<![CDATA[") == 0) return skipTo("]]>");
    return Step::bad;
}

// Past the '>' that ends the start tag at `at` (quoted values may hold one); selfClosing when it ends in "/>".
Step skipStartTag(const std::string& text, size_t& at, bool& selfClosing) {
    size_t p = at + 1;
    for (;;) {
        const size_t found = text.find_first_of("\"'>", p);
        if (found == std::string::npos) return Step::more;
        if (text[found] == '>') {
            selfClosing = text[found - 1] == '/';
            at = found + 1;
            return Step::done;
        }
        const size_t close = text.find(text[found], found + 1);
        if (close == std::string::npos) return Step::more;
        p = close + 1;
    }
}

std::string tagName(const std::string& text, size_t at) {
    size_t end = at + 1;
    while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end])) && text[end] != '/' &&
           text[end] != '>')
        ++end;
    return text.substr(at + 1, end - at - 1);
}

// Past the end of the element whose start tag is at `at`.
Step skipElement(const std::string& text, size_t& at) {
    int64_t depth = 0;
    size_t p = at;
    for (;;) {
        if (text.size() - p < 2) return Step::more;
        if (text[p + 1] == '/') {
            const size_t close = text.find('>', p);
            if (close == std::string::npos) return Step::more;
            p = close + 1;
            --depth;
        } else if (text[p + 1] == '!' || text[p + 1] == '?') {
            const Step step = skipOtherMarkup(text, p);
            if (step != Step::done) return step;
        } else {
            bool selfClosing = false;
            const Step step = skipStartTag(text, p, selfClosing);
            if (step != Step::done) return step;
            if (!selfClosing) ++depth;
        }
        if (depth <= 0) {
            at = p;
            return Step::done;
        }
        p = text.find('<', p);
        if (p == std::string::npos) return Step::more;
    }
}

// Only a declaration that names UTF-8, or none, leaves the file's bytes as the parser reads them.
bool namesUtf8(const std::string& declaration) {
    const size_t key = declaration.find("encoding");
    if (key == std::string::npos) return true;
    const size_t open = declaration.find_first_of("\"'", key);
    if (open == std::string::npos) return false;
    const size_t close = declaration.find(declaration[open], open + 1);
    if (close == std::string::npos) return false;
    std::string name = declaration.substr(open + 1, close - open - 1);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name == "utf-8" || name == "utf8";
}

// One piece before the root or the root's start tag, from `at`.
Step enterRoot(ElementScan& scan, const std::string& text, size_t& at, bool fileStart) {
    if (fileStart) {
        if (text.size() < 4) return Step::more;
        // A byte-order mark other than UTF-8's, or a zero byte, is UTF-16: the parser reads other bytes.
        if (std::memchr(text.data(), 0, 4) != nullptr || static_cast<unsigned char>(text[0]) >= 0xFE) return Step::bad;
        if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            at = 3;
            return Step::done;
        }
    }
    if (text[at] != '<') {
        const size_t found = text.find('<', at);
        const size_t end = found == std::string::npos ? text.size() : found;
        for (size_t p = at; p < end; ++p) {
            if (!std::isspace(static_cast<unsigned char>(text[p]))) return Step::bad;
        }
        at = end;
        return found == std::string::npos ? Step::more : Step::done;
    }
    if (text.size() - at < 2) return Step::more;
    if (text[at + 1] == '?') {
        const size_t start = at;
        const Step step = skipOtherMarkup(text, at);
        if (step == Step::done && text.compare(start, 5, "<?xml") == 0 && !namesUtf8(text.substr(start, at - start)))
            return Step::bad;
        return step;
    }
    if (text[at + 1] == '!') return skipOtherMarkup(text, at);
    if (tagName(text, at) != scan.root) return Step::bad;
    bool selfClosing = false;
    const Step step = skipStartTag(text, at, selfClosing);
    if (step != Step::done) return step;
    scan.inRoot = true;
    scan.finished = selfClosing;
    return Step::done;
}

// One piece inside the root from `at`: text, other markup, a child element (noted when it has the wanted name) or
// the root's end tag.
Step nextChild(ElementScan& scan, const std::string& text, size_t& at, int64_t base) {
    if (text[at] != '<') {
        const size_t found = text.find('<', at);
        at = found == std::string::npos ? text.size() : found;
        return found == std::string::npos ? Step::more : Step::done;
    }
    if (text.size() - at < 2) return Step::more;
    if (text[at + 1] == '/') {
        scan.finished = true;
        return Step::done;
    }
    if (text[at + 1] == '!' || text[at + 1] == '?') return skipOtherMarkup(text, at);
    const size_t start = at;
    const Step step = skipElement(text, at);
    if (step == Step::done && tagName(text, start) == scan.child)
        scan.spans.push_back({base + static_cast<int64_t>(start), base + static_cast<int64_t>(at), scan.nextLine});
    return step;
}

}  // namespace

bool scanElementsUpTo(ElementScan& scan, int64_t count) {
    if (scan.failed) return false;
    if (scan.finished || static_cast<int64_t>(scan.spans.size()) >= count) return true;
    std::FILE* file = std::fopen(scan.path.c_str(), "rb");
    if (file == nullptr || fseeko(file, scan.next, SEEK_SET) != 0) {
        if (file != nullptr) std::fclose(file);
        scan.failed = true;
        return false;
    }
    std::string text;
    int64_t base = scan.next;
    size_t p = 0;
    const auto readMore = [&] {
        const size_t had = text.size();
        text.resize(had + readBlock);
        const size_t got = std::fread(text.data() + had, 1, readBlock, file);
        text.resize(had + got);
        return got > 0;
    };
    bool readable = readMore();
    while (readable && !scan.finished && static_cast<int64_t>(scan.spans.size()) < count) {
        size_t at = p;
        const Step step = scan.inRoot ? nextChild(scan, text, at, base) : enterRoot(scan, text, at, base + p == 0);
        if (step == Step::bad) break;
        if (step == Step::more) {
            readable = readMore();
            continue;
        }
        scan.nextLine += lineEnds(text.data() + p, text.data() + at);
        p = at;
        scan.next = base + static_cast<int64_t>(p);
        // What is read stays only while a piece is not yet whole.
        if (p >= readBlock) {
            text.erase(0, p);
            base += static_cast<int64_t>(p);
            p = 0;
        }
    }
    std::fclose(file);
    if (!scan.finished && static_cast<int64_t>(scan.spans.size()) < count) scan.failed = true;
    return !scan.failed;
}

bool readElementBytes(const ElementScan& scan, const ElementSpan& span, std::string& bytes) {
    std::FILE* file = std::fopen(scan.path.c_str(), "rb");
    if (file == nullptr) return false;
    bytes.resize(static_cast<size_t>(span.end - span.begin));
    const bool read = fseeko(file, span.begin, SEEK_SET) == 0 &&
                      std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    std::fclose(file);
    return read;
}
