#pragma once
// The summary page: a read-only view of the chosen device's main settings. Widgets from forms/PreVier.ui.
#include <QWidget>

class QLabel;

namespace Ui {
class PreVier;
}

class PreVier : public QWidget {
    Q_OBJECT
public:
    explicit PreVier(QWidget* parent = nullptr);
    ~PreVier() override;
    QLabel* label(const char* name) const;

    // Back to the device list. The page has no back button of its own (the frame's is always there),
    // so this is a plain member: as a slot the form's connect-by-name pass would warn about it.
    void on_UpArrow_clicked();

public slots:
    void SlotAddSensor(int Value);
    void SlotAddReport(int Value);
    void SlotAddLOD(QString Value);
    void SlotDebnunce(QString Vlue);
    void SlotAddConfig(QString Value);
    void SlotAddVer(int type, QString Ver);
    void SlotAddUpdate(int type, bool Ver);
    void SlotMouseIndex(int index);
    void SlotAllLanguage(int index);

private:
    void showReport(int index);
    void showLOD(int index);
    Ui::PreVier* ui;
    int m_report = -1;
    QString m_lod;
    QString m_imagePath;
};
