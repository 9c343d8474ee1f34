#include "DevicePort.h"

#include "PlatformDevice.h"

#include <QFile>
#include <QFileInfo>

DevicePort::DevicePort(std::function<QString(int)> devicePath, QObject* parent)
    : SerialPort(parent), devicePath_(std::move(devicePath)) {
    connect(&serial_, &QSerialPort::readyRead, this, &DevicePort::onReceived);
    batchEnd_.setSingleShot(true);
    connect(&batchEnd_, &QTimer::timeout, this, &DevicePort::endBatch);
    connect(&serial_, &QSerialPort::bytesWritten, this, &SerialPort::sent);
    connect(&serial_, &QSerialPort::errorOccurred, this, &DevicePort::onError);
    linePoll_.setInterval(100);
    connect(&linePoll_, &QTimer::timeout, this, &DevicePort::pollLines);
}

void DevicePort::setPortNumber(int number) {
    if (isOpen())
        throw SerialError(SerialError::PortAlreadyOpen, "Port already open");
    if (number < 1 || number > 255)
        throw SerialError(SerialError::InvalidPortNumber, "Invalid port number");
    number_ = number;
}

void DevicePort::setSettings(const QString& settings) {
    settings_ = settings;
    if (isOpen())
        applySettings();
}

void DevicePort::setHandshakingNone() {
    serial_.setFlowControl(QSerialPort::NoFlowControl);
}

void DevicePort::applySettings() {
    const QStringList parts = settings_.split(u',');
    if (parts.size() != 4)
        return;
    serial_.setBaudRate(parts[0].toInt());
    const QString parity = parts[1].trimmed().toUpper();
    serial_.setParity(parity == "E"   ? QSerialPort::EvenParity
                      : parity == "O" ? QSerialPort::OddParity
                                      : QSerialPort::NoParity);
    serial_.setDataBits(parts[2].toInt() == 7 ? QSerialPort::Data7 : QSerialPort::Data8);
    serial_.setStopBits(parts[3].toInt() == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    serial_.setFlowControl(QSerialPort::NoFlowControl);
}

void DevicePort::setOpen(bool open) {
    if (!open) {
        endBatch();
        linePoll_.stop();
        if (serial_.isOpen())
            serial_.close();
        return;
    }
    if (isOpen())
        throw SerialError(SerialError::PortAlreadyOpen, "Port already open");
    const QString path = devicePath_(number_);
    if (path.isEmpty() || !PlatformDevice::exists(path))
        throw openFailureError(number_, path.isEmpty() ? "no device" : path, OpenFailure::Missing);
    serial_.setPortName(PlatformDevice::realDevice(path));
    openPath_ = path;
    if (!serial_.open(QIODevice::ReadWrite)) {
        const auto error = serial_.error();
        const QString reason = serial_.errorString();
        serial_.clearError();
        throw openFailureError(number_, path, classify(error, PlatformDevice::mayOpen(path)),
                               reason);
    }
    applySettings();
    lines_ = serial_.pinoutSignals();
    hasLines_ = serial_.error() == QSerialPort::NoError;
    serial_.clearError();
    linePoll_.start();
}

OpenFailure DevicePort::classify(QSerialPort::SerialPortError error, bool mayOpen) {
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return OpenFailure::Missing;
    case QSerialPort::PermissionError:
        // The system says "permission" both for a locked port and for a user who lacks rights.
        return mayOpen ? OpenFailure::InUse : OpenFailure::PermissionDenied;
    default:
        return OpenFailure::Other;
    }
}

void DevicePort::write(const QByteArray& bytes) {
    if (!isOpen())
        throw SerialError(SerialError::PortNotOpen, "Operation valid only when the port is open");
    serial_.write(bytes);
    // Hand the bytes to the driver now, as the console expects, not at the next event.
    serial_.flush();
}

QByteArray DevicePort::readAll() {
    if (!isOpen())
        throw SerialError(SerialError::PortNotOpen, "Operation valid only when the port is open");
    return serial_.readAll();
}

qint64 DevicePort::bytesToSend() const {
    return isOpen() ? serial_.bytesToWrite() : 0;
}

void DevicePort::discardOutput() {
    if (isOpen())
        serial_.clear(QSerialPort::Output);
}

// Asked for at most this many at once: the system counts to 255, and characters held back from
// a radio that stopped mid-reply come at most about this many character times late.
static constexpr int LargestBatch = 128;

// A hint given while the arrival is handled carries the wait on; without one it ends, so that
// whatever comes next is announced at once.
void DevicePort::onReceived() {
    hinted_ = false;
    emit commEvent(Received);
    if (!hinted_)
        endBatch();
}

void DevicePort::expectCharacters(int count, int withinMs) {
    hinted_ = true;
    const int batch = std::clamp(count, 0, LargestBatch);
    if (!isOpen() || batch < 2 || withinMs <= 0) {
        endBatch();
        return;
    }
    if (batch != readMinimum_) {
        if (!PlatformDevice::setReadMinimum(serial_.handle(), batch))
            return;
        readMinimum_ = batch;
    }
    // Their time on the line at ten bits a character and a little more, if that is sooner.
    batchEnd_.start(std::min(withinMs, batch * 10000 / baudRate() + 20));
}

void DevicePort::endBatch() {
    batchEnd_.stop();
    if (readMinimum_ == 0)
        return;
    readMinimum_ = 0;
    if (serial_.isOpen())
        PlatformDevice::setReadMinimum(serial_.handle(), 0);
}

int DevicePort::baudRate() const {
    const int baud = serial_.baudRate();
    return baud > 0 ? baud : 19200;
}

void DevicePort::pollLines() {
    if (PlatformDevice::hungUp(serial_.handle())) {
        onError(QSerialPort::ResourceError);
        return;
    }
    if (!hasLines_)
        return;
    const QSerialPort::PinoutSignals now = serial_.pinoutSignals();
    if (serial_.error() != QSerialPort::NoError) {
        // Some devices (pseudo-terminals among them) have no modem lines to read.
        serial_.clearError();
        hasLines_ = false;
        return;
    }
    const struct {
        QSerialPort::PinoutSignal line;
        EventCode code;
    } watched[] = {{QSerialPort::ClearToSendSignal, CtsChanged},
                   {QSerialPort::DataSetReadySignal, DsrChanged},
                   {QSerialPort::DataCarrierDetectSignal, CdChanged},
                   {QSerialPort::RingIndicatorSignal, Ring}};
    const QSerialPort::PinoutSignals before = lines_;
    lines_ = now;
    for (const auto& line : watched)
        if ((before & line.line) != (now & line.line))
            emit commEvent(line.code);
}

void DevicePort::onError(QSerialPort::SerialPortError error) {
    if (error != QSerialPort::ResourceError)
        return;
    serial_.clearError();
    // A full output queue (the line is slower than the program) is reported the same way as a
    // lost device; the bytes wait in the port and go out when the line takes them.
    if (serial_.isOpen() && !PlatformDevice::hungUp(serial_.handle()) &&
        QFileInfo::exists(openPath_))
        return;
    endBatch();
    linePoll_.stop();
    if (serial_.isOpen())
        serial_.close();
    emit deviceLost();
}
