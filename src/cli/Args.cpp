#include "cli/Args.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <set>

#include "core/serve/MqttEndpoint.h"

namespace korvo::cli {

namespace {

struct CommandRule {
    const char* name;
    const char* synopsis;
    int positionals;  // PORTS counts as one
    bool severalPorts;
    std::set<QString> options;  // besides the common ones
    const char* text;
};

const std::vector<CommandRule>& commands() {
    static const std::vector<CommandRule> rules = {
        {"ports",
         "korvo ports [--probe | --write-map [--serial-dir DIR]]",
         0,
         false,
         {"--probe", "--write-map", "--serial-dir"},
         "Lists the COM numbers the port map names, with their devices. With --probe, each\n"
         "port is opened and gets the line check and the identification of `korvo identify`.\n"
         "With --write-map, the serial adapters plugged in now are added to the port map under\n"
         "their stable names (/dev/serial/by-id, else by-path), which survive a replug: each\n"
         "adapter the map does not name yet gets the next COM number after the highest one in\n"
         "the map. Lines already in the map stay as they are. --serial-dir scans DIR/by-id and\n"
         "DIR/by-path instead of /dev/serial.\n"},
        {"identify",
         "korvo identify PORTS",
         1,
         true,
         {},
         "Line check, firmware text, hardware information and the verdict the scope window\n"
         "would reach: accepted (with the model's designation) or refused (with the reason).\n"
         "Several ports are worked at the same time.\n"},
        {"get",
         "korvo get PORTS --from ram|eeprom [-o FILE] [--force]",
         1,
         true,
         {"--from", "-o", "--force"},
         "Reads both parameter halves from the sensor's RAM or EEPROM and writes them as a\n"
         "parameter file of the scope window (default: standard output). With several ports,\n"
         "FILE must contain {port}, which becomes each COM number. An existing FILE is only\n"
         "replaced with --force, and only a regular file. With --json the parameters are part\n"
         "of each port's object and a file is written only when -o is given.\n"},
        {"send",
         "korvo send PORTS --to ram|eeprom FILE",
         2,
         true,
         {"--to"},
         "Loads the parameter file (as the scope window does: over the sensor's own set, keys\n"
         "missing from the file keep the sensor's values, the window's ranges apply), writes\n"
         "both halves to RAM or EEPROM, reads them back and reports every field that differs.\n"
         "A file with a value that is not a whole number within its field's range for the\n"
         "model is refused, naming each key, line and value; nothing is sent then.\n"
         "FILE may be - for standard input. One file goes to every port given.\n"},
        {"run",
         "korvo run PORTS [--samples N]",
         1,
         true,
         {"--samples"},
         "Run mode: one line per run record as it arrives, with the seconds since the start.\n"
         "A port ends after N records or when its sensor stops answering; all end at Ctrl-C.\n"
         "Several ports run at the same time, each at its own rate; each line then starts\n"
         "with its COM number.\n"},
        {"video",
         "korvo video PORT",
         1,
         false,
         {},
         "Fetches one CCD profile: 256 lines of sample, pixel position, intensity and the\n"
         "threshold the scope window draws beside it. Gives up after three cycles in a row\n"
         "without a whole profile.\n"},
        {"record",
         "korvo record PORTS --samples N [--step S] [--mode 0|1] -o FILE [--force]",
         1,
         true,
         {"--samples", "--step", "--mode", "-o", "--force"},
         "The data recorder: writes the recorder file exactly as the scope window does. Mode 0\n"
         "asks for a sample every S seconds (default 1, at least 0.1); mode 1 stores every\n"
         "record the sensor sends when its input IN0 is triggered. Without --mode the sensor's\n"
         "RS-232-Mode is used; a --mode that differs is first written to the sensor's RAM.\n"
         "Ctrl-C ends the recording; the file holds every sample received until then. An\n"
         "existing FILE is only replaced with --force, and only a regular file. Several ports\n"
         "record at the same time, one file each: FILE must then contain {port}, which\n"
         "becomes each COM number.\n"},
        {"teach",
         "korvo teach PORTS",
         1,
         true,
         {},
         "Teaches the current edge position as the set point (command 6) and reads the\n"
         "parameters back; prints the new Teach-Value.\n"},
        {"reset",
         "korvo reset PORTS",
         1,
         true,
         {},
         "Resets the maximum and minimum hold of the analog output (command 11).\n"},
        {"test",
         "korvo test PORTS --teach V --upper U --lower L",
         1,
         true,
         {"--teach", "--upper", "--lower"},
         "Hands a teach value and two tolerances to the sensor (command 16), as the TEST\n"
         "button and the multiplexer's TEACH do. V must lie within the model's pixels, U and\n"
         "L within what the window's tolerance fields keep around V; else nothing is sent.\n"},
        {"baud",
         "korvo baud PORTS --to RATE",
         1,
         true,
         {"--to"},
         "Switches sensor and port to another baud rate (command 190 at the current rate,\n"
         "--baud), then checks the line at the new rate.\n"},
        {"watch",
         "korvo watch PORTS [--interval S] [--duration S]",
         1,
         true,
         {"--interval", "--duration"},
         "The line monitor: every port measured at once, each at its own line rate, with the\n"
         "sensor's own para0 as read from its RAM (nothing is written to a sensor). Every S\n"
         "seconds (default 1) one line per port: COM, serial number, value in mm and pixels,\n"
         "state (in tolerance, out of tolerance, stale, line lost, refused, not connected),\n"
         "samples per second and the count out of tolerance; on a terminal a table redrawn in\n"
         "place. With --json also the interval's samples and their min, max and mean in\n"
         "pixels. Ends after --duration seconds or at Ctrl-C; exit 1 when a port ended lost,\n"
         "stale or refused, 3 when one could not be opened.\n"},
        {"backup",
         "korvo backup PORTS -o DIR [--force]",
         1,
         true,
         {"-o", "--force"},
         "Saves every sensor's EEPROM set as a parameter file of the scope window,\n"
         "SN<serial>-COM<n>.ini, and a manifest.json with the time, host, program version\n"
         "and per sensor its COM number, device, serial number, model line, firmware text,\n"
         "pixel count, file name and the file's SHA-256. A sensor that fails is listed in the\n"
         "manifest with the reason. DIR appears whole or not at all; an existing DIR is only\n"
         "replaced with --force.\n"},
        {"restore",
         "korvo restore PORTS --from DIR [--by-port] [--force]",
         1,
         true,
         {"--from", "--by-port", "--force"},
         "Gives each sensor its set from a backup: the file of the sensor with the serial\n"
         "number now on that port, or with --by-port the file saved from that COM number (for\n"
         "a replacement sensor). Refused, with nothing written, when the file's SHA-256 does\n"
         "not match the manifest, or when the sensor's model (family and variant) or pixel\n"
         "count differs from the saved sensor's (unless --force). Writes EEPROM, then RAM,\n"
         "reads both back and names every field that differs.\n"},
        {"diff",
         "korvo diff A B",
         2,
         false,
         {},
         "Compares two parameter sets, each a parameter file or a live sensor written\n"
         "COM<n>:ram or COM<n>:eeprom: one line per field that differs (key, A, B), \"-\" for\n"
         "a key a file does not hold. Exit 0 when they are the same, 1 when they differ, 2 on\n"
         "a usage or file error or a sensor that gave no set, 3 when a port cannot be opened.\n"},
        {"check",
         "korvo check PORTS --golden FILE [--from ram|eeprom] [--ignore KEY,...]",
         1,
         true,
         {"--golden", "--from", "--ignore"},
         "Compares every sensor's set (EEPROM unless --from ram) with a golden parameter\n"
         "file: one line per sensor, same or the fields that differ. Keys the golden file\n"
         "does not hold, and those given with --ignore, are not compared. Exit 1 when any\n"
         "sensor differs (or failed), 3 when a port could not be opened.\n"},
        {"log",
         "korvo log [--port N] [--serial S] [--since TIME] [--csv]",
         0,
         false,
         {"--port", "--serial", "--since", "--csv"},
         "Lists the audit log's rows, oldest first: every write to a sensor by the window or\n"
         "korvo, with time (UTC), user, host, COM number, serial number, operation, the fields\n"
         "it changed (old -> new where known) and the outcome. --port and --serial select one\n"
         "sensor, --since TIME (ISO 8601, UTC unless it names a zone) the rows from then on;\n"
         "--csv prints comma-separated values with a header line.\n"},
        {"serve",
         "korvo serve PORTS [--mqtt URL] [--modbus [HOST:]PORT] [--name NAME] [--rate HZ]",
         1,
         true,
         {"--mqtt", "--modbus", "--name", "--rate", "--qos-values", "--ca-file", "--duration"},
         "Runs the line monitor without a window and hands every port's state and values to\n"
         "plant systems, at least one of:\n"
         "  --mqtt URL  publishes to the broker mqtt://[user[:password]@]host[:port] (mqtts://\n"
         "    for TLS, checked against --ca-file or the system's certificates; the password may\n"
         "    come from KORVO_MQTT_PASSWORD instead): korvo/NAME/status (retained, online or\n"
         "    offline), korvo/NAME/COM<n>/state (retained JSON, on every change) and\n"
         "    korvo/NAME/COM<n>/value (JSON every 1/HZ seconds, default 10 Hz; --rate 0 sends\n"
         "    every record). QoS 1 for status and state, 0 for values (--qos-values 1).\n"
         "    NAME is this line in the topics (--name, default the host name).\n"
         "  --modbus [HOST:]PORT  serves them as Modbus TCP input registers on PORT (on every\n"
         "    address, or on HOST), one block of 20 registers per COM number n from register\n"
         "    20 x (n - 1); see the manual page for the map. Read only: every other request\n"
         "    gets an exception. At most 16 clients at once.\n"
         "Nothing a broker or client sends reaches a sensor. Runs until Ctrl-C or SIGTERM (then\n"
         "publishes offline), or for --duration seconds. A broker away is tried again with\n"
         "growing pauses up to 30 s; values meanwhile are dropped and counted. Exit 2 when the\n"
         "broker refuses the credentials and never accepted them, 3 when the Modbus port\n"
         "cannot be taken.\n"},
        {"flash",
         "korvo flash PORTS FILE",
         2,
         true,
         {},
         "Writes a linearisation table file into the sensor's X-FLASH: clears it (command\n"
         "101), then writes the table block by block (command 102). Succeeds only when every\n"
         "block was acknowledged with its own offset and page; stops at the first that was\n"
         "not. 1024 values for model variant 400, else 2048; each from -32768 to 65535, at\n"
         "most 2048 in the file.\n"},
    };
    return rules;
}

const CommandRule* ruleFor(const QString& name) {
    for (const CommandRule& s : commands())
        if (name == QLatin1String(s.name)) return &s;
    return nullptr;
}

const std::set<QString> kValueOptions = {
    "--baud",   "--map",    "--from",       "--to",     "-o",           "--samples",  "--step",
    "--mode",   "--teach",  "--upper",      "--lower",  "--serial-dir", "--interval", "--duration",
    "--golden", "--ignore", "--port",       "--serial", "--since",      "--modbus",   "--mqtt",
    "--name",   "--rate",   "--qos-values", "--ca-file"};
const std::set<QString> kCommonOptions = {"--baud", "--map", "--json", "--help", "-h"};

const char kCommonHelp[] =
    "Common options:\n"
    "  --baud RATE   line rate of the ports: 9600, 19200 (default), 38400, 57600, 115200\n"
    "  --map FILE    port map (default: COMPORTS.map in the settings folder the window uses:\n"
    "                beside the program when it is writable, else ~/.config/korvo-km-scope)\n"
    "  --json        one JSON object per line instead of text\n"
    "  -h, --help    this help\n"
    "PORTS: a COM number (3), a range (1-16), a list (1,3,5-7) or all (every port of the map).\n"
    "Exit status: 0 all done, 1 a sensor failed (time-out, refused, read-back differs) or a\n"
    "write to it was interrupted, 2 usage or file error or standard output failed, 3 a port\n"
    "could not be opened; with several ports the worst. Ctrl-C, SIGTERM and SIGHUP let the\n"
    "exchange under way finish and start no further one.\n";

bool parseInteger(const QString& text, long lo, long hi, long& value) {
    bool ok = false;
    const long v = text.toLong(&ok, 10);
    if (!ok || v < lo || v > hi) return false;
    value = v;
    return true;
}

int memoryFor(const QString& text) {
    const QString t = text.toLower();
    if (t == QLatin1String("ram")) return 1;
    if (t == QLatin1String("eeprom")) return 2;
    return 0;
}

QString badValue(const QString& option, const QString& value, const QString& expected) {
    return QStringLiteral("%1: '%2' is not %3").arg(option, value, expected);
}

// One option with its value, into the options; an error text when the value is bad.
QString applyOption(Options& o, const QString& name, const QString& value) {
    long n = 0;
    if (name == QLatin1String("--baud")) {
        o.baudIndex = baudIndexForText(value);
        if (o.baudIndex < 0) return badValue(name, value, QStringLiteral("a baud rate"));
    } else if (name == QLatin1String("--serial-dir")) {
        if (value.isEmpty()) return QStringLiteral("--serial-dir: no folder given");
        o.serialDir = value;
    } else if (name == QLatin1String("--map")) {
        if (value.isEmpty()) return QStringLiteral("--map: no file given");
        o.mapPath = value;
    } else if (name == QLatin1String("--from") && o.command == QLatin1String("restore")) {
        if (value.isEmpty()) return QStringLiteral("--from: no folder given");
        o.fromDir = value;
    } else if (name == QLatin1String("--port") || name == QLatin1String("--serial")) {
        if (!parseInteger(value, name == QLatin1String("--port") ? 1 : 0,
                          name == QLatin1String("--port") ? 255 : 65535, n))
            return badValue(name, value,
                            name == QLatin1String("--port") ? QStringLiteral("a COM number")
                                                            : QStringLiteral("a serial number"));
        (name == QLatin1String("--port") ? o.logPort : o.logSerial) = static_cast<int>(n);
    } else if (name == QLatin1String("--since")) {
        // Without a zone the time is UTC, as the log writes it: read with "Z" added, not as
        // local time first, which moves a time the clock skips (into summer time) by an hour.
        QDateTime t = QDateTime::fromString(value + QLatin1Char('Z'), Qt::ISODateWithMs);
        if (!t.isValid()) t = QDateTime::fromString(value, Qt::ISODateWithMs);  // its own zone
        if (!t.isValid()) return badValue(name, value, QStringLiteral("a time in ISO 8601"));
        // A date alone: that day from 00:00 UTC.
        if (t.timeSpec() == Qt::LocalTime) t = QDateTime(t.date(), QTime(0, 0), Qt::UTC);
        o.since = t;
    } else if (name == QLatin1String("--modbus")) {
        const qsizetype colon = value.lastIndexOf(QLatin1Char(':'));
        const QString host = colon >= 0 ? value.left(colon) : QString();
        if (!parseInteger(value.mid(colon + 1), 1, 65535, n) || (colon >= 0 && host.isEmpty()))
            return badValue(name, value, QStringLiteral("[HOST:]PORT, PORT from 1 to 65535"));
        o.modbusHost = host;
        o.modbusPort = static_cast<int>(n);
    } else if (name == QLatin1String("--mqtt")) {
        QString error;
        if (!parseMqttUrl(value, std::nullopt, error)) return QStringLiteral("--mqtt: ") + error;
        o.mqttUrl = value;
    } else if (name == QLatin1String("--ca-file")) {
        if (value.isEmpty()) return QStringLiteral("--ca-file: no file given");
        o.caFile = value;
    } else if (name == QLatin1String("--name")) {
        if (!isTopicName(value))
            return badValue(name, value,
                            QStringLiteral("a name of 1 to 64 characters without / + # or spaces"));
        o.lineName = value;
    } else if (name == QLatin1String("--rate")) {
        bool ok = false;
        const double hz = value.toDouble(&ok);
        if (!ok || !std::isfinite(hz) || hz < 0.0 || (hz > 0.0 && hz < 0.01) || hz > 1000.0)
            return badValue(name, value, QStringLiteral("0 or a rate from 0.01 to 1000 Hz"));
        o.rate = hz;
    } else if (name == QLatin1String("--qos-values")) {
        if (!parseInteger(value, 0, 1, n)) return badValue(name, value, QStringLiteral("0 or 1"));
        o.valueQos = static_cast<int>(n);
    } else if (name == QLatin1String("--golden")) {
        if (value.isEmpty()) return QStringLiteral("--golden: no file given");
        o.golden = value;
    } else if (name == QLatin1String("--ignore")) {
        o.ignore = value.split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (QString& k : o.ignore) k = k.trimmed();
        if (o.ignore.isEmpty()) return QStringLiteral("--ignore: no key given");
    } else if (name == QLatin1String("--from") ||
               (name == QLatin1String("--to") && o.command != QLatin1String("baud"))) {
        o.memory = memoryFor(value);
        if (o.memory == 0) return badValue(name, value, QStringLiteral("ram or eeprom"));
    } else if (name == QLatin1String("--to")) {
        o.newBaudIndex = baudIndexForText(value);
        if (o.newBaudIndex < 0) return badValue(name, value, QStringLiteral("a baud rate"));
    } else if (name == QLatin1String("-o")) {
        if (value.isEmpty()) return QStringLiteral("-o: no file given");
        o.output = value;
    } else if (name == QLatin1String("--samples")) {
        if (!parseInteger(value, 1, 32000, n))
            return badValue(name, value, QStringLiteral("a count of 1 to 32000"));
        o.samples = n;
    } else if (name == QLatin1String("--step")) {
        bool ok = false;
        const double s = value.toDouble(&ok);
        if (!ok || !std::isfinite(s) || s < 0.1 || s > 9999.0)
            return badValue(name, value, QStringLiteral("seconds from 0.1 to 9999"));
        o.step = s;
    } else if (name == QLatin1String("--interval") || name == QLatin1String("--duration")) {
        bool ok = false;
        const double s = value.toDouble(&ok);
        if (!ok || !std::isfinite(s) || s < 0.1 || s > 86400.0)
            return badValue(name, value, QStringLiteral("seconds from 0.1 to 86400"));
        (name == QLatin1String("--interval") ? o.interval : o.duration) = s;
    } else if (name == QLatin1String("--mode")) {
        if (!parseInteger(value, 0, 1, n)) return badValue(name, value, QStringLiteral("0 or 1"));
        o.mode = static_cast<int>(n);
    } else {
        if (!parseInteger(value, 0, 65535, n))
            return badValue(name, value, QStringLiteral("a number from 0 to 65535"));
        int& target = name == QLatin1String("--teach")   ? o.teach
                      : name == QLatin1String("--upper") ? o.upper
                                                         : o.lower;
        target = static_cast<int>(n);
    }
    return {};
}

// What the subcommand needs beyond its syntax.
QString checkRequired(const Options& o, const CommandRule& rule) {
    const QString c = o.command;
    if ((c == QLatin1String("get") || c == QLatin1String("send")) && o.memory == 0)
        return c + (c == QLatin1String("get") ? QStringLiteral(": --from ram|eeprom is required")
                                              : QStringLiteral(": --to ram|eeprom is required"));
    if (o.probe && o.writeMap) return QStringLiteral("ports: --probe or --write-map, not both");
    if (!o.serialDir.isEmpty() && !o.writeMap)
        return QStringLiteral("ports: --serial-dir goes with --write-map");
    if (c == QLatin1String("baud") && o.newBaudIndex < 0)
        return QStringLiteral("baud: --to RATE is required");
    if (c == QLatin1String("test") && (o.teach < 0 || o.upper < 0 || o.lower < 0))
        return QStringLiteral("test: --teach, --upper and --lower are all required");
    if (c == QLatin1String("record")) {
        if (o.samples == 0) return QStringLiteral("record: --samples N is required");
        if (o.output.isEmpty()) return QStringLiteral("record: -o FILE is required");
        if (o.output == QLatin1String("-"))
            return QStringLiteral("record: the recorder file must be a file, not -");
        if ((o.allPorts || o.ports.size() > 1) && !o.output.contains(QLatin1String("{port}")))
            return QStringLiteral("record: with several ports, -o FILE must contain {port}");
    }
    if (c == QLatin1String("backup") && o.output.isEmpty())
        return QStringLiteral("backup: -o DIR is required");
    if (c == QLatin1String("restore") && o.fromDir.isEmpty())
        return QStringLiteral("restore: --from DIR is required");
    if (c == QLatin1String("log") && o.csv && o.json)
        return QStringLiteral("log: --csv or --json, not both");
    if (c == QLatin1String("serve") && o.modbusPort == 0 && o.mqttUrl.isEmpty())
        return QStringLiteral("serve: --mqtt URL or --modbus [HOST:]PORT is required");
    if (c == QLatin1String("serve") && !o.caFile.isEmpty() &&
        !o.mqttUrl.startsWith(QLatin1String("mqtts://"), Qt::CaseInsensitive))
        return QStringLiteral("serve: --ca-file goes with an mqtts:// URL");
    if (c == QLatin1String("check") && o.golden.isEmpty())
        return QStringLiteral("check: --golden FILE is required");
    if (c == QLatin1String("get")) {
        const bool several = o.allPorts || o.ports.size() > 1;
        const QString out = o.output.isEmpty() && !o.json ? QStringLiteral("-") : o.output;
        if (o.json && out == QLatin1String("-"))
            return QStringLiteral(
                "get: with --json the parameters are in the JSON lines; -o - "
                "would mix a file into them");
        if (several && !out.isEmpty() && !out.contains(QLatin1String("{port}")))
            return QStringLiteral("get: with several ports, -o FILE must contain {port}");
    }
    if (!rule.severalPorts && rule.positionals > 0 && c != QLatin1String("diff") &&
        (o.allPorts || o.ports.size() != 1))
        return c + QStringLiteral(": takes one port, not '%1'").arg(o.portsText);
    return {};
}

}  // namespace

int baudIndexForText(const QString& text) {
    static const QStringList rates = {"9600", "19200", "38400", "57600", "115200"};
    return static_cast<int>(rates.indexOf(text.trimmed()));
}

bool parsePortList(const QString& text, std::vector<int>& ports, bool& all, QString& error) {
    ports.clear();
    all = false;
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("all"), Qt::CaseInsensitive) == 0) {
        all = true;
        return true;
    }
    static const QRegularExpression item(
        QStringLiteral("^(?:COM)?(\\d{1,3})(?:-(?:COM)?(\\d{1,3}))?$"),
        QRegularExpression::CaseInsensitiveOption);
    std::set<int> chosen;
    const QStringList parts = t.split(QLatin1Char(','));
    for (const QString& part : parts) {
        const auto m = item.match(part.trimmed());
        if (!m.hasMatch()) {
            error = QStringLiteral(
                        "'%1' is no port: give a COM number, a range like 1-16, a "
                        "list like 1,3,5-7 or all")
                        .arg(text);
            return false;
        }
        const int first = m.captured(1).toInt();
        const int last = m.captured(2).isEmpty() ? first : m.captured(2).toInt();
        if (first < 1 || last > 255 || first > last) {
            error = QStringLiteral("'%1': COM numbers go from 1 to 255, ranges upward")
                        .arg(part.trimmed());
            return false;
        }
        for (int n = first; n <= last; ++n) chosen.insert(n);
    }
    ports.assign(chosen.begin(), chosen.end());
    return true;
}

ParseResult parseArguments(const QStringList& arguments) {
    ParseResult r;
    Options& o = r.options;
    QStringList positionals;
    std::vector<std::pair<QString, QString>> given;  // options in order, checked per command
    bool optionsEnd = false;
    for (int i = 0; i < arguments.size(); ++i) {
        QString arg = arguments[i];
        if (optionsEnd || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            if (o.command.isEmpty() && positionals.isEmpty()) {
                o.command = arg;
            } else {
                positionals << arg;
            }
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnd = true;
            continue;
        }
        QString value;
        bool hasValue = false;
        const qsizetype eq = arg.indexOf(QLatin1Char('='));
        if (arg.startsWith(QLatin1String("--")) && eq > 0) {
            value = arg.mid(eq + 1);
            arg = arg.left(eq);
            hasValue = true;
        }
        if (arg == QLatin1String("--output")) arg = QStringLiteral("-o");
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            o.help = true;
            continue;
        }
        if (kValueOptions.count(arg) != 0) {
            if (!hasValue) {
                if (i + 1 >= arguments.size()) {
                    r.error = arg + QStringLiteral(": a value is missing");
                    return r;
                }
                value = arguments[++i];
            }
        } else if (arg != QLatin1String("--json") && arg != QLatin1String("--probe") &&
                   arg != QLatin1String("--force") && arg != QLatin1String("--write-map") &&
                   arg != QLatin1String("--by-port") && arg != QLatin1String("--csv")) {
            r.error = QStringLiteral("unknown option %1").arg(arg);
            return r;
        } else if (hasValue) {
            r.error = arg + QStringLiteral(" takes no value");
            return r;
        }
        given.emplace_back(arg, value);
    }
    if (o.command == QLatin1String("help")) {
        o.help = true;
        o.command = positionals.isEmpty() ? QString() : positionals.first();
        positionals.clear();
    }
    if (o.help && (o.command.isEmpty() || isCommand(o.command))) return r;
    if (o.command.isEmpty()) {
        r.error = QStringLiteral("no subcommand given");
        return r;
    }
    const CommandRule* rule = ruleFor(o.command);
    if (rule == nullptr) {
        r.error = QStringLiteral("unknown subcommand '%1'").arg(o.command);
        return r;
    }
    for (const auto& [name, value] : given) {
        if (kCommonOptions.count(name) == 0 && rule->options.count(name) == 0) {
            r.error = QStringLiteral("%1 does not take %2").arg(o.command, name);
            return r;
        }
        if (name == QLatin1String("--json")) {
            o.json = true;
        } else if (name == QLatin1String("--probe")) {
            o.probe = true;
        } else if (name == QLatin1String("--force")) {
            o.force = true;
        } else if (name == QLatin1String("--write-map")) {
            o.writeMap = true;
        } else if (name == QLatin1String("--by-port")) {
            o.byPort = true;
        } else if (name == QLatin1String("--csv")) {
            o.csv = true;
        } else {
            r.error = applyOption(o, name, value);
            if (!r.error.isEmpty()) return r;
        }
    }
    if (positionals.size() != rule->positionals) {
        r.error = positionals.size() < rule->positionals
                      ? QStringLiteral("%1: arguments are missing (%2)")
                            .arg(o.command, QLatin1String(rule->synopsis))
                      : QStringLiteral("%1: too many arguments ('%2')")
                            .arg(o.command, positionals.last());
        return r;
    }
    if (o.command == QLatin1String("diff")) {
        o.operands = positionals;
    } else if (rule->positionals >= 1) {
        o.portsText = positionals[0];
        if (!parsePortList(o.portsText, o.ports, o.allPorts, r.error)) return r;
    }
    if (rule->positionals == 2 && o.command != QLatin1String("diff")) o.file = positionals[1];
    r.error = checkRequired(o, *rule);
    return r;
}

bool isCommand(const QString& name) {
    return ruleFor(name) != nullptr;
}

QString programHelp() {
    QString text = QStringLiteral(
        "usage: korvo [common options] COMMAND [arguments]\n"
        "Sets up and reads KORVO-KM laser line sensors over RS-232 without a window.\n\n"
        "Commands:\n");
    for (const CommandRule& s : commands())
        text += QStringLiteral("  %1\n").arg(QLatin1String(s.synopsis));
    text += QStringLiteral("  korvo help COMMAND  (or korvo COMMAND --help)\n\n");
    text += QLatin1String(kCommonHelp);
    return text;
}

QString commandHelp(const QString& command) {
    const CommandRule* rule = ruleFor(command);
    if (rule == nullptr) return programHelp();
    return QStringLiteral("usage: %1\n\n%2\n%3")
        .arg(QLatin1String(rule->synopsis), QLatin1String(rule->text), QLatin1String(kCommonHelp));
}

}  // namespace korvo::cli
