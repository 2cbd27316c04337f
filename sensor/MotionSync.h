#pragma once
// On/off switch for motion sync: record byte 0x07.
#include <QWidget>
#include <cstdint>
#include <memory>

namespace Ui {
class MotionSync;
}

class MotionSync : public QWidget {
    Q_OBJECT
public:
    explicit MotionSync(QWidget* parent = nullptr);
    ~MotionSync() override;
    void setChecked(bool on); // display only, writes nothing
    bool isChecked() const;
    void setTexts(const QString& title, const QString& tip);
    QString title() const;

public slots:
    void on_MotionSync_2_clicked(bool checked);

private:
    std::unique_ptr<Ui::MotionSync> ui;
};
