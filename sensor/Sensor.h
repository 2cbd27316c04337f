#pragma once
#include <QWidget>

// Placeholder until its page is built: an empty page of the right class.
class Sensor : public QWidget {
    Q_OBJECT
public:
    explicit Sensor(QWidget* parent = nullptr);
public slots:
    void SlotAllLanguage(int index);
};
