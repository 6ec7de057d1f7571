#include "shell/shell_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

#include "shell/qt_text.h"
#include "text/code_page.h"

namespace lilan {
namespace {

QString TitleOrDefault(std::string_view title) {
    static const std::string defaultTitle = Cp936("信息：");
    return ToQString(title.empty() ? std::string_view(defaultTitle) : title);
}

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QStringList NameFiltersFromPairs(const QString& pairs) {
    const QStringList parts = pairs.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << parts[i] + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}

void QtDialogs::ShowMessage(std::string_view text, std::string_view title, MessageIcon icon) {
    QMessageBox box(ToQtIcon(icon), TitleOrDefault(title), ToQString(text), QMessageBox::Ok, parent_);
    box.exec();
}

bool QtDialogs::AskYesNo(std::string_view text, std::string_view title) {
    QMessageBox box(QMessageBox::NoIcon, TitleOrDefault(title), ToQString(text), QMessageBox::Yes | QMessageBox::No,
                    parent_);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtDialogs::ChooseFile(const FileDialogRequest& request) {
    std::vector<std::string> chosen = RunFileDialog(request, false);
    if (chosen.empty())
        return std::nullopt;
    return std::move(chosen.front());
}

std::vector<std::string> QtDialogs::ChooseFiles(const FileDialogRequest& request) {
    return RunFileDialog(request, true);
}

std::vector<std::string> QtDialogs::RunFileDialog(const FileDialogRequest& request, bool many) {
    QFileDialog dialog(parent_, ToQString(request.title));
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile
                                    : (many ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile));
    dialog.setNameFilters(NameFiltersFromPairs(ToQString(request.filter)));
    if (!request.defaultExtension.empty())
        dialog.setDefaultSuffix(ToQString(request.defaultExtension));
    if (!request.proposedPath.empty())
        dialog.selectFile(ToQString(request.proposedPath));
    if (dialog.exec() != QDialog::Accepted)
        return {};

    std::vector<std::string> paths;
    for (const QString& path : dialog.selectedFiles()) {
        // The program names files in code page 936; a name it cannot hold
        // would silently become another file.
        if (!FitsCodePage936(path)) {
            static const std::string message =
                Cp936("文件名中有无法用简体中文编码（GBK）表示的字符，请换一个文件名或文件夹：\r\n");
            QMessageBox box(QMessageBox::Warning, TitleOrDefault({}), ToQString(message) + path, QMessageBox::Ok,
                            parent_);
            box.exec(); // the name as it is: in program text it would read "???"
            return {};
        }
        paths.push_back(FromQString(path));
    }
    return paths;
}

} // namespace lilan
