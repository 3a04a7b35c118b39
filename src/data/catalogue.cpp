// PO catalogues through libgettextpo: reading with every problem kept at its line, and making a template.
#include "data/catalogue.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gettext-po.h>
#include <unistd.h>

namespace {

// What the library reports while one file is read; the library calls plain functions, so they find it here.
// Only the main thread reads catalogues.
struct Reading {
    std::string file;
    std::vector<CatalogueProblem>* problems = nullptr;
    bool failed = false;
    std::jmp_buf abandon;
};
Reading* reading = nullptr;

int32_t lineOf(size_t line) {
    return line == static_cast<size_t>(-1) ? 0 : static_cast<int32_t>(line);
}

void noteProblem(int severity, const char* file, size_t line, const char* text) {
    std::string message = text != nullptr ? text : "";
    while (!message.empty() && message.back() == '\n') message.pop_back();
    reading->problems->push_back({file != nullptr ? std::string(file) : reading->file, lineOf(line), message});
    if (severity != PO_SEVERITY_WARNING) reading->failed = true;
}

void onProblem(int severity, po_message_t, const char* file, size_t line, size_t, int, const char* text) {
    noteProblem(severity, file, line, text);
    // The library must not go on after a fatal error: the read is abandoned (what it took is not given back).
    if (severity == PO_SEVERITY_FATAL_ERROR) std::longjmp(reading->abandon, 1);
}

void onTwoProblems(int severity, po_message_t, const char* file1, size_t line1, size_t, int, const char* text1,
                   po_message_t, const char*, size_t, size_t, int, const char* text2) {
    const std::string both = std::string(text1 != nullptr ? text1 : "") + " " + (text2 != nullptr ? text2 : "");
    noteProblem(severity, file1, line1, both.c_str());
    if (severity == PO_SEVERITY_FATAL_ERROR) std::longjmp(reading->abandon, 1);
}

const po_xerror_handler handler = {onProblem, onTwoProblems};

// The read and the write themselves, each in a frame that holds nothing to clean up, so a fatal error may leave it
// at once.
po_file_t readPoFile(const char* path) {
    if (setjmp(reading->abandon) != 0) return nullptr;
    return po_file_read(path, &handler);
}
po_file_t writePoFile(po_file_t file, const char* path) {
    if (setjmp(reading->abandon) != 0) return nullptr;
    return po_file_write(file, path, &handler);
}

// The catalogue's charset, from the header's Content-Type line; empty when it names none.
std::string headerCharset(const std::string& header) {
    const std::string mark = "charset=";
    const size_t at = header.find(mark);
    if (at == std::string::npos) return {};
    const size_t end = header.find_first_of(" ;\n", at + mark.size());
    return header.substr(at + mark.size(), end == std::string::npos ? std::string::npos : end - at - mark.size());
}

bool sameCharset(std::string a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

std::string catalogueKey(const std::string& context, const std::string& original) {
    return context.empty() ? original : context + '\x04' + original;
}

bool readCatalogue(const std::string& path, Catalogue& catalogue, std::vector<CatalogueProblem>& problems) {
    catalogue = Catalogue{};
    std::ifstream probe(path);
    if (!probe) {
        problems.push_back({path, 0, "the catalogue cannot be read"});
        return false;
    }
    Reading current;
    current.file = path;
    current.problems = &problems;
    reading = &current;
    po_file_t file = readPoFile(path.c_str());
    reading = nullptr;
    if (file == nullptr || current.failed) {
        if (file != nullptr) po_file_free(file);
        if (!current.failed) problems.push_back({path, 0, "the catalogue cannot be read"});
        return false;
    }
    // The line of each entry's msgid, in the order the library gives the entries (obsolete ones, written "#~ msgid",
    // left out on both sides), so a problem with a translation can name its line.
    std::vector<int32_t> msgidLines;
    {
        std::ifstream text(path);
        std::string line;
        for (int32_t number = 1; std::getline(text, line); ++number)
            if (line.rfind("msgid ", 0) == 0) msgidLines.push_back(number);
    }
    size_t entry = 0;
    Catalogue read;
    read.file = path;
    bool good = true;
    for (const char* const* domain = po_file_domains(file); *domain != nullptr; ++domain) {
        po_message_iterator_t messages = po_message_iterator(file, *domain);
        for (po_message_t message = po_next_message(messages); message != nullptr;
             message = po_next_message(messages)) {
            if (po_message_is_obsolete(message)) continue;
            const int32_t line = entry < msgidLines.size() ? msgidLines[entry] : 0;
            ++entry;
            const std::string original = po_message_msgid(message);
            const std::string translation = po_message_msgstr(message);
            if (original.empty()) {
                const std::string charset = headerCharset(translation);
                if (!charset.empty() && !sameCharset(charset, "UTF-8")) {
                    problems.push_back({path, 0, "the catalogue is in " + charset + ": write it in UTF-8"});
                    good = false;
                }
                continue;
            }
            if (po_message_is_fuzzy(message) || translation.empty()) continue;
            const char* context = po_message_msgctxt(message);
            const std::string key = catalogueKey(context != nullptr ? context : "", original);
            read.texts[key] = translation;
            read.lines[key] = line;
        }
        po_message_iterator_free(messages);
    }
    po_file_free(file);
    if (good) catalogue = std::move(read);
    return good;
}

const Catalogue& noCatalogue() {
    static const Catalogue none;
    return none;
}

const std::string& translated(const Catalogue& catalogue, const std::string& original, const std::string& context) {
    if (catalogue.texts.empty()) return original;
    const auto found = catalogue.texts.find(catalogueKey(context, original));
    return found == catalogue.texts.end() ? original : found->second;
}

bool catalogueTemplate(const std::vector<TemplateEntry>& entries, std::string& text, std::string& error) {
    po_file_t file = po_file_create();
    po_message_iterator_t at = po_message_iterator(file, nullptr);
    po_message_t header = po_message_create();
    po_message_set_msgid(header, "");
    po_message_set_msgstr(header,
                          "Project-Id-Version: quorvath world\n"
                          "MIME-Version: 1.0\n"
                          "Content-Type: text/plain; charset=UTF-8\n"
                          "Content-Transfer-Encoding: 8bit\n");
    po_message_insert(at, header);
    for (const TemplateEntry& entry : entries) {
        po_message_t message = po_message_create();
        if (!entry.context.empty()) po_message_set_msgctxt(message, entry.context.c_str());
        po_message_set_msgid(message, entry.original.c_str());
        po_message_set_msgstr(message, "");
        if (!entry.comment.empty()) po_message_set_extracted_comments(message, entry.comment.c_str());
        for (const auto& [place, line] : entry.places)
            po_message_add_filepos(message, place.c_str(), static_cast<size_t>(line));
        po_message_insert(at, message);
    }
    po_message_iterator_free(at);
    // The library writes only to a named file: a private one, read back and removed.
    std::error_code noFolder;
    std::string pattern = (std::filesystem::temp_directory_path(noFolder) / "quorvath-template-XXXXXX").string();
    char* name = pattern.data();
    const int descriptor = mkstemp(name);
    if (descriptor < 0) {
        po_file_free(file);
        error = "cannot make a temporary file for the template";
        return false;
    }
    ::close(descriptor);
    std::vector<CatalogueProblem> problems;
    Reading current;
    current.file = name;
    current.problems = &problems;
    reading = &current;
    const bool written = writePoFile(file, name) != nullptr && !current.failed;
    reading = nullptr;
    po_file_free(file);
    std::ifstream in(name, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    std::remove(name);
    if (!written) {
        error = problems.empty() ? "the template cannot be written" : problems.front().text;
        return false;
    }
    text = bytes.str();
    return true;
}
