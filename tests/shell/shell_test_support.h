#pragma once

#include <QApplication>

#include <deque>
#include <string>
#include <vector>

#include "shell/shell_dialogs.h"
#include "shell/url_opener.h"

namespace lilan::test {

// The one QApplication of a test program, offscreen, with test-mode
// standard paths.
QApplication& TestApp();

// Answers every box and file dialog from a script and remembers what was
// shown; nothing modal ever opens.
class ScriptedDialogs final : public ShellDialogs {
public:
    struct Message {
        std::string text, title;
        MessageIcon icon;
    };

    void ShowMessage(std::string_view text, std::string_view title, MessageIcon icon) override;
    bool AskYesNo(std::string_view text, std::string_view title) override;
    std::optional<std::string> ChooseFile(const FileDialogRequest& request) override;
    std::vector<std::string> ChooseFiles(const FileDialogRequest& request) override;

    std::vector<Message> messages;
    std::vector<Message> questions;
    std::vector<FileDialogRequest> fileRequests;
    std::deque<bool> answers;                           // AskYesNo; No once it runs out
    std::deque<std::optional<std::string>> fileChoices; // ChooseFile; cancel once it runs out
    std::vector<std::string> manyFiles;                 // ChooseFiles
};

class RecordingUrlOpener final : public UrlOpener {
public:
    void Open(std::string_view address) override { opened.emplace_back(address); }
    std::vector<std::string> opened;
};

} // namespace lilan::test
