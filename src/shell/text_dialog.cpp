#include "shell/text_dialog.h"

#include <QClipboard>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include "core/event_pump.h"
#include "shell/program_font.h"
#include "shell/qt_text.h"
#include "shell/shell_dialogs.h"
#include "text/code_page.h"
#include "text/text_basics.h"

namespace lilan {
namespace {

constexpr int kHintCharWidth = 6;
constexpr int kHintLineHeight = 12;
constexpr int kButtonBarHeight = 34;
constexpr int kButtonHeight = 24;
constexpr int kDefaultMargin = 5;

TextDialog* openDialog = nullptr;

const std::string& DialogTitle() {
    static const std::string title = Cp936("栎澜：");
    return title;
}

// The text box holds "\n" line breaks; program text has "\r\n".
QString ToBoxText(std::string_view text) {
    QString box = ToQString(text);
    box.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return box;
}

std::string FromBoxText(QString box) {
    box.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return FromQString(box);
}

QPushButton* MakeButton(QWidget* parent, const QString& name, const QString& caption, QRect geometry) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

} // namespace

int HintHeight(std::string_view hint, int clientWidth, int margin) {
    int charsPerLine = (clientWidth - 2 * margin) / kHintCharWidth;
    if (charsPerLine < 1)
        charsPerLine = 1; // a window narrower than one character still shows each line
    int lines = 0;
    for (const std::string& line : SplitText(hint, "\r\n")) {
        const int bytes = static_cast<int>(line.size());
        lines += bytes == 0 ? 1 : (bytes + charsPerLine - 1) / charsPerLine;
    }
    return lines * kHintLineHeight;
}

TextDialog::TextDialog(std::string_view text, const TextDialogOptions& options, bool inputMode, ShellDialogs& dialogs,
                       QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), inputMode_(inputMode), startingText_(text) {
    static const std::string inputHint = Cp936("请输入数据："), infoHint = Cp936("以下为信息详情：");
    static const std::string inputTitle = Cp936("输入："), infoTitle = Cp936("信息：");
    if (options.hint)
        hint_ = options.hint->empty() ? (inputMode ? inputHint : infoHint) : *options.hint;
    const std::string& title = !options.title.empty() ? options.title : (inputMode ? inputTitle : infoTitle);

    setFont(ProgramFont());
    resize(495, 358);

    hintBox_ = new QPlainTextEdit(QStringLiteral("*"), this);
    hintBox_->setObjectName(QStringLiteral(u"编辑框提示"));
    hintBox_->setGeometry(13, 8, 395, 33);
    hintBox_->setReadOnly(true);
    hintBox_->setFrameShape(QFrame::NoFrame);
    hintBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    hintBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    hintBox_->setFocusPolicy(Qt::NoFocus);
    QFont hintFont = ProgramFont(kHintLineHeight);
    hintFont.setBold(!inputMode);
    hintBox_->setFont(hintFont);
    hintBox_->document()->setDocumentMargin(0);
    QPalette hintPalette = hintBox_->palette();
    hintPalette.setColor(QPalette::Base, hintPalette.color(QPalette::Window));
    hintBox_->setPalette(hintPalette);

    textBox_ = new QPlainTextEdit(this);
    textBox_->setObjectName(QStringLiteral(u"编辑框正文"));
    textBox_->setGeometry(5, 56, 411, 168);

    buttonBar_ = new QFrame(this);
    buttonBar_->setObjectName(QStringLiteral(u"外形框"));
    buttonBar_->setGeometry(8, 320, 336, kButtonBarHeight);
    QPushButton* restore = MakeButton(buttonBar_, QStringLiteral(u"按钮恢复"), QStringLiteral(u"恢复"), {0, 5, 51, 24});
    QPushButton* clear = MakeButton(buttonBar_, QStringLiteral(u"按钮清空"), QStringLiteral(u"清空"), {54, 5, 51, 24});
    QPushButton* paste = MakeButton(buttonBar_, QStringLiteral(u"按钮粘贴"), QStringLiteral(u"粘贴"), {107, 5, 85, 24});
    QPushButton* contents =
        MakeButton(buttonBar_, QStringLiteral(u"按钮文件"), QStringLiteral(u"内容"), {208, 5, 51, 24});
    QPushButton* names =
        MakeButton(buttonBar_, QStringLiteral(u"按钮文件名"), QStringLiteral(u"文件名"), {259, 5, 69, 24});
    okButton_ = MakeButton(this, QStringLiteral(u"按钮确定"), QStringLiteral(u"确定"), {351, 328, 64, 24});
    cancelButton_ = MakeButton(this, QStringLiteral(u"按钮取消"), QStringLiteral(u"取消"), {414, 328, 64, 24});

    connect(restore, &QPushButton::clicked, this, &TextDialog::Restore);
    connect(clear, &QPushButton::clicked, textBox_, &QPlainTextEdit::clear);
    connect(paste, &QPushButton::clicked, this,
            [this] { textBox_->setPlainText(QGuiApplication::clipboard()->text()); });
    connect(contents, &QPushButton::clicked, this, [this] { AppendFromFiles(true); });
    connect(names, &QPushButton::clicked, this, [this] { AppendFromFiles(false); });
    connect(okButton_, &QPushButton::clicked, this, &TextDialog::Confirm);
    // "取消" never asks: only the close box and Esc go through reject().
    connect(cancelButton_, &QPushButton::clicked, this, [this] { QDialog::reject(); });

    // Created: the file buttons asked for, the texts, the mode.
    contents->setVisible(options.fileButtons == 1 || options.fileButtons == 3);
    names->setVisible(options.fileButtons == 2 || options.fileButtons == 3);
    hintBox_->setPlainText(ToQString(hint_));
    setWindowTitle(ToQString(title));
    textBox_->setPlainText(ToBoxText(startingText_));
    textBox_->setReadOnly(options.inputStyle == 1);
    if (!inputMode_) {
        okButton_->hide();
        buttonBar_->hide();
        QPalette palette = textBox_->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Button));
        textBox_->setPalette(palette);
        textBox_->setReadOnly(true);
        cancelButton_->setText(QStringLiteral(u"关闭(&G)"));
        cancelButton_->setDefault(true);
    }
    if (options.scrollBars) {
        textBox_->setLineWrapMode(QPlainTextEdit::NoWrap);
        textBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        textBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
    margin_ = options.margin > 0 ? options.margin : kDefaultMargin;
    SizeToOptions(options);
    textBox_->setFocus(Qt::OtherFocusReason);
}

void TextDialog::SizeToOptions(const TextDialogOptions& options) {
    QSize client = size();
    if (options.width > 0)
        client.setWidth(options.width + 2 * margin_);
    if (options.height > 0)
        client.setHeight(HintHeight(hint_, client.width(), margin_) + 2 * margin_ + options.height + 3 * margin_ +
                         okButton_->height());
    resize(client);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize area = screen->size();
        move(area.width() / 2 - width() / 2, (area.height() - 30) / 2 - height() / 2);
    }
    if (options.maximised)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TextDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int w = width(), h = height(), m = margin_;
    const int hintHeight = HintHeight(hint_, w, m);
    hintBox_->setGeometry(m, m, w - 2 * m, hintHeight);
    const int textTop = m + hintHeight + m;
    textBox_->setGeometry(m, textTop, w - 2 * m, h - textTop - buttonBar_->height());
    const int barTop = textBox_->y() + textBox_->height();
    buttonBar_->move(m, barTop);
    const int buttonTop = barTop + buttonBar_->height() / 2 - cancelButton_->height() / 2;
    cancelButton_->move(w - m - cancelButton_->width(), buttonTop);
    okButton_->move(cancelButton_->x() - okButton_->width(), buttonTop);
}

std::string TextDialog::Text() const {
    return FromBoxText(textBox_->toPlainText());
}

void TextDialog::reject() {
    static const std::string question = Cp936("内容已被改动，是否要放弃？");
    if (inputMode_ && textBox_->toPlainText() != ToBoxText(startingText_) &&
        !dialogs_.AskYesNo(question, DialogTitle()))
        return;
    QDialog::reject();
}

void TextDialog::Restore() {
    static const std::string empty = Cp936("启动值为空！");
    if (startingText_.empty())
        dialogs_.ShowMessage(empty, DialogTitle(), MessageIcon::Information);
    else
        textBox_->setPlainText(ToBoxText(startingText_));
}

void TextDialog::AppendText(std::string_view text) {
    QTextCursor cursor = textBox_->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(ToBoxText(text));
    textBox_->setTextCursor(cursor);
}

void TextDialog::AppendFromFiles(bool contents) {
    static const std::string head = Cp936("选择多个文件，将导入其");
    static const std::string whatContents = Cp936("文件内容"), whatPaths = Cp936("文件路径");
    static const std::string filter = Cp936("文本文本|*.txt;*.text;*.ini;*.htn;*.html|全部文件|*.*");
    FileDialogRequest request;
    request.title = head + (contents ? whatContents : whatPaths);
    request.filter = filter;
    for (const std::string& path : dialogs_.ChooseFiles(request)) {
        if (contents) {
            QFile file(ToQString(path));
            // A file that cannot be read adds an empty line.
            const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
            AppendText(std::string(UpToZero(std::string_view(bytes.constData(), bytes.size()))) + "\r\n");
        } else {
            AppendText(path + "\r\n");
        }
        LetEventsRun();
    }
}

void TextDialog::Confirm() {
    result_ = Text();
    confirmed_ = true;
    accept();
}

bool ShowTextDialog(std::string_view text, const TextDialogOptions& options, QWidget* parent, std::string* result,
                    ShellDialogs& dialogs) {
    if (openDialog != nullptr)
        return false;
    TextDialog dialog(text, options, result != nullptr, dialogs, parent);
    openDialog = &dialog;
    dialog.exec();
    openDialog = nullptr;
    if (dialog.Confirmed() && result != nullptr)
        *result = dialog.Result();
    return dialog.Confirmed();
}

bool TextDialogIsOpen() {
    return openDialog != nullptr;
}

} // namespace lilan
