// The check that keeps the runner's field lists whole: fields of every kind a record holds are counted, and a
// list that leaves a field out, names one twice or gives two entries one name is refused.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics.h"
#include "sim/field_list.h"

namespace {

struct Inner {
    int32_t a = 0;
};

// One member of each kind the game's records hold.
struct Sample {
    int32_t x = 0, y = 0;
    bool flag = false;
    float scale = 0;
    std::string name;
    std::array<int32_t, 4> table{};
    std::vector<Inner> list;
    Inner inner;
    Picture picture;
    std::map<std::string, int32_t> byName;
};

// Sample's whole list without the entry named leftOut, followed by the entries extra gives.
template <class Extra> constexpr auto sampleList(std::string_view leftOut, Extra extra) {
    return [=](auto& visit) {
        auto entry = [&](const char* name, auto field) {
            if (name != leftOut) visit(name, field);
        };
        entry("x", &Sample::x);
        entry("y", &Sample::y);
        entry("flag", &Sample::flag);
        entry("scale", &Sample::scale);
        entry("name", &Sample::name);
        entry("table", &Sample::table);
        entry("list", &Sample::list);
        entry("inner", &Sample::inner);
        entry("picture", &Sample::picture);
        entry("byName", &Sample::byName);
        extra(visit);
    };
}

constexpr auto nothingMore = [](auto&) {};

TEST(FieldList, CountsEveryKindOfFieldARecordDeclares) {
    EXPECT_EQ(declaredFieldCount<Sample>(), 10u);
    EXPECT_EQ(declaredFieldCount<Inner>(), 1u);
}

TEST(FieldList, AWholeListPassesAndOneElementShownAgainIsNoField) {
    static_assert(everyFieldOnce<Sample>(sampleList("", nothingMore)));
    EXPECT_TRUE(everyFieldOnce<Sample>(sampleList("", [](auto& visit) { visit("first", &Sample::table, 0); })));
}

TEST(FieldList, AListMissingAFieldOrNamingOneTwiceIsRefused) {
    EXPECT_FALSE(everyFieldOnce<Sample>(sampleList("byName", nothingMore)));
    EXPECT_FALSE(everyFieldOnce<Sample>(sampleList("x", nothingMore)));
    // As many entries as fields, but x twice and y never.
    EXPECT_FALSE(everyFieldOnce<Sample>(sampleList("y", [](auto& visit) { visit("y", &Sample::x); })));
    EXPECT_FALSE(everyFieldOnce<Sample>(sampleList("", [](auto& visit) { visit("again", &Sample::x); })));
    // Two entries under one name would print one key in the dump.
    EXPECT_FALSE(everyFieldOnce<Sample>(sampleList("", [](auto& visit) { visit("x", &Sample::table, 0); })));
}

}  // namespace
