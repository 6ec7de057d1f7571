#pragma once

#include <QDialog>

#include <optional>
#include <string>
#include <string_view>

class QFrame;
class QPlainTextEdit;
class QPushButton;

namespace lilan {

class ShellDialogs;

struct TextDialogOptions {
    std::optional<std::string> hint; // left out: no hint line; given but empty: a standard hint
    std::string title;               // empty: a standard title
    int inputStyle = 0;              // 1 makes the text box read-only
    bool maximised = false;
    int width = 0; // wanted text box size in pixels; 0 keeps the designed size
    int height = 0;
    bool scrollBars = false;
    int margin = 0;      // 0 or less means 5
    int fileButtons = 0; // 0 none, 1 "内容", 2 "文件名", 3 both
};

// Height of the hint box: 12 pixels per line, where each "\r\n"-separated
// line of the hint takes as many lines as 6-pixel characters need at the
// client width less both margins (an empty line takes one). No hint, no height.
int HintHeight(std::string_view hint, int clientWidth, int margin);

// A text window, read-only for information or an input box with a bar of
// editing buttons. Texts are code page 936 with "\r\n" line breaks.
class TextDialog final : public QDialog {
    Q_OBJECT

public:
    TextDialog(std::string_view text, const TextDialogOptions& options, bool inputMode, ShellDialogs& dialogs,
               QWidget* parent = nullptr);

    bool Confirmed() const { return confirmed_; }
    const std::string& Result() const { return result_; }
    int Margin() const { return margin_; }
    std::string Text() const; // the text box as it stands

public slots:
    // Closing by the close box or Esc: in input mode a changed text is not
    // dropped without asking.
    void reject() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void SizeToOptions(const TextDialogOptions& options);
    void Restore();
    void AppendFromFiles(bool contents);
    void Confirm();
    void AppendText(std::string_view text);

    ShellDialogs& dialogs_;
    bool inputMode_;
    std::string hint_;
    std::string startingText_;
    int margin_ = 5;
    bool confirmed_ = false;
    std::string result_;

    QPlainTextEdit* hintBox_;
    QPlainTextEdit* textBox_;
    QFrame* buttonBar_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
};

// Opens the dialog modally and waits. Without a result variable it is the
// read-only mode. True when the user accepted with "确定"; result then holds
// the text. While one dialog is open, another request returns false at once.
bool ShowTextDialog(std::string_view text, const TextDialogOptions& options, QWidget* parent, std::string* result,
                    ShellDialogs& dialogs);

bool TextDialogIsOpen();

} // namespace lilan
