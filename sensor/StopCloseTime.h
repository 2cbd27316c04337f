#pragma once
// Sleep time: eleven choices, each stored in units of 10 seconds into record bytes 0x08 and 0x0D.
#include <QWidget>
#include <memory>

class QComboBox;
namespace Ui {
class StopCloseTime;
}

class StopCloseTime : public QWidget {
    Q_OBJECT
public:
    explicit StopCloseTime(QWidget* parent = nullptr);
    ~StopCloseTime() override;

    static constexpr int kCount = 11;
    static int storedValue(int index);        // 0 outside 0-10
    static int indexOfStoredValue(int value); // -1 when no choice stores it

    // Shows `index` without writing; it becomes the last accepted choice.
    void selectIndex(int index);
    // Shows the choice that stores `value` (a time another page wrote); unknown values change nothing.
    void selectStoredValue(int value);
    int currentIndex() const;
    void setTexts(const QString& title, const QString& tip);
    QString title() const;
    // Replaces the item captions in order; missing or empty texts keep the form's.
    void setItemTexts(const QStringList& texts);
    QComboBox* choice() const;

public slots:
    void on_StopClose_activated(int index);

private:
    std::unique_ptr<Ui::StopCloseTime> ui;
    int m_lastIndex = 0;
};
