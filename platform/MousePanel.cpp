#include "platform/MousePanel.h"

#include <QProcess>
#include <QStandardPaths>

namespace MousePanel {

Command find() {
    // GNOME, KDE Plasma 6 and 5, Xfce, MATE, Cinnamon, LXQt: the mouse page of each desktop's settings.
    static const struct {
        const char* program;
        const char* argument;
    } kPanels[] = {
        {"gnome-control-center", "mouse"}, {"systemsettings", "kcm_mouse"},
        {"kcmshell6", "kcm_mouse"},        {"kcmshell5", "mouse"},
        {"xfce4-mouse-settings", nullptr}, {"mate-mouse-properties", nullptr},
        {"cinnamon-settings", "mouse"},    {"lxqt-config-input", nullptr},
    };
    for (const auto& panel : kPanels) {
        const QString path = QStandardPaths::findExecutable(QLatin1String(panel.program));
        if (path.isEmpty())
            continue;
        Command command{path, {}};
        if (panel.argument)
            command.arguments << QLatin1String(panel.argument);
        return command;
    }
    return Command();
}

bool open() {
    const Command command = find();
    return !command.program.isEmpty() && QProcess::startDetached(command.program, command.arguments);
}
} // namespace MousePanel
