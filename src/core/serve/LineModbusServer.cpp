#include "core/serve/LineModbusServer.h"

#include <QDataStream>
#include <QTcpSocket>
#include <QtEndian>

namespace korvo {

class LineModbusServer::Gate : public QModbusTcpConnectionObserver {
public:
    explicit Gate(LineModbusServer& server) : server_(server) {}
    bool acceptNewConnection(QTcpSocket*) override {
        if (server_.clients_ >= kMaxModbusClients) return false;
        ++server_.clients_;
        return true;
    }

private:
    LineModbusServer& server_;
};

LineModbusServer::LineModbusServer(Registers registers, QObject* parent)
    : QModbusTcpServer(parent), registers_(std::move(registers)) {
    installConnectionObserver(new Gate(*this));  // the server owns it
    connect(this, &QModbusTcpServer::modbusClientDisconnected, this,
            [this](QTcpSocket*) { clients_ = std::max(0, clients_ - 1); });
    // Unit identifier 255, as Modbus TCP asks of a server addressed by its IP address; Qt's
    // server leaves requests for other units unanswered.
    setServerAddress(0xFF);
}

LineModbusServer::~LineModbusServer() = default;

QModbusResponse LineModbusServer::processRequest(const QModbusPdu& request) {
    // The function code as it came: a byte from the network, read through Qt's encoder rather
    // than its accessor, which takes a code outside the enumeration for an enumerator.
    QByteArray encoded;
    QDataStream stream(&encoded, QIODevice::WriteOnly);
    stream << request;
    const auto function = static_cast<quint8>(encoded.isEmpty() ? 0 : encoded[0]);
    const auto refuse = [function](QModbusExceptionResponse::ExceptionCode code) {
        return QModbusExceptionResponse(static_cast<QModbusPdu::FunctionCode>(function), code);
    };
    if (function != QModbusPdu::ReadInputRegisters)
        return refuse(QModbusExceptionResponse::IllegalFunction);
    const QByteArray data = request.data();
    if (data.size() != 4) return refuse(QModbusExceptionResponse::IllegalDataValue);
    const int first = qFromBigEndian<quint16>(data.constData());
    const int count = qFromBigEndian<quint16>(data.constData() + 2);
    if (count < 1 || count > 125) return refuse(QModbusExceptionResponse::IllegalDataValue);
    const std::optional<std::vector<std::uint16_t>> values = registers_(first, count);
    if (!values) return refuse(QModbusExceptionResponse::IllegalDataAddress);
    QByteArray payload(1 + 2 * count, '\0');
    payload[0] = static_cast<char>(2 * count);
    for (int i = 0; i < count; ++i)
        qToBigEndian<quint16>((*values)[static_cast<std::size_t>(i)], payload.data() + 1 + 2 * i);
    return QModbusResponse(QModbusPdu::ReadInputRegisters, payload);
}

}  // namespace korvo
