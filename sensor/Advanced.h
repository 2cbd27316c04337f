#pragma once
#include <QWidget>

// Placeholder until its page is built: an empty page of the right class.
class Advanced : public QWidget {
    Q_OBJECT
public:
    explicit Advanced(QWidget* parent = nullptr);
public slots:
    void SlotAllLanguage(int index);
};
