#!/usr/bin/env python3
"""Checks that the test suite catches plausible one-line faults in the program.

Each fault below is put into the source on its own: the tests that cover the changed folder are
rebuilt and run, and the fault counts as caught when one of them fails. The source file is restored
after each fault, whatever happens. Run it on a configured build (Ninja) of the same tree:

    scripts/mutation-check.py [--build DIR] [--out DIR] [--under PATH ...] [NAME-WORD ...]

NAME-WORDs pick the faults whose description contains any of them (case-insensitive); --under
picks the faults in files below a path (src/app, src/core/link ...), and may be given again.
A run of all faults takes about 45 minutes on two cores. It prints one line per fault and a total,
and exits 1 when a fault got through or no longer applies (the anchor line has changed)."""
import argparse
import pathlib
import subprocess
import sys
import time

# (description, file, anchor: a substring of the one line to change, old, new)
MUTANTS = [
    ("DISCARD keeps the tried port", "src/app/connect/ConnectPopup.cpp",
     "link.portNumber = app.state.savedPortNumber;", "app.state.savedPortNumber", "portField(app)"),
    ("help box of a child panel's control not offset", "src/app/help/HelpBox.cpp",
     "if (panel != boxPanel) r.translate(", "panel != boxPanel", "false"),
    ("help row changed", "src/app/help/HelpTable.cpp",
     '{"CC_DROPintrgMode"', "1, 20, -5,", "1, 20, -10,"),
    ("help box inside clamp", "src/app/help/HelpTable.cpp",
     "return {std::max(0, std::min(wanted.x(), area.width() - box.width())),",
     "area.width() - box.width()", "area.width()"),
    ("group switched on undims disabled ports", "src/app/mplex/MplexPanel.cpp",
     "DimmPort(app, group, p, (dim != 0 || portOff)", "(dim != 0 || portOff)", "(dim != 0)"),
    ("INIT/TEACH skip port 16", "src/app/mplex/MplexSequences.cpp",
     "for (int p = 0; p < kMplexPortsPerGroup; ++p) {",
     "kMplexPortsPerGroup", "kMplexPortsPerGroup - 1"),
    ("memory radio off keeps target", "src/app/params/MainCommands.cpp",
     "app.state.memoryTarget = kMemoryRam;", "kMemoryRam", "target"),
    ("File Get names no key it could not read", "src/app/params/MainCommands.cpp",
     "for (const ParamValueProblem& p : unread) detail +=",
     ": unread)", ": std::vector<ParamValueProblem>())"),
    ("binding zoom<-out", "src/app/params/PanelBinding.cpp",
     "P1_ZOOMMODE, &ParamSet::analogZoomMode", "analogZoomMode", "analogOutMode"),
    ("START deletes a file another recording holds", "src/app/recorder/RecorderPanel.cpp",
     "const FileResult opened = session.openFile(s.recorderPath);",
     "session.openFile(s.recorderPath)",
     "(QFile::remove(s.recorderPath), session.openFile(s.recorderPath))"),
    ("RS-232 mode 1 no dimming", "src/app/shell/ControlStates.cpp",
     "setDimmed(rec, REC_INCTIME", "triggered || mode == 1", "triggered"),
    ("recorder file button not dimmed", "src/app/shell/ControlStates.cpp",
     "for (int c : {REC_SAMPLES, REC_START, REC_STOPREC, REC_FILEBTN})", ", REC_FILEBTN", ""),
    ("calibration accept leaves Save usable", "src/app/sensorfn/CalibrationPanel.cpp",
     "dim(app, {CAL_SAVE}, true);", "true", "false"),
    ("SIGTERM leaves the window open", "src/app/program/WindowCallbacks.cpp",
     "StopSignals::onSignal([&app](int) { app.ui.userClosePanel(app.panels.mpc); });",
     " app.ui.userClosePanel(app.panels.mpc); ", " "),
    ("CLI: COM 256 accepted", "src/cli/Args.cpp",
     "if (first < 1 || last > 255 || first > last) {", "last > 255", "last > 256"),
    ("CLI: a run goes on with its output lost", "src/cli/CmdMeasure.cpp",
     "if (out.lost() || (o.samples > 0", "out.lost() || ", ""),
    ("CLI: record -o not judged before it starts", "src/cli/CmdMeasure.cpp",
     "if (const QString refusal = outputFileRefusal(path, o.force); !refusal.isEmpty()) {",
     "!refusal.isEmpty()", "false"),
    ("CLI: record switches the mode after a signal", "src/cli/CmdMeasure.cpp",
     'if (interrupted(r, QStringLiteral("RS-232-Mode not switched', "interrupted(r, ",
     "false && interrupted(r, "),
    ("CLI: send's second half after a signal", "src/cli/CmdParams.cpp",
     "if (send && interrupted(r,", "send && ", "false && "),
    ("CLI: send reads back after a signal", "src/cli/CmdParams.cpp",
     'if (interrupted(r, QStringLiteral("both halves written', "interrupted(r, ",
     "false && interrupted(r, "),
    ("CLI: get -o judged only after the sensor is read", "src/cli/CmdParams.cpp",
     "if (!toStdout && !pattern.isEmpty()) {", "!toStdout", "false && !toStdout"),
    ("CLI: test tolerance beyond the window's field sent", "src/cli/CmdService.cpp",
     "if (upperToleranceField(o.upper, o.teach, pixels) != o.upper ||", "!= o.upper", "< 0"),
    ("CLI: video gives up after another count", "src/cli/CmdMeasure.cpp",
     "constexpr int kVideoFailedCycleLimit = 3;", "3;", "4;"),
    ("CLI: send checks no value before the ports", "src/cli/CmdParams.cpp",
     "if (!invalid.empty()) {", "!invalid.empty()", "false"),
    ("CLI: send leaves out the model's ranges", "src/cli/CmdParams.cpp",
     "if (!outside.empty()) {", "!outside.empty()", "false"),
    ("CLI: teach after a signal", "src/cli/CmdService.cpp",
     'interrupted(r, QStringLiteral("nothing taught"))',
     ' || interrupted(r, QStringLiteral("nothing taught"))', ""),
    ("CLI: teach reads back after a signal", "src/cli/CmdService.cpp",
     'if (interrupted(r, QStringLiteral("taught, not read back"))) return r;',
     'interrupted(r, QStringLiteral("taught, not read back"))', "false"),
    ("CLI: reset after a signal", "src/cli/CmdService.cpp",
     'interrupted(r, QStringLiteral("nothing reset"))',
     ' || interrupted(r, QStringLiteral("nothing reset"))', ""),
    ("CLI: test after a signal", "src/cli/CmdService.cpp",
     'if (interrupted(r, QStringLiteral("nothing sent"))) return r;',
     'interrupted(r, QStringLiteral("nothing sent"))', "false"),
    ("CLI: baud change after a signal", "src/cli/CmdService.cpp",
     'interrupted(r, QStringLiteral("baud rate not changed"))',
     ' || interrupted(r, QStringLiteral("baud rate not changed"))', ""),
    ("CLI: line check at the new baud rate after a signal", "src/cli/CmdService.cpp",
     'QStringLiteral("the sensor switched to %1 baud, not checked at it").arg(rate)))',
     ".arg(rate)))", ".arg(rate)) && false)"),
    ("CLI: sensor text in JSON not escaped", "src/cli/Commands.cpp",
     "return escapeControls(text.trimmed());", "escapeControls(text.trimmed())", "text.trimmed()"),
    ("CLI: SIGTERM not caught", "src/cli/Interrupt.cpp",
     "StopSignals::install({SIGINT, SIGTERM, SIGHUP});", "SIGTERM, ", ""),
    ("CLI: row cells printed raw", "src/cli/Output.cpp",
     "for (const QString& cell : rawCells) cells << escapeControls(cell);",
     "escapeControls(cell)", "cell"),
    ("CLI: messages printed raw", "src/cli/Output.cpp",
     "escapeControls(text).toLocal8Bit()", "escapeControls(text)", "text"),
    ("CLI: standard output's flush not checked", "src/cli/Output.cpp",
     "!= size || std::fflush(stdout) != 0)", "std::fflush(stdout) != 0",
     "(std::fflush(stdout), false)"),
    ("CLI: lost output leaves the exit status", "src/cli/Output.cpp",
     "return lost_ ? std::max<int>(status, kExitUsage) : status;",
     "std::max<int>(status, kExitUsage)", "status"),
    ("CLI: lost output said at every write", "src/cli/Output.cpp",
     "    if (lost_) return;", "if (lost_) return;", ""),
    ("CLI: --force replaces a FIFO", "src/cli/OutputFile.cpp",
     "if (!S_ISREG(st.st_mode))", "!S_ISREG(st.st_mode)", "false"),
    ("CLI: output path judged through its link", "src/cli/OutputFile.cpp",
     "if (::lstat(QFile::encodeName(path)", "::lstat(", "::stat("),
    ("CLI: exit status of the last port, not the worst", "src/cli/PortSession.cpp",
     "worst = std::max(worst, result.exit);", "std::max(worst, result.exit)", "result.exit"),
    ("CLI: JSON exit key", "src/cli/PortSession.cpp",
     'r.json[QStringLiteral("exit")] = exit;', '"exit"', '"status"'),
    ("CLI: unreadable map left to each port", "src/cli/PortSession.cpp",
     "if (!map.problem().isEmpty()) {", "!map.problem().isEmpty()", "false"),
    ("CLI: parameters not read names the firmware", "src/cli/PortSession.cpp",
     'QStringLiteral("parameters not read: ") + report.parametersReason;',
     "report.parametersReason", "s.link.statusText"),
    ("ini byte-order mark cut short", "src/core/ini/FileRead.cpp",
     "? bytes.sliced(3) : bytes;", "sliced(3)", "sliced(2)"),
    ("dangling link taken for a missing file", "src/core/ini/FileRead.cpp",
     "if (error == ENOENT && !path.isEmpty() && ::lstat(", "error == ENOENT", "false"),
    ("ini keys case-sensitive", "src/core/ini/IniFile.cpp",
     "return name.trimmed().toByteArray().toLower();", ".toLower()", ""),
    ("hang-up leaves the port not broken", "src/core/link/ComPort.cpp",
     "            broken_ = true;", "true", "false"),
    ("unreadable port map falls back to the built-in device", "src/core/link/PortBank.cpp",
     "    if (!portMapProblem_.isEmpty()) {", "!portMapProblem_.isEmpty()", "false"),
    ("port held by another program reported as permission", "src/core/link/PortRefusal.cpp",
     "if (f.lockOwner) {", "f.lockOwner", "false"),
    ("link split: lone zero byte not kept", "src/core/link/Frame.cpp",
     "const bool sync = rest[0] == 0 && (rest.size() < 2 ||", "rest.size() < 2 ||", "false ||"),
    ("link record code 19 read as echo", "src/core/link/Frame.cpp",
     "if (code == 18 || code == 19 || code == 8) {", " || code == 19", ""),
    ("bytes behind a frame kept", "src/core/link/Frame.cpp",
     "split.keepRest = false;", "false", "true"),
    ("GET waits less than its second", "src/core/link/LinkParams.cpp",
     "if (!awaitReply(port, start, kReplyLimit)) {", "kReplyLimit)", "kReplyLimit * 0.8)"),
    ("strict rule: reply at limit refused", "src/core/link/LinkWait.cpp",
     "rule == LimitRule::Strict ?", "elapsed > limit :", "elapsed >= limit :"),
    ("inclusive rule: reply at limit accepted", "src/core/link/LinkWait.cpp",
     "rule == LimitRule::Strict ?", ": elapsed >= limit;", ": elapsed > limit;"),
    ("wait on a lost port goes on", "src/core/link/LinkWait.cpp",
     "if (!ports_.isOpen(port)) return WaitOutcome::PortLost;", "!ports_.isOpen(port)", "false"),
    ("late answer never settled", "src/core/link/LinkWait.cpp",
     "if (!turn.owed || !lateReplyPassesFor", "!turn.owed ||", "true ||"),
    ("nested exchange not refused", "src/core/link/LinkWait.cpp",
     "if (turn.waiting > 0 && !turn.yields) {", "!turn.yields", "turn.yields"),
    ("the reply wait spins", "src/core/link/LinkWait.cpp",
     "        pump_.waitForEvents(deadline);",
     "pump_.waitForEvents(deadline)", "pump_.processEvents()"),
    ("link unknown echo code taken as foreign", "src/core/link/ReplyMatch.cpp",
     "if (foreignCode && isEchoedCommand(word1)) return false;",
     "foreignCode && isEchoedCommand(word1)", "foreignCode"),
    ("echo without sync word and of a foreign code taken", "src/core/link/ReplyMatch.cpp",
     "return kind == kReplyEcho && !(foreignCode",
     " && !(foreignCode && frameWord(frame, 0) != kSyncWord)", ""),
    ("port map name with a comment character written", "src/core/link/SerialAdapters.cpp",
     "back.devicePath(1) == device) return {};", "back.devicePath(1) == device", "true"),
    ("port map name with a carriage return written", "src/core/link/SerialAdapters.cpp",
     "if (c.unicode() < 0x20 || c.unicode() == 0x7F)", "c.unicode() < 0x20 || ", ""),
    ("roll graph narrow lower margin", "src/core/measure/RollGraphPlan.cpp",
     "if (v < ymin) ymin = v - (l < 40 ? 60 : 100);", "(l < 40 ? 60 : 100)", "(l < 40 ? 100 : 60)"),
    ("roll graph held minimum at last pixel", "src/core/measure/RollGraphPlan.cpp",
     "if (r.minimumValue == pixelCount - 1) a = 1;", "pixelCount - 1", "pixelCount"),
    ("tolerance: a value on the upper limit taken as outside",
     "src/core/measure/ToleranceLimits.cpp",
     "return value >= limits.lower && value <= limits.upper;", "<= limits.upper", "< limits.upper"),
    ("tolerance in mm: the slope divided first", "src/core/measure/ToleranceLimits.cpp",
     "return static_cast<double>(pixels) * umSlope / 1024000.0;",
     "static_cast<double>(pixels) * umSlope / 1024000.0", "pixels * (umSlope / 1024000.0)"),
    ("tolerance in mm: multiplied in 32 bits", "src/core/measure/ToleranceLimits.cpp",
     "return static_cast<double>(pixels) * umSlope / 1024000.0;",
     "static_cast<double>(pixels) * umSlope", "static_cast<double>(pixels * umSlope)"),
    ("run silent from the first request ends as a stop", "src/core/measure/MeasureLoops.cpp",
     "        s.stopFlag = kStopRunTimeout;", "kStopRunTimeout", "kStopByUser"),
    ("video failed-cycle limit off by one", "src/core/measure/MeasureLoops.cpp",
     "++failedInARow_ == failedCycleLimit", "== failedCycleLimit", "== failedCycleLimit + 1"),
    ("model 102/20500 fw316+ hw type 1", "src/core/model/ModelTable.cpp",
     "{102, 20500, Fw::From316,", "Target::RamEnabled, 3}", "Target::RamEnabled, 1}"),
    ("parameter check lets any range through", "src/core/params/ParamFile.cpp",
     "if (*value < low || *value > high)", "*value < low || *value > high", "false"),
    ("parameter check teach value up to the pixel count", "src/core/params/ParamFile.cpp",
     "high = pixelCount - 1;", "pixelCount - 1", "pixelCount"),
    ("parameter check 16-bit field takes negatives", "src/core/params/ParamFile.cpp",
     "const long long widthLow = f.field32 != nullptr ? kInt32Min : 0;", ": 0;", ": kInt32Min;"),
    ("unreadable parameter key not reported", "src/core/params/ParamFile.cpp",
     "        if (!value) {", "!value", "false"),
    ("E-BEG last pixel off by one", "src/core/params/ParamSet.cpp",
     "if (f.value > lastPixel) f = {lastPixel - 1, true};",
     "f.value > lastPixel", "f.value >= lastPixel"),
    ("upper tolerance clamp", "src/core/params/ParamSet.cpp",
     "if (teachValue + upper > pixelCount)",
     "pixelCount - teachValue - 1", "pixelCount - teachValue"),
    ("lower tolerance clamp", "src/core/params/ParamSet.cpp",
     "if (lower > teachValue)", "std::max(teachValue - 1, 0)", "std::max(teachValue, 0)"),
    ("E-END below first pixel", "src/core/params/ParamSet.cpp",
     "if (f.value < firstPixel) f = {firstPixel + 1, true};", "firstPixel + 1", "firstPixel"),
    ("filter type range", "src/core/params/ParamSet.cpp",
     "{&P::filterType, 0, 64, 0, 2},", "0, 64,", "0, 63,"),
    ("applyRanges pixel-count bounds one short", "src/core/params/ParamSet.cpp",
     "return bound == kPixelCount ? pixelCount : bound;", "? pixelCount :", "? pixelCount - 1 :"),
    ("stop signal action not run on the main thread", "src/core/process/StopSignals.cpp",
     "if (g_action) g_action(g_received.load());", "g_action(g_received.load())", "(void)0"),
    ("recorder file not locked", "src/core/record/RecorderDataFile.cpp",
     "return ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;",
     "::flock(fd, LOCK_EX | LOCK_NB) != 0", "false"),
    ("recorder appends to a moved or replaced file", "src/core/record/RecorderDataFile.cpp",
     "if (!unchanged.ok) return unchanged;", "if (!unchanged.ok) return unchanged;",
     "(void)unchanged;"),
    ("recorder misses another program's writes", "src/core/record/RecorderDataFile.cpp",
     "if (held.st_size != written_)", "held.st_size != written_", "false"),
    ("recorder short write not cut back", "src/core/record/RecorderDataFile.cpp",
     "if (::ftruncate(fd_, written_) != 0)", "::ftruncate(fd_, written_) != 0", "false"),
    ("recorder write gives no reason", "src/core/record/RecorderDataFile.cpp",
     'QStringLiteral("Cannot write to data file %1: ") + systemReason(error);',
     "systemReason(error)", 'QStringLiteral("Unknown error")'),
    ("recorder column", "src/core/record/RecorderFile.cpp",
     "out += QByteArray::number(leftEdge);", "leftEdge", "rightEdge"),
    ("recording's first sample at once", "src/core/record/RecordingSession.cpp",
     "if (now - last >= plan.step) {", "now - last >= plan.step",
     "count_ == 0 || now - last >= plan.step"),
    ("recording asks one sample too many", "src/core/record/RecordingSession.cpp",
     "        if (count_ >= plan.samples) {", "count_ >= plan.samples", "count_ > plan.samples"),
    ("a stopped recording reported as completed", "src/core/record/RecordingSession.cpp",
     "return s.stopFlag == kStopRecordTimeout ? RecordEnd::TimedOut : RecordEnd::Stopped;",
     ": RecordEnd::Stopped;", ": RecordEnd::Completed;"),
    ("slope rounded", "src/core/sensorfn/Calibration.cpp",
     "return truncateToUint32(1024.0 * slope);",
     "(1024.0 * slope)", "(std::round(1024.0 * slope))"),
    ("calibration frame word order", "src/core/sensorfn/Calibration.cpp",
     "dataWords[0] = static_cast<std::uint16_t>(values.umSlope & 0xFFFFu);",
     "values.umSlope & 0xFFFFu", "values.umSlope >> 16"),
    ("calibration offset bias", "src/core/sensorfn/Calibration.cpp",
     "return truncateToUint32(32767.0 + offset);", "32767.0", "32768.0"),
    ("calibration line on show kept after a new point", "src/core/sensorfn/Calibration.h",
     "        shown = {};", "shown = {};", ";"),
    ("X-FLASH cleared after a stop request", "src/core/sensorfn/FlashWrite.cpp",
     "if (stopHere()) return outcome;", "if (stopHere()) return outcome;", ""),
    ("X-FLASH block written after a stop request", "src/core/sensorfn/FlashWrite.cpp",
     "        if (stopHere()) return outcome;", "if (stopHere()) return outcome;", ""),
    ("flash block count", "src/core/sensorfn/LinearisationTable.cpp",
     "for (int page = 0; page < pages; ++page) {", "page < pages", "page < pages - 1"),
    ("flash value beyond 16 bits taken", "src/core/sensorfn/LinearisationTable.cpp",
     "if (value < kLinFileMin || value > kLinFileMax) {",
     "value < kLinFileMin || value > kLinFileMax", "false"),
    ("flash values after the 2048th ignored", "src/core/sensorfn/LinearisationTable.cpp",
     "if (count == kXFlashTableWords) {", "count == kXFlashTableWords", "false"),
    ("flash file read only up to its table", "src/core/sensorfn/LinearisationTable.cpp",
     "    while (true) {", "while (true)", "while (count < tableSize)"),
    ("sim dummy frame uses up a fault rule", "src/sim/Faults.cpp",
     "if (!replying && it->fault != Fault::HangUp) continue;", "!replying && ", "false && "),
    ("sim rule without a count used once", "src/sim/Faults.cpp",
     "if (it->count > 0 && --it->count == 0) rules_.erase(it);",
     "it->count > 0 && --it->count == 0", "it->count <= 0 || --it->count == 0"),
    ("sim reply does not wait for the one before", "src/sim/LineSchedule.cpp",
     "item.start = std::max(at, lineFree_);", "std::max(at, lineFree_)", "at"),
    ("sim last byte of a reply batched late", "src/sim/LineSchedule.cpp",
     "return std::min(head.dueOf(head.sent) + kBatch, head.dueOf(last));",
     "std::min(head.dueOf(head.sent) + kBatch, head.dueOf(last))",
     "head.dueOf(head.sent) + kBatch"),
    ("sim X-FLASH block beyond its page written", "src/sim/SensorLogic.cpp",
     "if (page < kXFlashPages && offset + 8 <= kXFlashPageWords) {", "offset + 8 <=", "offset <="),
    ("sim RS-232 mode 4 not recorder mode", "src/sim/SensorLogic.cpp",
     "return mode == 1 || mode == 4;", " || mode == 4", ""),
    ("sim threshold array selector", "src/sim/SensorLogic.cpp",
     "thresholds_[selector == 2 ? 1 : 0]", "selector == 2", "selector == 1"),
    ("sim calibration slope high word", "src/sim/SensorLogic.cpp",
     "params_.setCalibration(r.data[0] | (static_cast<std::uint32_t>(r.data[1]) << 16),",
     "r.data[1]) << 16", "r.data[0]) << 16"),
    ("sim serial numbers not counted up", "src/sim/SimOptions.cpp",
     "c.serial = static_cast<std::uint16_t>(serialBase + i);", "serialBase + i", "serialBase"),
    ("sim faults not cleared", "src/sim/VirtualSensor.cpp",
     "d_->faults.clear();", "d_->faults.clear();", "(void)d_->faults;"),
    ("accessible action toggles without a click", "src/ui/AccessibleButton.cpp",
     "button()->animateClick();  // nothing on a dimmed button", "animateClick()", "toggle()"),
    ("commit inside the left-click callback", "src/ui/EventRouter.cpp",
     "p->completion = std::move(complete);", "p->completion = std::move(complete);", "complete();"),
    ("Enter presses no button", "src/ui/EventRouter.cpp",
     "return (e->key() == Qt::Key_Return ||", "Qt::Key_Return", "Qt::Key_Escape"),
    ("graph axis takes the finer tick interval first", "src/ui/GraphView.cpp",
     "if (step >= axis->tickInterval()) {", ">=", "<"),
    ("ring value without item shows no number", "src/ui/PlatformControls.cpp",
     "combo->setPlaceholderText(index < 0 ?", "QString::number(value) :", "QString() :"),
    ("slider readout not updated by a value from code", "src/ui/PlatformControls.cpp",
     "if (SliderReadout* r = readoutOf(w)) r->sync();", "r->sync();", "(void)r;"),
    ("unknown callback reported as unreadable layout", "src/ui/PlatformPanels.cpp",
     "return kUnknownCallback;", "kUnknownCallback", "kLayoutUnreadable"),
]

UNIT = ["unit_ini_tests", "unit_files_tests", "unit_params_tests", "unit_mplex_tests",
        "unit_model_tests", "unit_record_tests", "unit_sensorfn_tests", "unit_link_tests",
        "unit_measure_tests", "unit_monitor_tests", "unit_serve_tests", "unit_sim_tests"]


def programs_for(rel):
    """The test programs that can see a fault in this file, cheapest first."""
    if rel.startswith("src/app/"):
        return ["app_tests"]
    if rel.startswith("src/ui/"):
        return ["platform_tests", "app_tests"]
    if rel.startswith("src/cli/"):
        return ["cli_tests"]
    return UNIT + ["integration_tests", "cli_tests", "app_tests"]


def run(cmd, cwd, log):
    with open(log, "ab") as f:
        return subprocess.run(cmd, cwd=cwd, stdout=f, stderr=subprocess.STDOUT,
                              shell=True).returncode


def try_mutant(root, build, out, index, mutant):
    name, rel, anchor, old, new = mutant
    path = root / rel
    text = path.read_text(encoding="utf-8")
    lines = text.split("\n")
    hits = [i for i, line in enumerate(lines) if anchor in line]
    if not hits or old not in lines[hits[0]]:
        return "NOT APPLIED"
    i = hits[0]
    lines[i] = lines[i].replace(old, new, 1)
    log = out / f"{index:02d}.log"
    log.write_text(f"{name}\n{rel}:{i + 1}: {lines[i].strip()}\n")
    progs = programs_for(rel)
    try:
        path.write_text("\n".join(lines), encoding="utf-8")
        if run(f"ninja -C {build} {' '.join(progs)}", root, log) != 0:
            return "BUILD ERROR"
        for prog in progs:
            exe = build / "bin" / prog
            if exe.exists() and run(f"QT_QPA_PLATFORM=offscreen timeout 900 {exe} "
                                    f"--gtest_fail_fast --gtest_brief=1", build / "bin", log) != 0:
                return f"caught by {prog}"
        return "MISSED"
    finally:
        path.write_text(text, encoding="utf-8")


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--build", default=str(root / "build"))
    ap.add_argument("--out", default=str(root / "build" / "mutation"))
    ap.add_argument("--under", action="append", default=[])
    ap.add_argument("words", nargs="*")
    args = ap.parse_args()
    build = pathlib.Path(args.build).resolve()
    out = pathlib.Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    words = [w.lower() for w in args.words]
    verdicts = []
    for index, mutant in enumerate(MUTANTS, 1):
        if words and not any(w in mutant[0].lower() for w in words):
            continue
        if args.under and not any(mutant[1].startswith(u.rstrip("/") + "/") for u in args.under):
            continue
        start = time.time()
        verdict = try_mutant(root, build, out, index, mutant)
        verdicts.append(verdict)
        print(f"{index:2d} {mutant[0]}: {verdict} ({time.time() - start:.0f} s)", flush=True)
    run(f"ninja -C {build}", root, out / "restore.log")
    caught = sum(v.startswith("caught") for v in verdicts)
    print(f"caught {caught} of {len(verdicts)}")
    return 0 if caught == len(verdicts) else 1


if __name__ == "__main__":
    sys.exit(main())
