// zentrafoxctl: list, read and change the mice from a terminal through the program's own device link.

#include "app/core/IniStores.h"
#include "app/core/PostMsg.h"
#include "ctl/Commands.h"
#include "ctl/Link.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zentrafoxctl"));
    ConfigIniStore::instance();
    const int code = Ctl::run(QCoreApplication::arguments().mid(1));
    // The library's threads may still hold queued news; none of it may reach a hub being torn down.
    PostMsg::beginShutdown();
    return code;
}
