#pragma once
// The Modbus TCP server of `korvo serve`: read only. It answers Read Input Registers (function 4)
// from the register map of ServeReport.h and every other request with an exception, so nothing
// a Modbus client sends reaches a sensor. At most 16 clients at once; more are refused.

#include <QModbusTcpServer>
#include <functional>
#include <optional>
#include <vector>

namespace korvo {

inline constexpr int kMaxModbusClients = 16;

class LineModbusServer : public QModbusTcpServer {
public:
    // `count` registers from `first`, or nothing when the range is refused.
    using Registers =
        std::function<std::optional<std::vector<std::uint16_t>>(int first, int count)>;

    explicit LineModbusServer(Registers registers, QObject* parent = nullptr);
    ~LineModbusServer() override;

    int clients() const { return clients_; }

protected:
    QModbusResponse processRequest(const QModbusPdu& request) override;

private:
    class Gate;
    Registers registers_;
    int clients_ = 0;
};

}  // namespace korvo
