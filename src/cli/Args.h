#pragma once
// The command line of korvo: a subcommand, its positional arguments and options, checked
// completely before any port is touched. Bad input is a usage error (exit status 2) with a
// message that names what was wrong.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace korvo::cli {

enum ExitStatus : int {
    kExitOk = 0,
    kExitSensor = 1,  // a sensor failed: time-out, refused, read-back differs
    kExitUsage = 2,   // usage or input file error
    kExitOpen = 3,    // a port could not be opened
};

struct Options {
    QString command;    // empty: none given
    bool help = false;  // --help on the program or the subcommand
    bool json = false;  // one JSON object per line
    int baudIndex = 1;  // --baud, as an index of the baud-rate table (19200 by default)
    QString mapPath;    // --map; empty: the port map in the settings folder
    QString portsText;  // PORTS as given
    bool allPorts = false;
    std::vector<int> ports;                  // PORTS resolved (except "all", which needs the map)
    QString file;                            // FILE of send and flash
    bool probe = false;                      // ports --probe
    bool writeMap = false;                   // ports --write-map
    QString serialDir;                       // ports --serial-dir (empty: /dev/serial)
    int memory = 0;                          // --from / --to: 1 RAM, 2 EEPROM
    QString output;                          // -o FILE ("-" standard output)
    bool force = false;                      // --force: replace an existing output file
    long samples = 0;                        // --samples (0: not given)
    double step = 1.0;                       // --step seconds
    std::optional<int> mode;                 // --mode 0|1
    int teach = -1, upper = -1, lower = -1;  // test --teach --upper --lower
    int newBaudIndex = -1;                   // baud --to
    double interval = 1.0;                   // watch --interval seconds
    double duration = 0.0;                   // watch --duration seconds (0: until stopped)
    QStringList operands;                    // diff A B
    QString golden;                          // check --golden FILE
    QStringList ignore;                      // check --ignore KEY,...
    QString fromDir;                         // restore --from DIR
    bool byPort = false;                     // restore --by-port
    std::optional<int> logPort, logSerial;   // log --port, --serial
    std::optional<QDateTime> since;          // log --since
    bool csv = false;                        // log --csv
    QString modbusHost;                      // serve --modbus HOST (empty: every address)
    int modbusPort = 0;                      // serve --modbus PORT (0: not given)
    QString mqttUrl;                         // serve --mqtt URL (empty: not given)
    QString caFile;                          // serve --ca-file FILE (mqtts://)
    QString lineName;                        // serve --name (empty: the host name)
    double rate = 10.0;                      // serve --rate HZ (0: every record)
    int valueQos = 0;                        // serve --qos-values 0|1
};

struct ParseResult {
    Options options;
    QString error;  // non-empty: a usage error
};

// arguments without the program name.
ParseResult parseArguments(const QStringList& arguments);

// "3", "1-16", "1,3,5-7", "COM4" (COM numbers 1..255), in ascending order without repeats;
// "all" sets allPorts. False with a message on anything else.
bool parsePortList(const QString& text, std::vector<int>& ports, bool& all, QString& error);

// 9600, 19200, 38400, 57600 or 115200 -> 0..4; -1 for any other text.
int baudIndexForText(const QString& text);

// The program's help, or the subcommand's.
QString programHelp();
QString commandHelp(const QString& command);
bool isCommand(const QString& name);

}  // namespace korvo::cli
