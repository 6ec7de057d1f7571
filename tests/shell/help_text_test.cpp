#include <gtest/gtest.h>

#include "shell/help_text.h"
#include "support/gbk.h"
#include "text/text_basics.h"

namespace lilan {
namespace {

using test::Gbk;

TEST(HelpText, TwentySevenLinesWithTheTutorialAndSamples) {
    Deployment deployment;
    deployment.tutorialAddress = "http://tutorial.example/video";
    const std::string text = HelpText(deployment);

    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n"); // the 27th line is empty
    // Split drops the empty piece after the last separator: 26 pieces.
    const std::vector<std::string> lines = SplitText(text, "\r\n");
    ASSERT_EQ(lines.size(), 26u);

    struct Case {
        int line; // 1-based
        std::string text;
    };
    const Case cases[] = {
        {1, Gbk("-----------------【软件介绍】-----------------")},
        {2, ""},
        {6, " "},
        {7, Gbk("-----------------【疑点说明】-----------------")},
        {9, Gbk("视频教程：") + "http://tutorial.example/video"},
        {11, Gbk("【导入格式】")},
        {17, Gbk("【导入格式范本】")},
        {22, ""},
        {23, Gbk("【1.53更新】")},
        {26, Gbk("特别针对百度平台的网址使用读标题的方式来判断。")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(lines[static_cast<std::size_t>(c.line - 1)], c.text) << c.line;

    // The samples are list lines: keywords, a comma, an address.
    for (int line = 19; line <= 21; ++line) {
        const std::vector<std::string> fields = SplitText(lines[static_cast<std::size_t>(line - 1)], ",");
        ASSERT_EQ(fields.size(), 2u) << line;
        EXPECT_FALSE(fields[0].empty()) << line;
        EXPECT_NE(fields[1].find('.'), std::string::npos) << line;
    }
}

} // namespace
} // namespace lilan
