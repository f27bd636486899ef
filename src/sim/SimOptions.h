#pragma once
// Command line of the korvo-sim program:
//   korvo-sim --count N [--first-com C] [--map PATH] [--model F:V:FW[:PIXELS[:VIDEORES]]]...
//             [--id TEXT]... [--serial N] [--pace] [--baud B] [--latency-ms L] [--strict-baud]
//             [--record-ms MS] [--edges COM:LEFT:RIGHT]... [--silent COM]...
// --record-ms: while a sensor's RS-232-Mode is 1 or 4 it sends a record every MS milliseconds,
// standing for triggers on its input IN0 (0: none).
// --model and --id may repeat: sensor i takes the i-th, the last one given serves the rest.
// --edges pins the sensor on COM to those two edges (a line to watch with values in or out of
// tolerance); --silent COM answers the connection and the parameter reads but no measurement
// request (a sensor that went quiet). Both may repeat, one COM number each.

#include <QString>
#include <QStringList>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "sim/SensorConfig.h"

namespace korvo::sim {

struct SimOptions {
    int firstCom = 1;
    QString mapPath;  // empty: the default map beside the program
    std::vector<SensorConfig> sensors;
    std::map<int, std::pair<std::uint16_t, std::uint16_t>> edges;  // by COM number
    std::set<int> silent;                                          // COM numbers
};

// Parses the arguments (argv[0] first). False with a message for the user on bad input.
bool parseSimOptions(const QStringList& arguments, SimOptions* options, QString* error);
// "F:V:FW[:PIXELS[:VIDEORES]]" into the model fields of `config`.
bool parseModelArgument(const QString& text, SensorConfig* config);

}  // namespace korvo::sim
