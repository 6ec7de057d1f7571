#include "core/app_state.h"

#include "net/web_client.h"
#include "settings/settings_store.h"
#include "text/code_page.h"

namespace lilan {

// The client creates its component on construction; one that cannot be
// created is not reported, its fetches then give empty results.
AppState::AppState() : settings(std::make_unique<SettingsStore>()), web(std::make_unique<WebClient>()) {
    productName = Cp936("栎澜排名通");
}

AppState::~AppState() {
    productName.clear();
    settings.reset();
    web.reset();
    echoedTitle.clear();
}

void LoadDeployment(SettingsStore& settings, Deployment& deployment) {
    const std::pair<const char*, std::string Deployment::*> keys[] = {
        {"搜索主机", &Deployment::searchHost},         {"本站域名", &Deployment::ownDomain},
        {"经验子域名", &Deployment::experienceSubdomain}, {"浏览器搜索主机", &Deployment::browserSearchHost},
        {"主页地址", &Deployment::homeAddress},         {"软件主页地址", &Deployment::productAddress},
        {"联系文字", &Deployment::contactText},         {"联系地址", &Deployment::contactAddress},
        {"教程地址", &Deployment::tutorialAddress},
    };
    settings.SetSection(Cp936("部署"));
    for (const auto& [key, field] : keys)
        deployment.*field = settings.ReadText(Cp936(key), deployment.*field);
}

} // namespace lilan
