#include <gtest/gtest.h>

#include "support/gbk.h"
#include "text/text_buffer.h"

namespace lilan {
namespace {

TEST(TextBuffer, EditsWithOneBasedPositions) {
    TextBuffer buffer;
    buffer.Set("hello world");
    EXPECT_EQ(buffer.Length(), 11);
    buffer.Insert(1, ">");
    buffer.Append("!");
    EXPECT_EQ(buffer.Text(), ">hello world!");
    buffer.Delete(2, 5);
    EXPECT_EQ(buffer.Text(), "> world!");
    buffer.Replace(3, 5, "there");
    EXPECT_EQ(buffer.Text(), "> there!");
    EXPECT_EQ(buffer.Get(3, 5), "there");
    EXPECT_EQ(buffer.ReplaceAll("E", "3", true), 2);
    EXPECT_EQ(buffer.Text(), "> th3r3!");
    EXPECT_EQ(buffer.Find("3"), 5);
    EXPECT_EQ(buffer.Find("3", 6), 7);
    EXPECT_EQ(buffer.FindBackward("3"), 7);
    EXPECT_EQ(buffer.FindBackward("3", 6), 5);
    buffer.Clear();
    EXPECT_EQ(buffer.Length(), 0);
}

TEST(TextBuffer, OutOfRangeIsClipped) {
    TextBuffer buffer("abc");
    EXPECT_EQ(buffer.Get(0, 2), "a");
    EXPECT_EQ(buffer.Get(3, 100), "c");
    EXPECT_EQ(buffer.Get(9, 1), "");
    EXPECT_EQ(buffer.Get(2, -1), "");
    buffer.Insert(99, "d");
    buffer.Insert(-3, "0");
    EXPECT_EQ(buffer.Text(), "0abcd");
    buffer.Delete(4, 100);
    EXPECT_EQ(buffer.Text(), "0ab");
    buffer.Delete(10, 1);
    buffer.Replace(10, 1, "x");
    EXPECT_EQ(buffer.Text(), "0abx");
    EXPECT_EQ(buffer.ReplaceAll("", "y"), 0);
    EXPECT_EQ(buffer.ReplaceAll("aa", "y"), 0);
}

TEST(TextBuffer, FindSkipsSecondBytes) {
    TextBuffer buffer(test::Gbk("丄A"));
    EXPECT_EQ(buffer.Find("A"), 3);
    EXPECT_EQ(buffer.Find("a", 1, true), 3);
    EXPECT_EQ(buffer.ReplaceAll("A", "b"), 1);
    EXPECT_EQ(buffer.Text(), "\x81\x41" "b");
}

} // namespace
} // namespace lilan
