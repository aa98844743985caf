#include "common/sharedname.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace dm {
namespace {

// Takes texts the way callers written for strings pass them on.
std::string Copy(const std::string& text) { return text; }
std::size_t Length(std::string_view text) { return text.size(); }

TEST(SharedName, ReadsAndComparesAsTheTextItHolds)
{
    const SharedName name("RAS1");
    EXPECT_EQ(Copy(name), "RAS1");
    EXPECT_EQ(Length(name), 4u);
    EXPECT_EQ(name.size(), 4u);
    EXPECT_STREQ(name.c_str(), "RAS1");
    EXPECT_TRUE(name == "RAS1");
    EXPECT_TRUE(name == std::string("RAS1"));
    EXPECT_TRUE(name == std::string_view("RAS1"));
    EXPECT_TRUE("RAS1" == name);
    EXPECT_FALSE(name == "ras1");
    EXPECT_TRUE(name < "RAS2");
    EXPECT_TRUE(SharedName("A") < SharedName("B"));
    EXPECT_EQ(name + "\\" + SharedName("COM1"), "RAS1\\COM1");
    EXPECT_EQ(std::string("x") + name, "xRAS1");
    std::ostringstream out;
    out << name;
    EXPECT_EQ(out.str(), "RAS1");
}

TEST(SharedName, TheEmptyTextIsTheDefaultAndHoldsNothing)
{
    SharedName name;
    EXPECT_TRUE(name.empty());
    EXPECT_EQ(name, "");
    EXPECT_EQ(name, SharedName(""));
    EXPECT_STREQ(name.c_str(), "");
    name = "x";
    EXPECT_FALSE(name.empty());
    name.clear();
    EXPECT_EQ(name, SharedName());
}

TEST(SharedName, ThreadsThatNameTheSameTextsShareOneCopyOfEach)
{
    // Loaders on several threads (the window's and a report's) intern at
    // once: each text must still be stored once, and every copy equal.
    constexpr int kThreads = 4;
    constexpr int kNames = 2000;
    std::vector<std::vector<SharedName>> seen(kThreads, std::vector<SharedName>(kNames));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        // Each thread starts at another name.
        threads.emplace_back([t, &seen] {
            for (int i = 0; i < kNames; ++i) {
                const int n = (i + t * kNames / kThreads) % kNames;
                seen[static_cast<std::size_t>(t)][static_cast<std::size_t>(n)] = "thread-name-" + std::to_string(n);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (std::size_t n = 0; n < kNames; ++n) {
        ASSERT_EQ(seen[0][n].str(), "thread-name-" + std::to_string(n));
        for (std::size_t t = 1; t < kThreads; ++t)
            ASSERT_EQ(seen[t][n].data(), seen[0][n].data()) << n;
    }
    EXPECT_GE(SharedName::StoredCount(), static_cast<std::size_t>(kNames));
}

} // namespace
} // namespace dm
