#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

// The serial line to the panel, as the link sees it: raw bytes at 9600 baud, 8 data bits,
// no parity, one stop bit. A real port (QtSerialPort) and the emulated panel's port (src/sim)
// implement it; the link never knows which one it talks to.
class SerialPort : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialPort() override = default;

    // Opens the device at "9600,N,8,1", raw, no flow control. False and errorString() when it
    // cannot be opened (missing, in use, settings refused).
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Received bytes waiting to be read.
    virtual qint64 bytesWaiting() const = 0;
    // Reads one waiting byte; false when none is waiting.
    virtual bool readByte(std::uint8_t &byte) = 0;
    // Queues one byte for sending; false when the port is not open or refuses it.
    virtual bool writeByte(std::uint8_t byte) = 0;
    virtual QString errorString() const = 0;
    // The device name shown to the installer ("/dev/ttyS0", "ECS simulée").
    virtual QString deviceName() const = 0;

signals:
    // Bytes arrived and can be read.
    void readyRead();
    // The port failed while open (adapter pulled out, device gone). The port has closed itself.
    void failed();
};

// What the installer chose in the port selection window.
struct PortChoice
{
    enum class Kind { Device, Simulated };
    Kind kind = Kind::Device;
    QString device; // platform device name for Kind::Device ("/dev/ttyS0", "COM1", "/dev/ttyUSB0")

    // COM n: "/dev/ttyS{n-1}" on Linux, "COMn" on Windows (each system's port list names it).
    static PortChoice comPort(int number);
    static PortChoice simulated() { return {Kind::Simulated, {}}; }
    bool operator==(const PortChoice &) const = default;
};

// Makes the port for a choice; the application hands the link one that knows the emulated panel.
using PortFactory = std::function<std::unique_ptr<SerialPort>(const PortChoice &)>;
