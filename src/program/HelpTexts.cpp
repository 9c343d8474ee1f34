#include "HelpTexts.h"

#include "core/Prompts.h"
#include "core/SharedState.h"

#include <algorithm>
#include <iterator>

namespace {

// Parts joined by a blank line, and by a single line break.
#define BLANK "\r\r"
#define NEWLINE "\r"

struct Entry {
    const char* label;
    const char* title; // nullptr: the application's title
    const char* text;
};

const Entry Entries[] = {
    {"SnumLabel", "Serial Number Information",
     "The SER command displays the factory programmed serial number.It is a numeric value with a "
     "maximum of eight digits, leading 0's are assumed. The command interface is designed so that "
     "once a serial number has been entered it can not be changed."},
    {"UnitLabel", "Unit Address",
     "This command programs or displays the unit address of a radio. The unit address provides "
     "a facility to uniquely identify a single radio within a network. It is meaningful "
     "primarily for diagnostic purposes." BLANK
     "By default it is set to the last 4 digits of serial number. If re-programmed in the field, "
     "the entry must consist of five digits between 10000 and 65000."},
    {"SrevLabel", "Software Revision Information",
     "The Software Revision command (SREV) is used to display information about the currently "
     "running Firmware.   The standard form of the command takes no arguments and returns the "
     "Release Number, Revision, and Build Date of the MCU Firmware, as shown below:" BLANK
     "08-2727A01" NEWLINE "1.2.0  ddMmmyyyy"},
    {"OwnLabel", "Owner's Name Information",
     "The Owner's Name is a user programmable area up to 30 characters. This space can be used "
     "to identify the radio's owner."},
    {"OwmLabel", "Owner's Message Information",
     "The Owner's Message is a user programmable area up to 30 characters. This space can be "
     "used for customer information that may be unique to the radio or site."},
    {"TempLabel", "Temperature Information",
     "This command displays the internal temperature of the transceiver in degrees "
     "Celsius." NEWLINE "(Note that the radio is specified to operate in an environment between "
     "\u201330 C\u00b0 and +60 C\u00b0)." NEWLINE
     "This internal reading may be higher than the outside temperature by several degrees."},
    {"AlarmLabel", "Alarm Information",
     "The ALARM and STAT commands provide information on alarm events currently active in the "
     "system. ALARM provides a concise 'computer-friendly' response format. STAT provides a "
     "'human friendly' interactive format." BLANK
     "ALARM generates a fixed 2-line response. If an alarm does exist, a 8-digit (hex) alarm "
     "code is displayed and the event is identified as a \u201cMajor\u201d or \u201cMinor\u201d "
     "alarm. A brief description of the event is also given." BLANK},
    {"RmdLabel", "Radio Mode",
     "The MODE command selects or displays the operating mode of the radio.  A Master radio is "
     "designated by an 'M',  a remote is designated by an 'R', and an extension is designated by "
     "an 'X' (used in Store & Forward mode). All units default to remotes."},
    {"DataBaudLabel", "Data Baud Rate Information",
     "This command sets or displays the communication attributes for the DATA INTERFACE port. "
     "The command has no effect on the RJ-11 DIAG(NOSTICS) port." BLANK
     "The first parameter (xxxxx) is baud rate. Baud rate is specified in bits-per-second and "
     "must be one of the following speeds: 1200, 2400, 4800, 9600, 19200, 38400, 57600, or "
     "115200. At baud rates of 19200 bps or less, the radio can support unlimited continuous "
     "data transmission at any hop rate." BLANK
     "The second parameter of the BAUD command (abc) is a 3-character block indicating how the "
     "data is encoded. The following is a breakdown of each character\u2019s meaning:" BLANK
     "    a = Data bits (7 or 8)" NEWLINE
     "    b = Parity (N for None, O for Odd, E for Even)" NEWLINE "    c = Stop bits (1 or 2)" BLANK
     "The factory default setting is 4800 baud, 8 data bits, no parity, 1 stop bit (Example: "
     "4800 8N1)."},
    {"PortLabel", "Port",
     "The PORT command is used to select the serial port interface of the payload data port "
     "(RS232 or RS485). It is settable independently at each radio."},
    {"DevLabel", "Device Type Information",
     "The DEVICE command controls or displays the device behavior of the radio. The command "
     "parameter is a single keyword: 'DCE' or 'CTS KEY'. By default, the radio acts like a "
     "DCE." BLANK
     "If 'DCE' is selected, the radio will emulate DCE operation.  CTS will go high following "
     "RTS, subject to the CTS programmable delay time. Keying is stimulated by the input of "
     "characters at the data port.  Hardware flow control is implemented by dropping the CTS "
     "line if data arrives faster than it can be transmitted." BLANK
     "If 'CTS KEY' operation is selected, the radio is assumed to be controlling another radio. "
     "The RTS line is ignored. The CTS line is employed as a key line control for the other "
     "radio. CTS is asserted immediately following the receipt of RF data, but data will not be "
     "sent out the data port until sometime after the CTS programmable delay time has expired. "
     "(This gives the other radio time to key-up)"},
    {"CTSDelayLabel", "CTS Delay Information",
     "The Clear-To-Send (CTS) output is dependent on device mode." BLANK
     "When device is set for 'DCE' operation, the system emulates a normal CTS function and "
     "drives the CTS line based on the RTS input. When the RTS line goes high, the system delays "
     "for the duration of the CTS timer and then drives the CTS line high. The CTS line goes low "
     "immediately whenever RTS goes low. The output state of the CTS line is further qualified "
     "by internal flow control mechanisms. If data arrives over the DB-9 faster than it can be "
     "transmitted, the CTS line is driven low to signal the RTU to stop sending data while the "
     "radio catches up." BLANK
     "When device behavior is set for 'CTS KEY' operation the CTS line becomes a key-line "
     "control to another radio." BLANK
     "Program CTS delay from 0-255msec. (a value of 0 keeps CTS normally asserted)"},
    {"CTSHoldLabel", "CTSHOLD Delay Information",
     "The CTSHOLD command selects or displays the timer value associated with the end of a CTS "
     "line response, when the radio is operating in DEVICE CTS KEY mode.  The timer specifies "
     "how long CTS should remain present following transmission of the last character out the "
     "RXD pin of the DB-9 port.  The command parameter is in milliseconds and  can range from 0 "
     "to 6000 (i.e., 6 seconds).   The default value is zero, which means that CTS will drop "
     "immediately as soon as the last character is transmitted." BLANK
     "When DEVICE DCE mode is active, the value of this parameter has no effect, and the "
     "display will show 'CTSHOLD n/a'."},
    {"PowerLabel", "Power Level Information",
     "This command displays or sets the desired RF forward output power setting of the radio. "
     "The PWR command parameter is specified in dBm and can range from 20 dBm through 30 in 1 "
     "dBm steps. The default setting is 30 dBm (1 watt). To read the actual (measured) power "
     "output of the radio, use the SHOW PWR command." BLANK
     "In the USA, maximum allowable power is governed by FCC limits on Effective Isotropic "
     "Radiated Power output (EIRP). The EIRP limit of +36 dBm means that any user with a net "
     "antenna gain greater than 6 dBi must decrease the PWR setting accordingly."},
    {"SleepLabel", "Sleep",
     "The SLEEP command (Sleep Mode Enable/Disable) is settable independently at each radio.  "
     "The SLEEP setting determines whether or not sleep mode is invoked when the sleep input pin "
     "is grounded."},
    {"AlarmMaskLabel", "Alarm Mask Information",
     "This command sets the alarm bits that cause the alarm output signal to be triggered. The "
     "PWR LED will still flash for all alarms, but the alarm output signal will only be "
     "activated for those alarms that have the corresponding mask bit set. The hex value for the "
     "mask aligns directly with the hex value for the ALARM command. The default is FFFF FFFF. "
     "Through proper use of the AMASK command, it is possible to tailor the alarm response of "
     "the radio. Contact the factory for more information on configuring the alarm mask."},
    {"AlrsLabel", "Alarm Sense",
     "This command is used to set or display the sense of the alarm output at Pin 6 of the DATA "
     "INTERFACE connector. The default for transceivers is active HI."},
    {"NetAddrLabel", "Radio Network Address Information",
     "The Radio Network Address is a programmable number (1-65000) that must be common across "
     "all radios in a given network. This value helps to ensure that the receiver has acquired a "
     "valid signal from another radio in its own network."},
    {"RptctLabel", "Repeat Count",
     "REPEAT (master repeat count) is an integer between 0 and 10 inclusive.  Settable at the "
     "master; viewable by a synchronized remote.  The master will unconditionally retransmit "
     "payload data the specified number of times.  (This is different from remotes which use "
     "the RETRY value to conditionally retransmit only as needed up to the specified number of "
     "times).  0 means non-redundant operation.  Higher values increase the probability of "
     "polls getting through at the cost of increased latency."},
    {"RetryLabel", "Retry Count",
     "This command is associated with 'robust' or 'bulletproof' operation.  RETRY selects or  "
     "displays the maximum number of times that a radio will re-transmit data. A value of 0 "
     "represents 'non-robust operation'.  Values equal to 1 or greater successively improve the "
     "chance of successful data delivery in spectrally harsh environments (up to 10 tries). This "
     "command is read-only at remote radios."},
    {"FECLabel", "Forward Error Correction",
     "FEC (Forward Error Correction) is settable to 'ON' or 'OFF' at the master; viewable by a "
     "synchronized remote.  FEC improves sensitivity at the cost of reduced throughput."},
    {"HopLabel", "Hop Time",
     "The HOPTIME command selects or displays a hop time selection (7 or 29 msec). This command "
     "is read-only at remote radios"},
    {"SkipLabel", "Skipped Zones",
     "The SKIP command selects or displays which combination of the eight, 3.2 MHz (128 "
     "frequency) zones will be skipped from the radio's hopping sequence. The command parameter "
     "is either the keyword 'NONE' or a list of up to four digits where each digit 1..8 "
     "represents a corresponding zone to skip.  (For zone parameter input, the digits can appear "
     "in any order and can optionally be separated by whitespace or commas.  For zone parameter "
     "output the digits will appear in ascending, numerical order, separated by commas). This "
     "command is read-only at remote radios"},
    {"BuffLabel", "Data Buffering",
     "This command sets or displays the seamless data mode selection of the radio network. The "
     "command parameter is either 'ON' or 'OFF'.  Default is 'ON'.  The setting of this "
     "parameter affects both receive and transmit operation.  On the transmit side it causes "
     "incoming messages to be tagged with start and end delimiters, which are then sent over the "
     "air.  On the receive side it causes the radio to wait until an entire message has arrived "
     "before starting to deliver data. This command is read-only at remote radios."},
    {"RxtoLabel", "Rx. Time Out Information",
     "The RXTOT command selects or displays the 'receive time-out timer' setting.  The receive "
     "time-out timer is an alarm facility that triggers based on the absence of received RF "
     "data.  If a radio fails to receive RF data for a duration longer than the receive time-out "
     "timer value, an alarm condition is set.  The radio must see valid data before the alarm "
     "condition is cleared." BLANK
     "The command parameter can be either a timer value or the keyword 'NONE'. Timer values are "
     "specified in minutes and must be between 1 and 1440. 'NONE' disables the timer "
     "(default)."},
    {"SAFLabel", "Store & Forward",
     "Store and Forward offers a way to physically increase the range of a network in a simple, "
     "economical manner.  The Store and Forward capability operates by dividing a network into a "
     "vertical hierarchy of two or more sub-networks.  Adjacent sub-networks are connected via "
     "'extension' radios ('MODE X') that allocate equal amounts of time communicating in each. "
     "Extension radios have the task of moving data from one sub-network to the next one."},
    {"XMINLabel", "Minimum Extension Addresses",
     "Select / Display minimum bound for extension address values that this radio is allowed to "
     "synchronize to. <0-63>"},
    {"XMAXLabel", "Maximum Extension Addresses",
     "Select / Display maximum bound for extension address values that this radio is allowed to "
     "synchronize to. <0-63>"},
    {"XMAPLabel", "",
     "XMAP is a 32 bit hex entry where the least significant bit represents XADDR 0 and the most "
     "significant bit represents XADDR 31. The full 32-bit hex value represents the entire list "
     "of extensions the radio will be allowed to communicate with"},
    {"XPRILabel", "",
     "XPRI designates a PRIMARY XADDR (0 to 31) with which a radio will attempt to acquire and "
     "maintain synchronization."},
    {"XRSSILabel", "",
     "If a radio is sync'd to a source other than it's primary (XPRI), then it will periodically "
     "check the RSSI level and if the RSSI level is below the XRSSI threshold (a specified level "
     "in dBm between -40 and -120) the radio will force a loss of synchronization."},
    {"ShowSyncLabel", "Show Sync",
     "SHOW SYNC is a read-only command which displays network depth plus the UNIT address and "
     "the XADDR value on the radio to which the current radio is synchronized. This field "
     "displays 'NOT AVAILABLE' if the radio is not synchronized (or is a master)"},
    {"DTypeLabel", "DTYPE",
     "The DTYPE or Diagnostic Type is usually set to either ROOT or NODE. Only one ROOT radio can "
     "exist within a given network.  The ROOT radio will provide for Passive or Non-Intrusive "
     "diagnostic polling. For more information refer to the Systems Handbook documentation on "
     "NETWORK WIDE DIAGNOSTICS (05-3747A01)." BLANK "The default setting for DTYPE is NODE."},
    {"DLinkLabel", "DLINK",
     "The DLINK or Diagnostic Link can be set to either ON or OFF.  When ON, it allows for the "
     "Network Wide diagnostic messages to pass through the RJ-11 port.  It also controls the "
     "diagnostic communication baud rate to the PC or other radio via the RJ-11 "
     "connection." BLANK "The default setting for DLINK is ON at 19200 baud."},
    {"SoftRTULabel", "Software RTU",
     "The Software RTU is a built-in software RTU simulator that mimics the functionallity of the "
     "popular external Quenlar RTU Simulator (03-3501A01).  The RTU can be set to ON or OFF.  The "
     "RTU address can range from 0-80 and may be left enabled as long as the polling command "
     "string does not appear in the payload data stream." BLANK
     "Quenlar's RTUPOLL and NETTEST programs for DOS and its Ardentix Poller for Windows can all "
     "exercise the RTU simulator feature."},
    {"OptionsLabel", "Diagnostic Options",
     "This field shows the status of the radio's software options, each followed by ON when the "
     "option is enabled in this radio or OFF when it is not."},
    {"CSADDRLabel", nullptr,
     "This specifies the Network Address of a radio designated as a Clock Sync Master. "
     "<1-65000>"},
    {"RXDLabel", nullptr,
     "The Receive Data Holdeover Timer specifies the the additional delay (0-255 ms) a radio "
     "should wait before sending the first byte of data on the RXD line" NEWLINE
     "following the instant that the receiver would normally be ready to output data." BLANK
     "NOTE: Data Buffering should be set to OFF if seamless is being implemented via the RXD "
     "command."},
    {"LPMLabel", "Low Power Mode",
     "This value controls the network-wide low power mode setting.  The value is readable by any "
     "synchronized remote, but writable only by a Master." BLANK
     "Low Power Mode functions like an automatic radio-specified sleep mode. An LPM setting "
     "other than zero causes the master radio to restrict when it is allowed to transmit "
     "payload data, while causing remotes to automatically put themselves to sleep during the "
     "restricted interval." BLANK
     "Low power mode allows significant power savings at the cost of increased latency."},
    {"LPMHOLDLabel", "Low Power Mode Hold",
     "The programmable Low Power Mode Holdover timer (LPMHOLD) can normally be read or written "
     "by any unit.   The value is only meaningful for a remote, and only when the network master "
     "has selected an LPM setting other than zero." BLANK
     "The value specifies an additional guard time of how long a remote should remain awake, "
     "following transmission of the last data byte on the RXD line." NEWLINE
     "If LPMHOLD is set to zero,  no additional guard time will be applied.  The remote (if "
     "equipped) will automatically go to sleep as soon as all standard conditions for low power "
     "mode sleep are met"},
};

#undef BLANK
#undef NEWLINE

} // namespace

std::optional<HelpText> helpFor(const QString& labelName, const SharedState& state) {
    if (labelName == "XADDRLabel") {
        return HelpText{"Extension Address", state.wideExtensionRange()
                                                 ? "Select / Display extension address. <0-63>"
                                                 : "Select / Display extension address. <0-31>"};
    }
    const auto found = std::find_if(std::begin(Entries), std::end(Entries),
                                    [&](const Entry& e) { return labelName == e.label; });
    if (found == std::end(Entries))
        return std::nullopt;
    return HelpText{found->title ? QString::fromUtf8(found->title) : Prompts::applicationTitle(),
                    QString::fromUtf8(found->text)};
}
