#include "Settings/SettingsWindow.h"

#include "Model/Defaults.h"
#include "Settings/PaneKit/PaneScaffold.h"
#include "Settings/PaneKit/PaneStyle.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace vesk {

using SettingsView::Pane;

namespace {
constexpr int frostTicks = 1000;

QIcon symbolIcon(const char *name, double size, const QColor &color, double dpr)
{
    return QIcon(pane_style::symbolPixmap(QString::fromUtf8(name), size, color, dpr));
}
}  // namespace

SettingsWindow::SettingsWindow(std::unique_ptr<SettingsView::Selection> selection, PaneContext context, QWidget *parent)
    : QMainWindow(parent), selection_(std::move(selection)), context_(std::move(context))
{
    setWindowTitle(SettingsView::title(selection_->pane().peek()));
    setWindowIcon(windowIcon());
    setMinimumSize(640, 480);
    resize(760, 640);

    auto *central = new QWidget(this);
    auto *row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(makeSidebar());
    auto *line = new QFrame(central);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    QPalette lp = line->palette();
    lp.setColor(QPalette::WindowText, pane_style::quaternary());
    line->setPalette(lp);
    row->addWidget(line);
    page_ = new QWidget(central);
    auto *pageLayout = new QVBoxLayout(page_);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    row->addWidget(page_, 1);
    setCentralWidget(central);
    makeToolbar();

    observers_.push_back(selection_->pane().observe([this] { paneChanged(); }));
    observers_.push_back(selection_->back().observe([this] { historyChanged(); }));
    observers_.push_back(selection_->forward().observe([this] { historyChanged(); }));
    settings_ = UserDefaults::standard().changed.connect([this] { refreshFrost(); });
    selection_->onChange = [this](Pane pane) { setWindowTitle(SettingsView::title(pane)); };

    showPane();
    historyChanged();
    update_.cancel();
}

SettingsWindow::~SettingsWindow()
{
    // The pane goes first, while the selection and the island model it reads still exist.
    delete pane_;
    pane_ = nullptr;
}

QWidget *SettingsWindow::makeSidebar()
{
    auto *sidebar = new QWidget(this);
    sidebar->setFixedWidth(sidebarWidth);
    auto *column = new QVBoxLayout(sidebar);
    column->setContentsMargins(10, 10, 10, 0);
    column->setSpacing(6);
    search_ = new QLineEdit(sidebar);
    search_->setPlaceholderText(QStringLiteral("Search"));
    search_->setClearButtonEnabled(true);
    search_->addAction(symbolIcon("magnifyingglass", 14, pane_style::secondary(), devicePixelRatioF()),
                       QLineEdit::LeadingPosition);
    const QColor fill = pane_style::quaternary();
    search_->setStyleSheet(QStringLiteral("QLineEdit { border: none; border-radius: 14px; min-height: 28px; "
                                          "padding: 0 9px; background: rgba(%1,%2,%3,%4); }")
                               .arg(fill.red())
                               .arg(fill.green())
                               .arg(fill.blue())
                               .arg(fill.alpha()));
    connect(search_, &QLineEdit::textChanged, this, [this](const QString &text) {
        selection_->setSearch(text);
        fillList();
    });
    column->addWidget(search_);
    list_ = new QListWidget(sidebar);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setIconSize(QSize(20, 20));
    list_->setSpacing(0);
    list_->viewport()->setAutoFillBackground(false);
    list_->setAutoFillBackground(false);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
        if (filling_)
            return;
        const auto picked = sidebarSelection();
        if (picked)
            selection_->pickFromSidebar(*picked);
        selectListRow();  // an ignored pick leaves the row of the pane shown
    });
    column->addWidget(list_, 1);
    fillList();
    return sidebar;
}

void SettingsWindow::makeToolbar()
{
    auto *bar = new QToolBar(QStringLiteral("Settings"), this);
    bar->setObjectName(QStringLiteral("Settings"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    bar->toggleViewAction()->setVisible(false);
    const double dpr = devicePixelRatioF();
    auto navigation = [&](const char *symbol, const QString &name) {
        auto *button = new QToolButton(bar);
        button->setIcon(symbolIcon(symbol, 16, pane_style::primary(), dpr));
        button->setAutoRaise(true);
        button->setToolTip(name);
        button->setAccessibleName(name);
        bar->addWidget(button);
        return button;
    };
    back_ = navigation("chevron.left", QStringLiteral("Back"));
    forward_ = navigation("chevron.right", QStringLiteral("Forward"));
    connect(back_, &QToolButton::clicked, this, [this] { selection_->goBack(); });
    connect(forward_, &QToolButton::clicked, this, [this] { selection_->goForward(); });

    auto *title = new QWidget(bar);
    title->setFixedWidth(240);
    auto *titleRow = new QHBoxLayout(title);
    titleRow->setContentsMargins(8, 0, 0, 0);
    titleRow->setSpacing(10);
    titleIcon_ = new QLabel(title);
    titleText_ = new QLabel(title);
    titleText_->setFont(pane_style::font(pane_style::TextStyle::title3, QFont::DemiBold));
    titleRow->addWidget(titleIcon_);
    titleRow->addWidget(titleText_, 1);
    bar->addWidget(title);

    auto *spacer = new QWidget(bar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    bar->addWidget(spacer);

    auto *frost = new QWidget(bar);
    auto *frostRow = new QHBoxLayout(frost);
    frostRow->setContentsMargins(6, 0, 6, 0);
    frostRow->setSpacing(8);
    auto symbolLabel = [&](const char *name) {
        auto *label = new QLabel(frost);
        label->setPixmap(pane_style::symbolPixmap(QString::fromUtf8(name), 11, pane_style::secondary(), dpr,
                                                  kit::Weight::semibold));
        return label;
    };
    frostRow->addWidget(symbolLabel("drop.fill"));
    frost_ = new QSlider(Qt::Horizontal, frost);
    frost_->setRange(0, frostTicks);
    frost_->setFixedWidth(120);
    frost_->setAccessibleName(QStringLiteral("Frost"));
    frostRow->addWidget(frost_);
    frostRow->addWidget(symbolLabel("snowflake"));
    frost->setToolTip(QStringLiteral("The island's Liquid Glass, from clear to frosted"));
    connect(frost_, &QSlider::valueChanged, this, [](int v) {
        UserDefaults::standard().set(settings::islandFrost, double(v) / frostTicks);
    });
    frostAction_ = bar->addWidget(frost);
    addToolBar(Qt::TopToolBarArea, bar);
    refreshFrost();
}

void SettingsWindow::fillList()
{
    // Filling and filtering select rows of their own accord: none of that is a pick.
    filling_ = true;
    const QSignalBlocker quiet(list_);
    list_->clear();
    const double dpr = devicePixelRatioF();
    for (Pane pane : SettingsView::filtered(selection_->search().peek())) {
        auto *item = new QListWidgetItem(QIcon(PaneIcon{pane, 20}.pixmap(dpr)), SettingsView::title(pane), list_);
        item->setData(Qt::UserRole, int(pane));
        item->setSizeHint(QSize(0, 28));
    }
    filling_ = false;
    selectListRow();
}

void SettingsWindow::selectListRow()
{
    filling_ = true;
    const QSignalBlocker quiet(list_);
    list_->clearSelection();
    list_->setCurrentItem(nullptr);
    const Pane pane = selection_->pane().peek();
    for (int i = 0; i < list_->count(); ++i) {
        if (list_->item(i)->data(Qt::UserRole).toInt() == int(pane)) {
            list_->setCurrentRow(i);
            list_->item(i)->setSelected(true);
        }
    }
    filling_ = false;
}

std::vector<Pane> SettingsWindow::listedPanes() const
{
    std::vector<Pane> panes;
    for (int i = 0; i < list_->count(); ++i)
        panes.push_back(Pane(list_->item(i)->data(Qt::UserRole).toInt()));
    return panes;
}

std::optional<Pane> SettingsWindow::sidebarSelection() const
{
    const auto items = list_->selectedItems();
    if (items.isEmpty())
        return std::nullopt;
    return Pane(items.front()->data(Qt::UserRole).toInt());
}

bool SettingsWindow::backEnabled() const { return back_->isEnabled(); }
bool SettingsWindow::forwardEnabled() const { return forward_->isEnabled(); }
bool SettingsWindow::frostShown() const { return frostAction_->isVisible(); }

void SettingsWindow::search(const QString &text) { search_->setText(text); }

bool SettingsWindow::clickSidebar(Pane pane)
{
    for (int i = 0; i < list_->count(); ++i) {
        if (list_->item(i)->data(Qt::UserRole).toInt() == int(pane)) {
            list_->clearSelection();
            list_->item(i)->setSelected(true);
            return true;
        }
    }
    return false;
}

void SettingsWindow::clickBack() { back_->click(); }
void SettingsWindow::clickForward() { forward_->click(); }

void SettingsWindow::dragFrost(double value)
{
    if (!frostAction_->isVisible() || !frost_->isEnabled())
        return;
    frost_->setSliderDown(true);
    frost_->setValue(int(std::lround(std::clamp(value, 0.0, 1.0) * frostTicks)));
    frost_->setSliderDown(false);
}

void SettingsWindow::paneChanged()
{
    // Observers hear of the change before it is complete: the new pane is built on the next turn.
    update_ = mainQueue().after(0, [this] {
        showPane();
        historyChanged();
    });
}

void SettingsWindow::historyChanged()
{
    back_->setEnabled(!selection_->back().peek().empty());
    forward_->setEnabled(!selection_->forward().peek().empty());
}

void SettingsWindow::showPane()
{
    const Pane pane = selection_->pane().peek();
    if (pane_) {
        pane_->hide();
        delete pane_;  // a held slider in it reports its release now
        pane_ = nullptr;
    }
    pane_ = SettingsView::content(pane, context_);
    pane_->setParent(page_);
    page_->layout()->addWidget(pane_);
    pane_->show();
    titleIcon_->setPixmap(PaneIcon{pane, 26}.pixmap(devicePixelRatioF()));
    titleText_->setText(SettingsView::title(pane));
    frostAction_->setVisible(pane == Pane::notch);
    selectListRow();
}

void SettingsWindow::refreshFrost()
{
    const QSignalBlocker quiet(frost_);
    const double value = UserDefaults::standard().value(settings::islandFrost);
    frost_->setValue(int(std::lround(std::clamp(std::isfinite(value) ? value : 0.0, 0.0, 1.0) * frostTicks)));
}

void SettingsWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    if (onClose)
        onClose();
}

}  // namespace vesk
