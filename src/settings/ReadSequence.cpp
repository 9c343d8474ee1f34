#include "ReadSequence.h"

#include "link/ConsoleText.h"

#include "Catalogue.h"
#include "SettingsFields.h"
#include "core/SharedState.h"
#include "link/Console.h"
#include "link/LinkControls.h"
#include "link/RadioLink.h"
#include "link/SerialPort.h"
#include "link/TerminalPane.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr double CommandSeconds = 4.0;
// The probe waits for the radio's answer as an edit does: storing a name takes it a moment.
constexpr double ProbeSeconds = 3.0;
constexpr int PauseMs = 80;
// Settings in a row that went unanswered, after which the radio has plainly stopped answering:
// the rest of the read would only wait out a time-out each.
constexpr int GiveUpAfter = 3;

} // namespace

const ReadSequence::Step ReadSequence::Steps[] = {
    {"ser", "SerialNumber", Gate::Always, false},
    {"unit", "UnitAddr", Gate::Always, false},
    {"srev", "SoftwareRev", Gate::Always, false},
    {"own", "OwnerName", Gate::Always, true},
    {"owm", "OwnerMessage", Gate::Always, false},
    {"temp", "Temperature", Gate::Always, false},
    {"alrm", "AlarmInfo", Gate::Always, true},
    {"mode", "Mode", Gate::Always, false},
    {"pwr", "PowerLevel", Gate::Always, false},
    {"baud", "BaudRate", Gate::Always, false},
    {"port", "Port", Gate::Always, true},
    {"device", "DeviceType", Gate::Always, false},
    {"amask", "AlarmMask", Gate::Always, false},
    {"asense", "AlarmSense", Gate::Always, true},
    {"cts", "CTSdelay", Gate::Always, false},
    {"ctshold", "CTSHOLDdelay", Gate::Always, false},
    {"rxtot", "RxTimeOut", Gate::Always, true},
    {"rxd", "RXD", Gate::From300, false},
    {"sleep", "SleepMode", Gate::Always, false},
    {"lpmhold", "LPMHOLD", Gate::From320, true},
    {"addr", "NetworkAddress", Gate::Always, false},
    {"csaddr", "CSADDR", Gate::From300, false},
    {"hoptime", "HopTime", Gate::Always, false},
    {"skip", "SkippedZones", Gate::Always, false},
    {"lpm", "LPM", Gate::From320, true},
    {"repeat", "RepeatCount", Gate::Always, false},
    {"retry", "RetryCount", Gate::Always, false},
    {"fec", "FEC", Gate::Always, false},
    {"buff", "DataBuff", Gate::Always, true},
    {"saf", "StoreAndForward", Gate::Always, false},
    {"xaddr", "XADDR", Gate::NotRemote, false},
    {"xmin", "XMIN", Gate::Below200, false},
    {"xmax", "XMAX", Gate::Below200, false},
    {"xpri", "XPRI", Gate::KnownFrom200, false},
    {"xrssi", "XRSSI", Gate::KnownFrom200, false},
    {"show sync", "ShowSync", Gate::Always, true},
    {"dtype", "DTYPE", Gate::From200, false},
    {"dlink", "DLINK", Gate::From200, false},
    {"rtu", "SoftRTU", Gate::From200, false},
    {"options", "DiagOptions", Gate::Always, true},
};

ReadSequence::ReadSequence(Console& console, RadioLink& link, SettingsFields& fields,
                           LinkControls& controls, SharedState& state, QPushButton& rssiButton,
                           QPushButton& zoneDataButton)
    : console_(console), link_(link), fields_(fields), controls_(controls), state_(state),
      rssiButton_(rssiButton), zoneDataButton_(zoneDataButton) {}

// A gate with no known version admits the commands of every newer firmware, except the newer
// pair of extension-address settings, where the older pair stands in.
bool ReadSequence::admits(Gate gate) const {
    const int n = version_.value_or(-1);
    const bool known = version_.has_value();
    switch (gate) {
    case Gate::Always:
        return true;
    case Gate::From200:
        return !known || n >= 200;
    case Gate::From300:
        return !known || n >= 300;
    case Gate::From320:
        return !known || n >= 320;
    case Gate::Below200:
        return !known || n < 200;
    case Gate::KnownFrom200:
        return known && n >= 200;
    case Gate::NotRemote:
        return Catalogue::roleOf(fields_.text("Mode")) != Catalogue::Role::Remote;
    }
    return true;
}

// A read stops quietly once the user has disconnected while it waited, or anything else
// interrupted it.
bool ReadSequence::stopped() const {
    return link_.disconnected || !console_.port().isOpen() || console_.interrupted();
}

void ReadSequence::run() {
    const LinkBusy busy(state_.gate);
    state_.wholeReplies.clear();
    int asked = 0;
    int answered = 0;
    int unansweredInARow = 0;
    try {
        startSequence();
        for (const Step& step : Steps) {
            if (stopped() || unansweredInARow == GiveUpAfter)
                break;
            if (admits(step.gate)) {
                ++asked;
                const bool heard = readOne(step);
                answered += heard ? 1 : 0;
                unansweredInARow = heard ? 0 : unansweredInARow + 1;
            } else if (step.gate == Gate::NotRemote) {
                fields_.setText(step.field, "NOT AVAILABLE");
            }
            afterStep(step);
        }
        if (!stopped() && asked > 0)
            sayWhetherTheRadioAnswered(answered == 0                     ? Heard::Never
                                       : unansweredInARow == GiveUpAfter ? Heard::Stopped
                                                                         : Heard::Answered);
    } catch (const SerialError& error) {
        if (error.endsHandler() && !link_.disconnected)
            link_.reportCommunicationError();
    }
}

// A silent radio is said in the status bar until a read hears from it again.
void ReadSequence::sayWhetherTheRadioAnswered(Heard heard) {
    static const QString Silent = QStringLiteral(
        "Status: The radio did not answer. Check the cable and the radio's power, then click "
        "Refresh.");
    QLabel* status = controls_.statusPanel;
    if (heard == Heard::Never)
        status->setText(Silent);
    else if (heard == Heard::Stopped)
        status->setText(stoppedAnswering());
    else if (status->text() == Silent || status->text() == stoppedAnswering())
        status->setText("Status: ");
}

void ReadSequence::startSequence() {
    console_.resetBuffer();
    console_.sendRaw("\r");
    if (!console_.waitUntil([this] { return console_.holds(">"); }, CommandSeconds,
                            QStringLiteral("read")) &&
        !stopped())
        link_.wakeUp();
    state_.setupMode = console_.holds("SETUP");
    pause();
}

bool ReadSequence::readOne(const Step& step) {
    const QString keyword = step.keyword;
    console_.resetBuffer();
    console_.sendLine(keyword);
    const bool answered = console_.waitUntil(
        [&] { return console_.holds(keyword) && console_.holds(">"); }, CommandSeconds, keyword);
    if (!answered)
        return false;
    const std::optional<QString> value = console_.cut(keyword);
    if (isWhole(value))
        state_.wholeReplies.insert(keyword, *value);
    if (keyword == "csaddr" && console_.holds("n/a"))
        fields_.setText(step.field, "NOT AVAILABLE");
    else if (keyword == "repeat" && console_.holds("PROGRAMMABLE ONLY"))
        fields_.setText(step.field, "NOT AVAILABLE");
    else if (value)
        fields_.setText(step.field, *value);
    return true;
}

// A reply the radio may be given back: it ended at the console's final prompt (nothing cut it
// short, nothing followed), the line did not garble it and it is one line, so one whole command.
bool ReadSequence::isWhole(const std::optional<QString>& value) const {
    if (!value || value->isEmpty())
        return false;
    const QString end = QStringLiteral("\r\n") + (state_.setupMode ? "SETUP>" : ">");
    if (!console_.buffer().endsWith(*value + end, Qt::CaseInsensitive))
        return false;
    return ConsoleText::isRadioText(*value) && !value->contains(u'\r') && !value->contains(u'\n');
}

void ReadSequence::afterStep(const Step& step) {
    const QLatin1String keyword(step.keyword);
    if (keyword == "srev")
        learnVersion();
    if (keyword == "own" && link_.firstRead && !stopped())
        loginProbe();
    if (keyword == "mode")
        applyRoleLayout();
    if (keyword == "rtu" && admits(step.gate))
        fields_.setUsable("SoftRTU", true);
    if (step.pauseAfter)
        pause();
}

void ReadSequence::pause() {
    console_.msWait(PauseMs, QStringLiteral("read pause"));
    console_.yieldOnce(QStringLiteral("read pause"));
}

// The version sits at positions 20 to 24 of the buffer the "srev" exchange left, reply or not.
void ReadSequence::learnVersion() {
    state_.currentVersion = console_.buffer().mid(19, 5);
    version_ = ConsoleText::versionNumberOf(state_.currentVersion);
    state_.versionNumber = version_.value_or(0);
    state_.versionKnown = version_.has_value();
    applyVersionLayout(version_);
}

void ReadSequence::applyVersionLayout(std::optional<int> version) {
    const int n = version.value_or(0);
    const bool from200 = n >= 200;
    const bool from300 = n >= 300;
    const bool from320 = n >= 320;
    for (const char* field : {"XMIN", "XMAX"})
        fields_.setPresent(field, !from200);
    for (const char* field : {"XMAP", "XPRI", "XRSSI", "DTYPE", "DLINK", "SoftRTU"})
        fields_.setPresent(field, from200);
    fields_.placeAt("DiagOptions", from200 ? 1680 : 360);
    fields_.placeAt("ShowSync", from200 ? 2160 : 1800);
    for (const char* field : {"RXD", "CSADDR"})
        fields_.setPresent(field, from300);
    fields_.placeAt("HopTime", from300 ? 1080 : 720);
    fields_.placeAt("SkippedZones", from300 ? 1440 : 1080);
    fields_.placeAt("SleepMode", from300 ? 1800 : 1440);
    for (const char* field : {"LPMHOLD", "LPM"})
        fields_.setPresent(field, from320);
}

// Asks the radio to rewrite the owner's name it just reported: only a logged-in user may.
// Without a whole name from this read there is nothing safe to write, and Login stays enabled.
void ReadSequence::loginProbe() {
    link_.firstRead = false;
    if (!state_.wholeReplies.contains("own"))
        return;
    console_.setEcho(false);
    console_.resetBuffer();
    console_.sendLine("own " + state_.wholeReplies.value("own"));
    console_.waitUntil(
        [this] {
            return console_.holds(">") &&
                   (console_.holds("PROGRAMMED OK") || console_.holds("DENIED"));
        },
        ProbeSeconds, QStringLiteral("login probe"));
    console_.setEcho(true);
    if (stopped())
        return;
    controls_.txtTerm->setText(QString());
    const bool loggedIn = console_.holds("PROGRAMMED OK");
    controls_.loginButton->setEnabled(!loggedIn);
    controls_.logoutButton->setEnabled(loggedIn);
}

void ReadSequence::applyRoleLayout() {
    zoneDataButton_.setEnabled(true);
    const Catalogue::Role role = Catalogue::roleOf(fields_.text("Mode"));
    const bool master = role == Catalogue::Role::Master;
    rssiButton_.setEnabled(!master || state_.setupMode);
    for (const char* field : {"RetryCount", "RepeatCount", "HopTime", "SkippedZones", "DataBuff",
                              "StoreAndForward", "FEC", "LPM"})
        fields_.setUsable(field, master);
    if (!master)
        fields_.setUsable("CSADDR", false);
    fields_.setUsable("SleepMode", !master);
    fields_.setUsable("XADDR", role != Catalogue::Role::Remote);
}
