#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The program's HTTP client. All texts are program text (code page 936);
// bodies are raw bytes held in std::string.
namespace lilan {

// The optional parameters of WebClient::FetchPage. Fields marked in/out are
// rewritten by the fetch.
struct FetchOptions {
    std::string postText{};             // request body as text; non-empty makes a POST
    int bodyMode = 0;                   // in/out: -2, -1 raw body; 0 detect; 1..6 an encoding code of DecodeBody
    float timeoutSeconds = 0;           // -1: keep the client's timeouts; below 1: fixed defaults; else all four
    std::optional<std::string> proxy{}; // not given or "-1": no proxy call; "IE": the user's proxy
    bool synchronous = false;
    std::string postBytes{}; // request body as bytes; wins over postText
    std::string referer{};   // empty: the address itself
    std::string cookies{};   // in/out; "-1" sends an empty Cookie header
    bool keepCookies = false;
    std::string contentType{};  // empty: "application/x-www-form-urlencoded"
    std::string userAgent{};    // empty: the default user agent
    std::string extraHeaders{}; // "Name: value" lines separated by "\r\n"
    bool forgeClientAddress = false;
};

// Milliseconds, in the order resolve, connect, send, receive.
struct RequestTimeouts {
    int resolve = 0;
    int connect = 0;
    int send = 0;
    int receive = 0;
    bool operator==(const RequestTimeouts&) const = default;
};

// One HTTP request component (a libcurl handle with its connection cache and
// in-memory cookie store) used request after request. Every request is driven
// on the calling thread and lets window events run about every 10 ms while it
// waits. While a request is under way, window events that reach the same
// client are refused: request calls do nothing and give empty results.
class WebClient {
public:
    struct NoComponent {};

    WebClient(); // creates the component
    explicit WebClient(NoComponent);
    ~WebClient();
    WebClient(const WebClient&) = delete;
    WebClient& operator=(const WebClient&) = delete;

    // Creates the component, replacing any earlier one (its connections and
    // cookies go with it). False when it cannot be created: every later call
    // then does nothing and gives empty results.
    bool CreateComponent();
    bool HasComponent() const { return component_ != nullptr; }

    // Starts a new request. url is normalised in place: "http://" put in front
    // unless it begins with http:// or https:// (any case), cut at "#".
    void Open(std::string& url);
    void Open(std::string_view method, std::string& url, bool async = false);

    // A "referer" value (any case of the name) without scheme gets "http://"
    // in front, in place. Setting a header again replaces it (names compare
    // without case). A Cookie header replaces the stored session cookies for
    // this request.
    void SetRequestHeader(std::string_view name, std::string& value);

    // Each of the last three that is zero or negative takes resolve's value.
    // Kept for later requests of this client.
    void SetTimeouts(int resolve, int connect = 0, int send = 0, int receive = 0);
    RequestTimeouts Timeouts() const;

    // setting 0: default configuration (direct), 1: direct, 2: the proxy given
    // as "server" or "server,user,password". For the open request.
    void SetProxy(int setting, std::string_view proxy, std::string_view bypass = {});
    // target 0: the server, 1: the proxy.
    void SetCredentials(std::string_view user, std::string_view password, int target = 0);

    // Option 4: certificate errors to ignore (0 = none); option 6: follow
    // redirects (1, the default) or not (0). Writes value when given, then
    // returns the option's value (0 for other indexes).
    long Option(int index, std::optional<long> value = std::nullopt);

    // Sends bytes when not empty, else text when not empty, else no body. A
    // synchronous request returns when it is complete or has failed.
    void Send(std::string_view text = {}, std::string_view bytes = {});
    // Drives an asynchronous request for at most seconds (negative: until its
    // own timeouts end it); a request not complete by then is abandoned.
    bool WaitForResponse(int seconds);

    // Of the last complete response; empty otherwise.
    std::string ResponseBody() const;
    std::string GetAllResponseHeaders() const; // "Name: value\r\n" lines
    std::string CollectSetCookieLines() const;
    int LastStatus() const; // 0 when the last request got no complete response

    // One GET without redirects (own timeouts 5000, 5000, 10000, 5000 ms, no
    // address normalisation); the response's Location header or empty.
    std::string ProbeLocation(std::string_view url);

    // Fetches a page and returns it as program text; empty on any failure.
    std::string FetchPage(std::string_view url);
    std::string FetchPage(std::string_view url, FetchOptions& options);
    std::string FetchPage(std::string_view url, FetchOptions&& options);

    // "X-Forward-For: a\r\nX-Forwarded-For: a\r\nREMOTE_ADDR: a", a random.
    static std::string MakeForgedAddressHeaders();
    // The last response's cookies as one text, attributes kept, ending "; ".
    std::string MergeResponseCookies() const;

    std::string storedCookies;

private:
    struct Component;
    bool Usable() const;
    void LetEventsRunWhileBusy();
    void OpenRequest(std::string_view method, std::string_view url, bool async);
    std::string ResponseHeader(std::string_view name) const;

    std::unique_ptr<Component> component_;
};

} // namespace lilan
