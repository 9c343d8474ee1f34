#include "LevelBar.h"

#include <QPainter>
#include <algorithm>

LevelBar::LevelBar(const QColor& colour, QWidget* parent) : QWidget(parent), colour_(colour) {
    setMinimumSize(10, 80);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LevelBar::setValue(qint64 value, qint64 scaleTop) {
    const double share = scaleTop > 0 ? double(value) / double(scaleTop) : 0.0;
    const int height = int(std::clamp(share, 0.0, 1.0) * FullHeight + 0.5);
    if (height == height_)
        return;
    height_ = height;
    update();
}

void LevelBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const int filled = int(double(height()) * height_ / FullHeight + 0.5);
    painter.fillRect(0, height() - filled, width(), filled, colour_);
    painter.setPen(palette().mid().color());
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
