#include "common/nametable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dm {
namespace {

TEST(NameTable, EachSpellingOnceWithIdsInOrderOfFirstUse)
{
    NameTable table;
    EXPECT_EQ(table.Intern("RAS1\\COM1"), 0u);
    EXPECT_EQ(table.Intern("DOM\\joe"), 1u);
    EXPECT_EQ(table.Intern("RAS1\\COM1"), 0u);
    // Case counts: another spelling is another name.
    EXPECT_EQ(table.Intern("dom\\joe"), 2u);
    EXPECT_EQ(table.Intern(""), 3u);
    EXPECT_EQ(table.Intern(std::string_view("x\0y", 3)), 4u);
    EXPECT_EQ(table.Intern(std::string_view("x\0z", 3)), 5u);
    EXPECT_EQ(table.Size(), 6u);
    EXPECT_EQ(table.Name(1), "DOM\\joe");
    EXPECT_EQ(table.Text(4), std::string("x\0y", 3));
    EXPECT_EQ(table.Find("dom\\joe"), 2u);
    EXPECT_EQ(table.Find(""), 3u);
    EXPECT_FALSE(table.Find("DOM\\JOE"));
    EXPECT_FALSE(NameTable().Find(""));
}

TEST(NameTable, ManyNamesKeepTheirIdsAndTextsWhileTheTableGrows)
{
    // Names of every length up to past two hash words, differing in one
    // byte at the start, the middle or the end.
    NameTable table;
    std::vector<std::string> names;
    for (int i = 0; i < 20000; ++i) {
        std::string name(static_cast<std::size_t>(i % 29), 'a');
        name += std::to_string(i);
        if (i % 3 == 0)
            name = std::to_string(i) + name;
        names.push_back(name);
    }
    const std::string_view first = table.Name(table.Intern(names[0]));
    for (std::size_t i = 0; i < names.size(); ++i)
        ASSERT_EQ(table.Intern(names[i]), i) << names[i];
    for (std::size_t i = 0; i < names.size(); ++i) {
        ASSERT_EQ(table.Find(names[i]), i) << names[i];
        ASSERT_EQ(table.Name(static_cast<std::uint32_t>(i)), names[i]);
    }
    EXPECT_EQ(table.Size(), names.size());
    EXPECT_EQ(first.data(), table.Name(0).data()); // texts never move
    EXPECT_FALSE(table.Find("a20000"));
}

TEST(NameTable, HashTellsApartTextsThatDifferInAnyByte)
{
    for (std::size_t length = 0; length <= 24; ++length) {
        const std::string base(length, 'k');
        for (std::size_t at = 0; at < length; ++at) {
            std::string other = base;
            other[at] = 'K';
            EXPECT_NE(HashName(base), HashName(other)) << length << " " << at;
        }
        EXPECT_NE(HashName(base), HashName(base + '\0')) << length;
    }
}

} // namespace
} // namespace dm
