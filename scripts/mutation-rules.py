#!/usr/bin/env python3
"""Plants one-line faults by rule, not by list, and tells which ones the tests catch.

Over src/core and src/cli (or the folders given), every line of code gets each fault a rule
finds in it, one at a time:
  compare   a comparison turned over at its boundary: < and <=, > and >=, == and !=
  logic     && and || swapped
  constant  a whole number in a condition (if, while, for, ?:, a returned comparison) plus one
  call      a statement that is only a call, dropped
Comments and string literals are left alone; so are preprocessor lines. Faults judged
equivalent (EQUIVALENT below, each with its reason) are named but not tried, and left out of
the share. Each fault is put into
the source, the test programs that cover its folder are rebuilt and run (scripts/
mutation-check.py's choice), and the file is restored whatever happens. A fault counts as caught
when a test program fails; one that does not build is left out of the share.

    scripts/mutation-rules.py [--build DIR] [--list] [--sample N] [--seed S] [FOLDER ...]

--list prints the faults and their count per folder without building anything. --sample N tries
N faults drawn at random (seeded) from all of them, for an estimate of the share; a whole run is
hours on two cores. Prints one line per fault, the share caught per folder and every fault that
got through, with file and line."""
import argparse
import collections
import importlib.util
import pathlib
import random
import re
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
_spec = importlib.util.spec_from_file_location("mutation_check", ROOT / "scripts" / "mutation-check.py")
check = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(check)

SWAPS = {"compare": [(" < ", " <= "), (" <= ", " < "), (" > ", " >= "), (" >= ", " > "),
                     (" == ", " != "), (" != ", " == ")],
         "logic": [(" && ", " || "), (" || ", " && ")]}
CONDITION = re.compile(r"\b(if|while|for)\s*\(|\?|\breturn\b.*( [<>]=? | [=!]= )")
NUMBER = re.compile(r"(?<![\w.])(\d+)(?![\w.'])")
CALL_ONLY = re.compile(r"^\s*[A-Za-z_][\w:]*(\.|->|::)?[\w.>:-]*\([^;]*\);\s*$")
NOT_A_CALL = re.compile(r"^\s*(return|if|while|for|switch|case|else|delete|throw)\b")

# Faults judged equivalent by reading: the program behaves the same with them, so no test can
# tell. (file, site: the text on the line the fault falls in, the fault as "old -> new" or None
# for every fault the rules find in the site, why[, a text the next line holds, where the site
# alone is found on other lines too]). They are listed, not tried, and left out of the share.
EQUIVALENT = [
    ("src/core/link/ComPort.cpp", "fd < 0", None, "descriptor 0 is never a serial device"),
    ("src/core/ini/FileRead.cpp", "fd < 0", None, "descriptor 0 is never a file opened here"),
    ("src/core/record/RecorderDataFile.cpp", "fd < 0", None,
     "descriptor 0 is never a file opened here"),
    ("src/core/record/RecorderTime.cpp", "total > std::numeric_limits<std::int32_t>::min()",
     "> -> >=", "a sample count times a positive step is never the lowest 32-bit number"),
    ("src/core/record/RecorderTime.cpp", "total > std::numeric_limits<std::int32_t>::max()",
     "> -> >=", "at the highest 32-bit number both ways give that number"),
    ("src/core/record/RecordingSession.cpp", "ports.flushInThenOut(plan.port);", None,
     "every exchange empties the input queue before it writes its request, so bytes left after "
     "a recording reach no reply"),
    ("src/cli/Args.cpp", "startsWith(QLatin1String(\"--\")) && eq > 0", "> -> >=",
     "an argument that starts with -- never has its = at 0"),
    ("src/cli/Args.cpp", "startsWith(QLatin1String(\"--\")) && eq > 0", "0 -> 1",
     "an argument that starts with -- has its = at 2 or later, or none"),
    ("src/cli/main.cpp", "QCoreApplication::setApplicationName(QStringLiteral(\"korvo\"));", None,
     "Qt names the application after its program file, which is korvo"),
    ("src/core/link/ComPort.cpp", "queued < 0", None,
     "only a retry that queued nothing differs, and both end the write short"),
    ("src/core/link/ComPort.cpp", "count > 0", "> -> >=",
     "a write of no bytes queues nothing either way"),
    ("src/core/process/StopSignals.cpp", "g_pipe[0] < 0", "< -> <=",
     "the pipe never gets descriptor 0"),
    ("src/core/monitor/LineMonitor.cpp", "p->joinAt < soonest", "< -> <=",
     "a tie picks the same time"),
    ("src/core/monitor/LineMonitor.cpp", "if (soonest >= 0.0)", ">= -> >",
     "soonest is 0 only for a port due since the clock started, and such a port is joined "
     "instead"),
    ("src/core/link/QtPump.cpp", "impl_->wakeUpAt > wakeUpAt", "> -> >=",
     "a timer armed for the same time is only armed again for it: the same wake-up"),
    ("src/core/link/QtPump.cpp", "left <= 0.0 || dispatcher == nullptr", "<= -> <",
     "with no time left the timer is armed for 0 ms and fires at once: one pass of events, as "
     "processEvents"),
    ("src/core/monitor/LineMonitor.cpp", "framesReceived() : 0", "0 -> 1",
     "a request only goes out on a port a join opened"),
    ("src/core/monitor/LineMonitor.cpp", ") != kFrameBytes", "!= -> ==",
     "a short write happens on a port that closed: the reply time-out that follows finds it "
     "closed and loses it the same way, one reply time later"),
    ("src/core/link/NetPort.cpp", "socket_->flush();", None,
     "at close: every write was flushed at once, so only bytes the system had no room for can "
     "still wait, and a flush right before the abort seldom places them either",
     "socket_->abort();"),
    ("src/core/link/NetPort.cpp", "socket_->flush();", None,
     "after the telnet opening: the negotiation's wait right behind runs the event loop at once, "
     "where the socket writes what it holds; the flush only writes it before that first pass",
     "return negotiate(where, why, closed);"),
    ("src/core/serve/MqttClient.cpp", "POLLOUT : 0", "0 -> 1",
     "POLLIN is 1 on Linux, so POLLIN | 1 asks poll for the same events as POLLIN alone"),
    ("src/core/link/PortMap.cpp", "comment >= 0", None,
     "only a comment sign at the very start of a line differs: kept, it still starts the line, "
     "which then matches no COMn = line and is passed over all the same"),
    ("src/core/link/QtPump.cpp", "setTimerType(Qt::PreciseTimer);", None,
     "a coarse timer ends a wait up to 5 % of it later: slower, the same outcome"),
    ("src/core/link/QtPump.cpp", "setSingleShot(true);", None,
     "a repeating wake-up timer only wakes the dispatcher more often; every wait still ends by "
     "its deadline"),
    ("src/core/link/LinkWait.cpp", "turn.waiting > 0 && turn.yields", "&& -> ||",
     "a wait that does not yield never reads the flag, and the exchanges that take a port from "
     "a loop end by resuming it; only an exchange refused as busy inside another one differs, "
     "and the loop then asks once more instead of waiting for its answer"),
    ("src/core/link/LinkWait.cpp", "pump_.now() - start > limit", "> -> >=",
     "two clock readings a whole limit apart are never exactly equal"),
    ("src/cli/PortSession.cpp", "arrived.notify_one();", None,
     "only slower: the main thread wakes every 0.1 s anyway and runs what was posted then"),
    ("src/cli/Args.cpp", "positionals.size() < rule->positionals", "< -> <=",
     "asked only when the counts differ, so never with equal ones"),
    ("src/core/serve/MqttClient.cpp", "::poll(&fd, 1, milliseconds) <= 0", "<= -> <",
     "a time-out then reads the non-blocking wake-up counter for nothing; the one caller ignores "
     "the answer and looks at the clock and the stop flag"),
    ("src/cli/Output.cpp", "i < cells.size() && i <", None,
     "every held table's rows have one cell per column (resultCells, the port and difference "
     "rows), so both bounds end the loop at the same index"),
    ("src/cli/Output.cpp", "i < static_cast<int>(columns_.size()) ? columns_[i].width", "< -> <=",
     "as for held tables above: every row a command prints has one cell per column it set, so "
     "no cell stands beyond the columns"),
    ("src/cli/Output.cpp", "columns_[i].width : 0;", "0 -> 1",
     "the width for a cell beyond the columns: there is none, see above"),
    ("src/cli/Output.cpp", "for (int i = 0; i < cells.size() && i <", "0 -> 1",
     "no held table's first cell is wider than its column to begin with: PORT is 6 wide for "
     "COM1..COM255, KEY 18 for the longest key"),
    ("src/cli/Args.cpp", "colon >= 0 ? value.left(colon)", ">= -> >",
     "at 0 the host is empty either way, and refused"),
    ("src/cli/Args.cpp", "colon >= 0 ? value.left(colon)", "0 -> 1",
     "as for >= to >: only a colon at 0 differs, and there the host is empty either way"),
    ("src/cli/Output.cpp", "barStart_ < 0.0", "< -> <=",
     "the steady clock, counted from the system's start, never reads 0 while a program runs"),
    ("src/cli/Output.cpp", "now - barStart_ < kBarDelay", "< -> <=",
     "the clock's seconds are a double: a call exactly 1 s after the first is not to be had, and "
     "would only put the drawing off by one call"),
    ("src/cli/Output.cpp", "now - barDrawn_ < kBarInterval", "< -> <=",
     "as above, exactly 0.1 s after the last drawing"),
    ("src/cli/Output.cpp", "total > 0 && done >= total", "&& -> ||",
     "the bar is then redrawn at every step instead of at most ten times a second; what it "
     "shows is the same"),
    ("src/cli/Output.cpp", "total > 0 && done >= total", "> -> >=",
     "only a total not yet known (0) differs: the count alone is then redrawn at every step, "
     "as above; what it shows is the same"),
    ("src/cli/Output.cpp", "std::fflush(stderr);", None,
     "standard error is unbuffered: every write has gone out already"),
    ("src/cli/PortSession.cpp", "ports.clear();", None,
     "every caller hands in a vector it has just declared, empty"),
    ("src/cli/Output.cpp", "heldRows_.clear();", None,
     "a vector moved from by construction is empty, as the standard library guarantees"),
    ("src/cli/Output.cpp", "    endTable();", None,
     "every command ends its held table itself (printPortRows, runOnPorts' caller, backup, "
     "compare, log) before another begins; the other tables are streamed and hold no rows"),
    ("src/cli/Output.cpp", "std::fflush(stdout) != 0 || std::ferror(stdout) != 0", "|| -> &&",
     "every write to standard output goes through writeOut, which checks its own fwrite and "
     "fflush: the error indicator is never set unnoticed, and a failing fflush sets it"),
    ("src/cli/Output.cpp", "wipeProgress();", None,
     "a bar is drawn only by the tick of runOnPorts' wait, before the row it waits for; after "
     "the last row comes endTable, and the row or the held table goes out through writeOut, "
     "which wipes the bar first: the same bytes in the same order", "barStart_ = -1.0;"),
    ("src/core/link/LinkWait.cpp", "pump_.processEvents();", None,
     "the wait at the end of the loop runs what is pending without sleeping and the loop looks "
     "again; the first look can only find fewer bytes, and no deadline has passed by then",
     "const int queued = ports_.inQLen(port);"),
    ("src/core/link/SensorLink.cpp", "pump_.processEvents();", None,
     "both kinds of port hand a frame to the system inside write(), and whatever comes next (an "
     "exchange, a close, the window's loop) runs the pending events itself; the pass only runs "
     "them a moment earlier"),
    ("src/cli/Args.cpp", "ports.clear();", None,
     "the one caller parses once, into the list of an Options just made, which is empty"),
    ("src/cli/Commands.cpp", "s.identity.serialNumber != 0", "!= -> ==",
     "a write, and so its row, begins only after the sensor was accepted: the verdict decides "
     "alone"),
    ("src/cli/LineRun.cpp", "done || Interrupt::requested()", "|| -> &&",
     "both callers come with done false, and no event pass runs between the signals' install and "
     "the loop: a signal before it leaves its byte in the pipe, and the loop's first wait runs "
     "the action set just before, which ends the loop"),
    ("src/cli/LineRun.cpp", "Interrupt::onRequest({});", None,
     "after the run only the command's closing steps wait on the event loop, while the flag the "
     "action sets still lives; then the command returns and korvo ends"),
    ("src/cli/Interrupt.cpp", "StopSignals::onSignal({});", None,
     "the action is cleared only after a line run (LineRun.cpp) and a video (CmdMeasure.cpp), "
     "and both calls are listed as equivalent: a stale action runs only in an event pass, those "
     "come only inside the command, where what it sets still lives and its loop has ended"),
    ("src/cli/CmdMeasure.cpp", "Interrupt::onRequest({});", None,
     "after the video only printing follows, with no event pass, while the session the action "
     "sets its stop flag on still lives; then the command returns and korvo ends"),
    ("src/cli/CmdWatch.cpp", "tick.stop();", None,
     "the timer dies with its scope before the event loop runs again"),
    ("src/core/sensorfn/LinearisationTable.cpp", "index >= 0 && index <", "&& -> ||",
     "the program asks only for blocks inside the table; the guard is for other callers"),
    ("src/core/ini/IniFile.cpp", "close > 0", None,
     "a header starts with [, so ] is never at 0, and at 1 the name is empty either way"),
    ("src/core/ini/IniFile.cpp", "end + 1 < size", "1 -> 2",
     "a CR LF at the very end then reads as a lone CR and an empty line, which holds nothing"),
    ("src/core/serve/MqttClient.cpp", "connack > 0", "0 -> 1",
     "CONNACK code 1 (a protocol version the broker refuses) is then \"not reached\" instead of "
     "\"refused\"; mosquitto speaks the version asked for"),
    ("src/core/serve/MqttClient.cpp", "mosquitto_max_inflight_messages_set", None,
     "the library's own limit of 20 messages in flight only slows a burst"),
    ("src/core/serve/MqttClient.cpp", "mosq_ == nullptr || wakeFd_ < 0", "|| -> &&",
     "only an allocation or descriptor failure at start differs"),
    ("src/core/link/ComPort.cpp", "broken_ || !onNet_", "|| -> &&",
     "a network port hears of a connection's end once, and only of its open connection: a "
     "released or failed one reports nothing, and an opening that works clears broken_ first"),
    ("src/core/link/ComPort.cpp", "serial_->clearError();", None,
     "QSerialPort::open clears the error before it opens; the error is read only after an "
     "opening failed and in its own report"),
    ("src/core/record/RecorderDataFile.cpp", "fd >= 0", None,
     "descriptor 0 is never a file opened here"),
    ("src/core/link/IdentifySensor.cpp", "fallBack && hardware.profile->infoLines[0]", "0 -> 1",
     "a fall-back profile holds all four lines"),
    ("src/core/serve/MqttClient.cpp", "level == MOSQ_LOG_ERR && text != nullptr", "&& -> ||",
     "the kept line is read only after a TLS failure, and libmosquitto logs OpenSSL's error last "
     "before that attempt returns"),
    ("src/core/audit/AuditLog.cpp", "sql, -1,", "1 -> 2",
     "any negative length makes SQLite read the statement to its end"),
    ("src/core/link/PortRefusal.cpp", "folders.removeDuplicates();", None,
     "a folder in the list twice is only looked in twice: the first lock found ends the search"),
    ("src/core/serve/MqttClient.cpp", "mosquitto_int_option(mosq_, MOSQ_OPT_TCP_NODELAY", None,
     "without it the system may hold a small packet back until the last one is acknowledged: "
     "later, never other or fewer bytes; the delay is bench_serve's figure"),
    ("src/core/link/ComPort.cpp", "serial_->clear(QSerialPort::Output);", None,
     "not to be seen on a pseudo-terminal, whose driver takes each frame at once while the "
     "virtual sensor reads: nothing is left unsent to drop. On a real line it drops what an "
     "earlier request left unsent"),
    ("src/core/link/LinkIdentify.cpp", "ports_.flushOut(port);", None,
     "as serial_->clear(QSerialPort::Output) in ComPort.cpp: before the firmware request, "
     "nothing an earlier request left unsent is there to drop on a pseudo-terminal",
     "data_.link.commandCode = 7;"),
    ("src/cli/Commands.cpp", "out.endProgress();", None,
     "every port's job ends with its row, and writing a row or a held table (endTable, next) "
     "wipes the bar first; korvo runs one port command, so no later bar needs its clock reset"),
    ("src/core/record/RecorderDataFile.cpp", "n < 0 && errno == EINTR", "0 -> 1",
     "only a write that returns 0 differs, and a write of at least one byte to a regular file "
     "returns the bytes it took or -1"),
    ("src/core/record/RecorderDataFile.cpp", "n < 0 && errno == EINTR", "< -> <=",
     "the same test as n < 1: see there"),
    ("src/core/serve/MqttClient.cpp", "wakeFd_ < 0", "0 -> 1",
     "descriptor 0 is never the wake-up counter: standard input holds it"),
    ("src/core/process/StopSignals.cpp", "g_pipe[0] < 0", "0 -> 1",
     "the window and korvo each install once, with no pipe yet: both ends are -1 then; a "
     "second install would find both open, and neither is descriptor 0 while standard input "
     "is open"),
    ("src/core/params/ParamFile.cpp", "return a.line < b.line;", "< -> <=",
     "each key of a file sits on a line of its own and a key found twice keeps its first line, "
     "so no two problems share a line"),
    ("src/core/record/RecordingSession.cpp", "if (kind < 0)", None,
     "an answer's reply kind is 1, 8 or 18, never 0, so below 0 and below 1 agree"),
    ("src/cli/CmdServe.cpp", "monitor.stop();", None,
     "the monitor's destructor stops it as cmdServe returns, and no event pass runs between"),
    ("src/cli/CmdWatch.cpp", "monitor.stop();", None,
     "as in CmdServe.cpp: the LineRun that holds the monitor goes as cmdWatch returns, and its "
     "monitor's destructor stops it; no event pass runs between"),
    ("src/cli/PortSession.cpp", "        action();", None,
     "every command that posts (a write's audit failure, run and record lines) works its ports "
     "through runOnPorts, which sets toMain; those with a session of their own (video, get to "
     "standard output, diff) post nothing", "    }"),
    ("src/core/ini/FileRead.cpp", "errno == EINTR || errno == EAGAIN", None,
     "poll has said the descriptor is ready, so the read neither waits (no signal can cut it "
     "short) nor, without a second reader of the same pipe, finds nothing"),
    ("src/core/monitor/LineMonitor.cpp", "if (!p.awaiting || p.released || stopped_) return;",
     None, "the reply timer runs exactly while a request is awaited: the answer, a release, a "
     "loss and the stop each clear awaiting and stop it, and no request goes out on a released "
     "or stopped port, so its time-out never comes for such a port", "p.awaiting = false;"),
    ("src/core/serve/ServeReport.cpp", "v.samples > 0 ? static_cast<double>", "> -> >=",
     "n divides only where at least one sample was taken, and there it is the sample count"),
    ("src/core/serve/ServeReport.cpp", "v.samples > 0 ? static_cast<double>", "0 -> 1",
     "one sample divides by 1 either way"),
    ("src/core/link/LinkBlocks.cpp", "queued > 0 ? ports_.read", "> -> >=",
     "a read of 0 bytes returns nothing and takes nothing, on a serial line and a network port"),
    ("src/core/link/LinkIdentify.cpp", "queued > 0 ? ports_.read", "> -> >=",
     "a read of 0 bytes returns nothing and takes nothing, on a serial line and a network port"),
    ("src/core/link/LinkBlocks.cpp", "queued > 0 ? ports_.read", "0 -> 1",
     "only one byte queued differs: read or left, it is no block of 64, the status comes from "
     "the time-out or the broken line alike, and the run ends there and flushes what is left"),
    ("src/core/link/LinkIdentify.cpp", "queued > 0 ? ports_.read", "0 -> 1",
     "not truly equivalent: a firmware reply of exactly one byte fails the identification "
     "either way, and only its one character shown as the firmware text differs; the virtual "
     "sensor sends no reply that stops after one byte"),
    ("src/cli/Output.cpp", "drawnLines_ > 0 ?", "0 -> 1",
     "only a table drawn with one line before differs, and none is: the one redrawn table, "
     "watch's, has its titles and a line for each of its ports, and a watch has one port at least"),
    ("src/core/link/NetPort.cpp", "takeIn() && phase_ == Phase::Open", "&& -> ||",
     "the signal's one receiver acts only with the receive callback on and a whole frame queued: "
     "opening turns the callback off, each pass takes every whole frame, and every switch back "
     "on has a flush beside it with no event pass between, so a signal without new data, or during "
     "the negotiation, finds no frame and does nothing"),
    ("src/core/link/LinkIdentify.cpp", "setStatus(failText(port, QStringLiteral(\"Timeout-RS-232",
     None, "the text is set, not shown, and both callers (the connection and the identification) "
     "put \"Error reading HARDWARE-info!\" in its place at once"),
    ("src/core/link/LinkOpen.cpp", "ports_.flushIn(port);", None,
     "every exchange empties the input queue before it writes its request, and the recorder "
     "before it reads, so bytes left here reach no reply; after an opening a second flush stands "
     "beside it, and after a baud change the close drops what a serial port held",
     "ports_.flushOut(port);"),
    ("src/core/serve/MqttClient.cpp", "rc == MOSQ_ERR_TLS && !lastError_.isEmpty()", "&& -> ||",
     "libmosquitto writes an error-level log line with a TLS failure, which returns "
     "MOSQ_ERR_TLS; with the fault built, a refused connection, a broker lost and TLS against a "
     "plain listener give the same texts as without it, tried by hand"),
    ("src/core/record/RecordingSession.cpp", "ports.flushOut(plan.port);", None,
     "as serial_->clear(QSerialPort::Output) in ComPort.cpp: a pseudo-terminal's driver takes "
     "each request whole at once, so nothing is left unsent to drop; in mode 0 each request's "
     "own flush empties the output queue as well"),
    ("src/cli/Args.cpp", "positionals.clear();", None,
     "after help has taken its command no path counts the positionals: the help of a command, "
     "or of none, returns at once, and an unknown command is refused before the count"),
    ("src/cli/PortSession.cpp", "if (now >= nextTick) {", ">= -> >",
     "the steady clock counts nanoseconds and is read after the wait for nextTick has ended, so "
     "now is past it, not equal to it; were it equal, the wait until nextTick returns at once "
     "and the next pass ticks"),
    ("src/core/measure/MeasureLoops.cpp", "sensor_.ports().flushInThenOut(port);", None,
     "as the flush beside an opening: every exchange empties the input queue before it writes, "
     "and counts only frames that came after its request, so a late reply left here reaches no "
     "answer; the recorder empties it before it reads"),
    ("src/core/link/NetPort.cpp", "if (fd < 0) return;", None,
     "fd < 1 and fd <= 0 differ from fd < 0 only at descriptor 0; a socket is given it only "
     "when standard input was closed before it opened (a service started by the system has it "
     "open on /dev/null); only there would the fault "
     "leave out a quick acknowledgement or the early keepalive probes, and the connection "
     "still works and keeps the system's keepalive"),
] + [("src/core/monitor/LineMonitor.cpp", f"{p}replyTimer->stop();", None,
      "a reply timer left running (at a stop, a release, an answer or a lost line) finds its "
      "port not awaiting and does nothing: a port awaits only from the line before the timer's "
      "start, which begins it afresh") for p in ("p->", "p.")
] + [(path, site, change,
      "the program's one clock, QtPump's, counts seconds as a double that goes on between calls, "
      "so now() is never exactly the deadline; if it were, one more wait, for a deadline already "
      "reached, returns at once") for path, site, change in (
          ("src/core/link/Pump.cpp", "while (now() < deadline)", "< -> <="),
          ("src/core/link/NetPort.cpp", "if (pump.now() >= deadline) return false;", ">= -> >"))
] + [(path, site, None,
      "room set aside ahead only saves growing the container; it holds the same, and no pointer "
      "into it is kept across a growth") for path, site in (
          ("src/cli/Output.cpp", "out.reserve(text.size());"),
          ("src/cli/PortSession.cpp", "threads.reserve(ports.size());"),
          ("src/core/ini/FileRead.cpp", "r.bytes.reserve(expected + 1);"),
          ("src/core/link/Rfc2217.cpp", "out.reserve(count);"),
          ("src/core/monitor/LineMonitor.cpp", "out.reserve(ports_.size());"),
          ("src/core/serve/ServeReport.cpp", "out.reserve(static_cast<std::size_t>(count));"))
] + [("src/core/link/ComPort.cpp", f"serial_->{setting}", None,
      "a serial port starts with 8 data bits, no parity, one stop bit and no flow control, its "
      "opening applies what it holds, and nothing here sets other values")
     for setting in ("setDataBits(", "setParity(", "setStopBits(", "setFlowControl(")]


def equivalent(fault, lines):
    """Why the fault is equivalent, or None; lines: the file's lines."""
    rel, rule, n, col, old, new = fault
    for path, site, change, why, *after in EQUIVALENT:
        start = lines[n].find(site)
        if (path == rel and 0 <= start <= col < start + len(site)
                and change in (None, f"{old.strip()} -> {new.strip()}")
                and (not after or after[0] in (lines[n + 1:n + 2] or [""])[0])):
            return why
    return None


def code_mask(line):
    """The line with string and character literals and a trailing comment blanked out, so that
    rules only see code; positions stay as they are."""
    out, quote, i = [], None, 0
    while i < len(line):
        c = line[i]
        if quote:
            if c == "\\":
                out.append("  ")
                i += 2
                continue
            out.append(" " if c != quote else c)
            if c == quote:
                quote = None
        elif c in "\"'":
            quote = c
            out.append(c)
        elif line.startswith("//", i):
            out.append(" " * (len(line) - i))
            break
        else:
            out.append(c)
        i += 1
    return "".join(out)[: len(line)]


def faults_in(rel, text):
    """(rule, line index, column, old, new) for every fault the rules find in the file."""
    found, in_block, previous = [], False, ";"
    for n, line in enumerate(text.split("\n")):
        code = line
        if in_block:
            if "*/" not in code:
                continue
            code = " " * (code.index("*/") + 2) + code[code.index("*/") + 2:]
            in_block = False
        if "/*" in code:
            start = code.index("/*")
            in_block = "*/" not in code[start:]
            code = code[:start]
        code = code_mask(code)
        if code.lstrip().startswith("#") or not code.strip():
            continue
        for rule, pairs in SWAPS.items():
            for old, new in pairs:
                col = code.find(old)
                while col >= 0:
                    found.append((rule, n, col, old, new))
                    col = code.find(old, col + 1)
        if CONDITION.search(code):
            for m in NUMBER.finditer(code):
                found.append(("constant", n, m.start(), m.group(1), str(int(m.group(1)) + 1)))
        # A whole statement: the line before it ended one (or opened a block), and its brackets
        # close on the line.
        if (CALL_ONLY.match(code) and not NOT_A_CALL.match(code) and previous in ";{}:"
                and code.count("(") == code.count(")") and line.rstrip().endswith(";")):
            body = line.strip()
            found.append(("call", n, line.index(body), body, ";"))
        previous = code.rstrip()[-1:]
    return found


def all_faults(folders):
    faults = []
    for folder in folders:
        for path in sorted((ROOT / folder).rglob("*")):
            if path.suffix not in (".cpp", ".h"):
                continue
            rel = str(path.relative_to(ROOT))
            for f in faults_in(rel, path.read_text(encoding="utf-8")):
                faults.append((rel,) + f)
    return faults


def folder_of(rel):
    parts = rel.split("/")
    return "/".join(parts[:3]) if parts[1] == "core" else "/".join(parts[:2])


def try_fault(build, out, index, fault):
    rel, rule, n, col, old, new = fault
    path = ROOT / rel
    text = path.read_text(encoding="utf-8")
    lines = text.split("\n")
    line = lines[n]
    if line[col:col + len(old)] != old:
        return "NOT APPLIED"
    if why := equivalent(fault, lines):
        return f"EQUIVALENT: {why}"
    lines[n] = line[:col] + new + line[col + len(old):]
    log = out / f"{index:04d}.log"
    log.write_text(f"{rule}\n{rel}:{n + 1}: {lines[n].strip()}\n")
    progs = check.programs_for(rel)
    try:
        path.write_text("\n".join(lines), encoding="utf-8")
        if check.run(f"ninja -C {build} {' '.join(progs)}", ROOT, log) != 0:
            return "BUILD ERROR"
        for prog in progs:
            exe = build / "bin" / prog
            if exe.exists() and check.run(f"QT_QPA_PLATFORM=offscreen timeout 900 {exe} "
                                          f"--gtest_fail_fast --gtest_brief=1",
                                          build / "bin", log) != 0:
                return f"caught by {prog}"
        return "MISSED"
    finally:
        path.write_text(text, encoding="utf-8")


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--build", default=str(ROOT / "build"))
    ap.add_argument("--out", default=str(ROOT / "build" / "mutation-rules"))
    ap.add_argument("--list", action="store_true")
    ap.add_argument("--sample", type=int, default=0)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("folders", nargs="*", default=["src/core", "src/cli"])
    args = ap.parse_args()
    faults = all_faults(args.folders)
    if args.list:
        lines = {}
        for fault in faults:
            rel, rule, n, col, old, new = fault
            text = lines.setdefault(rel, (ROOT / rel).read_text(encoding="utf-8").split("\n"))
            why = equivalent(fault, text)
            print(f"{rel}:{n + 1}:{col + 1}: {rule}: {old.strip()} -> {new.strip()}"
                  + (f" (equivalent: {why})" if why else ""))
        per = collections.Counter(folder_of(f[0]) for f in faults)
        for folder, count in sorted(per.items()):
            print(f"{folder}: {count} faults")
        print(f"{len(faults)} faults in all")
        return 0
    if args.sample:
        faults = random.Random(args.seed).sample(faults, min(args.sample, len(faults)))
    build = pathlib.Path(args.build).resolve()
    out = pathlib.Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    tally = collections.defaultdict(lambda: [0, 0])  # folder: caught, tried
    missed = []
    for index, fault in enumerate(faults, 1):
        rel, rule, n, col, old, new = fault
        start = time.time()
        verdict = try_fault(build, out, index, fault)
        print(f"{index:4d} {rel}:{n + 1}: {rule} {old.strip()} -> {new.strip()}: {verdict} "
              f"({time.time() - start:.0f} s)", flush=True)
        if verdict in ("BUILD ERROR", "NOT APPLIED") or verdict.startswith("EQUIVALENT"):
            continue
        t = tally[folder_of(rel)]
        t[1] += 1
        if verdict.startswith("caught"):
            t[0] += 1
        else:
            missed.append(fault)
    check.run(f"ninja -C {build}", ROOT, out / "restore.log")
    for folder, (caught, tried) in sorted(tally.items()):
        print(f"{folder}: caught {caught} of {tried} ({100 * caught / max(tried, 1):.0f} %)")
    for rel, rule, n, col, old, new in missed:
        print(f"got through: {rel}:{n + 1}: {rule} {old.strip()} -> {new.strip()}")
    return 0 if not missed else 1


if __name__ == "__main__":
    sys.exit(main())
