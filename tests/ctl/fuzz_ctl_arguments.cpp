// Fuzz target for zentrafoxctl's command line: the input's lines are the arguments. They go through
// the option parser, the setting-name check and every value form; none may crash or accept a value
// outside its form.
#include "ctl/Options.h"
#include "ctl/Settings.h"
#include "ctl/Values.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QStringList args =
        QString::fromUtf8(reinterpret_cast<const char*>(data), int(size)).split(QLatin1Char('\n'));
    Ctl::Options options;
    QString error;
    if (Ctl::parseOptions(args, options, error) && options.command == QLatin1String("set"))
        Ctl::checkSetUsage(options.args, error);
    for (const QString& a : args) {
        uint8_t on = 0;
        int n = 0;
        int rgb[3] = {-1, -1, -1};
        if (Ctl::parseSwitch(a, on) && on > 1)
            std::abort();
        Ctl::parseInt(a, n, QStringLiteral("Hz"));
        if (Ctl::parseColour(a, rgb))
            for (int c : rgb)
                if (c < 0 || c > 255)
                    std::abort();
        Ctl::parseSeconds(a, n);
    }
    return 0;
}
