#include "result_page.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "text/code_page.h"

namespace lilan::sim {
namespace {

constexpr int kResultsPerPage = 20;
constexpr int kMaxRn = 50;
constexpr int kMaxPn = 1000000;

uint32_t Fnv(std::string_view text, uint32_t hash = 2166136261u) {
    for (const unsigned char c : text) {
        hash ^= c;
        hash *= 16777619u;
    }
    return hash;
}

uint32_t EntryHash(std::string_view word, int id) {
    return Fnv(std::to_string(id), Fnv(word) ^ 0x9E3779B9u);
}

std::string Hex8(uint32_t value) {
    char buf[9];
    std::snprintf(buf, sizeof buf, "%08X", value);
    return buf;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// Filler host names carry the word when it is plain ASCII, a hash of it otherwise.
std::string Slug(std::string_view word) {
    std::string slug;
    for (const unsigned char c : word) {
        if (c >= 0x80) {
            slug.clear();
            break;
        }
        if (std::isalnum(c))
            slug += static_cast<char>(std::tolower(c));
        else if (!slug.empty() && slug.back() != '-')
            slug += '-';
    }
    while (!slug.empty() && slug.back() == '-')
        slug.pop_back();
    if (slug.empty() || slug.size() > 24)
        return "w" + Lower(Hex8(Fnv(word)));
    return slug;
}

std::string AbsoluteAddress(std::string_view address) {
    if (address.find("://") != std::string_view::npos)
        return std::string(address);
    return "http://" + std::string(address);
}

std::string WithoutScheme(std::string_view address) {
    const size_t scheme = address.find("://");
    return std::string(scheme == std::string_view::npos ? address : address.substr(scheme + 3));
}

std::string HostOf(std::string_view address) {
    const std::string rest = WithoutScheme(address);
    return rest.substr(0, rest.find_first_of("/?#"));
}

size_t Utf8Chars(std::string_view text) {
    return static_cast<size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The first `chars` characters of UTF-8 text.
std::string Utf8Prefix(std::string_view text, size_t chars) {
    size_t seen = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (seen == chars)
                return std::string(text.substr(0, i));
            ++seen;
        }
    }
    return std::string(text);
}

// The engine cuts long titles and long shown addresses with "...".
std::string CutTitle(std::string_view title) {
    return Utf8Chars(title) > 30 ? Utf8Prefix(title, 28) + "..." : std::string(title);
}
std::string CutShown(std::string_view shown) {
    return shown.size() > 40 ? Utf8Prefix(shown, 30) + "..." : std::string(shown);
}

// Wraps every occurrence of word (ASCII letters compared without case) in <tag>.
std::string Highlight(std::string_view text, std::string_view word, const char* tag) {
    if (word.empty())
        return std::string(text);
    const std::string lowText = Lower(text);
    const std::string lowWord = Lower(word);
    std::string out;
    size_t from = 0;
    for (size_t at = lowText.find(lowWord); at != std::string::npos; at = lowText.find(lowWord, from)) {
        out.append(text.substr(from, at - from));
        out.append("<").append(tag).append(">");
        out.append(text.substr(at, word.size()));
        out.append("</").append(tag).append(">");
        from = at + word.size();
    }
    out.append(text.substr(from));
    return out;
}

std::string PercentEncode(std::string_view text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string JsEscape(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out.append("\\").append(1, c);
        else if (c == '<')
            out.append("\\x3c");
        else
            out += c;
    }
    return out;
}

std::string Encode(std::string_view utf8, PageEncoding encoding) {
    return encoding == PageEncoding::Gbk ? Utf8ToGbkText(utf8) : std::string(utf8);
}

const char* MetaCharset(PageEncoding encoding) {
    return encoding == PageEncoding::Gbk ? "gbk" : "utf-8";
}

int PagesFor(const SimConfig& config, std::string_view word) {
    const auto it = config.wordPages.find(std::string(word));
    return std::max(0, it != config.wordPages.end() ? it->second : config.pagesPerWord);
}

bool ShowsAddress(ShowAs how) {
    return how == ShowAs::Shown || how == ShowAs::ShownSlash;
}
bool HasMu(ShowAs how) {
    return ShowsAddress(how) || how == ShowAs::MuOnly;
}

std::string ShownText(const SimEntry& entry) {
    std::string shown = WithoutScheme(entry.address);
    if (entry.how == ShowAs::ShownSlash && !shown.ends_with("/"))
        shown += '/';
    return shown;
}

std::string FillerTitle(std::string_view word, int id, uint32_t hash) {
    const std::string w(word);
    const std::string n = std::to_string(id);
    switch (hash % 5) {
    case 0:
        return w + "_相关资料_第" + n + "条";
    case 1:
        return w + " - 百科知识 - site" + n;
    case 2:
        return "关于" + w + "的" + std::to_string(hash % 90 + 10) + "个常见问题 - 问答社区";
    case 3:
        return w + "教程: 从入门到精通(第" + n + "版)";
    default:
        return w + "最新资讯大全、" + w + "价格行情、" + w + "图片视频与用户评价汇总 - site" + n + "综合门户网站";
    }
}

std::string FillerAddress(std::string_view word, int id, uint32_t hash) {
    const std::string host = "site" + std::to_string(id) + "-" + Slug(word) + ".example";
    switch ((hash >> 3) % 4) {
    case 0:
        return "http://www." + host + "/";
    case 1:
        return "https://" + host + "/";
    case 2:
        return "http://" + host + "/" + Slug(word) + "/article-" + std::to_string(id) + ".html";
    default:
        return "https://bbs." + host + "/thread-" + std::to_string(hash % 90000 + 10000) + "-1-1.html";
    }
}

struct Date {
    int year, month, day;
};
Date DateOf(uint32_t hash) {
    return {2014 + static_cast<int>(hash % 7), 1 + static_cast<int>((hash / 7) % 12),
            1 + static_cast<int>((hash / 84) % 28)};
}
std::string IsoDate(Date d) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}
std::string ShortDate(Date d) {
    return std::to_string(d.year) + "-" + std::to_string(d.month) + "-" + std::to_string(d.day);
}
std::string ChineseDate(Date d) {
    return std::to_string(d.year) + "年" + std::to_string(d.month) + "月" + std::to_string(d.day) + "日";
}

std::string GroupedNumber(uint64_t value) {
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<size_t>(at), ",");
    return digits;
}

// Everything an entry's markup needs, already escaped.
struct EntryParts {
    std::string id;
    uint32_t hash = 0;
    std::string title;      // escaped, highlighted
    std::string plainTitle; // escaped, for data attributes
    std::string link;
    std::string cache;
    std::string mu; // ` mu="..."` or empty
    std::string shown;
    std::string abstract;
    Date date{};
};

EntryParts PartsOf(const SimEntry& entry, const PageRequest& request, const char* highlightTag) {
    EntryParts p;
    p.id = std::to_string(entry.id);
    p.hash = EntryHash(request.word, entry.id);
    const std::string word = HtmlEscape(request.word);
    const std::string title = HtmlEscape(CutTitle(entry.title));
    p.title = Highlight(title, word, highlightTag);
    p.plainTitle = title;
    for (auto at = p.plainTitle.find('\''); at != std::string::npos; at = p.plainTitle.find('\''))
        p.plainTitle.replace(at, 1, "&#39;");
    p.link = request.origin + "/link?url=" + MakeLinkToken(request.word, entry.id);
    p.cache = request.origin + "/c?m=" + Hex8(p.hash) + Hex8(p.hash * 31u) + "&p=" + Hex8(p.hash ^ 0x5A5A5A5Au) +
              "&user=baidu&fm=sc&query=" + PercentEncode(request.word) + "&p1=" + p.id;
    if (request.withMu && HasMu(entry.how))
        p.mu = " mu=\"" + HtmlEscape(entry.address) + "\"";
    if (ShowsAddress(entry.how))
        p.shown = HtmlEscape(ShownText(entry));
    p.date = DateOf(p.hash);
    p.abstract = "这是关于<em>" + word + "</em>的第" + p.id +
                 "条搜索结果的摘要文字，由本地模拟搜索引擎按固定规则生成，供测试与演示使用，内容与任何真实网站无关。";
    return p;
}

// Modern entries come in three shapes, chosen by position like the engine's mix.
enum class ModernShape { NewPmd, Common, Op };
ModernShape ShapeOf(int id) {
    if (id % 10 == 1)
        return ModernShape::Op;
    if (id % 3 == 0)
        return ModernShape::NewPmd;
    return ModernShape::Common;
}

std::string ModernEntry(const SimEntry& entry, const PageRequest& request) {
    const ModernShape shape = ShapeOf(entry.id);
    EntryParts p = PartsOf(entry, request, shape == ModernShape::NewPmd ? "b" : "em");
    const std::string shown = Highlight(CutShown(p.shown), HtmlEscape(request.word), "b");
    const std::string link = p.link + "&wd=&eqid=" + Hex8(p.hash * 7u) + Hex8(p.hash * 13u);
    std::string s;
    switch (shape) {
    case ModernShape::NewPmd:
        s += "<div class=\"result c-container xpath-log new-pmd\"\n        srcid=\"1599\" id=\"" + p.id +
             "\" tpl=\"www_index\"" + p.mu + "\n        data-click=\"{'rsv_bdr':'0','p5':" + p.id +
             "}\" data-op=\"{'y':'" + Hex8(p.hash * 3u) + "'}\"\n    >";
        s += "<h3 class=\"c-title t t tts-title\"><a\n            href = \"" + link +
             "\"\n            data-click=\"{'F':'778317EA','F1':'9D73F1E4','F2':'" + Hex8(p.hash) +
             "','T':'1597724469','y':'" + Hex8(~p.hash) + "'}\"\n            target=\"_blank\"\n        >" + p.title +
             "</a></h3>";
        s += "<div class=\"c-row c-gap-top-small\"><div class=\"c-span9 c-span-last\"><div class=\"c-abstract "
             "c-color-text\"><span class=\"c-color-gray2\">" +
             ChineseDate(p.date) + "&nbsp;</span>" + p.abstract +
             "</div><div class=\"c-row source_1Vdff OP_LOG_LINK c-gap-top-xsmall\">";
        if (!shown.empty())
            s += "<a target=\"_blank\" href=\"" + link +
                 "\" class=\"c-showurl c-color-gray\" style=\"text-decoration:none;position:relative;\">" + shown +
                 "</a><span class=\"c-color-gray2 c-gap-left-small\">" + IsoDate(p.date) + "</span>";
        s += "<div class=\"c-tools c-gap-left\" id=\"tools_" + Hex8(p.hash) + "_" + p.id +
             "\" data-tools='{\"title\":\"" + p.plainTitle + "\",\"url\":\"" + link +
             "\"}'><i class=\"c-icon f13\">&#xe62b;</i></div><a data-click=\"{'rsv_snapshot':'1'}\" href=\"" + p.cache +
             "\" target=\"_blank\" class=\"m c-gap-left c-color-gray kuaizhao snapshoot\">百度快照</a>";
        s += "</div></div></div></div>";
        break;
    case ModernShape::Common:
        s += "<div class=\"result c-container \" id=\"" + p.id +
             "\" srcid=\"1599\" tpl=\"se_com_default\"  data-click=\"{'rsv_bdr':'0' }\" " + p.mu + " >";
        s += "<h3 class=\"t\" ><a\n\t        "
             "data-click=\"{\n\t\t\t'F':'778317EA',\n\t\t\t'F1':'9D73F1E4',\n\t\t\t'F2':'" +
             Hex8(p.hash) + "',\n\t\t\t'T':'1597724469',\n\t\t\t\t\t\t'y':'" + Hex8(~p.hash) +
             "'\n\t\t\t\t\t\t\t\t\t\t\t\t}\"\n        href = \"" + link +
             "\"\n\n\t\t            target=\"_blank\"\n        \n\t\t>" + p.title + "</a></h3>";
        s += "<div class=\"c-abstract\"><span class=\" newTimeFactor_before_abs  m\">" + ChineseDate(p.date) +
             "&nbsp;-&nbsp;</span>" + p.abstract + "</div><div class=\"f13  se_st_footer\">";
        if (!shown.empty())
            s += "<a target=\"_blank\" href=\"" + link +
                 "\" class=\"c-showurl \" style=\"text-decoration:none;position:relative;\">" + shown + "</a>";
        s += "<div class=\"c-tools \" id=\"tools_" + Hex8(p.hash) + "_" + p.id + "\" data-tools='{\"title\":\"" +
             p.plainTitle + "\",\"url\":\"" + link +
             "\"}'><a class=\"c-tip-icon\"><i class=\"c-icon c-icon-triangle-down-g\"></i></a></div><span "
             "class=\"c-icons-outer\"><span class=\"c-icons-inner\"></span></span>&nbsp;-&nbsp;<a "
             "data-click=\"{'rsv_snapshot':'1'}\" href=\"" +
             p.cache + "\"\n                        target=\"_blank\"\n                    class=\"m \">百度快照</a>";
        s += "</div></div>";
        break;
    case ModernShape::Op: {
        // Protocol-relative links occur on these boxes.
        const std::string relative = link.starts_with("http:") ? link.substr(5) : link;
        s += "<div class=\"result-op c-container xpath-log\"  srcid=\"1547\"  id=\"" + p.id + "\" tpl=\"bk_polysemy\"" +
             p.mu + " data-op=\"{'y':'" + Hex8(p.hash * 5u) + "'}\" data-click=\"{'p1':'" + p.id +
             "','rsv_bdr':'0','fm':'albk',rsv_stl:''}\">\n            \n";
        s += "            <h3 class=\"t c-gap-bottom-small\">\n                <a href=\"" + relative +
             "\" target=\"_blank\">\n                    " + p.title + "\n                </a>\n            </h3>\n";
        s += "    <div class=\"c-row\">\n        <div class=\"c-span18 c-span-last\">\n            <p>\n               "
             " " +
             p.abstract + "\n            </p>\n            <p><a class=\"c-gap-right-small\" href=\"" + relative +
             "&sub=1\" target=\"_blank\">" + HtmlEscape(request.word) +
             "简介</a><a class=\"c-gap-right-small\" href=\"" + relative + "&sub=2\" target=\"_blank\">" +
             HtmlEscape(request.word) + "相关</a></p>\n";
        if (!shown.empty())
            s += "            <div><span class=\"c-showurl\">" + shown + " </span><span class=\"c-tools\" id=\"tools_" +
                 Hex8(p.hash) + "_" + p.id + "\" data-tools=\"{title:'" + p.plainTitle + "',url:'" + link +
                 "'}\"></span></div>\n";
        s += "        </div>\n    </div>\n</div>";
        break;
    }
    }
    return s;
}

std::string ClassicEntry(const SimEntry& entry, const PageRequest& request) {
    const EntryParts p = PartsOf(entry, request, "em");
    std::string s = "<div class=\"result c-container\" id=\"" + p.id + "\"><h3 class=\"t\"><a href=\"" + p.link +
                    "\" target=\"_blank\">" + p.title + "</a></h3><div class=\"c-abstract\">" + p.abstract +
                    "</div><div class=\"f13\">";
    if (!p.shown.empty())
        s += "<span class=\"g\">" + p.shown + "&nbsp;" + IsoDate(p.date) + "</span> - ";
    s += "<a href=\"" + p.cache + "\" target=\"_blank\" class=\"m\">百度快照</a></div></div>";
    return s;
}

std::string TableEntry(const SimEntry& entry, const PageRequest& request) {
    const EntryParts p = PartsOf(entry, request, "em");
    std::string s = "<table cellpadding=\"0\" cellspacing=\"0\" class=\"result\" id=\"" + p.id +
                    "\" ><tr><td class=f><h3 class=\"t\"><a onmousedown=\"return c({'fm':'as','F':'778317EA','F1':'" +
                    "9D73F1E4','F2':'" + Hex8(p.hash) + "','title':this.innerHTML,'url':this.href,'p1':" + p.id +
                    ",'y':'" + Hex8(~p.hash) + "'})\" href=\"" + p.link + "\" target=\"_blank\">" + p.title +
                    "</a></h3><font size=-1>" + p.abstract + "<br>";
    if (!p.shown.empty())
        s += "<span class=\"g\">" + p.shown + " " + ShortDate(p.date) + " </span> - ";
    s += "<a href=\"" + p.cache + "\" target=\"_blank\" class=\"m\">百度快照</a><br></font></td></tr></table><br>";
    return s;
}

std::string NoResults(const std::string& word) {
    return "<div class=\"content_none\"><div class=\"nors\"><p>抱歉没有找到与<span "
           "style=\"font-family:宋体\">“</span><em>" +
           word +
           "</em><span style=\"font-family:宋体\">”</span>相关的网页。</p><br/><div "
           "class=\"tip_head\">温馨提示：</div><ul><li>"
           "请检查您的输入是否正确</li><li>如网页未收录或者新站未收录，请<a "
           "href=\"/search/url_submit.html\">提交网址</a>"
           "给我们</li><li>如有任何意见或建议，请及时<a "
           "href=\"/search/jubao.html\">反馈给我们</a></li></ul></div></div>";
}

std::string Pager(const PageRequest& request, int pages) {
    const int current = request.pn / kResultsPerPage + 1;
    const std::string base = "/s?rn=20&word=" + PercentEncode(request.word) + "&pn=";
    std::string s;
    if (current > 1)
        s += "<a class=\"n\" href=\"" + base + std::to_string((current - 2) * kResultsPerPage) + "\">&lt;上一页</a>";
    for (int page = std::max(1, current - 5); page <= std::min(pages, std::max(10, current + 4)); ++page) {
        if (page == current)
            s += "<strong><span class=\"fk fk_cur\"><i class=\"c-icon c-icon-bear-p\"></i></span><span class=\"pc\">" +
                 std::to_string(page) + "</span></strong>";
        else
            s += "<a href=\"" + base + std::to_string((page - 1) * kResultsPerPage) +
                 "\"><span class=\"fk\"><i class=\"c-icon c-icon-bear-pn\"></i></span><span class=\"pc\">" +
                 std::to_string(page) + "</span></a>";
    }
    if (current < pages)
        s += "<a class=\"n\" href=\"" + base + std::to_string(current * kResultsPerPage) + "\">下一页&gt;</a>";
    return s;
}

const char* kResultCss =
    "body{color:#333;background:#fff;padding:6px 0 0;margin:0;position:relative}\n"
    "body,th,td,.p1,.p2{font-family:arial}\np,form,ol,ul,li,dl,dt,dd,h3{margin:0;padding:0;list-style:none}\n"
    "table,img{border:0}\ntd{font-size:9pt;line-height:18px}\nem{font-style:normal;color:#c00}\n"
    ".m,a.m{color:#666}\n.g,a.g{color:green}\n.c-showurl{color:#626675}\n#content_left{width:636px;float:left;"
    "padding-left:35px}\n#content_right{border-left:1px solid #e1e1e1;float:right}\n.content_none{padding-left:35px}\n";

// Head, entries and tail of a result page as UTF-8; padding goes between them.
struct PageText {
    std::string head, middle, tail;
};

PageText ModernPage(const std::vector<SimEntry>& entries, const PageRequest& request, int pages) {
    const std::string word = HtmlEscape(request.word);
    const uint32_t wordHash = Fnv(request.word);
    PageText t;
    t.head = std::string("\n<!DOCTYPE html>\n<!--STATUS OK-->\n\n\n\n\n\t\n\n\n\n<html>\n\t<head>\n\t\t\n"
                         "\t\t<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge,chrome=1\">\n"
                         "\t\t<meta http-equiv=\"content-type\" content=\"text/html;charset=") +
             MetaCharset(request.encoding) +
             "\">\n\t\t<meta content=\"always\" name=\"referrer\">\n"
             "        <meta name=\"theme-color\" content=\"#2932e1\">\n"
             "        <link rel=\"shortcut icon\" href=\"/favicon.ico\" type=\"image/x-icon\" />\n"
             "        <link rel=\"search\" type=\"application/opensearchdescription+xml\" href=\"/content-search.xml\" "
             "title=\"百度搜索\" />\n\t\t\n\t\t\n<title>" +
             word +
             "_百度搜索</title>\n\n\t\t\n\n\t\t\n<style data-for=\"result\" type=\"text/css\" id=\"css_newi_result\">" +
             kResultCss + "</style>\n";
    t.middle =
        "\t</head>\n\t<body link=\"#0000cc\">\n\t<div id=\"wrapper\" class=\"wrapper_l\">\n"
        "\t\t<div id=\"head\"><div class=\"head_wrapper\"><div class=\"s_form\"><div class=\"s_form_wrapper\">"
        "<a href=\"/\" id=\"result_logo\"><img src=\"/img/result.png\" alt=\"到百度首页\" title=\"到百度首页\"></a>"
        "<form id=\"form\" name=\"f\" action=\"/s\" class=\"fm\"><input type=\"hidden\" name=\"rn\" value=\"20\">"
        "<span class=\"bg s_ipt_wr\"><input id=\"kw\" name=\"word\" class=\"s_ipt\" value=\"" +
        word +
        "\" maxlength=\"255\" autocomplete=\"off\"></span><span class=\"bg s_btn_wr\"><input type=\"submit\" "
        "id=\"su\" value=\"百度一下\" class=\"bg s_btn\"></span></form></div></div></div></div>\n"
        "\t\t<div class=\"s_tab\" id=\"s_tab\"><div class=\"s_tab_inner\"><b>网页</b><a href=\"/\">资讯</a>"
        "<a href=\"/\">视频</a><a href=\"/\">图片</a><a href=\"/\">知道</a><a href=\"/\">文库</a>"
        "<a href=\"/\">贴吧</a><a href=\"/\">地图</a><a href=\"/\">更多</a></div></div>\n"
        "\t\t<div id=\"wrapper_wrapper\">\n\t\t\t<div id=\"container\" class=\"container_l sam_newgrid\">\n"
        "\t\t\t\t<div class=\"head_nums_cont_outer OP_LOG\"><div class=\"head_nums_cont_inner\"><div class=\"nums\">"
        "<span class=\"nums_text\">百度为您找到相关结果约" +
        GroupedNumber(pages == 0 ? 0 : 100000 + wordHash % 90000000) +
        "个</span></div></div></div>\n"
        "\t\t\t\t<div id=\"content_right\" class=\"cr-offset\"><table cellpadding=\"0\" cellspacing=\"0\"><tr>"
        "<td align=\"left\"><div id=\"con-ar\"><div class=\"result-op xpath-log\" tpl=\"right_toplist1\" "
        "data-click='{\"fm\":\"alxr\",\"p1\":1,\"rsv_srcid\":20811}'><div class=\"cr-title\"><span>搜索热点</span>"
        "</div><div class=\"opr-toplist1-table\"><a href=\"/s?rn=20&word=" +
        PercentEncode(request.word) + "%E6%95%99%E7%A8%8B\">" + word +
        "教程</a></div></div></div></td></tr>"
        "</table></div>\n\t\t\t\t<div id=\"content_left\">\n";
    if (entries.empty())
        t.middle += NoResults(word);
    for (const SimEntry& entry : entries)
        t.middle += "\t\t\t\t\t\n\t\t\n\t\t\t\t\t\t\t\t\t\t\t\t\t" + ModernEntry(entry, request) + "\n\t\t\t\t\t\n";
    t.middle += "\t\t\t\t</div>\n\t\t\t\t<div style=\"clear:both;height:0;\"></div>\n";
    if (!entries.empty())
        t.middle +=
            "\t\t\t\t<div id=\"rs\"><div class=\"tt\">相关搜索</div><table cellpadding=\"0\"><tr><th><a href=\"/s?"
            "rn=20&word=" +
            PercentEncode(request.word) + "%E5%85%A5%E9%97%A8\">" + word +
            "入门</a></th><th><a href=\"/s?rn=20"
            "&word=" +
            PercentEncode(request.word) + "%E4%B8%8B%E8%BD%BD\">" + word + "下载</a></th></tr></table></div>\n";
    t.middle += "\t\t<div id=\"page\" >\n\t\t\t<div class=\"page-inner\">" + Pager(request, pages) +
                "</div>\n\t\t</div>\n\t\t\t</div>\n\t\t</div>\n"
                "\t\t<div class=\"foot-container\"><div id=\"foot\" class=\"foot\"><span>帮助</span><span>举报</span>"
                "<span>用户反馈</span><span>本页由本地模拟搜索引擎生成</span></div></div>\n\t</div>\n";
    t.tail = "<script>var bds = bds || {}; bds.comm = {qid:\"" + Hex8(wordHash) + Hex8(~wordHash) +
             "\", pn:" + std::to_string(request.pn) + "};</script>\n</body>\n</html>\n";
    return t;
}

PageText ClassicPage(const std::vector<SimEntry>& entries, const PageRequest& request, int pages) {
    const std::string word = HtmlEscape(request.word);
    PageText t;
    t.head = std::string("<!DOCTYPE html>\n<!--STATUS OK-->\n<html><head><meta http-equiv=\"content-type\" "
                         "content=\"text/html;charset=") +
             MetaCharset(request.encoding) + "\"><meta http-equiv=\"X-UA-Compatible\" content=\"IE=Edge\"><title>" +
             word + "_百度搜索</title><style data-for=\"result\" id=\"css_result\">" + kResultCss + "</style>\n";
    t.middle =
        "</head><body link=\"#0000cc\"><div id=\"wrapper\"><div id=\"head\"><div class=\"head_wrapper\">"
        "<form name=\"f\" id=\"form\" action=\"/s\"><input type=\"text\" class=\"s_ipt\" name=\"word\" id=\"kw\" "
        "maxlength=\"100\" value=\"" +
        word +
        "\" autocomplete=\"off\"><input type=\"submit\" value=\"百度一下\" id=\"su\" class=\"btn self-btn bg "
        "s_btn\"></form></div></div><div id=\"s_tab\" class=\"s_tab\"><b>网页</b><a href=\"/\">新闻</a>"
        "<a href=\"/\">贴吧</a><a href=\"/\">知道</a></div><div id=\"wrapper_wrapper\"><div id=\"container\">"
        "<div class=\"nums\" style=\"margin-left:121px\">百度为您找到相关结果约" +
        GroupedNumber(pages == 0 ? 0 : 100000 + Fnv(request.word) % 90000000) + "个</div><div id=\"content_left\">\n";
    if (entries.empty())
        t.middle += NoResults(word);
    for (const SimEntry& entry : entries) {
        t.middle += (request.style == MarkupStyle::Table ? TableEntry(entry, request) : ClassicEntry(entry, request));
        t.middle += "\n";
    }
    t.middle += "</div><p id=\"page\">" + Pager(request, pages) +
                "</p></div></div><div id=\"foot\"><span>本页由本地模拟搜索引擎生成</span></div></div>\n";
    t.tail = "</body></html>\n";
    return t;
}

// Padding blocks look like the scripts, styles and hidden blocks of a real page
// and never contain anything the reader looks for.
std::string PaddingBlock(uint32_t n) {
    const std::string k = std::to_string(n);
    const std::string h = Hex8(Fnv(k));
    std::string s;
    switch (n % 4) {
    case 0:
        s = "<script>bds.comm.hotword" + k + "={";
        for (int i = 0; i < 12; ++i)
            s += "\"q" + std::to_string(i) + "\":{\"id\":" + std::to_string(n * 12 + i) + ",\"t\":\"热门搜索" + h +
                 "\",\"u\":\"/s?rn=20&word=" + h + "\"},";
        s += "\"end\":1};</script>\n";
        break;
    case 1:
        s = "<style type=\"text/css\">";
        for (int i = 0; i < 16; ++i)
            s += ".opr-toplist" + k + "-" + std::to_string(i) + "{margin:" + std::to_string((n + i) % 17) +
                 "px 0 0;width:" + std::to_string((n * 7 + i) % 400) + "px;color:#" + h.substr(0, 6) + "}\n";
        s += "</style>\n";
        break;
    case 2:
        s = "<div class=\"s-hotsearch-wrapper\" data-index=\"" + k + "\" style=\"display:none\">";
        for (int i = 0; i < 8; ++i)
            s += "<span class=\"title-content-title\">热搜话题第" + std::to_string(n * 8 + i) +
                 "条：本地模拟的隐藏内容，用来把页面撑到真实的大小</span>";
        s += "</div>\n";
        break;
    default:
        s = "<script type=\"text/javascript\">;(function(){";
        for (int i = 0; i < 10; ++i)
            s += "var t" + std::to_string(i) + "=window.performance&&performance.now&&performance.now();window.__sim_" +
                 k + "_" + std::to_string(i) + "=t" + std::to_string(i) + "||'" + h + "';";
        s += "})();</script>\n";
        break;
    }
    return s;
}

std::string FillerRun(size_t bytes) {
    if (bytes < 7)
        return std::string(bytes, '\n');
    return "<!--" + std::string(bytes - 7, ' ') + "-->";
}

} // namespace

std::string HtmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

SimEntry EntryAt(const SimConfig& config, std::string_view word, int id) {
    SimEntry entry;
    entry.id = id;
    if (const auto it = config.rankings.find(std::string(word)); it != config.rankings.end()) {
        for (const RankedSite& site : it->second) {
            if (site.position != id)
                continue;
            entry.address = AbsoluteAddress(site.address);
            entry.how = site.how;
            entry.title = site.title.empty() ? std::string(word) + " - " + HostOf(site.address) : site.title;
            return entry;
        }
    }
    const uint32_t hash = EntryHash(word, id);
    entry.address = FillerAddress(word, id, hash);
    entry.how = hash % 11 == 5 ? ShowAs::RedirectOnly : ShowAs::Shown;
    entry.title = FillerTitle(word, id, hash);
    return entry;
}

std::vector<SimEntry> PageEntries(const SimConfig& config, std::string_view word, int pn, int rn) {
    std::vector<SimEntry> entries;
    if (word.empty() || config.emptyWords.count(std::string(word)))
        return entries;
    const int last = PagesFor(config, word) * kResultsPerPage;
    const int first = std::clamp(pn, 0, kMaxPn) + 1;
    const int count = std::clamp(rn, 1, kMaxRn);
    for (int id = first; id < first + count && id <= last; ++id)
        entries.push_back(EntryAt(config, word, id));
    return entries;
}

std::string MakeLinkToken(std::string_view word, int id) {
    static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    const std::string plain = std::to_string(id) + "\n" + std::string(word);
    std::string out;
    uint32_t bits = 0;
    int count = 0;
    for (const unsigned char c : plain) {
        bits = (bits << 8) | c;
        count += 8;
        while (count >= 6) {
            count -= 6;
            out += alphabet[(bits >> count) & 63];
        }
    }
    if (count > 0)
        out += alphabet[(bits << (6 - count)) & 63];
    return out;
}

std::optional<LinkTarget> ReadLinkToken(std::string_view token) {
    std::string plain;
    uint32_t bits = 0;
    int count = 0;
    for (const char c : token) {
        int value;
        if (c >= 'A' && c <= 'Z')
            value = c - 'A';
        else if (c >= 'a' && c <= 'z')
            value = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            value = c - '0' + 52;
        else if (c == '-')
            value = 62;
        else if (c == '_')
            value = 63;
        else
            return std::nullopt;
        bits = (bits << 6) | static_cast<uint32_t>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            plain += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    const size_t newline = plain.find('\n');
    if (newline == 0 || newline == std::string::npos || newline > 9)
        return std::nullopt;
    LinkTarget target;
    for (size_t i = 0; i < newline; ++i) {
        if (plain[i] < '0' || plain[i] > '9')
            return std::nullopt;
        target.id = target.id * 10 + (plain[i] - '0');
    }
    if (target.id < 1)
        return std::nullopt;
    target.word = plain.substr(newline + 1);
    return target;
}

std::string PageStream::Next(size_t max) {
    while (piece_ < pieces_.size() && max > 0) {
        Piece& piece = pieces_[piece_];
        if (piece.padding == 0) {
            if (offset_ < piece.text.size()) {
                const size_t take = std::min(max, piece.text.size() - offset_);
                std::string out = piece.text.substr(offset_, take);
                offset_ += take;
                return out;
            }
        } else {
            if (pending_.empty() && offset_ < piece.padding) {
                const size_t left = piece.padding - offset_;
                std::string block = Encode(PaddingBlock(blockNo_++), encoding_);
                if (block.size() > left)
                    block = FillerRun(left);
                offset_ += block.size();
                pending_ = std::move(block);
            }
            if (!pending_.empty()) {
                const size_t take = std::min(max, pending_.size());
                std::string out = pending_.substr(0, take);
                pending_.erase(0, take);
                return out;
            }
        }
        ++piece_;
        offset_ = 0;
    }
    return {};
}

PageStream MakeResultPageStream(const SimConfig& config, const PageRequest& request) {
    const std::vector<SimEntry> entries = PageEntries(config, request.word, request.pn, request.rn);
    const int pages =
        request.word.empty() || config.emptyWords.count(request.word) ? 0 : PagesFor(config, request.word);
    PageText text = request.style == MarkupStyle::Modern ? ModernPage(entries, request, pages)
                                                         : ClassicPage(entries, request, pages);
    PageStream stream;
    stream.encoding_ = request.encoding;
    std::string head = Encode(text.head, request.encoding);
    std::string middle = Encode(text.middle, request.encoding);
    std::string tail = Encode(text.tail, request.encoding);
    const size_t natural = head.size() + middle.size() + tail.size();
    const size_t extra = request.padTo > natural ? request.padTo - natural : 0;
    // A real page carries about a hundred KiB of styles and scripts before its entries.
    const size_t headPad = std::min(extra * 2 / 5, size_t{128 * 1024});
    stream.pieces_.push_back({std::move(head), 0});
    stream.pieces_.push_back({{}, headPad});
    stream.pieces_.push_back({std::move(middle), 0});
    stream.pieces_.push_back({{}, extra - headPad});
    stream.pieces_.push_back({std::move(tail), 0});
    stream.size_ = natural + extra;
    return stream;
}

std::string ResultPage(const SimConfig& config, const PageRequest& request) {
    PageStream stream = MakeResultPageStream(config, request);
    std::string page;
    page.reserve(stream.Size());
    for (std::string part = stream.Next(1 << 20); !part.empty(); part = stream.Next(1 << 20))
        page += part;
    return page;
}

std::string VerifyPage(PageEncoding encoding) {
    const std::string page =
        std::string("<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"") + MetaCharset(encoding) +
        "\">\n<title>百度安全验证</title>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" +
        MetaCharset(encoding) +
        "\">\n<meta name=\"viewport\" content=\"width=device-width, initial-scale=1.0, minimum-scale=1.0, "
        "maximum-scale=1.0\">\n<style>body{background:#f5f5f5}.passMod_dialog-wrapper{width:360px;margin:120px auto;"
        "background:#fff}.passMod_tips{color:#666;font-size:14px}</style>\n</head>\n<body>\n"
        "<div class=\"passMod_dialog-wrapper\"><div class=\"passMod_dialog-body\"><div class=\"passMod_header\">"
        "百度安全验证</div><div class=\"passMod_tips\">网络环境存在异常，请完成下方验证后继续操作</div>"
        "<div class=\"vcode-body\"><img class=\"vcode-img\" src=\"/cap/img?ak=3D3F1E4A\" alt=\"验证码\">"
        "<input type=\"text\" name=\"vcode\" maxlength=\"4\" placeholder=\"请输入验证码\">"
        "<button class=\"vcode-submit\">提交</button></div><div class=\"passMod_feedback\"><a href=\"/\">返回首页</a>"
        "&nbsp;|&nbsp;<a href=\"/\">问题反馈</a></div></div></div>\n"
        "<script>var vcodeConfig = {\"ak\":\"3D3F1E4A\",\"refresh\":\"/cap/init\"};</script>\n</body>\n</html>\n";
    return Encode(page, encoding);
}

std::string ScriptRedirectPage(std::string_view address) {
    return "<html><head><noscript><META http-equiv=\"refresh\" content=\"0;URL='" + HtmlEscape(address) +
           "'\"></noscript></head><body><script>window.location.replace(\"" + JsEscape(address) +
           "\")</script></body></html>";
}

std::string NoRedirectPage() {
    return "<html><head><meta http-equiv=\"content-type\" content=\"text/html;charset=utf-8\"><title>百度</title>"
           "</head><body><p>页面不存在或已被删除</p></body></html>";
}

std::string SmallErrorPage(int status, std::string_view reason) {
    const std::string line = std::to_string(status) + " " + std::string(reason);
    return "<html><head><title>" + line + "</title></head><body><h1>" + line + "</h1></body></html>\n";
}

std::string ContentType(PageEncoding encoding, bool charsetInHeader) {
    if (!charsetInHeader)
        return "text/html";
    return std::string("text/html; charset=") + MetaCharset(encoding);
}

namespace {

// Deflates pieces into one gzip member; pieces are pulled until empty.
template <class NextPiece> std::string Deflate(NextPiece next) {
    z_stream zs{};
    if (deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    std::string out;
    char buffer[1 << 15];
    bool more = true;
    while (more) {
        std::string_view piece = next();
        more = !piece.empty();
        zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
        zs.avail_in = static_cast<uInt>(piece.size());
        const int flush = more ? Z_NO_FLUSH : Z_FINISH;
        int rc;
        do {
            zs.next_out = reinterpret_cast<Bytef*>(buffer);
            zs.avail_out = sizeof buffer;
            rc = deflate(&zs, flush);
            out.append(buffer, sizeof buffer - zs.avail_out);
        } while (rc != Z_STREAM_ERROR && (zs.avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END)));
    }
    deflateEnd(&zs);
    return out;
}

} // namespace

std::string Gzip(std::string_view bytes) {
    bool given = false;
    return Deflate([&]() -> std::string_view {
        if (given)
            return {};
        given = true;
        return bytes;
    });
}

std::string GzipBomb(size_t inflatedBytes) {
    const std::string head = "<!DOCTYPE html>\n<html><head><meta http-equiv=\"content-type\" "
                             "content=\"text/html;charset=utf-8\"></head><body>\n";
    const std::string tail = "</body></html>\n";
    const std::string blanks(1 << 20, ' ');
    size_t left = inflatedBytes > head.size() + tail.size() ? inflatedBytes - head.size() - tail.size() : 0;
    int stage = 0;
    return Deflate([&]() -> std::string_view {
        if (stage == 0) {
            stage = 1;
            return head;
        }
        if (stage == 1 && left > 0) {
            const size_t take = std::min(left, blanks.size());
            left -= take;
            return std::string_view(blanks).substr(0, take);
        }
        if (stage == 1) {
            stage = 2;
            return tail;
        }
        return {};
    });
}

} // namespace lilan::sim
