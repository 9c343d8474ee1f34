#include "RssiWindow.h"

#include "TrendChart.h"
#include "core/Clock.h"
#include "core/DialogParts.h"
#include "core/SharedState.h"
#include "link/Console.h"
#include "link/ConsoleText.h"
#include "link/SerialPort.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTimer>

namespace {
constexpr int BarOffset = 170; // -120 dBm is 50 on the bar, -50 dBm is 120
constexpr int BarLow = RssiWindow::LowestDbm + BarOffset;
constexpr int BarHigh = RssiWindow::HighestDbm + BarOffset;
// Read from a ladder: the reading in type three times the window's own.
constexpr double ReadingScale = 3.0;
} // namespace

RssiWindow::RssiWindow(Console& console, SharedState& state, QWidget* parent)
    : QDialog(parent), console_(console),
      // An interrupted link (a lost device, quitting) closes the monitor.
      busy_(std::make_unique<LinkBusy>(state.gate, this, QString(), [this] {
          QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
      })) {
    setObjectName("frmRSSI");
    setWindowTitle("RSSI");
    setAttribute(Qt::WA_DeleteOnClose);
    Text1 = new QLineEdit(NoReading, this);
    Text1->setObjectName("Text1");
    Text1->setReadOnly(true);
    Text1->setAlignment(Qt::AlignRight);
    QFont large = Text1->font();
    large.setPointSizeF(large.pointSizeF() * ReadingScale);
    large.setBold(true);
    Text1->setFont(large);
    UnitLabel = new QLabel("dBm", this);
    UnitLabel->setObjectName("UnitLabel");
    UnitLabel->setFont(large);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(BarLow, BarHigh);
    ProgressBar1->setValue(BarLow);
    ProgressBar1->setTextVisible(false);
    Command1 = DialogParts::button(this, "Command1", "OK");
    Command1->setDefault(true);
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(100);

    auto* layout = new QGridLayout(this);
    auto* reading = new QHBoxLayout;
    reading->addWidget(Text1, 1);
    reading->addWidget(UnitLabel);
    layout->addLayout(reading, 0, 0, 1, 8);
    layout->addWidget(ProgressBar1, 1, 0, 1, 8);
    buildScale(layout);
    trendChart = new TrendChart("Last two minutes (dBm)", {"RSSI"}, this);
    trendChart->setObjectName("trendChart");
    trendChart->setSpan(TrendSeconds);
    trendChart->setValueRange(LowestDbm, HighestDbm, MarkDbm);
    trendChart->setMinimumWidth(460);
    layout->addWidget(trendChart, 3, 0, 1, 8);
    layout->addLayout(DialogParts::buttonRow({Command1}), 4, 0, 1, 8);
    connect(Command1, &QPushButton::clicked, this, &RssiWindow::accept);
    connect(Timer1, &QTimer::timeout, this, &RssiWindow::onTick);
}

RssiWindow::~RssiWindow() = default;

// The marks under the bar, from its low end to its high end, one every ten dBm.
void RssiWindow::buildScale(QGridLayout* layout) {
    const char* const names[] = {"Label3", "Label8", "Label7", "Label6",
                                 "Label1", "Label5", "Label4", "Label2"};
    static_assert(std::size(names) == (HighestDbm - LowestDbm) / MarkDbm + 1);
    int column = 0;
    for (const char* name : names) {
        auto* label = new QLabel(QString("%1 dBm").arg(LowestDbm + column * MarkDbm), this);
        label->setObjectName(name);
        layout->addWidget(label, 2, column++);
    }
}

void RssiWindow::start() {
    ProgressBar1->setValue(BarLow);
    startMs_ = console_.clock().msecs();
    lastReadingMs_ = startMs_;
    console_.resetBuffer();
    try {
        console_.sendLine("rssi");
    } catch (const SerialError&) {
        // A port gone under the window: nothing will come, and the window says "n/a".
    }
    Timer1->start();
}

int RssiWindow::scaledDbmOf(const QString& reading) {
    return std::clamp(ConsoleText::rssiDbmOf(reading), LowestDbm, HighestDbm);
}

int RssiWindow::barOf(const QString& reading) {
    return scaledDbmOf(reading) + BarOffset;
}

void RssiWindow::onTick() {
    const std::optional<QString> reading = ConsoleText::rssiReadingOf(console_.buffer());
    const qint64 now = console_.clock().msecs();
    if (!reading) {
        // A radio that stopped reporting has no level to show: an old one would mislead.
        if (now - lastReadingMs_ >= StaleMs && Text1->text() != NoReading) {
            Text1->setText(NoReading);
            ProgressBar1->setValue(BarLow);
        }
        return;
    }
    lastReadingMs_ = now;
    Text1->setText(*reading);
    console_.resetBuffer();
    ProgressBar1->setValue(barOf(*reading));
    trendChart->append((console_.clock().msecs() - startMs_) / 1000.0,
                       {double(scaledDbmOf(*reading))});
}

void RssiWindow::done(int result) {
    if (!closed_) {
        closed_ = true;
        Timer1->stop();
        try {
            console_.sendSafeRaw("\r");
        } catch (const SerialError&) {
            // Nothing to end on a port that is gone.
        }
        busy_.reset();
    }
    QDialog::done(result);
}
