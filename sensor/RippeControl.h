#pragma once
// Ripple control: one on/off switch for record byte 0x0A.
#include <QWidget>
#include <cstdint>
#include <memory>

class QCheckBox;
class QLabel;
namespace Ui {
class RippeControl;
}

namespace SensorOption {
// Shared by the three on/off widgets: write the new state, or put the box back with its signals blocked
// when the write is refused or the page is not yet armed.
void applyCheck(QCheckBox* box, bool checked, bool (*writer)(uint8_t));
// Caption and tool tip of an option widget; the tip label shows the tip icon only.
void setCaption(QLabel* title, QLabel* tip, QCheckBox* box, const QString& titleText, const QString& tipText);
} // namespace SensorOption

class RippeControl : public QWidget {
    Q_OBJECT
public:
    explicit RippeControl(QWidget* parent = nullptr);
    ~RippeControl() override;
    void setChecked(bool on); // display only, writes nothing
    bool isChecked() const;
    void setTexts(const QString& title, const QString& tip);
    QString title() const;

public slots:
    void on_RippeControl_2_clicked(bool checked);

private:
    std::unique_ptr<Ui::RippeControl> ui;
};
