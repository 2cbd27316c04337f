#include "ctl/Options.h"

namespace Ctl {

bool parseOptions(const QStringList& arguments, Options& o, QString& error) {
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--device") || a == QLatin1String("-d")) {
            if (i + 1 >= arguments.size()) {
                error = QStringLiteral("--device needs a value");
                return false;
            }
            o.device = arguments[++i];
        } else if (a.startsWith(QLatin1String("--device="))) {
            o.device = a.mid(9);
        } else if (a == QLatin1String("--json")) {
            o.json = true;
        } else if (a == QLatin1String("--force")) {
            o.force = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o.help = true;
        } else if (a == QLatin1String("--")) {
            o.args += arguments.mid(i + 1);
            if (o.command.isEmpty() && !o.args.isEmpty())
                o.command = o.args.takeFirst();
            return true;
        } else if (a.startsWith(QLatin1String("--")) ||
                   (a.startsWith(QLatin1Char('-')) && a.size() == 2 && !a.at(1).isDigit())) {
            error = QStringLiteral("unknown option '%1'").arg(a);
            return false;
        } else if (o.command.isEmpty()) {
            o.command = a;
        } else {
            o.args.append(a);
        }
    }
    return true;
}

} // namespace Ctl
