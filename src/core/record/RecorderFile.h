#pragma once
// The recorder's data file: a header block and one tab-separated line per sample, single-byte
// Windows-1252 text with CR LF line ends. The file itself is RecorderDataFile, which appends
// each line whole, so a recording that stops half way still leaves a complete file of what was
// recorded.
//
// Floating-point numbers (time increment, slope) are written as the shortest plain decimal text
// that reads back as the same value: 0.5 -> "0.5", 1.0 -> "1", 0.1 -> "0.1"; never an exponent.

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>
#include <cstdint>

namespace korvo {

struct RecorderHeader {
    QString date;               // MM-DD-YYYY
    QString time;               // HH:MM:SS
    std::uint16_t mode = 0;     // RS-232 mode of the recording
    double increment = 0.0;     // time-increment field, seconds
    std::uint16_t samples = 0;  // samples field
    std::uint32_t umOffset = 32767;
    std::uint32_t umSlope = 1024;
};

// The date and time texts of the header and of the Recorder panel's displays.
QString recorderDateText(const QDate& date);
QString recorderTimeText(const QTime& time);

// The seven header lines. In mode 1 the increment is written as 0 and the sample count as 32000
// whatever the fields say; the offset is um-Offset - 32767 (signed) and the slope um-Slope / 1024
// in single precision.
QByteArray recorderHeaderBytes(const RecorderHeader& header);

// One record line: measured value, left edge, right edge, edge count and the raw micrometre value
// in decimal, separated by tabs, ending in CR LF.
QByteArray recorderLineBytes(std::uint16_t measuredValue, std::uint16_t leftEdge,
                             std::uint16_t rightEdge, std::uint16_t edgeCount,
                             std::uint32_t measuredUm);

struct FileResult {
    bool ok = false;
    QString error;  // the reason when !ok, ready to show to the operator
};

}  // namespace korvo
