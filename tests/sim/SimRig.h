#pragma once

#include <QByteArray>
#include <QTest>
#include <memory>
#include <string>

#include "DriverRegistry.h"
#include "HxDriver.h"
#include "SelfAdvancingClock.h"
#include "SimBackend.h"
#include "TestLink.h"

// The simulated boards installed as the only backend, on a clock that moves
// by itself, with the driver calls a test needs to talk to them.
class SimRig {
  public:
    static constexpr std::uint8_t lineMask = 0x94;

    SimRig() : backend(std::make_shared<SimBackend>(clock)) {
        DriverRegistry::instance().reset();
        DriverRegistry::instance().install(backend);
    }
    ~SimRig() { DriverRegistry::instance().reset(); }

    EvalBoard& eval() { return backend->evalBoard(); }
    SpyBoard& spy() { return backend->spyBoard(); }

    static DriverStatus open(const std::string& description, HxHandle& handle) {
        return HX_OpenEx(const_cast<char*>(description.c_str()), hx::OpenByDescription, &handle);
    }

    // 8 data bits, no parity, one stop bit, RTS raised.
    static void configure(HxHandle handle, std::uint32_t baudRate, std::uint16_t flow) {
        QCOMPARE(HX_SetBaudRate(handle, baudRate), hx::Ok);
        QCOMPARE(HX_SetDataCharacteristics(handle, 8, 0, 0), hx::Ok);
        QCOMPARE(HX_SetFlowControl(handle, flow, 0x11, 0x13), hx::Ok);
        QCOMPARE(HX_SetRts(handle), hx::Ok);
    }

    static std::uint32_t send(HxHandle handle, const QByteArray& bytes) {
        std::uint32_t written = 0;
        HX_Write(handle, bytes.constData(), static_cast<std::uint32_t>(bytes.size()), &written);
        return written;
    }

    // Everything that arrives within the next milliseconds, read as the
    // program's polling loops read: the queued count, then exactly that.
    QByteArray collect(HxHandle handle, int milliseconds) {
        QByteArray bytes;
        const std::int64_t end = clock.milliseconds() + milliseconds;
        while (clock.milliseconds() < end) {
            bytes += readWaiting(handle);
            clock.sleep(1);
        }
        return bytes + readWaiting(handle);
    }

    static QByteArray readWaiting(HxHandle handle) {
        std::uint32_t waiting = 0;
        if (HX_GetQueueStatus(handle, &waiting) != hx::Ok || waiting == 0) {
            return {};
        }
        QByteArray bytes(static_cast<qsizetype>(waiting), '\0');
        std::uint32_t read = 0;
        HX_Read(handle, bytes.data(), waiting, &read);
        bytes.truncate(static_cast<qsizetype>(read));
        return bytes;
    }

    // The control-line patterns on channel B, as the program drives them.
    static void runChip(HxHandle b) {
        send(b, QByteArray(1, 0x14));
        HX_SetBitMode(b, lineMask, hx::BitModeSynchronous);
        send(b, QByteArray(1, 0x14));
    }
    static void enterBootLoader(HxHandle b) {
        HX_SetBitMode(b, lineMask, hx::BitModeSynchronous);
        send(b, QByteArray(1, 0x00));
        send(b, QByteArray(1, 0x04));
    }
    static void holdInReset(HxHandle b) {
        HX_SetBitMode(b, lineMask, hx::BitModeSynchronous);
        send(b, QByteArray(1, 0x10));
    }

    SelfAdvancingClock clock;
    std::shared_ptr<SimBackend> backend;
};

inline const QByteArray signOn = QByteArray("\rTarvik Monitor 1.0 ready\rD:\\>\r");
