#pragma once
// On/off switch for angle snapping (straight-line correction): record byte 0x09.
#include <QWidget>
#include <cstdint>
#include <memory>

namespace Ui {
class StraightLine;
}

class StraightLine : public QWidget {
    Q_OBJECT
public:
    explicit StraightLine(QWidget* parent = nullptr);
    ~StraightLine() override;
    void setChecked(bool on); // display only, writes nothing
    bool isChecked() const;
    void setTexts(const QString& title, const QString& tip);
    QString title() const;

public slots:
    void on_StraightLine_2_clicked(bool checked);

private:
    std::unique_ptr<Ui::StraightLine> ui;
};
