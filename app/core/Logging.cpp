#include "app/core/Logging.h"

Q_LOGGING_CATEGORY(lcDevice, "zf.device", QtWarningMsg)
Q_LOGGING_CATEGORY(lcShell, "zf.shell", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSensor, "zf.sensor", QtWarningMsg)
Q_LOGGING_CATEGORY(lcNotice, "zf.notice", QtWarningMsg)
Q_LOGGING_CATEGORY(lcMacro, "zf.macro", QtWarningMsg)
