#pragma once

#include <memory>
#include <string>

#include "core/window.h"

namespace lilan {

class SettingsStore;
class WebClient;

// Values of the program's maker: where it searches and which links it shows.
// Read from a section of the settings file that the program never writes;
// the batch command takes them as options.
struct Deployment {
    std::string searchHost = "www.baidu.com";      // host[:port] of the web search ("http://" + host + "/s?...")
    std::string ownDomain = "baidu.com";           // rows on this domain are matched by their page title
    std::string experienceSubdomain = "jingyan";   // ...unless their host holds this name
    std::string browserSearchHost = "www.baidu.com";
    std::string homeAddress;                       // logo button
    std::string productAddress;                    // 软件主页
    std::string contactText;                       // caption of the contact link
    std::string contactAddress;
    std::string tutorialAddress;                   // named in the help text
    int requestTimeoutSeconds = 0;                 // search requests; 0 keeps the client's fixed defaults
};

// The process-wide state: one of each, created and released in a fixed order.
struct AppState {
    AppState();  // creates settings (unopened) and web (component created), in that order
    ~AppState(); // releases productName, settings (closing its file), web, echoedTitle, in that order
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    std::string productName;                 // "栎澜排名通"
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<WebClient> web;
    int stopRequested = 0;
    std::string echoedTitle;
    Deployment deployment;
};

// Reads the maker's values from their own section of the settings file
// ("部署"); missing keys keep the values deployment already holds.
void LoadDeployment(SettingsStore& settings, Deployment& deployment);

// What the query run touches of the window.
struct QueryWindow {
    ResultsList& list;
    const QueryOptions& options;
    Caption& startButton;
    Dialogs& dialogs;
};

// Handler of the start button: starts a run, or asks the running one to stop.
void RunQuery(AppState& app, QueryWindow& window);

} // namespace lilan
