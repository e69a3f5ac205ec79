#include "platform/qt/QtSerialPort.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QThread>

#include <algorithm>

namespace veltrona {

QtSerialPort::QtSerialPort() : port_(std::make_unique<QSerialPort>()) {}

QtSerialPort::~QtSerialPort() = default;

void QtSerialPort::open(const std::string& name) {
    if (port_->isOpen())
        port_->close();
    port_->setPortName(QString::fromStdString(name));
    port_->setBaudRate(QSerialPort::Baud9600);
    port_->setDataBits(QSerialPort::Data8);
    port_->setParity(QSerialPort::NoParity);
    port_->setStopBits(QSerialPort::TwoStop);
    port_->setFlowControl(QSerialPort::NoFlowControl);
    if (!port_->open(QIODevice::ReadWrite))
        throw SerialError("cannot open " + name + ": " + port_->errorString().toStdString());
    port_->setRequestToSend(false);
    port_->setDataTerminalReady(false);
}

void QtSerialPort::close() {
    if (port_->isOpen())
        port_->close();
}

bool QtSerialPort::isOpen() const {
    return port_->isOpen();
}

void QtSerialPort::setDtr(bool on) {
    if (!port_->isOpen() || !port_->setDataTerminalReady(on))
        throw SerialError("cannot switch DTR on " + port_->portName().toStdString());
}

void QtSerialPort::setBreak(bool on) {
    if (port_->isOpen())
        port_->setBreakEnabled(on);
}

std::size_t QtSerialPort::write(const std::string& bytes) {
    if (!port_->isOpen())
        return 0;
    const qint64 n = port_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    // No event loop runs on this thread: hand the bytes to the driver now.
    while (port_->bytesToWrite() > 0 && port_->waitForBytesWritten(1000)) {
    }
    return n < 0 ? 0 : static_cast<std::size_t>(n);
}

std::size_t QtSerialPort::bytesWaiting() {
    if (!port_->isOpen())
        return 0;
    // Lets the port pick up bytes the driver holds without blocking.
    if (port_->bytesAvailable() == 0)
        port_->waitForReadyRead(0);
    return static_cast<std::size_t>(std::max<qint64>(port_->bytesAvailable(), 0));
}

std::string QtSerialPort::read(std::size_t n) {
    if (!port_->isOpen() || n == 0)
        return {};
    const QByteArray data = port_->read(static_cast<qint64>(n));
    return std::string(data.constData(), static_cast<std::size_t>(data.size()));
}

bool QtSerialPort::waitForBytes(std::uint64_t timeoutMs) {
    const int ms = static_cast<int>(std::min<std::uint64_t>(timeoutMs, 60000));
    if (!port_->isOpen()) {
        QThread::msleep(static_cast<unsigned long>(ms));
        return false;
    }
    if (port_->bytesAvailable() > 0)
        return true;
    QElapsedTimer timer;
    timer.start();
    if (port_->waitForReadyRead(ms) || port_->bytesAvailable() > 0)
        return true;
    // A device that has gone (an adapter pulled out) fails every wait at once; wait out the time
    // so that the cycle's wait loops do not spin.
    const qint64 left = ms - timer.elapsed();
    if (left > 0)
        QThread::msleep(static_cast<unsigned long>(left));
    return false;
}

} // namespace veltrona
