#pragma once

#include <QColor>
#include <QWidget>

// A bar that stands on a base line, measured as the screens measure it: in window units of
// 1/1440 inch, full height 3615 standing on the base line at 4455. It paints its share of the
// widget's own height.
class LevelBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int BaseLine = 4455;
    static constexpr int FullHeight = 3615;

    LevelBar(const QColor& colour, QWidget* parent);

    // The height for a value on a scale whose top is scaleTop (a value at the top is full).
    void setValue(qint64 value, qint64 scaleTop);
    int heightUnits() const { return height_; }
    int topUnits() const { return BaseLine - height_; }
    QSize sizeHint() const override { return {16, 150}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_;
    int height_ = 0;
};
