#include "Settings/PaneKit/KitWidget.h"

#include <QPainter>

namespace vesk {

KitWidget::KitWidget(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    tree_.setSize(QSizeF(size()));
    repaint_ = tree_.needsDisplay.connect([this] { update(); });
}

KitWidget::~KitWidget() = default;

void KitWidget::setRoot(kit::Element root)
{
    tree_.setRoot(std::move(root));
    update();
}

void KitWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    tree_.paint(painter, devicePixelRatioF());
}

void KitWidget::resizeEvent(QResizeEvent *)
{
    tree_.setSize(QSizeF(size()));
    update();
}

}  // namespace vesk
