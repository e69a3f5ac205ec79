#pragma once

#include "platform/SerialPort.h"

#include <memory>

class QSerialPort;

namespace veltrona {

// The real serial port on Qt SerialPort. QSerialPort is not thread-safe: create and use an
// instance on one thread only (the upload cycle's). There is no event loop on that thread, so
// writes are pushed out with waitForBytesWritten and waits use waitForReadyRead.
class QtSerialPort : public SerialPort {
public:
    QtSerialPort();
    ~QtSerialPort() override;

    void open(const std::string& name) override;
    void close() override;
    bool isOpen() const override;
    void setDtr(bool on) override;
    void setBreak(bool on) override;
    std::size_t write(const std::string& bytes) override;
    std::size_t bytesWaiting() override;
    std::string read(std::size_t n) override;
    bool waitForBytes(std::uint64_t timeoutMs) override;

private:
    std::unique_ptr<QSerialPort> port_;
};

} // namespace veltrona
