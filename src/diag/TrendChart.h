#pragma once

#include <QChartView>
#include <QList>
#include <QPointF>
#include <optional>

class QLineSeries;
class QValueAxis;

// A line chart of readings against the seconds since it started: either a strip of the last
// span seconds, or the whole run, thinned as it grows so that it stays quick to draw.
class TrendChart : public QChartView {
    Q_OBJECT
public:
    TrendChart(const QString& title, const QStringList& seriesNames, QWidget* parent);

    // Keeps only the last `seconds` of readings, the time axis sliding with them.
    void setSpan(double seconds) { span_ = seconds; }
    // Draws the lines again only once the readings have moved on this many seconds since the
    // last drawing (every reading is kept all the same): a trend needs no redraw per reading.
    void setRedrawEvery(double seconds) { redrawEvery_ = seconds; }
    // A fixed value axis instead of one that grows with the readings: exactly low to high, with
    // a mark every step, so that it can match another scale mark for mark.
    void setValueRange(double low, double high, double step);
    double lowestValue() const;
    double highestValue() const;
    void setSeriesVisible(int series, bool visible);

    // One reading for every line, taken at the same time, drawn at once.
    void append(double seconds, const QList<double>& values);
    void clear();
    qsizetype pointCount(int series) const { return points_.at(series).size(); }
    // The points the visible line shows now.
    qsizetype drawnCount(int series) const;

    static constexpr int MaxPoints = 600;

private:
    // The padding the chart keeps above and below an axis label, and the lines of text around
    // the plot (title, time marks and time title, margins).
    static constexpr int LabelPadding = 4;
    static constexpr int FrameLines = 7;

    void keepRecent(QList<QPointF>& points, double seconds) const;
    // A growing axis shrinks only when the chart is cleared.
    void fitAxes(double seconds, bool shrink);
    static void growTo(QValueAxis& axis, double top, bool shrink);

    // The readings are kept here and handed to the visible lines whole: one redraw per line
    // instead of one per point.
    QList<QList<QPointF>> points_;
    QList<QLineSeries*> series_;
    QValueAxis* time_;
    QValueAxis* values_;
    double span_ = 0;
    bool fixedValues_ = false;
    double highest_ = 0;
    double redrawEvery_ = 0;
    // The reading time of the last drawing; none yet after a clear.
    std::optional<double> drawnAt_;
};
