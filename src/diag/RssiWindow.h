#pragma once

#include <QDialog>
#include <memory>
#include <optional>

class Console;
class LinkBusy;
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

    // The reading of the first whole report line in the text ("RSSI -105 dBm"): the four
    // characters after "RSSI ", exact case; nothing while no line is whole.
    static std::optional<QString> readingOf(const QString& received);
    // The bar for a reading: its number (as far as the text starts with one) plus 170, kept
    // within 50 to 120.
    static int barOf(const QString& reading);
    // The number a reading starts with, in dBm; 0 when it starts with none.
    static int dbmOf(const QString& reading);

    // The chart's time span: two minutes of readings, for a trend while an antenna is turned.
    static constexpr int TrendSeconds = 120;

    QLineEdit* Text1;
    QProgressBar* ProgressBar1;
    QPushButton* Command1;
    QTimer* Timer1;
    TrendChart* trendChart;

public slots:
    void onTick();
    // However it closes, a carriage return ends the radio's report.
    void done(int result) override;

private:
    Console& console_;
    // The report holds the link: no keep-alive or read may interrupt it.
    std::unique_ptr<LinkBusy> busy_;
    bool closed_ = false;
    qint64 startMs_ = 0;
};
