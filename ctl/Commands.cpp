#include "ctl/Commands.h"

#include "ctl/Link.h"
#include "ctl/Options.h"
#include "ctl/Settings.h"
#include "ctl/Watch.h"
#include "device/ConfigFile.h"
#include "device/DeviceSession.h"
#include "device/DeviceTable.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <functional>

#include <cstdio>

namespace Ctl {
namespace {

QTextStream& out() {
    static QTextStream s(stdout);
    return s;
}

QTextStream& err() {
    static QTextStream s(stderr);
    return s;
}

int fail(Exit code, const QString& line) {
    err() << "zentrafoxctl: " << line << '\n';
    err().flush();
    return code;
}

const char* const kUsage =
    "Usage: zentrafoxctl [--device DEVICE] [--force] COMMAND [ARGUMENTS]\n"
    "\n"
    "Reads and changes the settings of Zentrafox mice through the same device link as the program.\n"
    "\n"
    "Commands:\n"
    "  list               devices plugged in: model, connection, online, battery, versions\n"
    "  get [--json]       the whole configuration of a device\n"
    "  set NAME VALUE...  change one setting (zentrafoxctl set --help lists them)\n"
    "  profile N          make stored profile N (from 1) the active one\n"
    "  export FILE        save the configuration to a file of the program's format\n"
    "  import FILE        load a configuration file into the mouse\n"
    "  watch              print what the mouse reports (battery, DPI, rate, reconnection) until Ctrl+C\n"
    "  help [COMMAND]     this text, or a command's\n"
    "\n"
    "Options:\n"
    "  --device DEVICE    the device to use when several are plugged in: its index in 'list' (from 1),\n"
    "                     its name (z1-3395), its model name or its path\n"
    "  --force            use the device the running Zentrafox program has open\n"
    "  -h, --help         help; after a command, that command's help\n"
    "\n"
    "Exit status: 0 done, 1 refused (offline, bad value, no such device), 2 usage.\n";

QString commandHelp(const QString& command) {
    if (command == QLatin1String("list"))
        return QStringLiteral(
            "Usage: zentrafoxctl list [--json]\n\n"
            "Lists the supported devices plugged in, numbered from 1: name, model, connection,\n"
            "online state, battery and the firmware versions of the device and the mouse.\n");
    if (command == QLatin1String("get"))
        return QStringLiteral(
            "Usage: zentrafoxctl [--device DEVICE] get [--json]\n\n"
            "Reads the whole configuration: DPI levels with values and colours, the current level,\n"
            "report rate, lift-off distance, sensor options, debounce, sleep time, the buttons with\n"
            "their labels and bound macros, lighting and the active profile. An offline mouse shows\n"
            "the settings last read from it, marked as such. --json prints one JSON object whose\n"
            "button \"function\" values are what 'set button' takes.\n");
    if (command == QLatin1String("set")) {
        QString text = QStringLiteral(
            "Usage: zentrafoxctl [--device DEVICE] set NAME VALUE...\n\n"
            "Changes one setting with the program's rules (DPI snapped to the sensor's steps,\n"
            "the model's ranges and options). Refused with status 1 while the mouse is offline.\n\n");
        for (const SettingHelp& h : settingHelp())
            text += QStringLiteral("  %1 %2\n")
                        .arg(QStringLiteral("%1 %2").arg(h.name, h.values), -28)
                        .arg(h.meaning);
        text += QStringLiteral(
            "\nButton functions: disabled left right middle back forward dpi-cycle dpi-up dpi-down\n"
            "  wheel-left wheel-right wheel-up wheel-down rate-switch profile-switch lights-all dpi-light\n"
            "  light-strip light-effect fire:INTERVAL[:COUNT] dpi-lock:DPI keys:Ctrl+C media:0x00CD\n"
            "  macro:NAME[:CYCLE] (a macro of the program's macro folder; CYCLE 1-250 plays it that\n"
            "  many times, 253 until pressed again, 254 until released, 255 until any button)\n");
        return text;
    }
    if (command == QLatin1String("profile"))
        return QStringLiteral("Usage: zentrafoxctl [--device DEVICE] profile N\n\n"
                              "Makes stored profile N (1 … the mouse's profile count) the active one.\n");
    if (command == QLatin1String("export"))
        return QStringLiteral(
            "Usage: zentrafoxctl [--device DEVICE] export FILE\n\n"
            "Saves the mouse's whole configuration in the program's configuration file format.\n");
    if (command == QLatin1String("import"))
        return QStringLiteral(
            "Usage: zentrafoxctl [--device DEVICE] import FILE\n\n"
            "Loads a configuration file saved for the same sensor into the mouse. A broken file,\n"
            "one of another sensor or with more DPI levels than the model has is refused and\n"
            "nothing is changed.\n");
    if (command == QLatin1String("watch"))
        return QStringLiteral(
            "Usage: zentrafoxctl [--device DEVICE] watch\n\n"
            "Prints one line per report of the mouse (battery, DPI level, report rate, lights,\n"
            "profile, offline and online, unplugged and plugged in, reconnection) until\n"
            "interrupted with Ctrl+C.\n");
    return QString();
}

const QStringList& commands() {
    static const QStringList list = {
        QStringLiteral("list"),   QStringLiteral("get"),    QStringLiteral("set"),  QStringLiteral("profile"),
        QStringLiteral("export"), QStringLiteral("import"), QStringLiteral("watch")};
    return list;
}

int usage(const QString& line) {
    return fail(Usage, line + QStringLiteral(" (zentrafoxctl --help)"));
}

// The running program's device is left alone unless forced; any other device is free.
bool heldByProgram(const Options& o, const DeviceAllInfo& device, int& code) {
    const Program program = runningProgram();
    if (o.force || program.heldPath.isEmpty() || program.heldPath != device.path)
        return false;
    code = fail(Refused, QStringLiteral("Zentrafox is running (pid %1) and holds %2; close it or run again "
                                        "with --force")
                             .arg(program.pid)
                             .arg(deviceName(device)));
    return true;
}

int listDevices(const Options& o) {
    const QList<DeviceAllInfo> devices = findDevices();
    const QString held = o.force ? QString() : runningProgram().heldPath;
    QJsonArray array;
    for (int i = 0; i < devices.size(); ++i) {
        const DeviceAllInfo& d = devices[i];
        QJsonObject entry;
        entry[QStringLiteral("index")] = i + 1;
        entry[QStringLiteral("name")] = deviceName(d);
        entry[QStringLiteral("model")] = modelName(d);
        entry[QStringLiteral("path")] = d.path;
        entry[QStringLiteral("connection")] = connectionText(d);
        entry[QStringLiteral("online")] = d.online != 0;
        entry[QStringLiteral("firmware")] = d.firmware;
        if (!held.isEmpty() && d.path == held)
            entry[QStringLiteral("heldByProgram")] = true; // its service is the program's: not started here
        else if (d.online && !modelName(d).isEmpty()) {
            // Battery and the mouse's own version come as reports of a started service.
            Session session;
            if (session.open(d, 4000)) {
                session.waitForDetails();
                if (session.battery() >= 0)
                    entry[QStringLiteral("battery")] = session.battery();
                const QString version = session.device().mouseVersion;
                if (!version.isEmpty())
                    entry[QStringLiteral("mouseVersion")] = version;
            }
            session.close();
        }
        array.append(entry);
    }
    if (o.json) {
        out() << QJsonDocument(array).toJson(QJsonDocument::Indented);
        return Done;
    }
    if (devices.isEmpty())
        out() << "no supported device is plugged in\n";
    for (const QJsonValue& v : array) {
        const QJsonObject e = v.toObject();
        QString line = QStringLiteral("%1  %2 %3 %4 %5")
                           .arg(e.value(QStringLiteral("index")).toInt())
                           .arg(e.value(QStringLiteral("name")).toString(), -12)
                           .arg(e.value(QStringLiteral("model")).toString().isEmpty()
                                    ? QStringLiteral("(unknown model)")
                                    : e.value(QStringLiteral("model")).toString(),
                                -20)
                           .arg(e.value(QStringLiteral("connection")).toString(), -20)
                           .arg(e.value(QStringLiteral("online")).toBool() ? QStringLiteral("online ")
                                                                           : QStringLiteral("offline"));
        if (e.contains(QStringLiteral("battery")))
            line += QStringLiteral("  battery %1%").arg(e.value(QStringLiteral("battery")).toInt());
        line += QStringLiteral("  firmware %1").arg(e.value(QStringLiteral("firmware")).toString());
        if (e.contains(QStringLiteral("mouseVersion")))
            line += QStringLiteral("  mouse %1").arg(e.value(QStringLiteral("mouseVersion")).toString());
        if (e.value(QStringLiteral("heldByProgram")).toBool())
            line += QStringLiteral("  (held by Zentrafox)");
        out() << line << "  " << e.value(QStringLiteral("path")).toString() << '\n';
    }
    return Done;
}

// Finds and brings up the device of the command line, runs `body` on it and closes it. `watch` also
// follows a device that is offline with nothing read of it yet: it waits for it.
int onDevice(const Options& o, const std::function<int(Session&)>& body, bool withoutRecord = false) {
    const Choice choice = chooseDevice(findDevices(), o.device);
    if (!choice.found)
        return fail(choice.failure, choice.reason);
    const QString name = deviceName(choice.device);
    if (choice.device.row < 0 || modelName(choice.device).isEmpty())
        return fail(Refused, QStringLiteral("%1 is not a model of the device table").arg(name));
    int code = Done;
    if (heldByProgram(o, choice.device, code))
        return code;
    prepareRules(choice.device);
    Session session;
    if (!session.open(choice.device) && !(withoutRecord && session.started()))
        return fail(Refused,
                    session.online()
                        ? QStringLiteral("%1 did not send its settings").arg(name)
                        : QStringLiteral("%1 is offline and no settings of it were read before").arg(name));
    if (!withoutRecord)
        session.waitForDetails();
    code = body(session);
    session.close();
    return code;
}

// Profile and import go past the setting writers, so they ask the mouse themselves.
bool offline(const Session& session, const char* whatStays) {
    if (session.online() && DeviceSession::isOnline(session.device().path))
        return false;
    fail(Refused, QStringLiteral("the mouse is offline; %1").arg(QLatin1String(whatStays)));
    return true;
}

int getConfiguration(const Options& o) {
    return onDevice(o, [&o](Session& session) {
        const QJsonObject config = configuration(session);
        session.saveCache();
        if (o.json)
            out() << QJsonDocument(config).toJson(QJsonDocument::Indented);
        else
            out() << configurationText(config);
        return int(Done);
    });
}

int setSetting(const Options& o) {
    return onDevice(o, [&o](Session& session) {
        QString message;
        const Exit e = applySetting(session, o.args, message);
        if (e != Done)
            return fail(e, message);
        session.saveCache();
        if (!message.isEmpty())
            out() << message << '\n';
        return int(Done);
    });
}

int switchProfile(const Options& o) {
    bool ok = false;
    const int wanted = o.args.value(0).toInt(&ok);
    if (!ok)
        return fail(Refused,
                    QStringLiteral("bad profile '%1' (expected a number from 1)").arg(o.args.value(0)));
    return onDevice(o, [wanted](Session& session) {
        const int count = session.profileCount() > 0 ? session.profileCount() : 1;
        if (wanted < 1 || wanted > count)
            return fail(
                Refused,
                QStringLiteral("bad profile %1 (the mouse has profiles 1 … %2)").arg(wanted).arg(count));
        if (offline(session, "the profile was not changed"))
            return int(Refused);
        hid().UsbServer_SetCurrentConfig((wanted - 1) & 255);
        // The mouse answers with its new profile and then its records.
        if (!waitUntil([&session, wanted] { return session.profile() == wanted - 1; }, 5000))
            return fail(Refused, QStringLiteral("the mouse did not confirm profile %1").arg(wanted));
        out() << "profile " << wanted << " of " << count << " active\n";
        return int(Done);
    });
}

int exportConfiguration(const Options& o) {
    return onDevice(o, [&o](Session& session) {
        const DeviceAllInfo device = session.device();
        QString reason;
        if (!ConfigFile::write(o.args[0], session.record(), DeviceTable::row(device.row).sensor, &reason))
            return fail(Refused, QStringLiteral("cannot write %1: %2").arg(o.args[0], reason));
        if (session.fromCache())
            err() << "zentrafoxctl: " << deviceName(device)
                  << " is offline; the settings last read from it were saved\n";
        out() << "saved the configuration of " << deviceName(device) << " to " << o.args[0] << '\n';
        return int(Done);
    });
}

int importConfiguration(const Options& o) {
    return onDevice(o, [&o](Session& session) {
        const DeviceAllInfo device = session.device();
        const ModelRow row = DeviceTable::row(device.row);
        if (offline(session, "nothing was imported"))
            return int(Refused);
        const ConfigFile::Outcome file = ConfigFile::read(o.args[0], row.sensor, row.dpiMaxGrade);
        if (file.result != ConfigFile::Accepted)
            return fail(
                Refused,
                QStringLiteral("%1 refused, nothing changed: %2")
                    .arg(o.args[0], file.result == ConfigFile::Mismatch
                                        ? QStringLiteral("it does not match the device (%1)").arg(file.reason)
                                        : file.reason));
        // The whole record at once, as the program imports it; put back if the mouse does not take it.
        const FlashDataMap before = session.record();
        CurrentRecord::replace(file.record);
        if (!PushRecord()) {
            CurrentRecord::modify([&](FlashDataMap& r) {
                if (r == file.record)
                    r = before;
            });
            return fail(Refused, QStringLiteral("the mouse did not take the configuration"));
        }
        session.saveCache();
        out() << "imported " << o.args[0] << " into " << deviceName(device) << '\n';
        return int(Done);
    });
}

} // namespace

int run(const QStringList& arguments) {
    Options o;
    QString error;
    if (!parseOptions(arguments, o, error))
        return usage(error);
    if (o.command.isEmpty() || o.command == QLatin1String("help")) {
        const QString topic = o.args.value(0);
        if (!topic.isEmpty() && !commands().contains(topic))
            return usage(QStringLiteral("no command '%1'").arg(topic));
        if (o.command.isEmpty() && !o.help) {
            err() << kUsage;
            return Usage;
        }
        out() << (topic.isEmpty() ? QString::fromUtf8(kUsage) : commandHelp(topic));
        return Done;
    }
    if (!commands().contains(o.command))
        return usage(QStringLiteral("unknown command '%1'").arg(o.command));
    if (o.help) {
        out() << commandHelp(o.command);
        return Done;
    }
    const QString& c = o.command;
    const auto argCount = [&](int n) { return o.args.size() == n; };
    if ((c == QLatin1String("list") || c == QLatin1String("get") || c == QLatin1String("watch")) &&
        !argCount(0))
        return usage(QStringLiteral("%1 takes no arguments").arg(c));
    if ((c == QLatin1String("profile") || c == QLatin1String("export") || c == QLatin1String("import")) &&
        !argCount(1))
        return usage(QStringLiteral("%1 takes one argument").arg(c));
    if (o.json && c != QLatin1String("get") && c != QLatin1String("list"))
        return usage(QStringLiteral("--json goes with get and list"));
    if (c == QLatin1String("set")) {
        QString message;
        if (checkSetUsage(o.args, message) != Done)
            return fail(Usage, message);
    }

    // Only a watching tool takes the virtual devices' control socket (when no program has it), so
    // zentrafox-mouse can drive what it watches; one-shot commands leave it alone.
    if (c != QLatin1String("watch") && !qEnvironmentVariableIsSet("ZF_HIDUSB_SOCKET"))
        qputenv("ZF_HIDUSB_SOCKET", "none");
    if (!DeviceSession::libraryLoaded())
        return fail(
            Refused,
            QStringLiteral("the device library could not be loaded: %1").arg(DeviceSession::libraryError()));
    if (c == QLatin1String("list"))
        return listDevices(o);
    if (c == QLatin1String("get"))
        return getConfiguration(o);
    if (c == QLatin1String("set"))
        return setSetting(o);
    if (c == QLatin1String("profile"))
        return switchProfile(o);
    if (c == QLatin1String("watch"))
        return onDevice(
            o, [](Session& session) { return watch(session, out()); }, true);
    if (c == QLatin1String("export"))
        return exportConfiguration(o);
    return importConfiguration(o);
}

} // namespace Ctl
