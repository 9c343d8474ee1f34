#include "TrendChart.h"

#include <QLineSeries>
#include <QValueAxis>

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
    time_->setRange(0, 10);
    values_->setLabelFormat("%d");
    values_->setRange(0, 10);
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
    }
    setRenderHint(QPainter::Antialiasing);
    setMinimumHeight(250);
}

void TrendChart::setValueRange(double low, double high) {
    fixedValues_ = true;
    values_->setRange(low, high);
    values_->applyNiceNumbers();
}

void TrendChart::setSeriesVisible(int series, bool visible) {
    series_.at(series)->setVisible(visible);
}

void TrendChart::append(int series, double seconds, double value) {
    QLineSeries* line = series_.at(series);
    line->append(seconds, value);
    if (span_ > 0) {
        int old = 0;
        while (old < line->count() && line->at(old).x() < seconds - span_)
            ++old;
        if (old > 0)
            line->removePoints(0, old);
    } else if (line->count() > MaxPoints) {
        // Every other point goes; the shape of a long run stays.
        QList<QPointF> thinned;
        const QList<QPointF> points = line->points();
        for (qsizetype i = 0; i < points.size(); i += 2)
            thinned << points.at(i);
        if (thinned.last() != points.last())
            thinned << points.last();
        line->replace(thinned);
    }
    highest_ = std::max(highest_, value);
    fitAxes(seconds);
}

void TrendChart::clear() {
    for (QLineSeries* line : series_)
        line->clear();
    highest_ = 0;
    fitAxes(0);
}

qsizetype TrendChart::pointCount(int series) const {
    return series_.at(series)->count();
}

void TrendChart::fitAxes(double seconds) {
    if (span_ > 0)
        time_->setRange(std::max(0.0, seconds - span_), std::max(span_, seconds));
    else {
        time_->setRange(0, std::max(10.0, seconds));
        time_->applyNiceNumbers();
    }
    if (!fixedValues_) {
        values_->setRange(0, std::max(10.0, highest_ * 1.1));
        values_->applyNiceNumbers();
    }
}
