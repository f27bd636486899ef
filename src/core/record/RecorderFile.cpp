#include "core/record/RecorderFile.h"

#include <charconv>
#include <system_error>

namespace korvo {

namespace {

const char kCrLf[] = "\r\n";

// Shortest plain decimal text that reads back as the same value (no exponent).
template <typename Real>
QByteArray shortestDecimal(Real value) {
    char buffer[400];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (ec != std::errc()) return QByteArray("0");
    return QByteArray(buffer, static_cast<int>(end - buffer));
}

void appendNumberLine(QByteArray& out, const QByteArray& number) {
    out += number;
    out += kCrLf;
}

}  // namespace

QString recorderDateText(const QDate& date) {
    return date.toString(QStringLiteral("MM-dd-yyyy"));
}

QString recorderTimeText(const QTime& time) {
    return time.toString(QStringLiteral("HH:mm:ss"));
}

QByteArray recorderHeaderBytes(const RecorderHeader& header) {
    double increment = header.increment;
    std::uint16_t samples = header.samples;
    if (header.mode == 1) {
        // Triggered recording: the sensor decides when samples come.
        increment = 0.0;
        samples = 32000;
    }
    const auto offset = static_cast<std::int32_t>(header.umOffset - 32767u);
    const auto slope = static_cast<float>(static_cast<double>(header.umSlope) / 1024.0);

    QByteArray out;
    out += "Date:\t";
    out += header.date.toLatin1();
    out += kCrLf;
    out += "Time:\t";
    out += header.time.toLatin1();
    out += kCrLf;
    out += "Time-Increment[s]:\t";
    appendNumberLine(out, shortestDecimal(increment));
    out += "Number of Samples:\t";
    appendNumberLine(out, QByteArray::number(samples));
    out += "Offset-Value [\xB5m]:\t";
    appendNumberLine(out, QByteArray::number(offset));
    out += "Slope-Value [\xB5m/pixel]:\t";
    appendNumberLine(out, shortestDecimal(slope));
    out += "M-VALUE\tE-LEFT\tE-RIGHT\tEDGES\tM-VAL[um]\r\n";
    return out;
}

QByteArray recorderLineBytes(std::uint16_t measuredValue, std::uint16_t leftEdge,
                             std::uint16_t rightEdge, std::uint16_t edgeCount,
                             std::uint32_t measuredUm) {
    QByteArray out;
    out += QByteArray::number(measuredValue);
    out += '\t';
    out += QByteArray::number(leftEdge);
    out += '\t';
    out += QByteArray::number(rightEdge);
    out += '\t';
    out += QByteArray::number(edgeCount);
    out += '\t';
    out += QByteArray::number(measuredUm);
    out += kCrLf;
    return out;
}

}  // namespace korvo
