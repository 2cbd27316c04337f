#pragma once
// The configuration file could not be written (folder read-only, disk full…).
#include "app/notices/NoticeBase.h"

class ExportFail : public NoticeBase {
    Q_OBJECT
public:
    explicit ExportFail(QWidget* parent = nullptr);

protected:
    void applyTexts(int index) override;
};
