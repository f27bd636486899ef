#include "sim/SimOptions.h"

#include <QCommandLineParser>

#include "sim/SensorModel.h"

namespace korvo::sim {

namespace {
bool toWord(const QString& text, std::uint16_t* value, int min = 0) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < min || v > 65535) return false;
    *value = static_cast<std::uint16_t>(v);
    return true;
}
}  // namespace

bool parseModelArgument(const QString& text, SensorConfig* config) {
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() < 3 || parts.size() > 5) return false;
    SensorConfig c = *config;
    if (!toWord(parts[0], &c.family) || !toWord(parts[1], &c.variant) ||
        !toWord(parts[2], &c.firmware)) {
        return false;
    }
    c.pixelCount = 0;
    if (parts.size() > 3 && !toWord(parts[3], &c.pixelCount, 1)) return false;
    if (parts.size() > 4 && !toWord(parts[4], &c.videoResolution, 2)) return false;
    *config = c;
    return true;
}

bool parseSimOptions(const QStringList& arguments, SimOptions* options, QString* error) {
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption count(QStringLiteral("count"), QStringLiteral("sensors"),
                                   QStringLiteral("N"));
    const QCommandLineOption firstCom(QStringLiteral("first-com"), QStringLiteral("first COM"),
                                      QStringLiteral("C"), QStringLiteral("1"));
    const QCommandLineOption map(QStringLiteral("map"), QStringLiteral("port map"),
                                 QStringLiteral("PATH"));
    const QCommandLineOption model(QStringLiteral("model"), QStringLiteral("model row"),
                                   QStringLiteral("F:V:FW"));
    const QCommandLineOption id(QStringLiteral("id"), QStringLiteral("firmware ID"),
                                QStringLiteral("TEXT"));
    const QCommandLineOption serial(QStringLiteral("serial"), QStringLiteral("first serial"),
                                    QStringLiteral("N"), QStringLiteral("4711"));
    const QCommandLineOption pace(QStringLiteral("pace"), QStringLiteral("pace at the baud"));
    const QCommandLineOption baud(QStringLiteral("baud"), QStringLiteral("line rate"),
                                  QStringLiteral("B"), QStringLiteral("19200"));
    const QCommandLineOption latency(QStringLiteral("latency-ms"), QStringLiteral("latency"),
                                     QStringLiteral("L"), QStringLiteral("0"));
    const QCommandLineOption strict(QStringLiteral("strict-baud"),
                                    QStringLiteral("ignore requests sent at another rate"));
    const QCommandLineOption recordMs(QStringLiteral("record-ms"),
                                      QStringLiteral("period of triggered records"),
                                      QStringLiteral("MS"), QStringLiteral("300"));
    const QCommandLineOption edges(QStringLiteral("edges"), QStringLiteral("pinned edges"),
                                   QStringLiteral("COM:LEFT:RIGHT"));
    const QCommandLineOption silent(QStringLiteral("silent"),
                                    QStringLiteral("no answer to measurement requests"),
                                    QStringLiteral("COM"));
    parser.addOptions({count, firstCom, map, model, id, serial, pace, baud, latency, strict,
                       recordMs, edges, silent});
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments()[0]);
        return false;
    }
    bool ok = false;
    const int n = parser.value(count).toInt(&ok);
    if (!parser.isSet(count) || !ok || n < 1 || n > 256) {
        *error = QStringLiteral("--count N (1..256) is required");
        return false;
    }
    const int first = parser.value(firstCom).toInt(&ok);
    if (!ok || first < 1 || first + n - 1 > 65535) {
        *error = QStringLiteral("bad --first-com");
        return false;
    }
    std::uint16_t serialBase = 0;
    if (!toWord(parser.value(serial), &serialBase)) {
        *error = QStringLiteral("bad --serial");
        return false;
    }
    const int rate = parser.value(baud).toInt(&ok);
    if (!ok || indexForBaud(rate) < 0) {
        *error = QStringLiteral("--baud must be 9600, 19200, 38400, 57600 or 115200");
        return false;
    }
    const int latencyMs = parser.value(latency).toInt(&ok);
    if (!ok || latencyMs < 0 || latencyMs > 10000) {
        *error = QStringLiteral("bad --latency-ms");
        return false;
    }
    const int recordPeriod = parser.value(recordMs).toInt(&ok);
    if (!ok || recordPeriod < 0 || recordPeriod > 3600000) {
        *error = QStringLiteral("bad --record-ms");
        return false;
    }
    const QStringList models = parser.values(model);
    const QStringList ids = parser.values(id);

    SimOptions out;
    out.firstCom = first;
    out.mapPath = parser.value(map);
    for (int i = 0; i < n; ++i) {
        SensorConfig c;
        if (!models.isEmpty() &&
            !parseModelArgument(models[std::min<int>(i, models.size() - 1)], &c)) {
            *error =
                QStringLiteral("bad --model, expected FAMILY:VARIANT:FIRMWARE[:PIXELS[:VIDEORES]]");
            return false;
        }
        if (!ids.isEmpty()) c.firmwareId = ids[std::min<int>(i, ids.size() - 1)].toLatin1();
        c.serial = static_cast<std::uint16_t>(serialBase + i);
        c.pace = parser.isSet(pace);
        c.baud = rate;
        c.latencyMs = latencyMs;
        c.strictBaud = parser.isSet(strict);
        c.recordPeriodMs = recordPeriod;
        out.sensors.push_back(c);
    }
    // Each COM number must be one of the sensors'.
    const auto comOf = [&](const QString& text, int* com) {
        bool good = false;
        *com = text.toInt(&good);
        return good && *com >= first && *com < first + n;
    };
    for (const QString& e : parser.values(edges)) {
        const QStringList parts = e.split(QLatin1Char(':'));
        int com = 0;
        std::uint16_t left = 0, right = 0;
        if (parts.size() != 3 || !comOf(parts[0], &com) || !toWord(parts[1], &left) ||
            !toWord(parts[2], &right) || left > right) {
            *error = QStringLiteral(
                         "bad --edges '%1', expected COM:LEFT:RIGHT with a COM number of the "
                         "sensors and LEFT <= RIGHT")
                         .arg(e);
            return false;
        }
        out.edges[com] = {left, right};
    }
    for (const QString& text : parser.values(silent)) {
        int com = 0;
        if (!comOf(text, &com)) {
            *error =
                QStringLiteral("bad --silent '%1', expected a COM number of the sensors").arg(text);
            return false;
        }
        out.silent.insert(com);
    }
    *options = std::move(out);
    return true;
}

}  // namespace korvo::sim
