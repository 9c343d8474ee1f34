#include "TrendChart.h"

#include <QFontMetrics>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>

TrendChart::TrendChart(const QString& title, const QStringList& seriesNames, QWidget* parent)
    // The view made with its chart owns it; a chart set later would orphan the view's own.
    : QChartView(new QChart(), parent), time_(new QValueAxis), values_(new QValueAxis) {
    QChart* chart = this->chart();
    chart->setTitle(title);
    chart->legend()->setVisible(seriesNames.size() > 1);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    time_->setTitleText("Seconds");
    time_->setLabelFormat("%d");
    values_->setLabelFormat("%d");
    // Marks labelled as whole numbers fall on whole numbers from the start.
    fitAxes(0, true);
    chart->addAxis(time_, Qt::AlignBottom);
    chart->addAxis(values_, Qt::AlignLeft);
    // Eight colours that tell zones apart; a ninth line starts them again.
    static const QColor Colours[] = {
        QColor(31, 119, 180),  QColor(255, 127, 14), QColor(44, 160, 44),   QColor(214, 39, 40),
        QColor(148, 103, 189), QColor(140, 86, 75),  QColor(227, 119, 194), QColor(127, 127, 127)};
    for (const QString& name : seriesNames) {
        auto* line = new QLineSeries(chart);
        line->setName(name);
        line->setColor(Colours[series_.size() % std::size(Colours)]);
        chart->addSeries(line);
        line->attachAxis(time_);
        line->attachAxis(values_);
        series_ << line;
        points_.append(QList<QPointF>());
    }
    setRenderHint(QPainter::Antialiasing);
    setMinimumHeight(250);
}

void TrendChart::setValueRange(double low, double high, double step) {
    fixedValues_ = true;
    values_->setRange(low, high);
    const int marks = int((high - low) / step) + 1;
    values_->setTickCount(marks);
    // Each mark's label needs a line with the axis' padding around it, or the chart cuts it to
    // "..." or leaves it out; the title and the time axis take a few lines more.
    const int line = QFontMetrics(values_->labelsFont()).height();
    setMinimumHeight(
        std::max(minimumHeight(), (marks - 1) * (line + 2 * LabelPadding) + FrameLines * line));
}

double TrendChart::lowestValue() const {
    return values_->min();
}

double TrendChart::highestValue() const {
    return values_->max();
}

void TrendChart::setSeriesVisible(int series, bool visible) {
    QLineSeries* line = series_.at(series);
    line->setVisible(visible);
    if (visible)
        line->replace(points_.at(series));
}

void TrendChart::append(double seconds, const QList<double>& values) {
    for (qsizetype series = 0; series < values.size() && series < series_.size(); ++series) {
        QList<QPointF>& points = points_[series];
        points.append({seconds, values.at(series)});
        keepRecent(points, seconds);
        highest_ = std::max(highest_, values.at(series));
    }
    if (drawnAt_ && seconds < *drawnAt_ + redrawEvery_)
        return;
    drawnAt_ = seconds;
    for (qsizetype series = 0; series < series_.size(); ++series)
        if (series_.at(series)->isVisible())
            series_.at(series)->replace(points_.at(series));
    fitAxes(seconds, false);
}

qsizetype TrendChart::drawnCount(int series) const {
    return series_.at(series)->count();
}

void TrendChart::keepRecent(QList<QPointF>& points, double seconds) const {
    if (span_ > 0) {
        const auto old = std::find_if(points.begin(), points.end(), [&](const QPointF& point) {
            return point.x() >= seconds - span_;
        });
        points.erase(points.begin(), old);
    } else if (points.size() > MaxPoints) {
        // Every other point goes; the shape of a long run stays.
        QList<QPointF> thinned;
        for (qsizetype i = 0; i < points.size(); i += 2)
            thinned << points.at(i);
        if (thinned.last() != points.last())
            thinned << points.last();
        points = thinned;
    }
}

void TrendChart::clear() {
    for (qsizetype series = 0; series < series_.size(); ++series) {
        points_[series].clear();
        series_.at(series)->clear();
    }
    highest_ = 0;
    drawnAt_.reset();
    fitAxes(0, true);
}

void TrendChart::fitAxes(double seconds, bool shrink) {
    if (span_ > 0)
        time_->setRange(std::max(0.0, seconds - span_), std::max(span_, seconds));
    else
        growTo(*time_, std::max(10.0, seconds), shrink);
    if (!fixedValues_)
        growTo(*values_, std::max(10.0, highest_ * 1.1), shrink);
}

// Set only when a reading passes the top: every change lays the chart out and draws it again,
// and the nice numbers would make that twice.
void TrendChart::growTo(QValueAxis& axis, double top, bool shrink) {
    if (!shrink && top <= axis.max())
        return;
    axis.setRange(0, top);
    axis.applyNiceNumbers();
}
