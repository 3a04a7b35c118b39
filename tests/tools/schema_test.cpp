// The XML Schemas of the data files, checked with xmllint as an author's editor would: the demo world follows them,
// and a misspelt name or a number that is none is refused.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "test_support.h"

namespace {

// xmllint's exit status for one file against one schema; -1 when xmllint cannot be run.
int xmllint(const std::string& schema, const std::string& file) {
    const std::string command = "xmllint --noout --schema '" + std::string(QUORVATH_SOURCE_DIR) + "/dist/schemas/" +
                                schema + ".xsd' '" + file + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool xmllintInstalled() {
    return std::system("xmllint --version >/dev/null 2>&1") == 0;
}

}  // namespace

TEST(Schemas, TheDemoWorldFollowsThem) {
    if (!xmllintInstalled()) GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
    for (const char* name : {"BigMapData", "NPCPictList", "EnemyData", "WeaponData", "BossData", "ItemData"})
        EXPECT_EQ(xmllint(name, std::string(QUORVATH_SOURCE_DIR) + "/game/media/" + name + ".xml"), 0) << name;
}

TEST(Schemas, MisspeltNamesAndWrongNumbersAreRefused) {
    if (!xmllintInstalled()) GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
    TempFolder folder;
    const struct {
        const char* schema;
        const char* text;
        bool valid;
    } cases[] = {
        {"EnemyData", "<enemydatas><enemy life=\"3\" size=\"20\" speed=\"2\"/></enemydatas>", true},
        {"EnemyData", "<enemydatas><enemy life=\"3\" size=\"20\" sped=\"2\"/></enemydatas>", false},
        {"EnemyData", "<enemydatas><enemy life=\"3\" size=\"big\" speed=\"2\"/></enemydatas>", false},
        {"BigMapData",
         "<map><screen name=\"a\" areanum=\"1\" pict=\"p\"><area level=\"1\" pointnum=\"3\"><npc imageid=\"0\">"
         "<speech flagid=\"3\" state=\"1\">hi<setflag flagid=\"4\" state=\"1\"/></speech></npc></area></screen></map>",
         true},
        {"BigMapData",
         "<map><screen name=\"a\" areanum=\"1\" pict=\"p\"><area level=\"1\" pointnum=\"3\"><npc imageid=\"0\">"
         "<speach>hi</speach></npc></area></screen></map>",
         false},
        {"WorldRules", "<worldrules><start screen=\"0\" weapons=\"0 5\"/><npcrules/></worldrules>", true},
        {"WorldRules", "<worldrules><strat screen=\"0\"/></worldrules>", false},
    };
    for (const auto& c : cases) {
        writeTextFile("data.xml", c.text);
        EXPECT_EQ(xmllint(c.schema, "data.xml") == 0, c.valid) << c.text;
    }
}
