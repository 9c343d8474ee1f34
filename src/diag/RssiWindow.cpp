#include "RssiWindow.h"

#include "TrendChart.h"
#include "core/Clock.h"
#include "core/DialogParts.h"
#include "core/SharedState.h"
#include "link/Console.h"
#include "link/SerialPort.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTimer>

namespace {
constexpr int BarLow = 50;
constexpr int BarHigh = 120;
constexpr int BarOffset = 170; // -120 dBm is 50 on the bar, -50 dBm is 120
} // namespace

RssiWindow::RssiWindow(Console& console, SharedState& state, QWidget* parent)
    : QDialog(parent), console_(console),
      // An interrupted link (a lost device, quitting) closes the monitor.
      busy_(std::make_unique<LinkBusy>(state.gate, this, false, [this] {
          QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
      })) {
    setObjectName("frmRSSI");
    setWindowTitle("RSSI");
    setAttribute(Qt::WA_DeleteOnClose);
    Text1 = new QLineEdit("n/a", this);
    Text1->setObjectName("Text1");
    Text1->setReadOnly(true);
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
    layout->addWidget(Text1, 0, 0, 1, 8);
    layout->addWidget(ProgressBar1, 1, 0, 1, 8);
    // The scale under the bar, from its low end to its high end.
    const struct {
        const char* name;
        const char* text;
    } scale[] = {{"Label3", "-120 dBm"}, {"Label8", "-110 dBm"}, {"Label7", "-100 dBm"},
                 {"Label6", "-90 dBm"},  {"Label1", "-80 dBm"},  {"Label5", "-70 dBm"},
                 {"Label4", "-60 dBm"},  {"Label2", "-50 dBm"}};
    int column = 0;
    for (const auto& mark : scale) {
        auto* label = new QLabel(mark.text, this);
        label->setObjectName(mark.name);
        layout->addWidget(label, 2, column++);
    }
    trendChart = new TrendChart("Last two minutes (dBm)", {"RSSI"}, this);
    trendChart->setObjectName("trendChart");
    trendChart->setSpan(TrendSeconds);
    trendChart->setValueRange(-130, -40);
    trendChart->setMinimumSize(460, 200);
    layout->addWidget(trendChart, 3, 0, 1, 8);
    layout->addLayout(DialogParts::buttonRow({Command1}), 4, 0, 1, 8);
    connect(Command1, &QPushButton::clicked, this, &RssiWindow::accept);
    connect(Timer1, &QTimer::timeout, this, &RssiWindow::onTick);
}

RssiWindow::~RssiWindow() = default;

void RssiWindow::start() {
    ProgressBar1->setValue(BarLow);
    startMs_ = console_.clock().msecs();
    console_.resetBuffer();
    try {
        console_.sendLine("rssi");
    } catch (const SerialError&) {
        // A port gone under the window: nothing will come, and the window says "n/a".
    }
    Timer1->start();
}

std::optional<QString> RssiWindow::readingOf(const QString& received) {
    // One line: the word, the value and the unit with no line end between them.
    static const QRegularExpression report(QStringLiteral("RSSI ([^\\r\\n]{0,4})[^\\r\\n]*dBm"));
    const QRegularExpressionMatch match = report.match(received);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1);
}

int RssiWindow::dbmOf(const QString& reading) {
    static const QRegularExpression number(QStringLiteral("^-?\\d+"));
    const QRegularExpressionMatch match = number.match(reading);
    return match.hasMatch() ? match.captured().toInt() : 0;
}

int RssiWindow::barOf(const QString& reading) {
    return std::clamp(dbmOf(reading) + BarOffset, BarLow, BarHigh);
}

void RssiWindow::onTick() {
    const std::optional<QString> reading = readingOf(console_.buffer());
    if (!reading)
        return;
    Text1->setText(*reading);
    console_.resetBuffer();
    ProgressBar1->setValue(barOf(*reading));
    trendChart->append((console_.clock().msecs() - startMs_) / 1000.0, {double(dbmOf(*reading))});
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
