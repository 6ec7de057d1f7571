#include "shell_test_support.h"

#include <QStandardPaths>

namespace lilan::test {

QApplication& TestApp() {
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QStandardPaths::setTestModeEnabled(true);
        static int argc = 1;
        static char name[] = "shell_tests";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv); // lives until the process ends
    }();
    return *app;
}

void ScriptedDialogs::ShowMessage(std::string_view text, std::string_view title, MessageIcon icon) {
    messages.push_back({std::string(text), std::string(title), icon});
}

bool ScriptedDialogs::AskYesNo(std::string_view text, std::string_view title) {
    questions.push_back({std::string(text), std::string(title), MessageIcon::None});
    if (answers.empty())
        return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<std::string> ScriptedDialogs::ChooseFile(const FileDialogRequest& request) {
    fileRequests.push_back(request);
    if (fileChoices.empty())
        return std::nullopt;
    std::optional<std::string> choice = fileChoices.front();
    fileChoices.pop_front();
    return choice;
}

std::vector<std::string> ScriptedDialogs::ChooseFiles(const FileDialogRequest& request) {
    fileRequests.push_back(request);
    return manyFiles;
}

} // namespace lilan::test

// Fontconfig keeps its caches for the life of the process; under the leak
// checker that is not ours to answer for.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}
