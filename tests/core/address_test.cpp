#include <gtest/gtest.h>

#include "core/address.h"
#include "support/gbk.h"

namespace lilan {
namespace {

TEST(HostOfAddress, Cases) {
    struct Case {
        std::string address;
        bool keepPort;
        std::string host;
    };
    const Case cases[] = {
        {"WWW.EXAMPLE.COM", false, "www.example.com"},
        {"https://www.example.com:8080/path", false, "www.example.com"},
        {"https://www.example.com:8080/path", true, "www.example.com:8080"},
        {"HTTPS://WWW.EXAMPLE.COM", false, "www.example.com"},
        {"", false, ""},
        {"a.com/?u=http://b.org/x", false, "b.org"},
        {"ftp://a.com", false, "ftp"},
        {"http://a.com", false, "a.com"},
        {"a.com:81", false, "a.com"},
        {test::Gbk("中文.com/路径"), false, test::Gbk("中文.com")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HostOfAddress(c.address, c.keepPort), c.host) << c.address;
}

TEST(SameAddress, Cases) {
    struct Case {
        std::string a, b;
        bool same;
    };
    const Case cases[] = {
        {"http://a.com/", "A.COM/", true},
        {"https://a.com", "http://a.com", true},
        {"a.com", "a.com/", false},
        {"a.com//x", "a.com/x", false},
        {"a.com//x", "a.comx", true},
        {"", "", true},
        {"", "a.com", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SameAddress(c.a, c.b), c.same) << c.a << " ~ " << c.b;
}

TEST(TextBetweenFirst, Cases) {
    EXPECT_EQ(TextBetweenFirst("abc", "a", "c"), "b");
    EXPECT_EQ(TextBetweenFirst("abc", "a", "z"), "");
    EXPECT_EQ(TextBetweenFirst("abc", "z", "c"), "");
    EXPECT_EQ(TextBetweenFirst("say \"hi\"", test::Gbk("#引号"), test::Gbk("#引号")), "hi");
    EXPECT_EQ(TextBetweenFirst("aXbaYb", "a", "b", 3), "Y");
    EXPECT_EQ(TextBetweenFirst("ABC", "a", "c", 1, true), "B");
    EXPECT_EQ(TextBetweenFirst("ABC", "a", "c"), "");
    EXPECT_EQ(TextBetweenFirst("ac", "a", "c"), "");
}

} // namespace
} // namespace lilan
