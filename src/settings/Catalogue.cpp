#include "Catalogue.h"

#include <algorithm>

namespace Catalogue {

namespace {

using enum ChangeRule;

const Parameter Table[] = {
    {"ser", "SerialNumber", "SnumLabel", "Serial Number", InfoFrame, "", Never, 0, 0,
     "Radio serial number"},
    {"unit", "UnitAddr", "UnitLabel", "Unit Address", InfoFrame, "UNIT ", Always, 0, 0,
     "Click to program the unit address"},
    {"srev", "SoftwareRev", "SrevLabel", "Software Rev.", InfoFrame, "", Never, 0, 0,
     "Software revision"},
    {"own", "OwnerName", "OwnLabel", "Owner's Name", InfoFrame, "", Always, 0, 0,
     "Click to program the owner's name"},
    {"owm", "OwnerMessage", "OwmLabel", "Owner's Msg.", InfoFrame, "", Always, 0, 0,
     "Click to program the owner's message"},
    {"temp", "Temperature", "TempLabel", "Temperature", InfoFrame, "", Never, 0, 0,
     "Internal temperature"},
    {"alrm", "AlarmInfo", "AlarmLabel", "Alarms", InfoFrame, "", Never, 0, 0,
     "Click for alarm details in the terminal window"},
    {"mode", "Mode", "RmdLabel", "Radio Mode", 1, "MODE ", Always, 0, 0,
     "Click to program the radio mode"},
    {"pwr", "PowerLevel", "PowerLabel", "Power Level", 1, "PWR ", Always, 0, 0,
     "Click to program the output power level"},
    {"baud", "BaudRate", "DataBaudLabel", "Data Baud Rate", 1, "BAUD ", Always, 0, 0,
     "Click to program the baud rate"},
    {"port", "Port", "PortLabel", "Port", 1, "PORT ", Always, 0, 0,
     "Click to program the port type"},
    {"device", "DeviceType", "DevLabel", "Device Type", 1, "", Always, 0, 0,
     "Click to program the device type"},
    {"amask", "AlarmMask", "AlarmMaskLabel", "Alarm Mask", 1, "MASK:", Always, 0, 0,
     "Click to program the alarm mask"},
    {"asense", "AlarmSense", "AlrsLabel", "Alarm Sense", 1, "ALARM ACTIVE ", Always, 0, 0,
     "Click to program the alarm sense"},
    {"cts", "CTSdelay", "CTSDelayLabel", "CTS Delay", 2, "CTS ", Always, 0, 0,
     "Click to program the CTS delay"},
    {"ctshold", "CTSHOLDdelay", "CTSHoldLabel", "CTSHOLD Delay", 2, "CTSHOLD ", Always, 0, 0,
     "Click to program the CTS hold delay"},
    {"rxtot", "RxTimeOut", "RxtoLabel", "Receive Time Out Timer", 2, "RXTOT ", Always, 0, 0,
     "Click to program the receive time out timer"},
    {"rxd", "RXD", "RXDLabel", "Receive Data Holdover", 2, "RXD ", Always, 300, 0,
     "Click to program the receive data holdover timer"},
    {"sleep", "SleepMode", "SleepLabel", "Sleep Mode", 2, "", NotAtMaster, 0, 0,
     "Click to turn sleep mode on or off"},
    {"lpmhold", "LPMHOLD", "LPMHOLDLabel", "Low Power Mode HOLD", 2, "LPMHOLD ", Always, 320, 0,
     "Click to program the low power mode holdover timer"},
    {"addr", "NetworkAddress", "NetAddrLabel", "Network Address", 3, "", Always, 0, 0,
     "Click to program the radio network address"},
    {"csaddr", "CSADDR", "CSADDRLabel", "Clock Sync Address", 3, "CSADDR ", MasterOnly, 300, 0,
     "Click to program the clock sync radio address"},
    {"hoptime", "HopTime", "HopLabel", "Hop Time", 3, "HOPTIME ", MasterOnly, 0, 0,
     "Click to program the hop time"},
    {"skip", "SkippedZones", "SkipLabel", "Skipped Zones", 3, "SKIP ", MasterOnly, 0, 0,
     "Click to program skipped zones"},
    {"lpm", "LPM", "LPMLabel", "Low Power Mode Setting", 3, "", MasterOnly, 320, 0,
     "Click to program the low power mode setting"},
    {"repeat", "RepeatCount", "RptctLabel", "Repeat Count", 4, "REPEAT ", MasterOnly, 0, 0,
     "Click to program the repeat count"},
    {"retry", "RetryCount", "RetryLabel", "Retry Count", 4, "RETRY ", MasterOnly, 0, 0,
     "Click to program the retry count"},
    {"fec", "FEC", "FECLabel", "Forward Error Correction", 4, "", MasterOnly, 0, 0,
     "Click to turn FEC on or off"},
    {"buff", "DataBuff", "BuffLabel", "Data Buffering", 4, "", MasterOnly, 0, 0,
     "Click to turn data buffering on or off"},
    {"saf", "StoreAndForward", "SAFLabel", "Store and Forward", 5, "", MasterOnly, 0, 0,
     "Click to turn store & forward mode on or off"},
    {"xaddr", "XADDR", "XADDRLabel", "Extension Address", 5, "XADDR ", MasterOrExtension, 0, 0,
     "Click to program the extension address"},
    {"xmin", "XMIN", "XMINLabel", "Min. Extension Addr.", 5, "XMIN ", Always, 0, 199,
     "Click to program the minimum extension address"},
    {"xmax", "XMAX", "XMAXLabel", "Max. Extension Addr.", 5, "XMAX ", Always, 0, 199,
     "Click to program the maximum extension address"},
    {"xpri", "XPRI", "XPRILabel", "Primary Extension Addr.", 5, "XPRI ", Always, 200, 0,
     "Click to program primary extension address"},
    {"xrssi", "XRSSI", "XRSSILabel", "Extension RSSI", 5, "XRSSI ", Always, 200, 0,
     "Click to program the RSSI tolerance for extension radios"},
    {"", "XMAP", "XMAPLabel", "Extension Map", 5, "", Dialog, 200, 0,
     "Click to view or change the selection of extension addresses"},
    {"show sync", "ShowSync", "ShowSyncLabel", "Show Sync", 5, "", Never, 0, 0,
     "Shows information about the master (or extension) radio this current radio is "
     "synchronized with. Click to refresh this information"},
    {"dtype", "DTYPE", "DTypeLabel", "DTYPE", 6, "", Dialog, 200, 0,
     "Click to program the diagnostic type"},
    {"dlink", "DLINK", "DLinkLabel", "DLINK", 6, "", Dialog, 200, 0,
     "Click to turn the diagnostic link on or off"},
    {"rtu", "SoftRTU", "SoftRTULabel", "Software RTU", 6, "", Dialog, 200, 0,
     "Click to turn software RTU on or off"},
    {"options", "DiagOptions", "OptionsLabel", "Diagnostic Options", 6, "", Never, 0, 0,
     "Diagnostic options"},
};

const char* const TabCaptions[] = {"Radio Settings 1",           "Radio Settings 2",
                                   "Network Settings 1",         "Network Settings 2",
                                   "Store and Forward Settings", "Network Wide Diagnostics"};

template <typename Match> const Parameter* find(Match match) {
    const auto found = std::find_if(std::begin(Table), std::end(Table), match);
    return found == std::end(Table) ? nullptr : &*found;
}

} // namespace

std::span<const Parameter> all() {
    return Table;
}

const Parameter* byKeyword(const QString& keyword) {
    if (keyword.isEmpty())
        return nullptr;
    return find([&](const Parameter& p) {
        return keyword.compare(QLatin1String(p.keyword), Qt::CaseInsensitive) == 0;
    });
}

const Parameter* byField(const QString& field) {
    return find([&](const Parameter& p) { return field == QLatin1String(p.field); });
}

QString startingText(const Parameter& parameter) {
    const QLatin1String field(parameter.field);
    if (field == "OwnerName" || field == "OwnerMessage" || field == "SoftwareRev" ||
        field == "AlarmInfo")
        return QString();
    if (field == "XMAP")
        return QStringLiteral("Click to view/change");
    return QStringLiteral("n/a");
}

Role roleOf(const QString& modeText) {
    if (modeText.compare("MODE M", Qt::CaseInsensitive) == 0)
        return Role::Master;
    if (modeText.compare("MODE R", Qt::CaseInsensitive) == 0)
        return Role::Remote;
    if (modeText.compare("MODE X", Qt::CaseInsensitive) == 0)
        return Role::Extension;
    return Role::None;
}

bool admits(const Parameter& parameter, int versionNumber) {
    return versionNumber >= parameter.minVersion &&
           (parameter.maxVersion == 0 || versionNumber <= parameter.maxVersion);
}

QString tabCaption(int tab) {
    return QString::fromLatin1(TabCaptions[tab - 1]);
}

} // namespace Catalogue
