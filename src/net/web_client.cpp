#include "net/web_client.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <utility>
#include <vector>

#include <curl/curl.h>

#include "core/event_pump.h"
#include "net/request_url.h"
#include "text/text_basics.h"

namespace lilan {
namespace {

using Clock = std::chrono::steady_clock;

constexpr curl_off_t kMaxBody = curl_off_t{64} << 20;
constexpr std::size_t kMaxHeaderBytes = std::size_t{1} << 20;
constexpr int kMaxRedirects = 10;
constexpr int kPollMs = 10;
constexpr auto kPumpGap = std::chrono::milliseconds(kPollMs);

// The component's own defaults until SetTimeouts is called.
constexpr RequestTimeouts kDefaultTimeouts{0, 60000, 30000, 30000};

bool GlobalInit() {
    static const bool ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ok;
}

bool SameNameNoCase(std::string_view a, std::string_view b) {
    return ToLowerAscii(a) == ToLowerAscii(b);
}

// Header names are tokens; values may not break the request's lines.
bool ValidHeader(std::string_view name, std::string_view value) {
    if (name.empty())
        return false;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7F || c == ':' || c == ';')
            return false;
    }
    return value.find_first_of("\r\n") == std::string_view::npos;
}

bool ValidMethod(std::string_view method) {
    if (method.empty())
        return false;
    for (char c : method) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u >= 0x7F || c == '(' || c == ')' || c == ':' || c == '/' || c == '"')
            return false;
    }
    return true;
}

bool IsRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

long PositiveOr(int value, int fallback) {
    return value > 0 ? value : fallback;
}

} // namespace

struct WebClient::Component {
    enum class Phase { Idle, Opened, Running, Complete, Failed };

    CURL* easy = nullptr;
    CURLM* multi = nullptr;

    // Kept from request to request.
    RequestTimeouts timeouts = kDefaultTimeouts;
    long ignoredCertErrors = 0;
    bool followRedirects = true;

    // The open request.
    Phase phase = Phase::Idle;
    std::string method;
    std::string url;
    bool async = false;
    std::vector<std::pair<std::string, std::string>> headers;
    int proxySetting = 0;
    std::string proxyServer, proxyBypass, proxyUser, proxyPassword;
    std::string serverUser, serverPassword;
    std::string requestBody;
    bool hasBody = false;

    // The transfer.
    curl_slist* headerList = nullptr;
    bool attached = false;
    bool busy = false;
    int redirects = 0;
    std::string currentUrl;
    bool hopUploads = false;
    bool connected = false;
    bool uploading = false;
    Clock::time_point lastActivity{};
    curl_off_t lastDown = 0, lastUp = 0;
    std::size_t headerBytes = 0;
    std::string body;
    std::string headerText;
    int status = 0;
    std::vector<std::string> heldCookies;
    bool holdingCookies = false;

    Component() {
        if (!GlobalInit())
            return;
        easy = curl_easy_init();
        multi = curl_multi_init();
        if (!Ready())
            return;
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
        curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L); // followed by hand, see OnTransferDone
        curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");     // the in-memory cookie store
        curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, kMaxBody);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Component::OnBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Component::OnHeader);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &Component::OnProgress);
        curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &Component::OnConnected);
        curl_easy_setopt(easy, CURLOPT_PREREQDATA, this);
    }
    ~Component() {
        Abort();
        if (multi)
            curl_multi_cleanup(multi);
        if (easy)
            curl_easy_cleanup(easy);
        curl_slist_free_all(headerList);
    }
    bool Ready() const { return easy != nullptr && multi != nullptr; }

    // --- callbacks -------------------------------------------------------

    static size_t OnBody(char* data, size_t size, size_t count, void* self) {
        auto* c = static_cast<Component*>(self);
        const size_t n = size * count;
        if (static_cast<curl_off_t>(c->body.size() + n) > kMaxBody)
            return 0; // ends the transfer with a write error
        c->body.append(data, n);
        c->lastActivity = Clock::now();
        return n;
    }

    static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
        auto* c = static_cast<Component*>(self);
        const size_t n = size * count;
        c->headerBytes += n;
        if (c->headerBytes > kMaxHeaderBytes)
            return 0;
        c->lastActivity = Clock::now();
        std::string_view line(data, n);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.remove_suffix(1);
        if (line.substr(0, 5) == "HTTP/") {
            c->headerText.clear(); // an interim or redirect response came before
        } else if (!line.empty()) {
            c->headerText.append(line);
            c->headerText += "\r\n";
        }
        return n;
    }

    static int OnProgress(void* self, curl_off_t, curl_off_t down, curl_off_t upTotal, curl_off_t up) {
        auto* c = static_cast<Component*>(self);
        if (down != c->lastDown || up != c->lastUp) {
            c->lastDown = down;
            c->lastUp = up;
            c->lastActivity = Clock::now();
        }
        c->uploading = c->hopUploads && (upTotal <= 0 || up < upTotal);
        return 0;
    }

    // Called once the connection stands (new or reused): from here on the
    // send and receive limits apply instead of the connect limit.
    static int OnConnected(void* self, char*, char*, int, int) {
        auto* c = static_cast<Component*>(self);
        c->connected = true;
        c->uploading = c->hopUploads;
        c->lastActivity = Clock::now();
        return CURL_PREREQFUNC_OK;
    }

    // --- request set-up ------------------------------------------------

    void ResetRequest() {
        Abort();
        phase = Phase::Idle;
        method.clear();
        url.clear();
        async = false;
        headers.clear();
        proxySetting = 0;
        proxyServer.clear();
        proxyBypass.clear();
        proxyUser.clear();
        proxyPassword.clear();
        serverUser.clear();
        serverPassword.clear();
        requestBody.clear();
        hasBody = false;
        body.clear();
        headerText.clear();
        status = 0;
    }

    void SetHeader(std::string_view name, std::string_view value) {
        for (auto& [n, v] : headers) {
            if (SameNameNoCase(n, name)) {
                v = value;
                return;
            }
        }
        headers.emplace_back(name, value);
    }

    bool HasHeader(std::string_view name) const {
        return std::any_of(headers.begin(), headers.end(),
                           [&](const auto& h) { return SameNameNoCase(h.first, name); });
    }

    void ApplyMethod(std::string_view verb, bool withBody) {
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, static_cast<char*>(nullptr));
        curl_easy_setopt(easy, CURLOPT_NOBODY, 0L);
        hopUploads = false;
        if (verb == "GET" && !withBody) {
            curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
            return;
        }
        if (verb == "HEAD" && !withBody) {
            curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
            return;
        }
        if (withBody || verb == "POST") {
            curl_easy_setopt(easy, CURLOPT_POST, 1L);
            curl_easy_setopt(easy, CURLOPT_POSTFIELDS, withBody ? requestBody.data() : "");
            curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(withBody ? requestBody.size() : 0));
            hopUploads = withBody;
        }
        if (verb != "POST") {
            const std::string custom(verb);
            curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, custom.c_str()); // libcurl copies it
        }
    }

    // Every option that a request may change is set on every request; the
    // handle is not reset, so its connections and cookies stay with it.
    bool Configure() {
        curl_slist_free_all(headerList);
        headerList = nullptr;

        const std::string wire = WireUrl(url);
        currentUrl = wire;
        curl_easy_setopt(easy, CURLOPT_URL, wire.c_str());

        const long connectMs =
            std::min<long long>(LONG_MAX, static_cast<long long>(std::max(timeouts.resolve, 0)) +
                                              PositiveOr(timeouts.connect, kDefaultTimeouts.connect));
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, connectMs);

        // Certificate errors to ignore: unknown authority, wrong usage or a
        // date out of range waive the chain check; a wrong name the name check.
        const bool ignoreChain = (ignoredCertErrors & (0x0100 | 0x0200 | 0x2000)) != 0;
        const bool ignoreName = (ignoredCertErrors & 0x1000) != 0;
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, ignoreChain ? 0L : 1L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, ignoreName ? 0L : 2L);

        // An empty proxy text and an empty bypass list keep the environment's
        // proxy variables out: only the proxy given here is used.
        const bool viaProxy = proxySetting == 2 && !proxyServer.empty();
        std::string bypass = viaProxy ? proxyBypass : std::string();
        std::replace(bypass.begin(), bypass.end(), ';', ',');
        curl_easy_setopt(easy, CURLOPT_PROXY, viaProxy ? proxyServer.c_str() : "");
        curl_easy_setopt(easy, CURLOPT_NOPROXY, bypass.c_str());
        const bool proxyLogin = viaProxy && (!proxyUser.empty() || !proxyPassword.empty());
        curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, proxyLogin ? proxyUser.c_str() : nullptr);
        curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, proxyLogin ? proxyPassword.c_str() : nullptr);
        curl_easy_setopt(easy, CURLOPT_PROXYAUTH, static_cast<long>(proxyLogin ? CURLAUTH_ANY : CURLAUTH_BASIC));
        const bool serverLogin = !serverUser.empty() || !serverPassword.empty();
        curl_easy_setopt(easy, CURLOPT_USERNAME, serverLogin ? serverUser.c_str() : nullptr);
        curl_easy_setopt(easy, CURLOPT_PASSWORD, serverLogin ? serverPassword.c_str() : nullptr);
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(serverLogin ? CURLAUTH_ANY : CURLAUTH_BASIC));

        for (const auto& [name, value] : headers) {
            // "Name;" is libcurl's way of sending a header with an empty value.
            const std::string line = value.empty() ? name + ";" : name + ": " + value;
            headerList = curl_slist_append(headerList, line.c_str());
        }
        if (!HasHeader("Expect"))
            headerList = curl_slist_append(headerList, "Expect:"); // no 100-continue round trip
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList);

        if (!ValidMethod(method))
            return false;
        ApplyMethod(method, hasBody);

        return HasHttpScheme(url);
    }

    // A Cookie header set on the request is its whole cookie text: the
    // session's stored cookies are set aside for it and put back afterwards,
    // with whatever the response set winning over them.
    std::vector<std::string> ExportCookies() const {
        std::vector<std::string> lines;
        curl_slist* list = nullptr;
        if (curl_easy_getinfo(easy, CURLINFO_COOKIELIST, &list) == CURLE_OK) {
            for (curl_slist* item = list; item; item = item->next)
                lines.emplace_back(item->data);
            curl_slist_free_all(list);
        }
        return lines;
    }
    void HoldCookies() {
        heldCookies = ExportCookies();
        curl_easy_setopt(easy, CURLOPT_COOKIELIST, "ALL");
        holdingCookies = true;
    }
    void RestoreCookies() {
        if (!holdingCookies)
            return;
        holdingCookies = false;
        const std::vector<std::string> fresh = ExportCookies();
        curl_easy_setopt(easy, CURLOPT_COOKIELIST, "ALL");
        for (const std::string& line : heldCookies)
            curl_easy_setopt(easy, CURLOPT_COOKIELIST, line.c_str());
        for (const std::string& line : fresh)
            curl_easy_setopt(easy, CURLOPT_COOKIELIST, line.c_str());
        heldCookies.clear();
    }

    // --- the transfer ---------------------------------------------------

    void BeginHop() {
        body.clear();
        headerText.clear();
        headerBytes = 0;
        connected = false;
        uploading = false;
        lastDown = lastUp = 0;
        lastActivity = Clock::now();
        attached = curl_multi_add_handle(multi, easy) == CURLM_OK;
        if (!attached)
            Fail();
    }

    void Detach() {
        if (attached) {
            curl_multi_remove_handle(multi, easy);
            attached = false;
        }
    }

    void Fail() {
        Detach();
        RestoreCookies();
        body.clear();
        headerText.clear();
        status = 0;
        phase = Phase::Failed;
    }

    void Abort() {
        if (phase == Phase::Running)
            Fail();
    }

    void Start() {
        phase = Phase::Running;
        redirects = 0;
        if (!Configure()) {
            Fail();
            return;
        }
        if (HasHeader("Cookie"))
            HoldCookies();
        BeginHop();
    }

    // Redirects are followed here rather than by libcurl so that the rules of
    // the system component hold on every hop: at most ten, and never from
    // https down to http (such a response is returned as it is).
    void OnTransferDone(CURLcode result) {
        Detach();
        if (result != CURLE_OK) {
            Fail();
            return;
        }
        long code = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
        char* next = nullptr;
        if (followRedirects && IsRedirect(code) && curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &next) == CURLE_OK &&
            next != nullptr && RedirectAllowed(currentUrl, next)) {
            if (++redirects > kMaxRedirects) {
                Fail();
                return;
            }
            currentUrl = next;
            curl_easy_setopt(easy, CURLOPT_URL, currentUrl.c_str());
            // As browsers do: 303 turns every method but HEAD into GET, 301
            // and 302 turn POST into GET; 307 and 308 repeat the request.
            const bool toGet = (code == 303 && method != "HEAD") || ((code == 301 || code == 302) && method == "POST");
            if (toGet) {
                method = "GET";
                hasBody = false;
                ApplyMethod(method, false);
            }
            BeginHop();
            return;
        }
        status = static_cast<int>(code);
        RestoreCookies();
        phase = Phase::Complete;
    }

    bool Stalled(Clock::time_point now) const {
        if (!connected)
            return false; // the connect limit is libcurl's
        const long limitMs = uploading ? PositiveOr(timeouts.send, kDefaultTimeouts.send)
                                       : PositiveOr(timeouts.receive, kDefaultTimeouts.receive);
        return now - lastActivity > std::chrono::milliseconds(limitMs);
    }

    // Runs the transfer until it ends or the deadline passes, letting window
    // events run about every 10 ms. Calls that reach this client from those
    // events find it busy and are refused.
    void Drive(std::optional<Clock::time_point> deadline) {
        struct BusyGuard {
            bool& flag;
            explicit BusyGuard(bool& f) : flag(f) { flag = true; }
            ~BusyGuard() { flag = false; }
        } guard(busy);
        auto lastPump = Clock::now();
        while (phase == Phase::Running) {
            int running = 0;
            curl_multi_perform(multi, &running);
            int left = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
                if (message->msg == CURLMSG_DONE && message->easy_handle == easy && phase == Phase::Running)
                    OnTransferDone(message->data.result);
            }
            if (phase != Phase::Running)
                break;
            const auto now = Clock::now();
            if (Stalled(now) || (deadline && now >= *deadline)) {
                Fail();
                break;
            }
            curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr);
            if (Clock::now() - lastPump >= kPumpGap) {
                LetEventsRun();
                lastPump = Clock::now();
            }
        }
    }
};

WebClient::WebClient() {
    CreateComponent();
}
WebClient::WebClient(NoComponent) {}
WebClient::~WebClient() = default;

bool WebClient::Usable() const {
    return component_ && !component_->busy;
}

// Events run in the middle of a fetch find the client busy, as they do while
// its request is driven.
void WebClient::LetEventsRunWhileBusy() {
    if (!component_) {
        LetEventsRun();
        return;
    }
    const bool was = component_->busy;
    component_->busy = true;
    LetEventsRun();
    component_->busy = was;
}

bool WebClient::CreateComponent() {
    if (component_ && component_->busy)
        return true; // a request of this client is under way below us
    auto fresh = std::make_unique<Component>();
    if (fresh->Ready())
        component_ = std::move(fresh);
    else
        component_.reset();
    return component_ != nullptr;
}

void WebClient::Open(std::string& url) {
    Open("GET", url, false);
}

void WebClient::Open(std::string_view method, std::string& url, bool async) {
    url = NormalizeRequestUrl(url);
    OpenRequest(method, url, async);
}

void WebClient::OpenRequest(std::string_view method, std::string_view url, bool async) {
    if (!Usable())
        return;
    Component& c = *component_;
    c.ResetRequest();
    c.method = method;
    c.url = UpToZero(url);
    c.async = async;
    c.phase = Component::Phase::Opened;
}

void WebClient::SetRequestHeader(std::string_view name, std::string& value) {
    if (SameNameNoCase(name, "referer"))
        value = WithHttpScheme(value);
    if (!Usable() || component_->phase != Component::Phase::Opened)
        return;
    const std::string_view sent = UpToZero(value);
    if (ValidHeader(name, sent))
        component_->SetHeader(name, sent);
}

void WebClient::SetTimeouts(int resolve, int connect, int send, int receive) {
    if (!Usable())
        return;
    component_->timeouts = {resolve, connect > 0 ? connect : resolve, send > 0 ? send : resolve,
                            receive > 0 ? receive : resolve};
}

RequestTimeouts WebClient::Timeouts() const {
    return component_ ? component_->timeouts : RequestTimeouts{};
}

void WebClient::SetProxy(int setting, std::string_view proxy, std::string_view bypass) {
    if (!Usable() || component_->phase != Component::Phase::Opened || setting < 0 || setting > 2)
        return;
    std::vector<std::string> pieces = SplitText(proxy, ",");
    pieces.resize(3);
    Component& c = *component_;
    c.proxySetting = setting;
    c.proxyServer = setting == 2 ? TrimSpaces(pieces[0]) : std::string();
    c.proxyBypass = bypass;
    c.proxyUser.clear();
    c.proxyPassword.clear();
    if (!pieces[1].empty() && !pieces[2].empty())
        SetCredentials(pieces[1], pieces[2], 1);
}

void WebClient::SetCredentials(std::string_view user, std::string_view password, int target) {
    if (!Usable() || component_->phase != Component::Phase::Opened)
        return;
    Component& c = *component_;
    if (target == 1) {
        c.proxyUser = UpToZero(user);
        c.proxyPassword = UpToZero(password);
    } else if (target == 0) {
        c.serverUser = UpToZero(user);
        c.serverPassword = UpToZero(password);
    }
}

long WebClient::Option(int index, std::optional<long> value) {
    if (!component_)
        return 0;
    Component& c = *component_;
    const bool writable = !c.busy;
    switch (index) {
    case 4:
        if (value && writable)
            c.ignoredCertErrors = *value;
        return c.ignoredCertErrors;
    case 6:
        if (value && writable)
            c.followRedirects = *value != 0;
        return c.followRedirects ? 1 : 0;
    default:
        return 0;
    }
}

void WebClient::Send(std::string_view text, std::string_view bytes) {
    if (!Usable() || component_->phase != Component::Phase::Opened)
        return;
    Option(4, 0L);
    Component& c = *component_;
    if (!bytes.empty()) {
        c.requestBody = bytes;
        c.hasBody = true;
    } else if (!UpToZero(text).empty()) {
        c.requestBody = UpToZero(text);
        c.hasBody = true;
    }
    c.Start();
    if (!c.async)
        c.Drive(std::nullopt);
}

bool WebClient::WaitForResponse(int seconds) {
    if (!Usable())
        return false;
    Component& c = *component_;
    if (c.phase == Component::Phase::Running) {
        std::optional<Clock::time_point> deadline;
        if (seconds >= 0)
            deadline = Clock::now() + std::chrono::seconds(seconds);
        c.Drive(deadline);
    }
    return c.phase == Component::Phase::Complete;
}

std::string WebClient::ResponseBody() const {
    return component_ && component_->phase == Component::Phase::Complete ? component_->body : std::string();
}

std::string WebClient::GetAllResponseHeaders() const {
    if (!component_ || component_->phase != Component::Phase::Complete)
        return {};
    return std::string(UpToZero(component_->headerText));
}

int WebClient::LastStatus() const {
    return component_ && component_->phase == Component::Phase::Complete ? component_->status : 0;
}

std::string WebClient::CollectSetCookieLines() const {
    std::string out;
    for (const std::string& line : SplitText(GetAllResponseHeaders(), "\r\n")) {
        if (line.compare(0, 11, "Set-Cookie:") == 0)
            out += line + "\r\n";
    }
    return out;
}

std::string WebClient::ResponseHeader(std::string_view name) const {
    for (const std::string& line : SplitText(GetAllResponseHeaders(), "\r\n")) {
        const auto colon = line.find(':');
        if (colon != std::string::npos && SameNameNoCase(std::string_view(line).substr(0, colon), name))
            return TrimSpaces(std::string_view(line).substr(colon + 1));
    }
    return {};
}

std::string WebClient::ProbeLocation(std::string_view url) {
    if (!Usable())
        return {};
    // The shared client must go on following redirects afterwards.
    const long followed = Option(6);
    Option(6, 0L);
    SetTimeouts(5000, 5000, 10000, 5000);
    OpenRequest("GET", url, false);
    const std::pair<const char*, const char*> headers[] = {
        {"User-Agent", "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1)"},
        {"Accept-Language", "zh-cn"},
        {"Connection", "Keep-Alive"},
        {"Accept", "image/gif, image/x-xbitmap, image/jpeg, imagepeg, application/x-shockwave-flash, "
                   "application/x-silverlight, */*"},
    };
    for (const auto& [name, value] : headers) {
        std::string v = value;
        SetRequestHeader(name, v);
    }
    Send();
    std::string location = ResponseHeader("Location");
    Option(6, followed);
    return location;
}

} // namespace lilan
