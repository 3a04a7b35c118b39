#include "data/xml_access.h"

#include <gtest/gtest.h>

#include <climits>
#include <new>

#include "test_support.h"

namespace {

// Opens a file through the loader frame and returns what the body saw of the root's "name" attribute.
int32_t loadRootName(const std::string& path, std::string& name) {
    return runXmlLoader(path, [&](XmlDocument& document) {
        XmlNodeList roots = selectNodes(document, "root");
        if (roots.length() == 0) return 0;
        name = attributeText(asElement(roots.item(0)), "name");
        return 1;
    });
}

}  // namespace

TEST(XmlAccess, MissingFileShowsTheParseErrorBoxNotTheComBox) {
    TempFolder folder;
    BoxCatcher boxes;
    bool bodyRan = false;
    testing::internal::CaptureStderr();
    EXPECT_EQ(runXmlLoader("media\\Nothing.xml", [&](XmlDocument&) { return bodyRan = true, 1; }), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find(
                  ": media/Nothing.xml:0: XMLパースエラー: ファイルを開けません: media\\Nothing.xml\n"),
              std::string::npos);
    EXPECT_FALSE(bodyRan);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].first, "XMLパースエラー");
    EXPECT_EQ(boxes.boxes()[0].second, "\n0行\nファイルを開けません: media\\Nothing.xml");
}

TEST(XmlAccess, SyntaxErrorReportsTheTrueLineAndItsText) {
    TempFolder folder;
    const std::string badLine = "  <item name=\"剣\" <broken/>";
    for (const std::string& lineEnd : {std::string("\n"), std::string("\r\n")}) {
        BoxCatcher boxes;
        testing::internal::CaptureStderr();
        writeTextFile("media/Bad.xml", "<?xml version=\"1.0\" encoding=\"utf-8\"?>" + lineEnd + "<root>" + lineEnd +
                                           "  <a/>" + lineEnd + "  <b/>" + lineEnd + "  <c/>" + lineEnd +
                                           "  <!-- ここまで正しい -->" + lineEnd + badLine + lineEnd + "</root>" +
                                           lineEnd);
        std::string name;
        EXPECT_EQ(loadRootName("media\\Bad.xml", name), 0);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].first, "XMLパースエラー");
        EXPECT_EQ(boxes.boxes()[0].second, "\n7行\n" + badLine);
        // Standard error names the file as well as the line; the box keeps its own text.
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(": media/Bad.xml:7: XMLパースエラー: " + badLine + "\n"), std::string::npos) << said;
        // The quiet open tells the same without a box.
        XmlDocument document;
        XmlParseProblem problem;
        EXPECT_FALSE(openXmlDocumentQuietly(document, "media\\Bad.xml", &problem));
        EXPECT_EQ(problem.line, 7);
        EXPECT_EQ(problem.text, badLine);
        EXPECT_EQ(boxes.boxes().size(), 1u);
    }
}

TEST(XmlAccess, LongErrorLineIsCutAtWholeCharactersWithin255Units) {
    TempFolder folder;
    BoxCatcher boxes;
    std::string line = "<root name=\"";
    for (int i = 0; i < 300; ++i) line += "あ";
    line += "\" <bad";
    writeTextFile("bad.xml", line);
    std::string name;
    EXPECT_EQ(loadRootName("bad.xml", name), 0);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    const std::string& text = boxes.boxes()[0].second;
    // "\n1行\n" is 4 units, "<root name=\"" 12; the rest of the 255 are whole あ of 3 bytes each.
    EXPECT_EQ(
        text, "\n1行\n<root name=\"" + [] {
            std::string kana;
            for (int i = 0; i < 255 - 4 - 12; ++i) kana += "あ";
            return kana;
        }());
    XmlDocument document;
    XmlParseProblem problem;
    EXPECT_FALSE(openXmlDocumentQuietly(document, "bad.xml", &problem));
    EXPECT_EQ(problem.line, 1);
    EXPECT_EQ("\n1行\n" + problem.text, text);
}

TEST(XmlAccess, MalformedDocumentsAreParseErrors) {
    TempFolder folder;
    for (const std::string& content :
         {std::string(""), std::string("<root/><root/>"), std::string("<root>"),
          std::string("<root name=\"\xFF\xFE\"/>"), std::string("<root/>junk"), std::string("junk<root/>"),
          std::string("<root/><![CDATA[x]]>"), std::string("<root><a x=\"1\" y=\"2\" x=\"3\"/></root>")}) {
        BoxCatcher boxes;
        writeTextFile("bad.xml", content);
        std::string name;
        EXPECT_EQ(loadRootName("bad.xml", name), 0) << content;
        ASSERT_EQ(boxes.boxes().size(), 1u) << content;
        EXPECT_EQ(boxes.boxes()[0].first, "XMLパースエラー") << content;
    }
}

TEST(XmlAccess, AShiftJisFileGivesUtf8Text) {
    TempFolder folder;
    BoxCatcher boxes;
    // 勇者① in CP932; ① exists only in the Windows superset of Shift_JIS.
    writeTextFile("sjis.xml",
                  "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<root name=\"\x97\x45\x8E\xD2\x87\x40\"/>");
    std::string name;
    EXPECT_EQ(loadRootName("sjis.xml", name), 1);
    EXPECT_EQ(name, "勇者①");
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(XmlAccess, UnknownOrBrokenEncodingIsAParseErrorWithAClearText) {
    TempFolder folder;
    {
        BoxCatcher boxes;
        writeTextFile("odd.xml", "<?xml version=\"1.0\" encoding=\"x-no-such-code\"?><root/>");
        std::string name;
        EXPECT_EQ(loadRootName("odd.xml", name), 0);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].second, "\n1行\n文字コード x-no-such-code には対応していません");
    }
    {
        BoxCatcher boxes;
        // 0x85 0x00 is not a CP932 character; it sits on line 3.
        writeTextFile("sjis.xml", "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<root>\n<a b=\"\x85\x0A\"/></root>");
        std::string name;
        EXPECT_EQ(loadRootName("sjis.xml", name), 0);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].first, "XMLパースエラー");
        EXPECT_EQ(boxes.boxes()[0].second, "\n3行\n文字コード Shift_JIS として読めない文字があります");
    }
}

TEST(XmlAccess, AttributeNumbersFollowTheWideStringRule) {
    EXPECT_EQ(wideToInt("0012"), 12);
    EXPECT_EQ(wideToInt("-5"), -5);
    EXPECT_EQ(wideToInt("3.9"), 3);
    EXPECT_EQ(wideToInt(""), 0);
    EXPECT_EQ(wideToInt("12abc"), 12);
    EXPECT_EQ(wideToInt(" -3"), -3);
    EXPECT_EQ(wideToInt("\t\n+7"), 7);
    EXPECT_EQ(wideToInt("abc"), 0);
    EXPECT_EQ(wideToInt("- 3"), 0);
    EXPECT_EQ(wideToInt("2147483647"), INT32_MAX);
    EXPECT_EQ(wideToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(wideToInt("99999999999999999999"), INT32_MAX);
    EXPECT_EQ(wideToInt("-99999999999999999999"), INT32_MIN);

    TempFolder folder;
    writeTextFile("n.xml", "<root a=\"0012\" b=\" -3\" c=\"\" d=\"3.9\"/>");
    std::array<int32_t, 5> read{};
    EXPECT_EQ(runXmlLoader("n.xml",
                           [&](XmlDocument& document) {
                               const XmlNode root = asElement(selectNodes(document, "root").item(0));
                               read = {attributeInt(root, "a"), attributeInt(root, "b"), attributeInt(root, "c"),
                                       attributeInt(root, "d"), attributeInt(root, "missing")};
                               return 1;
                           }),
              1);
    EXPECT_EQ(read, (std::array<int32_t, 5>{12, -3, 0, 3, 0}));
}

TEST(XmlAccess, ReadingThroughAnEmptyHandleShowsTheComBox) {
    TempFolder folder;
    BoxCatcher boxes;
    writeTextFile("e.xml", "<root><other/></root>");
    int32_t storedBefore = 0;
    const int32_t result = runXmlLoader("e.xml", [&](XmlDocument& document) {
        storedBefore = 1;
        const XmlNodeList items = selectNodes(asElement(selectNodes(document, "root").item(0)), "item");
        attributeInt(asElement(items.item(0)), "value");
        return 1;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(storedBefore, 1);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].first, "COMエラー");
    EXPECT_EQ(boxes.boxes()[0].second, ComError{comInvalidPointer}.message());
    EXPECT_EQ(boxes.boxes()[0].second, "無効なポインターです");

    const XmlNode none;
    EXPECT_THROW(selectNodes(none, "x"), ComError);
    EXPECT_THROW(attributeText(none, "x"), ComError);
    EXPECT_THROW(hasAttribute(none, "x"), ComError);
    EXPECT_THROW(elementText(none), ComError);
    EXPECT_TRUE(asElement(none).empty());
}

TEST(XmlAccess, TheGuardedRegionTurnsRaisedErrorsIntoTheComBoxAndZero) {
    BoxCatcher boxes;
    EXPECT_EQ(runGuarded([] { return 7; }), 7);
    EXPECT_EQ(runGuarded([]() -> int32_t { throw ComError{static_cast<int32_t>(0x80070005u)}; }), 0);
    EXPECT_EQ(runGuarded([]() -> int32_t { throw std::bad_alloc(); }), 0);
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[0], std::make_pair(std::string("COMエラー"), std::string("アクセスが拒否されました")));
    EXPECT_EQ(boxes.boxes()[1],
              std::make_pair(std::string("COMエラー"), std::string("この操作を完了するのに十分な記憶域がありません")));
}

TEST(XmlAccess, TheQuietLoaderFrameShowsNoBox) {
    TempFolder folder;
    BoxCatcher boxes;
    writeTextFile("e.xml", "<root><other/></root>");
    writeTextFile("bad.xml", "<root>");
    bool ran = false;
    EXPECT_EQ(runXmlLoaderQuietly("missing.xml", [&](XmlDocument&) { return ran = true, 1; }), 0);
    EXPECT_EQ(runXmlLoaderQuietly("bad.xml", [&](XmlDocument&) { return ran = true, 1; }), 0);
    EXPECT_FALSE(ran);
    EXPECT_EQ(runXmlLoaderQuietly("e.xml",
                                  [&](XmlDocument& document) {
                                      ran = true;
                                      return attributeInt(selectNodes(document, "//item").item(0), "value") + 1;
                                  }),
              0);
    EXPECT_TRUE(ran);
    EXPECT_EQ(runXmlLoaderQuietly("e.xml", [](XmlDocument&) -> int32_t { throw std::bad_alloc(); }), 0);
    const auto countOthers = [](XmlDocument& document) { return selectNodes(document, "//other").length(); };
    EXPECT_EQ(runXmlLoaderQuietly("e.xml", countOthers), 1);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(XmlAccess, ComErrorTextsForCodesWithoutADescription) {
    EXPECT_EQ(ComError{static_cast<int32_t>(0x80040205u)}.message(), "IDispatch error #5");
    EXPECT_EQ(ComError{static_cast<int32_t>(0x8004FFFFu)}.message(), "IDispatch error #65023");
    EXPECT_EQ(ComError{static_cast<int32_t>(0x80040200u)}.message(), "Unknown error 0x80040200");
    EXPECT_EQ(ComError{static_cast<int32_t>(0x8badf00du)}.message(), "Unknown error 0x8BADF00D");
}

TEST(XmlAccess, LocationPathsFindElementsTheThreeWays) {
    TempFolder folder;
    writeTextFile("p.xml",
                  "<savedata>\n  <flag id=\"0\"/>\n  <group><flag id=\"1\"><flag id=\"2\"/></flag></group>\n"
                  "  <flag id=\"3\"/>\n</savedata>");
    std::vector<int32_t> deep, children;
    int32_t wrongRoot = -1;
    EXPECT_EQ(runXmlLoader("p.xml",
                           [&](XmlDocument& document) {
                               for (const XmlNode& node : selectNodes(document, "//flag").nodes)
                                   deep.push_back(attributeInt(node, "id"));
                               wrongRoot = selectNodes(document, "flag").length();
                               const XmlNode root = asElement(selectNodes(document, "savedata").item(0));
                               for (const XmlNode& node : selectNodes(root, "flag").nodes)
                                   children.push_back(attributeInt(node, "id"));
                               return 1;
                           }),
              1);
    EXPECT_EQ(deep, (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(children, (std::vector<int32_t>{0, 3}));
    EXPECT_EQ(wrongRoot, 0);
}

TEST(XmlAccess, ElementTextJoinsTheTextAndTrimsItsEnds) {
    TempFolder folder;
    writeTextFile("t.xml",
                  "<root>\n  <line>\n    よく来たな、 <b>勇者</b> よ。\n  </line><empty/>"
                  "<cdata><![CDATA[<そのまま>]]><i>x</i></cdata></root>");
    std::string line, empty, cdata, textNode;
    EXPECT_EQ(runXmlLoader("t.xml",
                           [&](XmlDocument& document) {
                               const XmlNode root = asElement(selectNodes(document, "root").item(0));
                               line = elementText(selectNodes(root, "line").item(0));
                               empty = elementText(selectNodes(root, "empty").item(0));
                               cdata = elementText(selectNodes(root, "cdata").item(0));
                               textNode = elementText(selectNodes(document, "//b/text()").item(0));
                               return 1;
                           }),
              1);
    EXPECT_EQ(line, "よく来たな、 勇者 よ。");
    EXPECT_EQ(empty, "");
    EXPECT_EQ(cdata, "<そのまま>x");
    EXPECT_EQ(textNode, "勇者");
}

TEST(XmlAccess, SavedDocumentReplacesTheFileAndKeepsTheOldOne) {
    TempFolder folder;
    writeTextFile("out.xml", "old");
    XmlDocument document = createXmlDocument();
    appendProcessingInstruction(document, "xml", "version='1.0' encoding='utf-8'");
    appendComment(document, "メモ");
    const XmlNode root = appendElement(document, "root");
    appendText(root, "\n");
    setAttribute(appendElement(root, "n"), "v", -12);
    saveXmlDocument(document, "out.xml");
    EXPECT_EQ(readTextFile("out.xml.bak"), "old");
    EXPECT_FALSE(std::filesystem::exists("out.xml.tmp"));
    int32_t value = 0;
    EXPECT_EQ(runXmlLoader("out.xml",
                           [&](XmlDocument& loaded) {
                               value = attributeInt(selectNodes(loaded, "//n").item(0), "v");
                               return 1;
                           }),
              1);
    EXPECT_EQ(value, -12);
    // The system's error comes back as the game's code for a path that does not exist.
    try {
        saveXmlDocument(document, "no/such/folder/out.xml");
        ADD_FAILURE() << "a save into a missing folder succeeded";
    } catch (const ComError& error) {
        EXPECT_EQ(static_cast<uint32_t>(error.code), 0x80070003u);
    }
}
