#pragma once

#include <QPointer>
#include <QWidget>

#include <string>
#include <vector>

#include "core/window.h"

namespace lilan {

// Every message box and file dialog of the program goes through one of
// these, so tests can answer them without a modal box ever opening.
class ShellDialogs : public Dialogs {
public:
    // Full paths (code page 936) of the chosen files, in the order returned;
    // empty when cancelled.
    virtual std::vector<std::string> ChooseFiles(const FileDialogRequest& request) = 0;
};

// Real boxes and dialogs, owned by the parent when one is set.
class QtDialogs final : public ShellDialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    void ShowMessage(std::string_view text, std::string_view title = {}, MessageIcon icon = MessageIcon::None) override;
    bool AskYesNo(std::string_view text, std::string_view title = {}) override;
    std::optional<std::string> ChooseFile(const FileDialogRequest& request) override;
    std::vector<std::string> ChooseFiles(const FileDialogRequest& request) override;

private:
    std::vector<std::string> RunFileDialog(const FileDialogRequest& request, bool many);

    QPointer<QWidget> parent_;
};

// "txt文件|*.txt|全部文件|*.*" as Qt name filters: "txt文件 (*.txt)", ...
QStringList NameFiltersFromPairs(const QString& pairs);

} // namespace lilan
