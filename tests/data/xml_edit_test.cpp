// Editing a data file as its author would: each edit changes only its own bytes, in files with comments, odd
// indentation, CRLF line ends, single quotes and Shift_JIS; an edit that would spoil the file is refused.
#include "data/xml_edit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using Edit = std::function<bool(std::string& bytes, std::string& problem)>;

Edit setting(int32_t line, const std::string& element, int32_t nth, const std::string& name, const std::string& value) {
    return [=](std::string& bytes, std::string& problem) {
        return setXmlAttribute(bytes, {line, element, nth}, name, value, problem);
    };
}

Edit inserting(int32_t line, const std::string& element, int32_t nth, const std::string& markup) {
    return [=](std::string& bytes, std::string& problem) {
        return insertXmlElementAfter(bytes, {line, element, nth}, markup, problem);
    };
}

Edit removing(XmlElementAt element) {
    return [=](std::string& bytes, std::string& problem) { return removeXmlElement(bytes, element, problem); };
}

struct EditCase {
    const char* name;
    std::string before;
    Edit edit;
    std::string after;  // the bytes wanted; for a refused edit, a part of the problem's text
    bool refused = false;
};

const std::string town =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!-- the town: <area> below is the inn -->\n"
    "<map>\n"
    "   <screen name='町'  areanum=\"2\" ><!-- two areas -->\n"
    "\t<area level=\"1\"/>\n"
    "      <area level=\"2\" pointnum=\"2\"><point x=\"1\" y=\"1\"/> <point x=\"2\" y=\"2\"/></area>\n"
    "   </screen>\n"
    "</map>\n";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

std::string crlf(std::string text) {
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
        text.replace(at, 1, "\r\n");
    return text;
}

// 町 is 92 AC in Shift_JIS, 港 8D 60, ソ 83 5C (its second byte a backslash).
const std::string sjisTown =
    "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n"
    "<map>\r\n"
    "  <screen name=\"\x92\xac\" pict=\"pict\\\x83\x5c.png\">\r\n"
    "  </screen>\r\n"
    "</map>\r\n";

}  // namespace

TEST(XmlEdit, AnEditChangesOnlyItsOwnBytes) {
    const std::vector<EditCase> cases = {
        {"a value in double quotes", town, setting(4, "screen", 0, "areanum", "3"),
         replaced(town, "areanum=\"2\"", "areanum=\"3\"")},
        {"a value in single quotes keeps them, its quote escaped", town, setting(4, "screen", 0, "name", "港'町"),
         replaced(town, "name='町'", "name='港&apos;町'")},
        {"markup in a value is escaped", town, setting(5, "area", 0, "level", "a&b<\"c\""),
         replaced(town, "level=\"1\"", "level=\"a&amp;b&lt;&quot;c&quot;\"")},
        {"a new attribute after the last", town, setting(5, "area", 0, "pointnum", "0"),
         replaced(town, "<area level=\"1\"/>", "<area level=\"1\" pointnum=\"0\"/>")},
        {"a new attribute before the blank of the tag's end", town, setting(4, "screen", 0, "next", "1"),
         replaced(town, "areanum=\"2\" >", "areanum=\"2\" next=\"1\" >")},
        {"the second point of a line", town, setting(6, "point", 1, "x", "20"),
         replaced(town, "<point x=\"2\"", "<point x=\"20\"")},
        {"by its order in the document", town,
         [](std::string& bytes, std::string& problem) {
             return setXmlAttribute(bytes, {0, "", 0, 3}, "level", "9", problem);
         },
         replaced(town, "level=\"2\"", "level=\"9\"")},
        {"a new element on its own line, indented as the one before", town,
         inserting(5, "area", 0, "<area level=\"5\"/>"),
         replaced(town, "\t<area level=\"1\"/>\n", "\t<area level=\"1\"/>\n\t<area level=\"5\"/>\n")},
        {"after an element that spans lines", town, inserting(4, "screen", 0, "<screen/>"),
         replaced(town, "</screen>\n", "</screen>\n   <screen/>\n")},
        {"after the comment on the element's line", "<map>\n  <a/> <!-- inn -->\n</map>\n",
         inserting(2, "a", 0, "<b/>"), "<map>\n  <a/> <!-- inn -->\n  <b/>\n</map>\n"},
        {"a point among points, spaced as they are", town, inserting(6, "point", 1, "<point x=\"3\" y=\"3\"/>"),
         replaced(town, "<point x=\"2\" y=\"2\"/>", "<point x=\"2\" y=\"2\"/> <point x=\"3\" y=\"3\"/>")},
        {"below a line of points, indented as it is", crlf("<a>\n    <p/><p/>\n</a>\n"),
         [](std::string& bytes, std::string& problem) {
             return insertXmlElementBelow(bytes, {2, "p", 1}, "<e/>", problem);
         },
         crlf("<a>\n    <p/><p/>\n    <e/>\n</a>\n")},
        {"below, but inside when more follows on the line", town,
         [](std::string& bytes, std::string& problem) {
             return insertXmlElementBelow(bytes, {6, "point", 1}, "<enemy/>", problem);
         },
         replaced(town, "<point x=\"2\" y=\"2\"/>", "<point x=\"2\" y=\"2\"/> <enemy/>")},
        {"CRLF stays CRLF", crlf(town), inserting(5, "area", 0, "<area level=\"5\"/>"),
         crlf(replaced(town, "\t<area level=\"1\"/>\n", "\t<area level=\"1\"/>\n\t<area level=\"5\"/>\n"))},
        {"an element goes with its line", crlf(town), removing({5, "area", 0}),
         crlf(replaced(town, "\t<area level=\"1\"/>\n", ""))},
        {"an element with its children", town, removing({6, "area", 0}),
         replaced(town,
                  "      <area level=\"2\" pointnum=\"2\"><point x=\"1\" y=\"1\"/> <point x=\"2\" y=\"2\"/></area>\n",
                  "")},
        {"a point among points goes with the blank before it", town, removing({6, "point", 1}),
         replaced(town, " <point x=\"2\" y=\"2\"/>", "")},
        {"a byte-order mark stays", "\xEF\xBB\xBF<map a=\"1\"/>", setting(1, "map", 0, "a", "2"),
         "\xEF\xBB\xBF<map a=\"2\"/>"},
        {"Shift_JIS stays Shift_JIS", sjisTown, setting(3, "screen", 0, "name", "港町"),
         replaced(sjisTown, "name=\"\x92\xac\"", "name=\"\x8d\x60\x92\xac\"")},
        {"a new Shift_JIS element", sjisTown, inserting(3, "screen", 0, "<screen name=\"港\"/>"),
         replaced(sjisTown, "  </screen>\r\n", "  </screen>\r\n  <screen name=\"\x8d\x60\"/>\r\n")},
        {"a character Shift_JIS lacks", sjisTown, setting(3, "screen", 0, "name", "\xF0\x9F\x98\x80"),
         "cannot be written in this file's encoding (CP932)", true},
        {"the root", town, removing({3, "map", 0}), "the file would not read", true},
        {"markup that is not one element", town, inserting(5, "area", 0, "<area level=1/>"), "is not one element",
         true},
        {"two elements", town, inserting(5, "area", 0, "<area/><area/>"), "is not one element", true},
        {"an element not on that line", town, setting(4, "area", 0, "level", "1"),
         "no <area> number 1 starts on line 4", true},
        {"a name that is no name", town, setting(5, "area", 0, "a b", "1"), "is not an attribute's name", true},
        {"a file that does not read", "<map><area></map>", setting(1, "map", 0, "a", "1"),
         "the file does not read as it is", true},
        {"UTF-16", std::string("\xFF\xFE<\0m\0/\0>\0", 10), setting(1, "m", 0, "a", "1"), "is not edited", true},
    };
    for (const EditCase& c : cases) {
        std::string bytes = c.before, problem;
        const bool made = c.edit(bytes, problem);
        EXPECT_EQ(made, !c.refused) << c.name << ": " << problem;
        if (c.refused) {
            EXPECT_EQ(bytes, c.before) << c.name;
            EXPECT_NE(problem.find(c.after), std::string::npos) << c.name << ": " << problem;
        } else {
            EXPECT_EQ(bytes, c.after) << c.name;
        }
    }
}

TEST(XmlEdit, AFileIsWrittenOnlyWhenItsEditIsTaken) {
    TempFolder folder;
    writeTextFile("media/BigMapData.xml", town);
    std::string problem;
    EXPECT_TRUE(editXmlFile("media\\BigMapData.xml", setting(5, "area", 0, "level", "4"), problem)) << problem;
    EXPECT_EQ(readTextFile("media/BigMapData.xml"), replaced(town, "level=\"1\"", "level=\"4\""));
    EXPECT_FALSE(editXmlFile("media/BigMapData.xml", removing({3, "map", 0}), problem));
    EXPECT_NE(problem.find("media/BigMapData.xml: the file would not read"), std::string::npos) << problem;
    EXPECT_EQ(readTextFile("media/BigMapData.xml"), replaced(town, "level=\"1\"", "level=\"4\""));
    EXPECT_FALSE(std::filesystem::exists("media/BigMapData.xml.bak"));
}
