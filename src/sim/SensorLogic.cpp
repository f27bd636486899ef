#include "sim/SensorLogic.h"

#include <algorithm>

#include "sim/SensorModel.h"

namespace korvo::sim {

namespace {
std::uint32_t seedFor(const SensorConfig& c) {
    return c.seed != 0 ? c.seed
                       : 0x9E3779B9u ^ (static_cast<std::uint32_t>(c.serial) * 2654435761u);
}
}  // namespace

SensorLogic::SensorLogic(const SensorConfig& config)
    : config_(config),
      pixelCount_(effectivePixelCount(config)),
      baud_(config.baud),
      params_(ParamMemory::factory(config.serial, pixelCount_, indexForBaud(config.baud))),
      measurement_(pixelCount_, config.videoResolution, config.noise, seedFor(config)),
      xflash_(kXFlashPages * kXFlashPageWords, 0xFFFF) {
    const Profile stored =
        measurement_.thresholdCurve(params_.ram[1][p1::kVideoThdAuto], /*withNoise=*/false);
    thresholds_ = {stored, stored};
    video_ = measurement_.profile();
}

bool SensorLogic::recorderMode() const {
    const std::uint16_t mode = params_.ram[1][p1::kRs232Mode];
    return mode == 1 || mode == 4;
}

FrameWords SensorLogic::echo(const Request& r) const {
    FrameWords w = replyHeader(r.code);
    w[2] = r.argument;
    for (int i = 0; i < 15; ++i) w[3 + i] = r.data[i];
    return w;
}

Reply SensorLogic::frame(const FrameWords& w) const {
    return {encodeFrame(w)};
}

Reply SensorLogic::halfReply(const Request& r, const ParamHalf& half) const {
    FrameWords w = replyHeader(r.code);
    w[2] = r.argument;
    for (int i = 0; i < 15; ++i) w[3 + i] = half[i];
    return frame(w);
}

const Profile& SensorLogic::lastVideo() {
    if (videoPending_) {
        video_ = measurement_.profileOf(videoEdges_);
        videoPending_ = false;
    }
    return video_;
}

Reply SensorLogic::block(const Request& r) {
    const std::uint16_t selector = r.data[0];
    const Profile& source = selector == 0 ? lastVideo() : thresholds_[selector == 2 ? 1 : 0];
    std::array<std::uint16_t, 64> words{};
    for (int j = 0; j < 64; ++j) {
        const int at = r.argument + j;
        words[j] = at < 256 ? source[at] : 0;
    }
    return {encodeWords(words.data(), 64), ReplyShape::Block};
}

Reply SensorLogic::hardwareInfo() const {
    FrameWords w = replyHeader(10);
    w[2] = config_.family;
    w[3] = 1;               // hardware revision
    w[4] = config_.serial;  // board number
    w[5] = 0;
    w[6] = pixelCount_;
    w[7] = pixelCount_;  // pixels covered by the X-FLASH linearisation table
    w[8] = 2048;         // words of that table
    w[9] = 0;
    w[10] = config_.firmware;
    w[11] = config_.variant;
    w[12] = config_.videoResolution;
    return frame(w);
}

Reply SensorLogic::calibration(const Request& r) {
    switch (r.argument) {
        case 0:
            calibrating_ = false;
            break;
        case 1:
            calibrating_ = true;
            break;
        case 2:
            params_.setCalibration(r.data[0] | (static_cast<std::uint32_t>(r.data[1]) << 16),
                                   r.data[2] | (static_cast<std::uint32_t>(r.data[3]) << 16));
            calibrating_ = false;
            break;
        default:
            break;
    }
    FrameWords w = replyHeader(r.code);
    w[2] = r.argument;
    const ParamHalf& h1 = params_.ram[1];
    w[3] = h1[p1::kSlopeLow];
    w[4] = h1[p1::kSlopeHigh];
    w[5] = h1[p1::kOffsetLow];
    w[6] = h1[p1::kOffsetHigh];
    return frame(w);
}

Reply SensorLogic::xflashWrite(const Request& r) {
    const int page = r.data[0];
    const int offset = r.argument;
    // A block that would leave its page or the memory is not written, but still answered.
    if (page < kXFlashPages && offset + 8 <= kXFlashPageWords) {
        for (int k = 0; k < 8; ++k) xflash_[page * kXFlashPageWords + offset + k] = r.data[1 + k];
    }
    FrameWords w = replyHeader(r.code);
    w[2] = r.argument;
    w[3] = static_cast<std::uint16_t>(offset);
    w[4] = static_cast<std::uint16_t>(page);
    for (int k = 0; k < 8; ++k) w[5 + k] = r.data[1 + k];
    return frame(w);
}

Reply SensorLogic::baudChange(const Request& r) {
    Reply reply = frame(echo(r));
    const int rate = baudForIndex(r.argument);
    if (rate > 0) {
        reply.newBaud = rate;
        params_.ram[1][p1::kRs232Baud] = r.argument;
    }
    return reply;
}

Reply SensorLogic::handle(const QByteArray& bytes, double seconds) {
    const Request r = decodeRequest(bytes);
    measurement_.advanceTo(seconds);
    switch (r.code) {
        case 0:  // dummy frame
            return {};
        case 1:
        case 3: {
            const int half = halfIndex(r.argument);
            params_.ram[half] = r.data;
            if (r.code == 3) params_.eeprom[half] = r.data;
            return halfReply(r, params_.ram[half]);
        }
        case 2:
            return halfReply(r, params_.ram[halfIndex(r.argument)]);
        case 4:
            return halfReply(r, params_.eeprom[halfIndex(r.argument)]);
        case 5: {
            FrameWords w = echo(r);
            w[2] = config_.serial;
            return frame(w);
        }
        case 6:
            params_.ram[0][p0::kTeachValue] = measurement_.measured(params_);
            return frame(echo(r));
        case 7:
            return {firmwareTextFor(config_), ReplyShape::FirmwareText};
        case 8: {
            // The profile that belongs to this measurement, computed when a block read wants it.
            videoEdges_ = measurement_.edges();
            videoPending_ = true;
            const RunRecordWords rec = measurement_.runRecord(params_);
            FrameWords w = replyHeader(8);
            for (int i = 0; i < 16; ++i) w[2 + i] = rec[i];
            return frame(w);
        }
        case 9:
            return block(r);
        case 10:
            return hardwareInfo();
        case 11:
            measurement_.resetHold();
            return frame(echo(r));
        case 12:
            return calibration(r);
        case 13:
            thresholds(r.data[0]) = measurement_.thresholdCurve(r.argument, /*withNoise=*/true);
            return frame(echo(r));
        case 16:
            params_.ram[0][p0::kTeachValue] = r.argument;
            params_.ram[0][p0::kUpperTol] = r.data[0];
            params_.ram[0][p0::kLowerTol] = r.data[1];
            return frame(echo(r));
        case 18:
            return {recordReply(seconds)};
        case 101:
            std::fill(xflash_.begin(), xflash_.end(), 0xFFFF);
            return frame(echo(r));
        case 102:
            return xflashWrite(r);
        case 190:
            return baudChange(r);
        default:
            return frame(echo(r));
    }
}

QByteArray SensorLogic::recordReply(double seconds) {
    measurement_.advanceTo(seconds);
    const RecordWords rec = measurement_.record(params_);
    FrameWords w = replyHeader(18);
    for (int i = 0; i < 7; ++i) w[2 + i] = rec[i];
    return encodeFrame(w);
}

}  // namespace korvo::sim
