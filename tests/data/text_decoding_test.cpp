#include "data/text_decoding.h"

#include <gtest/gtest.h>

namespace {

std::string utf16Bytes(const std::u16string& text, bool bigEndian) {
    std::string bytes;
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

std::string decoded(const std::string& bytes) {
    DecodedText result;
    EXPECT_TRUE(decodeToUtf8(bytes, result)) << result.problem;
    return result.text;
}

DecodedText refused(const std::string& bytes) {
    DecodedText result;
    EXPECT_FALSE(decodeToUtf8(bytes, result));
    return result;
}

}  // namespace

TEST(TextDecoding, ByteOrderMarksAndUtf16WithoutAMarkGiveUtf8) {
    const std::u16string document = u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<root name=\"テスト勇者\"/>";
    const std::string expected = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<root name=\"テスト勇者\"/>";
    EXPECT_EQ(decoded("\xFF\xFE" + utf16Bytes(document, false)), expected);
    EXPECT_EQ(decoded("\xFE\xFF" + utf16Bytes(document, true)), expected);
    EXPECT_EQ(decoded(utf16Bytes(document, false)), expected);
    EXPECT_EQ(decoded(utf16Bytes(document, true)), expected);
    // The UTF-8 mark is dropped; no declaration means UTF-8, taken as it is.
    EXPECT_EQ(decoded("\xEF\xBB\xBF<root name=\"é\"/>"), "<root name=\"é\"/>");
    EXPECT_EQ(decoded("<root name=\"é\"/>"), "<root name=\"é\"/>");
}

TEST(TextDecoding, ShiftJisAndItsAliasesAreReadAsCp932) {
    // 勇者① in CP932; ① exists only in the Windows superset of Shift_JIS.
    for (const char* declared : {"Shift_JIS", "shift-jis", "sjis", "SJIS", "windows-31j", "cp932"}) {
        const std::string head = std::string("<?xml version=\"1.0\" encoding='") + declared + "'?>\n";
        EXPECT_EQ(decoded(head + "<root name=\"\x97\x45\x8E\xD2\x87\x40\"/>"), head + "<root name=\"勇者①\"/>")
            << declared;
    }
}

TEST(TextDecoding, RefusedFilesSayWhyAndOnWhichLine) {
    DecodedText bad = refused("<root>\n<a b=\"\xC0\x80\"/>\n</root>");  // an overlong form is not UTF-8
    EXPECT_EQ(bad.errorLine, 2);
    EXPECT_EQ(bad.problem, "UTF-8 として読めない文字があります");
    bad = refused("<root>\r\n\r\n<a b=\"\xED\xA0\x80\"/></root>");  // nor is a lone surrogate
    EXPECT_EQ(bad.errorLine, 3);

    bad = refused("<?xml version=\"1.0\" encoding=\"x-no-such-code\"?><root/>");
    EXPECT_EQ(bad.errorLine, 1);
    EXPECT_EQ(bad.problem, "文字コード x-no-such-code には対応していません");

    // 0x85 0x0A is not a CP932 character; it sits on line 3.
    bad = refused("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<root>\n<a b=\"\x85\x0A\"/></root>");
    EXPECT_EQ(bad.errorLine, 3);
    EXPECT_EQ(bad.problem, "文字コード Shift_JIS として読めない文字があります");

    // A file that names a 16-bit encoding but is written in 8-bit text would be misread as anything else.
    bad = refused("<?xml version=\"1.0\" encoding=\"UTF-16\"?><root/>");
    EXPECT_EQ(bad.errorLine, 1);
    EXPECT_EQ(bad.problem, "文字コード UTF-16 が宣言されていますが、ファイルはその形式で書かれていません");
}

TEST(TextDecoding, LinesEndAtLfCrLfOrALoneCr) {
    const std::string text = "one\ntwo\r\nthree\rfour";
    int32_t line = 0;
    std::string lineText;
    locateLine(text, text.find("two"), line, lineText);
    EXPECT_EQ(line, 2);
    EXPECT_EQ(lineText, "two");
    locateLine(text, text.find("three") + 2, line, lineText);
    EXPECT_EQ(line, 3);
    EXPECT_EQ(lineText, "three");
    locateLine(text, text.size() + 10, line, lineText);
    EXPECT_EQ(line, 4);
    EXPECT_EQ(lineText, "four");
}

// The table of line starts gives, for every offset, the line the scan from the start gives.
TEST(TextDecoding, LineStartTableAgreesWithTheScanAtEveryOffset) {
    for (const std::string text : {"one\ntwo\r\nthree\rfour", "\r\n\r\r\n\n", "last line ends\n", "", "x"}) {
        const std::vector<size_t> starts = lineStartOffsets(text);
        for (size_t offset = 0; offset <= text.size() + 2; ++offset) {
            int32_t line = 0;
            std::string lineText;
            locateLine(text, offset, line, lineText);
            EXPECT_EQ(lineOfOffset(starts, offset), line) << "offset " << offset << " of \"" << text << "\"";
        }
    }
}

TEST(TextDecoding, Utf16PrefixNeverCutsACharacter) {
    // 𠀋 lies outside the basic plane: two units, left out whole when only one is free.
    EXPECT_EQ(utf16Prefix("ab𠀋c", 3), "ab");
    EXPECT_EQ(utf16Prefix("ab𠀋c", 4), "ab𠀋");
    EXPECT_EQ(utf16Prefix("あいう", 2), "あい");
    EXPECT_EQ(utf16Prefix("a\xFFz", 10), "a\xEF\xBF\xBDz");
}
