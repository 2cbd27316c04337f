#pragma once
#include "app/core/FlashDataMap.h"
#include <QWidget>

// Placeholder until its page is built: an empty page of the right class. It has no controls to fill,
// so it reports itself filled for each record; otherwise the frame's wait notice would time out.
class LampLight : public QWidget {
    Q_OBJECT
public:
    explicit LampLight(QWidget* parent = nullptr);
public slots:
    void SlotAllLanguage(int index);
    void SlotUpDataLightLight(FlashDataMap DataMap);
};
