// korvo: the command-line tool beside korvo-km-scope. It works the sensors through the same core
// as the window (no widgets, no display needed); see `korvo --help` and korvo(1).

#include <QCoreApplication>
#include <cstdio>

#include "cli/Args.h"
#include "cli/Commands.h"
#include "cli/Interrupt.h"
#include "cli/Output.h"

namespace {

using namespace korvo::cli;

int dispatch(const Options& o, Output& out) {
    using Command = int (*)(const Options&, Output&);
    static const std::pair<const char*, Command> table[] = {
        {"ports", cmdPorts},   {"identify", cmdIdentify}, {"get", cmdGet},
        {"send", cmdSend},     {"run", cmdRun},           {"video", cmdVideo},
        {"record", cmdRecord}, {"teach", cmdTeach},       {"reset", cmdReset},
        {"test", cmdTest},     {"baud", cmdBaud},         {"flash", cmdFlash},
        {"watch", cmdWatch},   {"serve", cmdServe},   {"backup", cmdBackup},     {"restore", cmdRestore},
        {"diff", cmdDiff},     {"check", cmdCheck},       {"log", cmdLog},
    };
    for (const auto& [name, command] : table)
        if (o.command == QLatin1String(name)) return command(o, out);
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvo"));
    const ParseResult parsed = parseArguments(QCoreApplication::arguments().mid(1));
    const Options& o = parsed.options;
    if (!parsed.error.isEmpty()) {
        std::fprintf(stderr, "korvo: %s\nTry 'korvo --help'.\n", qPrintable(parsed.error));
        return kExitUsage;
    }
    Output out(o.json);
    if (o.help) {
        const QString text = o.command.isEmpty() ? programHelp() : commandHelp(o.command);
        out.raw(text.toLocal8Bit());
        return out.exitStatus(kExitOk);
    }
    Interrupt::install();
    // A result that never reached standard output is no success, whatever the sensors did.
    return out.exitStatus(dispatch(o, out));
}
