#pragma once
// Report rate: seven exclusive buttons, 125 Hz to 8000 Hz, for record byte 0x00. Which of the fast
// rates are offered depends on the connection (the rate mode).
#include <QWidget>
#include <memory>

class QAbstractButton;
class QButtonGroup;
namespace Ui {
class SensorRate;
}

class SensorRate : public QWidget {
    Q_OBJECT
public:
    explicit SensorRate(QWidget* parent = nullptr);
    ~SensorRate() override;

    static constexpr int kCount = 7;
    static int rateAt(int index);     // Hz, 0 for an index outside 0-6
    static int codeAt(int index);     // record code, 0 outside 0-6
    static int indexOfCode(int code); // -1 for an unknown code
    // Rate mode from the connection kind: 0 or 2 -> 0, 1 -> 1, 4 -> 2, 3 or 5 -> 3, others 0.
    static int modeForKind(int kind);

    // Checks button `index` and announces its rate; becomes the last accepted choice.
    void selectIndex(int index);
    int currentIndex() const { return m_lastIndex; }
    // 0: up to 1000 Hz; 1: also 2000 and 4000; 2: also 2000; 3: all seven.
    void setMode(int mode);
    int mode() const { return m_mode; }
    void setTitle(const QString& title);
    QString title() const;
    // Button captions by rate ("125" -> text); rates without a text keep theirs.
    void setRateTexts(const QMap<QString, QString>& byRate);
    QAbstractButton* button(int index) const;

public slots:
    void on_Button125HZ_clicked(bool checked);
    void on_Button250HZ_clicked(bool checked);
    void on_Button500HZ_clicked(bool checked);
    void on_Button1000HZ_clicked(bool checked);
    void on_Button2000HZ_clicked(bool checked);
    void on_Button4000HZ_clicked(bool checked);
    void on_Button8000HZ_clicked(bool checked);

private:
    void choose(int index);

    std::unique_ptr<Ui::SensorRate> ui;
    QButtonGroup* m_group;
    int m_lastIndex = 3;
    int m_mode = 0;
};
