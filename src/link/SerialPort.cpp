#include "SerialPort.h"

namespace {
QString otherPortAdvice = QStringLiteral("choose another port (CommPort, Setup...)");
} // namespace

void setOtherPortAdvice(const QString& advice) {
    otherPortAdvice = advice;
}

QString openFailureText(int number, const QString& device, OpenFailure failure,
                        const QString& systemReason) {
    const QString port = QStringLiteral("Com%1 (%2): ").arg(number).arg(device);
    switch (failure) {
    case OpenFailure::Missing:
        return port +
               "the device does not exist. Check that the serial adapter is plugged in, "
               "or " +
               otherPortAdvice + ".";
    case OpenFailure::PermissionDenied:
        return port + "permission denied. On Linux the user must be a member of the \"dialout\" "
                      "group: sudo usermod -aG dialout $USER, then log out and in again.";
    case OpenFailure::InUse:
        return port + "the port is in use by another program. Close that program, or " +
               otherPortAdvice + ".";
    case OpenFailure::Other:
        break;
    }
    return port + "the port cannot be opened: " + systemReason;
}

SerialError openFailureError(int number, const QString& device, OpenFailure failure,
                             const QString& systemReason) {
    const int code = failure == OpenFailure::Missing ? SerialError::InvalidPortNumber
                     : failure == OpenFailure::InUse ? SerialError::PortAlreadyOpen
                                                     : SerialError::DeviceUnavailable;
    return SerialError(code, openFailureText(number, device, failure, systemReason));
}

QString SerialPort::eventMessage(int code) {
    switch (code) {
    case SerialPort::CtsChanged:
        return "Change in CTS Detected";
    case SerialPort::DsrChanged:
        return "Change in DSR Detected";
    case SerialPort::CdChanged:
        return "Change in CD Detected";
    case SerialPort::Ring:
        return "Connecting";
    case SerialPort::EndOfFile:
        return "End of File Detected";
    case SerialPort::Break:
        return "Break Received";
    case SerialPort::CdTimeout:
        return "Carrier Detect Timeout";
    case SerialPort::CtsTimeout:
        return "CTS Timeout";
    case SerialPort::DcbError:
        return "Error retrieving DCB";
    case SerialPort::DsrTimeout:
        return "DSR Timeout";
    case SerialPort::Framing:
        return "Framing Error";
    case SerialPort::Overrun:
        return "Overrun Error";
    case SerialPort::RxOverflow:
        return "Receive Buffer Overflow";
    case SerialPort::Parity:
        return "Parity Error";
    case SerialPort::TxFull:
        return "Transmit Buffer Full";
    default:
        return "Unknown error or event";
    }
}
