#pragma once
// What `get` shows and `set` writes: the record read through the program's codecs and tables, and each
// setting written through its setting writer with the program's value rules.

#include "app/core/DeviceAllInfo.h"
#include "app/core/FlashDataMap.h"
#include "ctl/Link.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace Ctl {

// Loads the capability header and the device's table row into the process-wide capability, and the
// English language tables for the labels.
void prepareRules(const DeviceAllInfo& device);

// The whole configuration as JSON: device, profile, sensor, DPI levels, buttons, lighting.
QJsonObject configuration(const Session& session);
// The same as aligned text lines.
QString configurationText(const QJsonObject& config);

// The names `set` takes, in help order, with their value forms.
struct SettingHelp {
    const char* name;
    const char* values;
    const char* meaning;
};
const QList<SettingHelp>& settingHelp();

// Whether `set` arguments name a setting with the right number of values (before any device is
// opened); Usage with the message otherwise.
Exit checkSetUsage(const QStringList& args, QString& message);

// `set NAME VALUE…` on the open session. `message` is the one line for standard error on refusal, or
// a note for standard output (a snapped value) on success.
Exit applySetting(Session& session, const QStringList& args, QString& message);

// The token `set button` takes for a button's assignment, so `get` output can be fed back.
QString functionToken(const FlashDataMap& record, int buttonIndex);

} // namespace Ctl
