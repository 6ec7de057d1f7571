#include "shell/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPalette>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>
#include <cstdlib>

#include "lists/list_commands.h"
#include "settings/settings_store.h"
#include "shell/help_text.h"
#include "shell/link_label.h"
#include "shell/program_font.h"
#include "shell/qt_event_pump.h"
#include "shell/qt_text.h"
#include "shell/results_model.h"
#include "shell/results_view.h"
#include "shell/shell_dialogs.h"
#include "shell/text_dialog.h"
#include "shell/tray_icon.h"
#include "shell/url_opener.h"
#include "text/code_page.h"

namespace lilan {
namespace {

constexpr int kListLeft = 8, kListTop = 96;
constexpr int kPanelHeight = 160;

template <typename Widget> Widget* Place(Widget* widget, const QString& name, QRect geometry) {
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

QToolButton* PictureButton(QWidget* parent, const QString& name, const QString& image, QRect geometry) {
    auto* button = Place(new QToolButton(parent), name, geometry);
    button->setIcon(QIcon(image));
    button->setIconSize(geometry.size());
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

// Background through the palette: a style sheet would stop the font from
// reaching the children.
void Paint(QWidget& widget, const QBrush& brush) {
    QPalette colours = widget.palette();
    colours.setBrush(QPalette::Window, brush);
    widget.setPalette(colours);
    widget.setAutoFillBackground(true);
}

} // namespace

// The panel's values, read from the controls at each call.
class MainWindow::PanelOptions final : public QueryOptions {
public:
    explicit PanelOptions(const MainWindow& w) : w_(w) {}
    bool InclusionOnly() const override { return w_.inclusionOnly_->isChecked(); }
    bool Descriptive() const override { return w_.descriptive_->isChecked(); }
    std::string PageLimitText() const override { return FromQString(w_.pages_->text()); }
    std::string IntervalText() const override { return FromQString(w_.interval_->text()); }
    bool UseProxy() const override { return w_.proxy_->isChecked(); }
    std::string ProxyText() const override { return FromQString(w_.proxyAddress_->text()); }
    bool RankedOnly() const override { return w_.rankedOnly_->isChecked(); }
    bool AlwaysAddress() const override { return w_.alwaysAddress_->isChecked(); }
    bool NewWindow() const override { return w_.newWindow_->isChecked(); }
    bool UnrankedOnly() const override { return w_.unrankedOnly_->isChecked(); }

private:
    const MainWindow& w_;
};

class MainWindow::StartCaption final : public Caption {
public:
    explicit StartCaption(QPushButton& button) : button_(button) {}
    std::string Text() const override { return FromQString(button_.text()); }
    void SetText(std::string_view text) override { button_.setText(ToQString(text)); }

private:
    QPushButton& button_;
};

// A check box as the settings store knows it: by its control name.
class MainWindow::NamedCheckBox final : public CheckBox {
public:
    explicit NamedCheckBox(QCheckBox& box) : box_(box) {}
    std::string Name() const override { return FromQString(box_.objectName()); }
    bool IsChecked() const override { return box_.isChecked(); }
    void SetChecked(bool checked) override { box_.setChecked(checked); }

private:
    QCheckBox& box_;
};

MainWindow::MainWindow(MainWindowSetup setup, QWidget* parent) : QWidget(parent), setup_(std::move(setup)) {
    static const std::string caption =
        Cp936("栎澜排名通 v1.6.6.0 - 排名 -1 表示超出范围，0 表示未收录，1 及以上表示收录");
    if (setup_.dialogs == nullptr) {
        ownDialogs_ = std::make_unique<QtDialogs>(this);
        setup_.dialogs = ownDialogs_.get();
    }
    if (setup_.urlOpener == nullptr) {
        ownUrlOpener_ = std::make_unique<DesktopUrlOpener>();
        setup_.urlOpener = ownUrlOpener_.get();
    }

    setWindowTitle(ToQString(caption));
    setWindowIcon(QIcon(QStringLiteral(":/lilan/app.svg")));
    setFont(ProgramFont());
    // The designed outer 869 x 571 less a classic window frame.
    move(50, 50);
    resize(863, 536);

    BuildTopBand();
    Place(new QFrame(this), QStringLiteral(u"标签12"), {0, 88, 1000, 2})->setFrameShape(QFrame::HLine);

    model_ = new ResultsModel(this);
    model_->SetRowIcon(QIcon(QStringLiteral(":/lilan/row.svg")));
    view_ = Place(new ResultsView(this), QStringLiteral(u"列表框"), {kListLeft, kListTop, 848, 352});
    view_->setModel(model_);
    view_->header()->resizeSection(kKeywordColumn, 300);
    view_->header()->resizeSection(kAddressColumn, 300);
    view_->header()->resizeSection(kResultColumn, 500);
    connect(view_, &ResultsView::doubleClickedAnywhere, this, &MainWindow::OnListDoubleClicked);

    BuildPanel();

    list_ = std::make_unique<QtResultsList>(*model_, *view_);
    options_ = std::make_unique<PanelOptions>(*this);
    startCaption_ = std::make_unique<StartCaption>(*startButton_);
    queryWindow_ = std::make_unique<QueryWindow>(QueryWindow{*list_, *options_, *startCaption_, *setup_.dialogs});
    connect(startButton_, &QPushButton::clicked, this, [this] {
        if (setup_.runQuery)
            setup_.runQuery(*queryWindow_);
    });

    lists_ = std::make_unique<ListCommands>(*list_, *options_, *setup_.dialogs);
    const std::pair<const char16_t*, void (ListCommands::*)()> commands[] = {
        {u"按钮导入列表", &ListCommands::ImportList},
        {u"按钮导出列表", &ListCommands::ExportList},
        {u"按钮清空列表", &ListCommands::ClearList},
        {u"按钮生成导航", &ListCommands::MakeNavigationPage},
    };
    for (const auto& [name, command] : commands)
        connect(panel_->findChild<QPushButton*>(QString::fromUtf16(name)), &QPushButton::clicked, this,
                [this, command = command] { (lists_.get()->*command)(); });

    QCheckBox* const saved[] = {inclusionOnly_, unrankedOnly_, newWindow_, alwaysAddress_, descriptive_, proxy_};
    for (std::size_t i = 0; i < savedBoxes_.size(); ++i)
        savedBoxes_[i] = std::make_unique<NamedCheckBox>(*saved[i]);

    // Created: the tray icon, once for the window's life.
    tray_ = new TrayIcon(*this, setup_.productName, [this](TrayClick click) { OnTrayNotify(click); });
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildTopBand() {
    band_ = Place(new QLabel(this), QStringLiteral(u"图片框底图"), {0, 0, 864, 88});
    QLinearGradient shade(0, 0, 0, 88);
    shade.setColorAt(0, QColor(0xea, 0xf2, 0xfb));
    shade.setColorAt(1, QColor(0xc9, 0xdc, 0xf2));
    Paint(*band_, QBrush(shade));

    auto* logo =
        PictureButton(band_, QStringLiteral(u"图片标志"), QStringLiteral(":/lilan/logo.svg"), {464, 12, 195, 64});
    connect(logo, &QToolButton::clicked, this, [this] { OpenAddress(setup_.deployment.homeAddress); });

    struct Link {
        const char16_t* picture;
        const char16_t* link;
        QString caption;
        const char* image;
        int left;
        std::function<void()> action;
    };
    const Link links[] = {
        {u"图片疑点说明", u"链接疑点说明", QStringLiteral(u"疑点说明"), ":/lilan/help.svg", 16, [this] { ShowHelp(); }},
        {u"图片保存配置", u"链接保存配置", QStringLiteral(u"保存配置"), ":/lilan/save.svg", 96,
         [this] { SaveSettingsCommand(); }},
        {u"图片软件主页", u"链接软件主页", QStringLiteral(u"软件主页"), ":/lilan/home.svg", 176,
         [this] { OpenAddress(setup_.deployment.productAddress); }},
        {u"图片联系方式", u"链接联系方式",
         setup_.deployment.contactText.empty() ? QStringLiteral(u"联系方式") : ToQString(setup_.deployment.contactText),
         ":/lilan/contact.svg", 256, [this] { OpenAddress(setup_.deployment.contactAddress); }},
    };
    for (const Link& link : links) {
        auto* picture = PictureButton(band_, QString::fromUtf16(link.picture), QString::fromLatin1(link.image),
                                      {link.left, 0, 64, 64});
        auto* label = Place(new LinkLabel(link.caption, band_), QString::fromUtf16(link.link), {link.left, 64, 64, 24});
        connect(picture, &QToolButton::clicked, this, link.action);
        connect(label, &LinkLabel::pressed, this, link.action);
    }
}

void MainWindow::BuildPanel() {
    panel_ = Place(new QFrame(this), QStringLiteral(u"图片框面板"), {0, 376, 864, kPanelHeight});
    Paint(*panel_, QBrush(QColor(0xee, 0xf3, 0xf8)));

    auto button = [this](const char16_t* name, const char16_t* text, QRect geometry) {
        return Place(new QPushButton(QString::fromUtf16(text), panel_), QString::fromUtf16(name), geometry);
    };
    auto checkBox = [this](const char16_t* name, const char16_t* text, QRect geometry, bool checked) {
        auto* box = Place(new QCheckBox(QString::fromUtf16(text), panel_), QString::fromUtf16(name), geometry);
        box->setChecked(checked);
        return box;
    };
    auto edit = [this](const char16_t* name, const char16_t* text, QRect geometry) {
        return Place(new QLineEdit(QString::fromUtf16(text), panel_), QString::fromUtf16(name), geometry);
    };
    auto label = [this](const char16_t* name, const char16_t* text, QRect geometry) {
        return Place(new QLabel(QString::fromUtf16(text), panel_), QString::fromUtf16(name), geometry);
    };

    button(u"按钮导入列表", u"导入列表", {16, 16, 120, 32});
    button(u"按钮导出列表", u"导出列表", {16, 53, 120, 32});
    rankedOnly_ = checkBox(u"选择框有排名", u"只导出有排名的", {16, 90, 128, 24}, false);
    button(u"按钮清空列表", u"清空列表", {16, 120, 120, 32});
    startButton_ = button(u"按钮开始查询", u"开始查询", {184, 16, 320, 32});
    proxy_ = checkBox(u"选择框代理", u"代理", {184, 58, 56, 24}, false);
    proxyAddress_ = edit(u"编辑框ip", u"", {240, 58, 264, 24});
    label(u"标签1", u"查询最多页数：", {184, 90, 104, 24});
    pages_ = edit(u"编辑框查询最多页数", u"1", {288, 90, 48, 24});
    label(u"标签2", u"百度访问间隔：", {352, 90, 104, 24});
    interval_ = edit(u"编辑框百度访问间隔", u"3000", {456, 90, 48, 24});
    inclusionOnly_ = checkBox(u"选择框只查询是否收录", u"只查询收录不查排名", {184, 120, 160, 32}, false);
    descriptive_ = checkBox(u"选择框显示文字", u"查询结果以描述显示", {352, 120, 168, 32}, true);
    button(u"按钮生成导航", u"生成锚文本形式的导航网页", {552, 16, 216, 32});
    unrankedOnly_ = checkBox(u"选择框只未收录", u"只未收录或排名超出范围的网址", {552, 53, 240, 32}, true);
    newWindow_ = checkBox(u"选择框锚文本新页面打开", u"锚文本超链接在新页面打开", {552, 83, 240, 32}, true);
    alwaysAddress_ = checkBox(u"选择框使用网址", u"锚文本标题始终使用网址", {552, 114, 240, 32}, false);

    // Only a click changes the address box; loading the check box does not.
    connect(proxy_, &QCheckBox::clicked, proxyAddress_, &QLineEdit::setEnabled);
}

ResultsList& MainWindow::List() {
    return *list_;
}

const QueryOptions& MainWindow::Options() const {
    return *options_;
}

Caption& MainWindow::StartButton() {
    return *startCaption_;
}

ShellDialogs& MainWindow::Boxes() {
    return *setup_.dialogs;
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = width(), h = height();
    const int panelTop = h - kPanelHeight;
    panel_->setGeometry(panel_->x(), panelTop, w, kPanelHeight);
    view_->setGeometry(kListLeft, kListTop, std::max(0, w - 15), std::max(0, panelTop - kListTop - 10));
    band_->resize(w, band_->height());
}

bool MainWindow::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && !settingsLoaded_)
        LoadSettings();
    return QWidget::event(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!ending_) {
        SaveBeforeEnding();
        EndProgram();
    }
    event->accept();
}

namespace {

const std::string& SectionName() {
    static const std::string name = Cp936("基本配置");
    return name;
}

const std::string& PagesKey() {
    static const std::string key = Cp936("查询页数");
    return key;
}

const std::string& IntervalKey() {
    static const std::string key = Cp936("访问间隔");
    return key;
}

} // namespace

void MainWindow::LoadSettings() {
    settingsLoaded_ = true;
    SettingsStore* store = setup_.settings;
    if (store == nullptr)
        return;
    store->SetSection(SectionName());
    pages_->setText(ToQString(store->ReadText(PagesKey(), FromQString(pages_->text()))));
    interval_->setText(ToQString(store->ReadText(IntervalKey(), FromQString(interval_->text()))));
    for (const auto& box : savedBoxes_)
        store->ReadCheckBox(*box);
    proxyAddress_->setText(ToQString(store->ReadText("ip", FromQString(proxyAddress_->text()))));
}

bool MainWindow::SaveSettings() {
    // A window that was never activated has not shown the stored values:
    // writing its initial ones would overwrite them.
    if (!settingsLoaded_)
        LoadSettings();
    SettingsStore* store = setup_.settings;
    if (store == nullptr)
        return false;
    store->ClearWriteError();
    store->SetSection(SectionName());
    store->WriteText(PagesKey(), FromQString(pages_->text()));
    store->WriteText(IntervalKey(), FromQString(interval_->text()));
    for (const auto& box : savedBoxes_)
        store->WriteCheckBox(*box);
    store->WriteText("ip", FromQString(proxyAddress_->text()));
    return !store->HadWriteError();
}

void MainWindow::SaveSettingsCommand() {
    static const std::string done = Cp936("保存完毕！");
    static const std::string failed = Cp936("保存失败！配置文件无法写入，本次的设置没有保存。");
    if (SaveSettings())
        Boxes().ShowMessage(done);
    else
        Boxes().ShowMessage(failed, {}, MessageIcon::Warning);
}

void MainWindow::SaveBeforeEnding() {
    static const std::string failed = Cp936("配置保存失败！配置文件无法写入，本次的设置将会丢失。");
    if (!SaveSettings())
        Boxes().ShowMessage(failed, {}, MessageIcon::Warning);
}

void MainWindow::ShowHelp() {
    static const std::string title = Cp936("疑点说明");
    TextDialogOptions options;
    options.title = title;
    ShowTextDialog(HelpText(setup_.deployment), options, this, nullptr, Boxes());
}

void MainWindow::OnListDoubleClicked() {
    const int row = view_->SelectedRow();
    const std::string address = row >= 0 ? model_->CellText(row, kAddressColumn) : std::string();
    setup_.urlOpener->Open(BrowserSearchAddress(setup_.deployment.browserSearchHost, address));
}

void MainWindow::OpenAddress(std::string_view address) {
    setup_.urlOpener->Open(address);
}

void MainWindow::OnTrayNotify(TrayClick click) {
    static const std::string question = Cp936("是否退出程序？");
    switch (click) {
    case TrayClick::Left:
        setVisible(!isVisible());
        if (isVisible())
            BringToFront(*this);
        break;
    case TrayClick::Right:
        if (Boxes().AskYesNo(question)) {
            SaveBeforeEnding();
            EndProgram();
        }
        break;
    }
}

void MainWindow::EndProgram() {
    ending_ = true;
    tray_->Remove();
    if (QtEventPump::InsideLongWork()) {
        // Work lies suspended beneath this handler and would carry on after
        // the window had gone: end here, the settings already on disk.
        if (setup_.settings != nullptr)
            setup_.settings->Close();
        std::_Exit(0);
    }
    hide();
    emit programEnds();
}

} // namespace lilan
