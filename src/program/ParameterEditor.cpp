#include "ParameterEditor.h"

#include "DlinkDialog.h"
#include "DtypeDialog.h"
#include "RtuDialog.h"
#include "XmapDialog.h"
#include "core/ClickableLabel.h"
#include "core/Prompts.h"
#include "core/SharedState.h"
#include "link/Console.h"
#include "link/RadioLink.h"
#include "link/SerialPort.h"
#include "settings/Catalogue.h"
#include "settings/SettingsFields.h"

#include <QLabel>

#include <algorithm>
#include <iterator>

namespace {

enum Guard { NoGuard, MasterOnly, NotAtMaster, MasterOrExtension };
constexpr double ReplySeconds = 3.0;

} // namespace

// An edit by input box: prompt, title, the prefix removed from the answer, set keyword.
struct InputMember {
    const char* field;
    int guard;
    const char* prompt;
    const char* title;
    const char* prefix; // empty: nothing is removed
    int drop;
    const char* keyword;
};

// An on/off edit: the two reported forms and the question for each.
struct ToggleMember {
    const char* field;
    int guard;
    const char* onForm;
    const char* offForm;
    const char* offQuestion;
    const char* onQuestion;
    const char* title;
    const char* keyword;
};

namespace {

const InputMember InputMembers[] = {
    {"UnitAddr", NoGuard, "Enter the Unit Address:\r\r    10000 to 65000", "Program Unit Address",
     "UNIT ", 5, "unit "},
    {"OwnerName", NoGuard, "Enter a new Owner's Name up to 30 characters", "Program Owner's Name",
     "", 0, "own "},
    {"OwnerMessage", NoGuard, "Enter a new Owner's Message up to 30 characters",
     "Program Owner's Message", "", 0, "owm "},
    {"PowerLevel", NoGuard, "Enter a new Power Level:\r\r20dBm through 30dBm in 1dBm steps",
     "Program Power Output Level", "PWR ", 4, "pwr "},
    {"RxTimeOut", NoGuard, "Program  Receive Timeout timer in minutes; 1-1440 or NONE",
     "Program Receive Timeout Timer", "RXTOT ", 6, "rxtot "},
    {"Mode", NoGuard,
     "Enter 'M' for a master, 'R' for a remote or 'X' for an extension (used in Store & Forward "
     "mode):",
     "Program Radio Mode", "MODE ", 5, "mode "},
    {"SkippedZones", MasterOnly,
     "Enter up to four skipped zones (1-8) or type 'NONE' for no skipped zones. (i.e. 1,2,5):",
     "Program Skipped Zones", "SKIP ", 5, "skip "},
    {"RetryCount", MasterOnly, "Program the transmission count (for robust mode), 0-10:",
     "Program Transmission Retry Count", "RETRY ", 6, "retry "},
    {"AlarmMask", NoGuard, "Enter a new major alarm mask:\r\r(0000 0000) to (FFFF FFFF)",
     "Program Alarm Mask", "MASK:", 5, "amask "},
    {"AlarmSense", NoGuard,
     "Enter 'HI' or 'LO' to change the sense of the alarm output signal (active high or active "
     "low):",
     "Set Alarm Sense", "ALARM ACTIVE ", 13, "asense "},
    {"BaudRate", NoGuard, "Enter a new baud rate and/or format (ie 9600 8N1):",
     "Program Data Baud Rate", "BAUD ", 5, "baud "},
    {"Port", NoGuard, "Enter the port type to use for the payload port (RS232 or RS485):",
     "Program Payload Port", "PORT ", 5, "port "},
    {"CTSdelay", NoGuard, "Enter a new CTS delay from 0-255 msec:", "Program CTS Delay", "CTS ", 4,
     "cts "},
    {"CTSHOLDdelay", NoGuard,
     "Program CTS holdover delay from 0-6000msec. for DEVICE = CTS KEY operation:",
     "Program CTSHOLD Delay", "CTSHOLD ", 8, "ctshold "},
    {"RepeatCount", MasterOnly, "Program the repeat count for the master, 0-10:",
     "Program Repeat Count", "REPEAT ", 7, "repeat "},
    {"HopTime", MasterOnly, "Enter the Hop Time value (7 or 28 msec):", "Program Hop Time",
     "HOPTIME ", 8, "hoptime "},
    // The extension address prompt depends on the firmware version.
    {"XADDR", MasterOrExtension, "", "Program extension address", "XADDR ", 5, "xaddr "},
    {"XMIN", NoGuard, "Enter the minimum bound for the extension address (0-63):",
     "Program Minimum Extension Addresses", "XMIN ", 4, "xmin "},
    {"XMAX", NoGuard, "Enter the maximum bound for the extension address (0-63):",
     "Maximum Extension Addresses", "XMAX ", 4, "xmax "},
    {"XPRI", NoGuard, "Enter the address for the primary extension radio (0-31 or 'NONE'):",
     "Program Primary Extension Address", "XPRI ", 4, "xpri "},
    {"XRSSI", NoGuard,
     "Enter the minimum tolerance value for the extension radio's RSSI (-120 -- -40):",
     "Program Minimum RSSI", "XRSSI ", 5, "xrssi "},
    {"LPMHOLD", NoGuard,
     "Enter the value of the Low Power Mode Holdover timer (in milliseconds) to use for this "
     "radio (0 -- 1000):",
     "Program Low Power Mode Holdover Timer", "LPMHOLD ", 7, "lpmhold "},
    {"CSADDR", NoGuard,
     "Enter the Network Address of the designated Clock Sync Master (1 -- 65000):",
     "Program Clock Sync Address", "CSADDR ", 6, "csaddr "},
    {"RXD", NoGuard,
     "Enter the value of the Receive Data Holdover timer (in milliseconds) to use for this "
     "radio (0 -- 255):",
     "Program Receive Data Holdover Timer", "RXD ", 3, "rxd "},
    {"NetworkAddress", NoGuard, "Enter a new radio Network Address:\r\r1-65000 or NONE",
     "Program Network Address", "", 0, "addr "},
};

const ToggleMember ToggleMembers[] = {
    {"DataBuff", MasterOnly, "BUFF ON", "BUFF OFF", "Turn Data Buffering off?",
     "Turn Data Buffering on?", "Data Buffering Setting", "buff "},
    {"FEC", MasterOnly, "FEC ON", "FEC OFF", "Turn Forward Error Correction off?",
     "Turn Forward Error Correction on?", "Forward Error Correction Setting", "fec "},
    {"SleepMode", NotAtMaster, "SLEEP ON", "SLEEP OFF", "Turn Sleep mode off?",
     "Turn Sleep mode on?", "Sleep Mode Setting", "sleep "},
    {"StoreAndForward", MasterOnly, "SAF ON", "SAF OFF", "Turn Store & Forward mode off?",
     "Turn Store & Forward mode on?", "Store and Forward Mode Setting", "saf "},
};

template <typename Member, size_t N>
const Member* memberFor(const Member (&members)[N], const QString& field) {
    const auto found = std::find_if(std::begin(members), std::end(members),
                                    [&](const Member& m) { return field == m.field; });
    return found == std::end(members) ? nullptr : found;
}

const InputMember* inputMember(const QString& field) {
    return memberFor(InputMembers, field);
}

const ToggleMember* toggleMember(const QString& field) {
    return memberFor(ToggleMembers, field);
}

} // namespace

QString ParameterEditor::extensionAddressPrompt(const SharedState& state) {
    return state.wideExtensionRange() ? QStringLiteral("Enter the extension address (0-63):")
                                      : QStringLiteral("Enter the extension address (0-31):");
}

QString ParameterEditor::commandFor(const QString& field, QString answer) {
    const InputMember* member = inputMember(field);
    if (!member)
        return QString();
    if (field == "NetworkAddress")
        return answer.contains("ADDR", Qt::CaseInsensitive) ? answer : "addr " + answer;
    const QString prefix = member->prefix;
    if (!prefix.isEmpty()) {
        const qsizetype at = answer.indexOf(prefix, 0, Qt::CaseInsensitive);
        if (at >= 0)
            answer = answer.mid(at + member->drop);
    }
    // The minus goes in front of the number, after the prefix and the blank it may leave.
    if (field == "XRSSI" && !answer.contains(u'-')) {
        qsizetype at = 0;
        while (at < answer.size() && answer.at(at) == u' ')
            ++at;
        answer.insert(at, u'-');
    }
    return member->keyword + answer;
}

// One held edit per field: a second click on the same field while the first waits adds
// nothing.
void ParameterEditor::edit(const QString& field) {
    state_.gate.request("edit " + field, window_, [this, field] {
        try {
            editNow(field);
        } catch (const SerialError& error) {
            if (error.endsHandler() && !state_.closing && !console_.interrupted())
                prompts_.message(Console::communicationError(), "Error",
                                 Prompts::Icon::Exclamation);
        }
    });
}

bool ParameterEditor::portOpenOrSay() {
    if (console_.port().isOpen())
        return true;
    prompts_.message("Please Toggle COMM Port open first.", "User Help");
    return false;
}

void ParameterEditor::editNow(const QString& field) {
    static const QStringList Dialogs = {"DLINK", "DTYPE", "SoftRTU", "XMAP"};
    static const QStringList Others =
        QStringList{"LPM", "DeviceType", "AlarmInfo", "ShowSync"} + Dialogs;
    const InputMember* input = inputMember(field);
    const ToggleMember* toggle = toggleMember(field);
    if (!input && !toggle && !Others.contains(field))
        return;
    if (!guardPasses(input ? input->guard : toggle ? toggle->guard : NoGuard))
        return;
    // Say so before asking for a value that could not be sent.
    if (!portOpenOrSay())
        return;
    if (const InputMember* member = input)
        editByInput(*member);
    else if (const ToggleMember* member = toggle)
        editByToggle(*member);
    else if (field == "LPM")
        editLowPowerMode();
    else if (field == "DeviceType")
        editDeviceType();
    else if (field == "AlarmInfo")
        listAlarms();
    else if (field == "ShowSync")
        refreshShowSync();
    else
        openOptionDialog(field);
}

// After a diagnostic option dialog, however it closed, a read shows the radio's new value.
void ParameterEditor::openOptionDialog(const QString& field) {
    const QString shown = fields_.text(field);
    OptionDialog* dialog = nullptr;
    if (field == "DLINK")
        dialog = new DlinkDialog(console_, shown, window_);
    else if (field == "DTYPE")
        dialog = new DtypeDialog(console_, window_);
    else if (field == "SoftRTU")
        dialog = new RtuDialog(console_, prompts_, shown, window_);
    if (dialog) {
        QObject::connect(dialog, &QDialog::finished, [this] { state_.refreshRequest = true; });
        showDialog(dialog);
        return;
    }
    const std::optional<QString> read = readExtensionMap();
    // A read that was interrupted opens nothing.
    if (console_.interrupted())
        return;
    auto* map = new XmapDialog(console_, read, window_);
    map->programmed = [this] { state_.refreshRequest = true; };
    showDialog(map);
}

void ParameterEditor::showDialog(OptionDialog* dialog) {
    dialog->onLinkFailure = [this] {
        prompts_.message(Console::communicationError(), "Error", Prompts::Icon::Exclamation);
    };
    dialog->open();
}

std::optional<QString> ParameterEditor::readExtensionMap() {
    const LinkBusy busy(state_.gate);
    console_.buffer().clear();
    console_.sendLine("xmap");
    console_.waitUntil([this] { return extensionMapOf(console_.buffer()).has_value(); },
                       ReplySeconds, QStringLiteral("xmap"));
    console_.sleep(100, QStringLiteral("xmap"));
    const std::optional<QString> map = extensionMapOf(console_.buffer());
    console_.sleep(100, QStringLiteral("xmap"));
    return map;
}

// The prompt that ends the reply is the first after the echo: one before it closed the answer
// to something sent earlier.
std::optional<QString> ParameterEditor::extensionMapOf(const QString& buffer) {
    const qsizetype echo = buffer.indexOf("xmap\r\n", 0, Qt::CaseInsensitive);
    const qsizetype prompt = echo < 0 ? -1 : buffer.indexOf(u'>', echo);
    if (echo < 0 || prompt < 0 || prompt - echo - 13 < 0)
        return std::nullopt;
    return buffer.mid(echo + 11, prompt - echo - 13);
}

bool ParameterEditor::guardPasses(int guard) const {
    const Catalogue::Role role = Catalogue::roleOf(fields_.text("Mode"));
    switch (guard) {
    case MasterOnly:
        return role == Catalogue::Role::Master;
    case NotAtMaster:
        return role != Catalogue::Role::Master;
    case MasterOrExtension:
        return role == Catalogue::Role::Master || role == Catalogue::Role::Extension;
    default:
        return true;
    }
}

void ParameterEditor::editByInput(const InputMember& member) {
    const QString field = member.field;
    const QString prompt = field == "XADDR" ? extensionAddressPrompt(state_) : member.prompt;
    const std::optional<QString> answer = prompts_.input(prompt, member.title, fields_.text(field));
    if (!answer || answer->isEmpty() || !portOpenOrSay())
        return;
    program(field, commandFor(field, *answer), field == "AlarmMask");
}

void ParameterEditor::editByToggle(const ToggleMember& member) {
    const QString shown = fields_.text(member.field);
    QString question;
    QString value;
    if (shown.compare(member.onForm, Qt::CaseInsensitive) == 0) {
        question = member.offQuestion;
        value = "OFF";
    } else if (shown.compare(member.offForm, Qt::CaseInsensitive) == 0) {
        question = member.onQuestion;
        value = "ON";
    } else {
        return; // neither form: there is nothing sensible to switch
    }
    if (prompts_.message(question, member.title, Prompts::Icon::None, Prompts::Buttons::OkCancel) !=
        Prompts::Ok)
        return;
    if (portOpenOrSay())
        program(member.field, member.keyword + value);
}

void ParameterEditor::editLowPowerMode() {
    const bool off = fields_.text("LPM").contains(u'0');
    const QString question =
        QString("Turn the Low Power Mode feature for this network %1?").arg(off ? "on" : "off");
    if (prompts_.message(question, "Program Low Power Mode", Prompts::Icon::None,
                         Prompts::Buttons::OkCancel) != Prompts::Ok)
        return;
    if (portOpenOrSay())
        program("LPM", off ? "lpm 1" : "lpm 0");
}

void ParameterEditor::editDeviceType() {
    const auto answer =
        prompts_.message("Program Device Type to DCE?\r\rYES for DCE      NO for CTS KEY",
                         "Program Device Type", Prompts::Icon::None, Prompts::Buttons::YesNoCancel);
    if (answer == Prompts::Cancel || !portOpenOrSay())
        return;
    program("DeviceType", answer == Prompts::Yes ? "device DCE" : "device CTS KEY");
}

void ParameterEditor::program(const QString& field, const QString& command, bool promptAlone) {
    const Console::Verdict verdict =
        promptAlone ? writeAwaitingPrompt(command) : console_.write(command, ReplySeconds);
    state_.refreshRequest = true;
    if (!console_.interrupted() && !state_.closing)
        tellOutcome(field, command, verdict);
}

// The alarm mask is confirmed by the prompt alone; a refusal still comes before that prompt.
Console::Verdict ParameterEditor::writeAwaitingPrompt(const QString& command) {
    const LinkBusy busy(state_.gate);
    console_.resetBuffer();
    console_.sendLine(command);
    if (!console_.waitUntil([this] { return console_.holds(">"); }, ReplySeconds,
                            command.section(u' ', 0, 0)))
        return Console::Verdict::NoAnswer;
    if (console_.holdsExact("DENIED"))
        return Console::Verdict::Denied;
    if (console_.holdsExact("INVALID"))
        return Console::Verdict::Refused;
    return Console::Verdict::Accepted;
}

// The field's label names the setting as the user sees it; the radio's words are what follows
// the echo of the command, up to its prompt.
void ParameterEditor::tellOutcome(const QString& field, const QString& command,
                                  Console::Verdict verdict) {
    const ClickableLabel* label = fields_.label(field);
    const QString name = label ? label->text().remove(u'&').remove(u':').trimmed() : field;
    const QString echo = QString::fromLatin1(Console::lineOf(command).chopped(1));
    const QString answer = console_.cut(echo).value_or(QString()).simplified();
    statusPanel_.setText("Status: " + outcomeOf(name, verdict, answer));
}

QString ParameterEditor::outcomeOf(const QString& name, Console::Verdict verdict,
                                   const QString& answer) {
    const auto answered = [&](const char* usual) {
        return "the radio answered " + (answer.isEmpty() ? QString(usual) : answer);
    };
    switch (verdict) {
    case Console::Verdict::Accepted:
        return name + " changed: " + answered("with its prompt") + ".";
    case Console::Verdict::Denied:
        return name + " not changed: " + answered("ACCESS DENIED") +
               ". Log in first (Login on the toolbar), then try again.";
    case Console::Verdict::Refused:
        return name + " not changed: " + answered("INVALID ENTRY") +
               ". Check the value against the range the question names.";
    case Console::Verdict::NoAnswer:
        break;
    }
    if (!answer.isEmpty())
        return name + " not changed: the radio answered " + answer + ".";
    return QString("%1: the radio did not answer within %2 seconds. The next read shows what it "
                   "holds.")
        .arg(name)
        .arg(ReplySeconds);
}

void ParameterEditor::listAlarms() {
    const LinkBusy busy(state_.gate);
    console_.resetBuffer();
    console_.sendLine("stat");
    console_.waitUntil([this] { return console_.holds(">") && console_.holds("stat"); },
                       ReplySeconds, QStringLiteral("stat"));
    for (int page = 0; page < 2 && console_.holds("MORE>") && !console_.interrupted(); ++page) {
        console_.resetBuffer();
        console_.sendRaw("\r");
        // A page ends at the console's prompt, or at the next "MORE>".
        console_.waitUntil([this] { return console_.holds("\r\n>") || console_.holds("MORE>"); },
                           ReplySeconds, QStringLiteral("stat page"));
    }
}

void ParameterEditor::refreshShowSync() {
    const LinkBusy busy(state_.gate);
    console_.resetBuffer();
    console_.sendLine("show sync");
    const bool answered =
        console_.waitUntil([this] { return console_.holds(">") && console_.holds("show sync"); },
                           ReplySeconds, QStringLiteral("show sync"));
    if (!answered)
        return;
    if (const auto value = console_.cut("show sync"))
        fields_.setText("ShowSync", *value);
}
