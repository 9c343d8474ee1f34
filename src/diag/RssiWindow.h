#pragma once

#include <QDialog>
#include <memory>
#include <optional>

class Console;
class LinkBusy;
class QGridLayout;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;
class TrendChart;
struct SharedState;

// The received signal strength, live: the radio reports it continuously while the window is
// open, and the window shows the last whole report as a number and a bar.
class RssiWindow : public QDialog {
    Q_OBJECT
public:
    RssiWindow(Console& console, SharedState& state, QWidget* parent);
    ~RssiWindow() override;

    // Starts the radio's report.
    void start();

    // The one scale of the bar, its marks and the chart, in dBm.
    static constexpr int LowestDbm = -120;
    static constexpr int HighestDbm = -50;
    static constexpr int MarkDbm = 10;
    // The bar for a reading: its number (as far as the text starts with one) plus 170, kept
    // within the scale (50 to 120).
    static int barOf(const QString& reading);
    // What the reading shows before the first report, and once reports have stopped coming
    // for StaleMs (several report intervals of the radio's).
    static constexpr const char* NoReading = "n/a";
    static constexpr int StaleMs = 2000;

    // The chart's time span: two minutes of readings, for a trend while an antenna is turned.
    static constexpr int TrendSeconds = 120;

    QLineEdit* Text1;
    // The reading's unit beside it, in the same large type.
    QLabel* UnitLabel;
    QProgressBar* ProgressBar1;
    QPushButton* Command1;
    QTimer* Timer1;
    TrendChart* trendChart;

public slots:
    void onTick();
    // However it closes, a carriage return ends the radio's report.
    void done(int result) override;

private:
    // The reading's number kept within the scale.
    static int scaledDbmOf(const QString& reading);
    void buildScale(QGridLayout* layout);

    Console& console_;
    // The report holds the link: no keep-alive or read may interrupt it.
    std::unique_ptr<LinkBusy> busy_;
    bool closed_ = false;
    qint64 startMs_ = 0;
    qint64 lastReadingMs_ = 0;
};
