#pragma once
// Button debounce: 0 to 30 ms, the item index being the value of record byte 0x06.
#include <QWidget>
#include <memory>

class QComboBox;
namespace Ui {
class DebounceTime;
}

class DebounceTime : public QWidget {
    Q_OBJECT
public:
    explicit DebounceTime(QWidget* parent = nullptr);
    ~DebounceTime() override;

    // Shows `index` without writing; it becomes the last accepted choice. Out-of-range values are ignored.
    void selectIndex(int index);
    int currentIndex() const;
    void setTexts(const QString& title, const QString& tip);
    QString title() const;
    QComboBox* choice() const;

public slots:
    void on_Debunce_currentIndexChanged(int index);

private:
    void restore();

    std::unique_ptr<Ui::DebounceTime> ui;
    int m_lastIndex = 0;
};
