#include "shell/help_text.h"

#include "text/code_page.h"

namespace lilan {

std::string HelpText(const Deployment& deployment) {
    static const char* const kBeforeTutorial[] = {
        "-----------------【软件介绍】-----------------",
        "",
        "查询收录：批量查询多个网址是否被百度收录。",
        "查询关键词排行：在百度上搜索指定关键词，并在搜索结果中查找指定网址所在位置。支持多关键词查询同一个网址",
        "",
        " ",
        "-----------------【疑点说明】-----------------",
        "",
    };
    static const char* const kAfterTutorial[] = {
        "",
        "【导入格式】",
        "",
        "关键词和网址以半角逗号即“,”隔开（不论先后），多个关键词以空格隔开（查询的排名结果也对应空格隔开）",
        "",
        "如果只查网址是否收录，可以只给出网址。一行一个。",
        "",
        "【导入格式范本】",
        "",
        "网站优化 关键词排名,http://www.example.com/",
        "百度收录 网址查询,www.example.net/news/1.html",
        "排名查询,example.org",
        "",
        "【1.53更新】",
        "",
        "每搜索一页更改为20个结果（之前是10个）。",
        "特别针对百度平台的网址使用读标题的方式来判断。",
    }; // the 27th line is the empty one after the last line break
    static const std::string before = [] {
        std::string text;
        for (const char* line : kBeforeTutorial)
            text += Cp936(line) + "\r\n";
        return text + Cp936("视频教程：");
    }();
    static const std::string after = [] {
        std::string text = "\r\n";
        for (const char* line : kAfterTutorial)
            text += Cp936(line) + "\r\n";
        return text;
    }();
    return before + deployment.tutorialAddress + after;
}

} // namespace lilan
