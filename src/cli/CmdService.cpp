// korvo teach, reset, test, baud and flash: the sensor functions, on any number of ports.

#include <algorithm>
#include <atomic>
#include <memory>

#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "core/ini/FileRead.h"
#include "core/link/PortSettings.h"
#include "core/params/ParamSet.h"
#include "core/sensorfn/FlashWrite.h"

namespace korvo::cli {

namespace {

constexpr double kHalfPause = 0.1;

PortResult startPort(PortSession& s, int port, const Options& o, const QString& command,
                     bool readParameters, bool& ready) {
    PortResult r = newResult(s, port, command);
    ready = openPort(s, port, o.baudIndex, r) && connectSensor(s, port, readParameters, r);
    return r;
}

}  // namespace

int cmdTeach(const Options& o, Output& out) {
    auto job = [o](PortSession& s, int port) {
        bool ready = false;
        PortResult r = startPort(s, port, o, QStringLiteral("teach"), true, ready);
        if (!ready || interrupted(r, QStringLiteral("nothing taught"))) return r;
        const std::uint16_t taughtBefore = s.sensor.params.teachValue;
        s.writing(QStringLiteral("teach"), {{QStringLiteral("Teach-Value"), taughtBefore, {}}});
        if (s.sensor.TeachSetpoint(port) != 1) {
            finish(r, QStringLiteral("failed"), kExitSensor, s.sensor.link.statusText);
            return r;
        }
        // The taught set point is read back as the window does: both halves from RAM.
        for (std::uint16_t half = 0; half < 2; ++half) {
            if (half == 1) s.pump.delay(kHalfPause);
            if (interrupted(r, QStringLiteral("taught, not read back"))) return r;
            if (s.sensor.GetParamHalf(kMemoryRam, half, port, s.sensor.params) != 1) {
                finish(r, QStringLiteral("failed"), kExitSensor,
                       QStringLiteral("taught, but not read back: ") + s.sensor.link.statusText);
                return r;
            }
        }
        s.audit->changes.front().after = s.sensor.params.teachValue;
        r.json[QStringLiteral("teachValue")] = s.sensor.params.teachValue;
        r.extra = {QString::number(s.sensor.params.teachValue)};
        finish(r, QStringLiteral("ok"), kExitOk, QStringLiteral("New setpoint value teached!"));
        return r;
    };
    return runPortCommand(o, out, QStringLiteral("teach"), {{QStringLiteral("TEACH"), 5}}, job);
}

int cmdReset(const Options& o, Output& out) {
    auto job = [o](PortSession& s, int port) {
        bool ready = false;
        PortResult r = startPort(s, port, o, QStringLiteral("reset"), false, ready);
        if (!ready || interrupted(r, QStringLiteral("nothing reset"))) return r;
        s.writing(QStringLiteral("analog reset"));
        if (s.sensor.ResetMaxMin(port) != 1) {
            finish(r, QStringLiteral("failed"), kExitSensor, s.sensor.link.statusText);
        } else {
            finish(r, QStringLiteral("ok"), kExitOk, QStringLiteral("maximum and minimum reset"));
        }
        return r;
    };
    return runPortCommand(o, out, QStringLiteral("reset"), {}, job);
}

int cmdTest(const Options& o, Output& out) {
    auto job = [o](PortSession& s, int port) {
        bool ready = false;
        PortResult r = startPort(s, port, o, QStringLiteral("test"), false, ready);
        if (!ready) return r;
        // The window's teach value field keeps a set point within the model's pixels.
        if (o.teach < 1 || o.teach >= s.sensor.model.pixelCount) {
            finish(r, QStringLiteral("refused"), kExitUsage,
                   QStringLiteral("--teach %1 is outside 1..%2 of this model")
                       .arg(o.teach)
                       .arg(s.sensor.model.pixelCount - 1));
            return r;
        }
        // The window's tolerance fields keep only a band that fits the line around the teach
        // value; the same rule refuses here what the window would have changed.
        const int pixels = s.sensor.model.pixelCount;
        const int upperMax = std::max(pixels - o.teach, 0);
        const int lowerMax = o.teach;
        if (upperToleranceField(o.upper, o.teach, pixels) != o.upper ||
            lowerToleranceField(o.lower, o.teach) != o.lower) {
            finish(r, QStringLiteral("refused"), kExitUsage,
                   QStringLiteral("with --teach %1 on this model, --upper goes up to %2 and "
                                  "--lower up to %3 (given %4 and %5)")
                       .arg(o.teach)
                       .arg(upperMax)
                       .arg(lowerMax)
                       .arg(o.upper)
                       .arg(o.lower));
            return r;
        }
        if (interrupted(r, QStringLiteral("nothing sent"))) return r;
        s.writing(QStringLiteral("test"), testChanges(o.teach, o.upper, o.lower));
        const int ok = s.sensor.TestBUTTON(port, static_cast<std::uint16_t>(o.teach),
                                           static_cast<std::uint16_t>(o.upper),
                                           static_cast<std::uint16_t>(o.lower));
        finish(r, ok == 1 ? QStringLiteral("ok") : QStringLiteral("failed"),
               ok == 1 ? kExitOk : kExitSensor, s.sensor.link.statusText);
        return r;
    };
    return runPortCommand(o, out, QStringLiteral("test"), {}, job);
}

int cmdBaud(const Options& o, Output& out) {
    const int rate = baudRateForIndex(o.newBaudIndex);
    auto job = [o, rate](PortSession& s, int port) {
        bool ready = false;
        PortResult r = startPort(s, port, o, QStringLiteral("baud"), false, ready);
        r.json[QStringLiteral("baud")] = rate;
        if (!ready || interrupted(r, QStringLiteral("baud rate not changed"))) return r;
        s.writing(QStringLiteral("baud"),
                  {{QStringLiteral("baud rate"), baudRateForIndex(o.baudIndex), rate}});
        const int changed = s.sensor.ChangeBaudRate(port, o.newBaudIndex);
        if (changed < 0) {
            finish(r, QStringLiteral("open-error"), kExitOpen,
                   QStringLiteral("the sensor switched to %1 baud, but the port did not reopen: %2")
                       .arg(rate)
                       .arg(s.bank.errorDetail(port)));
            return r;
        }
        if (changed != 1) {
            finish(r, QStringLiteral("failed"), kExitSensor, s.sensor.link.statusText);
            return r;
        }
        // The echo came at the old rate; only an answer at the new one shows both agree.
        s.pump.delay(0.05);
        if (interrupted(
                r, QStringLiteral("the sensor switched to %1 baud, not checked at it").arg(rate)))
            return r;
        // Over a raw TCP port the server's serial side stays at its old rate, which the user
        // must hear of, above all when the check at the new rate fails for that reason.
        const QString notice = s.bank.baudChangeNotice(port);
        const QString aside = notice.isEmpty() ? QString() : QStringLiteral("; ") + notice;
        if (s.sensor.CheckComLine(port) != 1) {
            finish(r, QStringLiteral("failed"), kExitSensor,
                   QStringLiteral("Baudrate-change OK!, but no line check at %1 baud: %2%3")
                       .arg(rate)
                       .arg(s.sensor.link.statusText, aside));
            return r;
        }
        finish(r, QStringLiteral("ok"), kExitOk,
               QStringLiteral("now at %1 baud%2").arg(rate).arg(aside));
        return r;
    };
    return runPortCommand(o, out, QStringLiteral("baud"), {}, job);
}

int cmdFlash(const Options& o, Output& out) {
    // The file is read and checked before any port is touched; the table size each sensor needs
    // is known only once it is identified, so each port parses the text again for its size.
    const FileReadResult read = readRegularFile(o.file, kMaxTextFileBytes);
    if (!read.ok) {
        out.error(QStringLiteral("%1: %2").arg(o.file, read.reason));
        return kExitUsage;
    }
    const QByteArray text = read.bytes;
    {
        XFlashTable probe{};
        const LinLoadResult parsed = parseLinearisationText(text, linTableSize(400), probe);
        if (!parsed.ok) {
            out.error(QStringLiteral("%1: %2").arg(o.file, parsed.error));
            return kExitUsage;
        }
    }

    auto done = std::make_shared<std::atomic<long>>(0);
    auto total = std::make_shared<std::atomic<long>>(0);
    auto job = [o, text, done, total](PortSession& s, int port) {
        bool ready = false;
        PortResult r = startPort(s, port, o, QStringLiteral("flash"), false, ready);
        if (!ready) return r;
        const int size = linTableSize(s.sensor.model.variantCode);
        XFlashTable table{};
        const LinLoadResult parsed = parseLinearisationText(text, size, table);
        if (!parsed.ok) {
            finish(r, QStringLiteral("file-error"), kExitUsage,
                   QStringLiteral("this model needs %1 values: %2").arg(size).arg(parsed.error));
            return r;
        }
        const int blocks = size / kXFlashBlockWords;
        total->fetch_add(blocks);
        s.writing(QStringLiteral("x-flash"));
        FlashWriter writer(s.sensor);
        long sent = 0;
        FlashOptions options;
        options.stopRequested = [] { return Interrupt::requested(); };
        const FlashOutcome outcome = writer.write(
            port, table, size,
            [&](const FlashProgress&) {
                ++sent;
                done->fetch_add(1);
                return true;
            },
            options);
        // The blocks this port will no longer write leave the bar's total.
        total->fetch_sub(blocks - sent);
        r.json[QStringLiteral("values")] = size;
        r.json[QStringLiteral("blocks")] = outcome.blocksTotal;
        r.json[QStringLiteral("acknowledged")] = outcome.blocksAcknowledged;
        r.extra = {
            QStringLiteral("%1/%2").arg(outcome.blocksAcknowledged).arg(outcome.blocksTotal)};
        switch (outcome.end) {
            case FlashEnd::Written:
                finish(r, QStringLiteral("ok"), kExitOk,
                       QStringLiteral("X-FLASH Data successfully written!"));
                break;
            case FlashEnd::Stopped:
                interrupted(r, flashFailureText(outcome));
                break;
            case FlashEnd::ClearFailed:
            case FlashEnd::BlockFailed:
                finish(r, QStringLiteral("failed"), kExitSensor, flashFailureText(outcome));
                break;
        }
        return r;
    };
    return runPortCommand(o, out, QStringLiteral("flash"), {{QStringLiteral("BLOCKS"), 7}}, job,
                          {[&out, done, total] {
                              out.progress(QStringLiteral("X-FLASH"), done->load(), total->load());
                          }});
}

}  // namespace korvo::cli
