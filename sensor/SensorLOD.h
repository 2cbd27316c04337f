#pragma once
// Lift-off distance: a choice whose items carry the code stored in record byte 0x05. The item set
// depends on the sensor model.
#include "sensor/SensorRules.h"

#include <QMap>
#include <QVector>
#include <QWidget>
#include <memory>

namespace Ui {
class SensorLOD;
}

class SensorLOD : public QWidget {
    Q_OBJECT
public:
    using ItemSet = SensorRules::LodSet;

    explicit SensorLOD(QWidget* parent = nullptr);
    ~SensorLOD() override;

    // Rebuilds the choice only when its item count differs from the set's.
    void chooseItemSet(ItemSet set);
    static ItemSet itemSetForModel(const QString& model);
    // Selects the item whose code is index + 1 (the host passes the record code - 1) and announces it.
    // An unknown code leaves the selection as it is.
    void selectByCode(int codeMinusOne);
    void setChoiceEnabled(bool enabled);
    void setTexts(const QString& title, const QString& tip);
    // Item texts of the language ("LODOptions", keyed by tenths of a millimetre); an item without a
    // text keeps its plain one.
    void setItemTexts(const QMap<QString, QString>& byKey);
    QString title() const;

    int currentCode() const; // 0 when nothing is selected
    QString currentText() const;
    static QStringList itemTexts(ItemSet set);
    static QVector<int> itemCodes(ItemSet set);
    static QStringList itemKeys(ItemSet set);

public slots:
    void on_LOD_currentIndexChanged(int index);

private:
    int indexOfCode(int code) const;
    void selectQuietly(int index);
    void showItemTexts();

    std::unique_ptr<Ui::SensorLOD> ui;
    ItemSet m_set = ItemSet::Two;
    int m_lastCode = 1; // last code the mouse took or reported
    QMap<QString, QString> m_itemTexts;
};
