#pragma once
// The summary page: a read-only view of the chosen device's main settings.
#include <QWidget>

class QLabel;

class PreVier : public QWidget {
    Q_OBJECT
public:
    explicit PreVier(QWidget* parent = nullptr);
    QLabel* label(const char* name) const;

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
    void on_UpArrow_clicked();

private:
    QLabel* addRow(int row, const QString& captionName, const QString& valueName, const QString& caption);
    QString m_imagePath;
    QWidget* m_picture;
};
