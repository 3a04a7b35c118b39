// Changing a data file as its author would by hand: one attribute set or added, one element put after another or
// taken out with its line, and every other byte of the file left as it was (comments, attribute order, quotes,
// indentation, line ends and the file's encoding). Test-play's editing calls it; the result is parsed again
// before it is taken, so an edit never leaves a file the game cannot read.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Which element of a file an edit is about: the one named `name` whose start tag begins on `line` (1-based), the
// nth of those (0 the first: several points may share a line). With order 0 or more, the element that comes
// order-th in the document instead (the root is 0, then each element where its start tag stands), whatever line
// and name say.
struct XmlElementAt {
    int32_t line = 0;
    std::string name;
    int32_t nth = 0;
    int32_t order = -1;
};

// Sets the element's attribute to value (UTF-8), in place with the quotes it has, or adds it after the element's
// last attribute with the quotes that one has. The value is escaped for XML and written in the
// file's encoding. False, with the bytes unchanged and why in problem, when the edit cannot be made or would leave
// a file that does not read back with that value.
bool setXmlAttribute(std::string& bytes, const XmlElementAt& element, const std::string& name, const std::string& value,
                     std::string& problem);
// Puts a new element (its markup in UTF-8, such as <point x="10" y="20"/>) right after the element: on a line of
// its own with the element's indentation and the file's line end when the element stands on a line of its own,
// else after it on the same line with the blanks before the element. False, unchanged, with why in problem, when
// the markup is not one element or cannot be written in the file's encoding, or the file would not read.
bool insertXmlElementAfter(std::string& bytes, const XmlElementAt& element, const std::string& markup,
                           std::string& problem);
// As insertXmlElementAfter, but an element that ends its line among others (the last of a line of points) gets the
// new one on a line of its own below, indented as that line is: a new kind of child after a polygon written on one
// line.
bool insertXmlElementBelow(std::string& bytes, const XmlElementAt& element, const std::string& markup,
                           std::string& problem);
// Takes the element out, with its whole line when it stands on a line of its own, else with the blanks before it.
// False, unchanged, with why in problem, when the file would not read without it (its root, for one).
bool removeXmlElement(std::string& bytes, const XmlElementAt& element, std::string& problem);

// Reads the data file at path (named the game's way), makes the edit on its bytes and writes it back atomically,
// as the saved game is written; the file is left as it was when the edit is refused or the write fails, and
// problem says why. No .bak is made beside a world's file.
bool editXmlFile(const std::string& path, const std::function<bool(std::string& bytes, std::string& problem)>& edit,
                 std::string& problem);
