#pragma once
#include <QWidget>

// Placeholder until its page is built: an empty page of the right class.
class LampLight : public QWidget {
    Q_OBJECT
public:
    explicit LampLight(QWidget* parent = nullptr);
public slots:
    void SlotAllLanguage(int index);
};
