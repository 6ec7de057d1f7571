#include "served_test.h"

#include "support/gbk.h"

#include <string>

namespace lilan::test {
namespace {

constexpr std::size_t kBlock = 1 << 20;

} // namespace

ServedTest::ServedTest() {
    httplib::Server& http = server.http;
    auto echo = [this](const httplib::Request& request, httplib::Response& response) {
        server.Record(request);
        response.set_content("echo " + request.method, "text/plain");
    };
    http.Get("/echo", echo);
    http.Post("/echo", echo);
    http.Get(R"(/hop/(\d+))", [this](const httplib::Request& request, httplib::Response& response) {
        server.Record(request);
        const int left = std::stoi(request.matches[1]);
        if (left == 0)
            response.set_content("arrived", "text/plain");
        else
            response.set_redirect("/hop/" + std::to_string(left - 1));
    });
    http.Get("/moved", [this](const httplib::Request& request, httplib::Response& response) {
        server.Record(request);
        response.set_redirect("/echo", 302);
        response.set_content("moved away", "text/plain");
    });
    http.Get("/no-location", [this](const httplib::Request& request, httplib::Response& response) {
        server.Record(request);
        response.status = 302;
        response.set_content("nowhere", "text/plain");
    });
    for (int status : {303, 307}) {
        http.Post("/post-" + std::to_string(status),
                  [this, status](const httplib::Request& request, httplib::Response& response) {
                      server.Record(request);
                      response.set_redirect("/echo", status);
                  });
    }
    http.Get("/set-cookies", [this](const httplib::Request& request, httplib::Response& response) {
        server.Record(request);
        response.set_header("Set-Cookie", "a=1; Path=/");
        response.set_header("Set-Cookie", "b=2");
        response.set_content("cookies set", "text/plain");
    });
    http.Get("/slow", [this](const httplib::Request& request, httplib::Response& response) {
        server.Record(request);
        server.Sleep(300);
        response.set_content("slow answer", "text/plain");
    });
    http.Get("/stall", [this](const httplib::Request& request, httplib::Response& response) {
        server.Record(request);
        response.set_chunked_content_provider("text/plain", [this](size_t offset, httplib::DataSink& sink) {
            if (offset == 0)
                return sink.write("first half ", 11);
            server.Sleep(60000);
            return false;
        });
    });
    http.Get("/trickle", [this](const httplib::Request& request, httplib::Response& response) {
        server.Record(request);
        response.set_chunked_content_provider(
            "text/plain", [this](size_t, httplib::DataSink& sink) { return sink.write("x", 1) && server.Sleep(100); });
    });
    http.Get("/huge", [](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider("text/plain", [](size_t offset, httplib::DataSink& sink) {
            static const std::string block(kBlock, 'a');
            if (offset > (std::size_t{65} << 20)) {
                sink.done();
                return true;
            }
            return sink.write(block.data(), block.size());
        });
    });
    http.Get("/huge-length", [](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(std::size_t{65} << 20, "text/plain",
                                      [](size_t, size_t length, httplib::DataSink& sink) {
                                          static const std::string block(kBlock, 'a');
                                          return sink.write(block.data(), std::min(length, block.size()));
                                      });
    });
    http.Get("/gzip", [](const httplib::Request&, httplib::Response& response) {
        response.set_header("Content-Encoding", "gzip");
        response.set_content(Gzip("<html><title>中文</title></html>"), "text/html");
    });
    http.Get("/bomb", [](const httplib::Request&, httplib::Response& response) {
        static const std::string bomb = GzipRepeated(' ', (std::size_t{64} << 20) + 1);
        response.set_header("Content-Encoding", "gzip");
        response.set_content(bomb, "text/html");
    });
    http.Get("/utf8-declared", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("中文😀", "text/html; Charset=UTF-8");
    });
    http.Get("/utf8-undeclared",
             [](const httplib::Request&, httplib::Response& response) { response.set_content("中文😀", "text/html"); });
    http.Get("/page", [](const httplib::Request&, httplib::Response& response) {
        response.set_content(ReadSharedFixture("result-page-python.html"), "text/html");
    });
    http.Get(R"(/path/(.*))", [this](const httplib::Request& request, httplib::Response& response) {
        server.Record(request);
        response.set_content("path", "text/plain");
    });
    server.Start();
}

} // namespace lilan::test
