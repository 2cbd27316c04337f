#include "profile/ConfigTransfer.h"

#include "app/core/Language.h"
#include "app/core/Logging.h"
#include "app/notices/UpDataParam.h"
#include "device/ConfigFile.h"
#include "device/DeviceSession.h"
#include "device/DeviceTable.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"
#include "profile/ExportFail.h"

#include <QDir>
#include <QFileDialog>

namespace ConfigTransfer {
namespace {
const QString kFilter = QStringLiteral("File(*.bin)");

QString keyText(const char* key) {
    return Language::text(QStringLiteral("key"), QLatin1String(key));
}
} // namespace

QString startFolder() {
    return QDir::homePath();
}

void exportConfiguration(QWidget* parent) {
    const QString path = QFileDialog::getSaveFileName(parent, keyText("FileSave"), startFolder(), kFilter);
    if (!path.isEmpty())
        exportTo(path, parent);
}

bool exportTo(const QString& path, QWidget* parent) {
    const ModelRow row = DeviceTable::row(SelectedDevice::get().row);
    QString reason;
    if (ConfigFile::write(path, CurrentRecord::snapshot(), row.sensor, &reason))
        return true;
    qCWarning(lcDevice).noquote() << "export to" << path << "failed:" << reason;
    ExportFail notice(parent);
    if (parent)
        notice.placeOver(parent);
    notice.exec();
    return false;
}

void importConfiguration(QWidget* parent) {
    if (!CheckDeviceOnline())
        return; // the offline notice is up
    const LinkFlags::BusyScope busy;
    const QString path = QFileDialog::getOpenFileName(parent, keyText("SelectFile"), startFolder(), kFilter);
    if (!path.isEmpty())
        importFrom(path, parent);
}

int importFrom(const QString& path, QWidget* parent) {
    const LinkFlags::BusyScope busy; // until the notice has closed
    const ModelRow row = DeviceTable::row(SelectedDevice::get().row);
    int result = ConfigFile::Unreadable;
    bool pending = true;
    UpDataParam notice(parent);
    UpDataParam::Env& env = notice.env();
    env.importPending = [&pending] { return pending; };
    env.clearImport = [&pending] { pending = false; };
    env.readImport = [&](FlashDataMap& out) {
        const ConfigFile::Outcome o = ConfigFile::read(path, row.sensor, row.dpiMaxGrade);
        if (o.result != ConfigFile::Accepted)
            qCWarning(lcDevice).noquote() << "import of" << path << "refused:" << o.reason;
        out = o.record;
        return result = o.result;
    };
    // Only a send the mouse took replaces the record; a refused one leaves it as it was.
    env.writeRecord = [&](const FlashDataMap& record) {
        if (!DeviceSession::isOnline(SelectedDevice::path()) || !ImportRecord(record)) {
            result = -1;
            return false;
        }
        return true;
    };
    if (parent)
        notice.placeOver(parent);
    notice.start(500);
    notice.exec();
    return result;
}

} // namespace ConfigTransfer
