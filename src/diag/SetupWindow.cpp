#include "SetupWindow.h"

#include "core/ClickableLabel.h"
#include "core/DialogParts.h"
#include "core/ParameterField.h"
#include "core/Prompts.h"
#include "core/SharedState.h"
#include "link/Console.h"
#include "link/SerialPort.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <utility>

namespace {
// With the buffer's blank, the echo and its line end before it, the frequency of an
// "RX 915.000" reply starts at the 9th character.
constexpr int FrequencyAt = 8;
constexpr int FrequencyLength = 7;
// The test frequencies the radio takes, as its help texts name them.
const char* const LowestMhz = "902.200";
const char* const HighestMhz = "927.600";

QString direction(const QString& keyword) {
    return keyword == "rx" ? QStringLiteral("receive") : QStringLiteral("transmit");
}
} // namespace

SetupWindow::SetupWindow(Console& console, SharedState& state, Prompts& prompts,
                         QPushButton& rssiButton, std::function<QString()> modeText,
                         QWidget* parent)
    : GatedDialog(state.gate, parent), console_(console), state_(state),
      prompts_(prompts.askedBy(this)), rssiButton_(rssiButton), modeText_(std::move(modeText)) {
    setObjectName("frmSetup");
    setWindowTitle("Setup Mode");
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    const auto field = [this](const char* name) {
        auto* made = new ParameterField(name, 1, this);
        made->setText("n/a");
        made->setMinimumWidth(90);
        made->viewport()->setCursor(Qt::PointingHandCursor);
        return made;
    };
    const auto label = [this](const char* name, const QString& text) {
        auto* made = new ClickableLabel(text, this);
        made->setObjectName(name);
        made->setToolTip("Click for more Information");
        made->setCursor(Qt::WhatsThisCursor);
        return made;
    };
    RxFrequency = field("RxFrequency");
    TxFrequency = field("TxFrequency");
    RxLabel = label("RxLabel", "Rx. Frequency");
    TxLabel = label("TxLabel", "Tx. Frequency");
    // Each field is named by its label. The labels take no focus of their own: one that handed
    // it to its field would send Tab back from the last field to the first.
    RxLabel->setBuddy(RxFrequency);
    TxLabel->setBuddy(TxFrequency);
    Key = DialogParts::button(this, "Key", "Key");
    Key->setToolTip("Enables the transmitter");
    DKey = DialogParts::button(this, "DKey", "De-Key");
    DKey->setToolTip("Disables the transmitter");
    DKey->setEnabled(false);
    Label1 =
        new QLabel("Note: The terminal window is still active and able to accept commands.", this);
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);
    ExitButton = DialogParts::button(this, "ExitButton", "Exit Setup Mode");
    // Enter must never key the transmitter: the window has no default button, so Enter presses
    // none of them, not even the one that has the focus.
    for (QPushButton* button : {Key, DKey, ExitButton})
        button->setAutoDefault(false);

    auto* grid = new QGridLayout();
    grid->addWidget(RxLabel, 0, 0);
    grid->addWidget(RxFrequency, 0, 1);
    grid->addWidget(TxLabel, 1, 0);
    grid->addWidget(TxFrequency, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(DialogParts::buttonRow({Key, DKey}));
    layout->addWidget(Label1);
    layout->addLayout(DialogParts::buttonRow({ExitButton}));

    connect(RxFrequency, &ParameterField::clicked, this, [this] { programFrequency("rx"); });
    connect(TxFrequency, &ParameterField::clicked, this, [this] { programFrequency("tx"); });
    connect(RxLabel, &ClickableLabel::clicked, this, [this] { showHelp("rx"); });
    connect(TxLabel, &ClickableLabel::clicked, this, [this] { showHelp("tx"); });
    // F1 on a frequency or its label is the label's click.
    connect(RxLabel, &ClickableLabel::helpRequested, this, [this] { showHelp("rx"); });
    connect(RxFrequency, &ParameterField::helpRequested, this, [this] { showHelp("rx"); });
    connect(TxLabel, &ClickableLabel::helpRequested, this, [this] { showHelp("tx"); });
    connect(TxFrequency, &ParameterField::helpRequested, this, [this] { showHelp("tx"); });
    connect(Key, &QPushButton::clicked, this, [this] { setKeyed(true); });
    connect(DKey, &QPushButton::clicked, this, [this] { setKeyed(false); });
    connect(ExitButton, &QPushButton::clicked, this, &SetupWindow::accept);
}

bool SetupWindow::enter(Console& console, SharedState& state, Prompts& prompts) {
    if (prompts.message("Setup mode is intended for bench testing only.\r\n\r\nAre you sure you "
                        "want to continue?",
                        "Warning", Prompts::Icon::Exclamation,
                        Prompts::Buttons::YesNo) != Prompts::Yes)
        return false;
    state.setupMode = true;
    {
        const LinkBusy busy(state.gate);
        console.resetBuffer();
        console.sendLine("setup");
        console.waitUntil([&] { return console.holds(">") && console.holds("setup"); }, 3,
                          QStringLiteral("setup"));
    }
    if (console.interrupted()) {
        // The radio may have entered setup mode meanwhile: it is left again, with no window.
        state.setupMode = false;
        console.sendSafeLine("DKEY");
        console.sendSafeLine("quit");
        return false;
    }
    if (console.holdsExact("SETUP>") && !console.holds("DENIED"))
        return true;
    // The radio stayed in its normal mode, and its prompt is ">" still.
    state.setupMode = false;
    if (state.closing)
        return false;
    if (console.holds("DENIED"))
        prompts.message("You must be logged in before entering setup mode.", "Error!",
                        Prompts::Icon::Exclamation);
    else
        prompts.message("The radio did not enter setup mode: it did not answer with its setup "
                        "prompt (SETUP>).",
                        "Error!", Prompts::Icon::Exclamation);
    return false;
}

void SetupWindow::start() {
    // The radio answers with its setup prompt now: nothing else may talk to it but the
    // terminal and the RSSI monitor, which belong to the bench test.
    gate_.reserve(this, {LinkKeys::TypedKeys, LinkKeys::Rssi},
                  QStringLiteral("the radio is in setup mode: leave it first (Exit Setup Mode)"));
    runAction(QStringLiteral("open"), [this] {
        showKeyed(false);
        readFrequency("rx");
        readFrequency("tx");
        rssiButton_.setEnabled(true);
    });
}

ParameterField* SetupWindow::fieldOf(const QString& keyword) const {
    return keyword == "rx" ? RxFrequency : TxFrequency;
}

void SetupWindow::readFrequency(const QString& keyword) {
    try {
        const LinkBusy busy(state_.gate);
        console_.resetBuffer();
        console_.msWait(100, keyword);
        console_.yieldOnce(keyword);
        console_.resetBuffer();
        console_.sendLine(keyword);
        if (!console_.waitUntil(
                [&] { return console_.holdsExact(">") && console_.holdsExact(keyword); }, 4,
                keyword) ||
            console_.interrupted())
            return;
        const QString& reply = console_.buffer();
        fieldOf(keyword)->setText(console_.endsWith("SETUP>")
                                      ? reply.mid(FrequencyAt, FrequencyLength)
                                      : reply.right(FrequencyLength));
    } catch (const SerialError&) {
        failed();
    }
}

void SetupWindow::programFrequency(const QString& keyword) {
    runAction("program " + keyword, [this, keyword] { program(keyword); });
}

void SetupWindow::program(const QString& keyword) {
    const QString upper = keyword.toUpper();
    const QString title = QString("Program %1 Frequency").arg(upper.left(1) + keyword.mid(1));
    const std::optional<QString> answer =
        prompts_.input(QString("Enter a new %1 frequency (%2 to %3 MHz):")
                           .arg(direction(keyword), LowestMhz, HighestMhz),
                       title, fieldOf(keyword)->text());
    if (!answer || answer->isEmpty() || !console_.port().isOpen())
        return;
    // A whole command typed by the user goes as it is; a bare value gets the keyword.
    const QString command = answer->contains(upper) ? *answer : keyword + u' ' + *answer;
    try {
        const Console::Verdict verdict = console_.write(command, 3);
        if (state_.closing || console_.interrupted())
            return;
        if (verdict == Console::Verdict::Refused || verdict == Console::Verdict::Denied)
            prompts_.message(
                QString("The radio did not take the new %1 frequency: %2.\r\n\r\n"
                        "Test frequencies range from %3 MHz to %4 MHz.")
                    .arg(direction(keyword), Console::reasonOf(verdict), LowestMhz, HighestMhz),
                title, Prompts::Icon::Exclamation);
    } catch (const SerialError&) {
        failed();
        return;
    }
    readFrequency(keyword);
}

void SetupWindow::setKeyed(bool keyed) {
    runAction(keyed ? QStringLiteral("key") : QStringLiteral("de-key"), [this, keyed] {
        if (!console_.port().isOpen() || !(keyed ? Key : DKey)->isEnabled())
            return;
        showKeyed(keyed);
        console_.resetBuffer();
        try {
            console_.sendLine(keyed ? "KEY" : "DKEY");
        } catch (const SerialError&) {
            // The command did not leave: the transmitter is as it was.
            showKeyed(!keyed);
            failed();
        }
    });
}

void SetupWindow::showKeyed(bool keyed) {
    Key->setEnabled(!keyed);
    DKey->setEnabled(keyed);
}

void SetupWindow::showHelp(const QString& keyword) {
    const QString which = direction(keyword);
    prompts_.message(
        QString("This selects the test %1 frequency used in lieu of hopping when in setup mode."
                "\r\n\r\nThe test %1 frequency can be reprogrammed to any value\r\nbetween "
                "%2 MHz and %3 MHz, inclusive.")
            .arg(which, LowestMhz, HighestMhz),
        QString("%1%2 Frequency Information").arg(which.left(1).toUpper(), which.mid(1)));
}

void SetupWindow::failed() {
    if (onLinkFailure && !state_.closing && !console_.interrupted())
        onLinkFailure();
}

void SetupWindow::closing(int) {
    // A mode field that names a master ("MODE M") takes the RSSI button back.
    if (modeText_().indexOf(u'M', 1) >= 0)
        rssiButton_.setEnabled(false);
    try {
        if (console_.port().isOpen()) {
            console_.sendSafeLine("DKEY");
            console_.sendSafeLine("quit");
        }
    } catch (const SerialError&) {
        // A port that is gone leaves nothing to tell the radio.
    }
    state_.refreshRequest = true;
    state_.setupMode = false;
}
