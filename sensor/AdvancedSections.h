#pragma once
// The advanced page's sections. Each writes one user change through its setting writer and puts its
// control back, signals blocked, when the write is refused or the page is not armed.
#include "app/core/FlashDataMap.h"
#include "sensor/AdvancedModel.h"

#include <QFrame>
#include <QTimer>
#include <QVector>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;
class QToolButton;

// Writes allowed: the page is armed and no page is filling itself from a record.
bool advancedWritesAllowed();

// A section: a frame with a title and an optional tip; subclasses add their controls to body().
class AdvancedSection : public QFrame {
    Q_OBJECT
public:
    AdvancedSection(const char* objectName, const char* titleKey, const char* tipKey, QWidget* parent);
    virtual void relabel(int languageIndex);
    virtual void showRecord(const FlashDataMap&) {}

protected:
    QWidget* body() const { return m_body; }
    // A switch sits in the title row, after the title and its tip.
    void addToHeader(QWidget* w);
    QLabel* caption(const char* key, QWidget* parent);
    QList<QPair<QLabel*, const char*>> m_captions;
    QList<QPair<QAbstractButton*, const char*>> m_buttonTexts;

private:
    QLabel* m_title;
    QLabel* m_tip;
    QWidget* m_body;
    class QHBoxLayout* m_head;
    const char* m_titleKey;
    const char* m_tipKey;
};

class KFPS20 : public AdvancedSection {
    Q_OBJECT
public:
    explicit KFPS20(QWidget* parent = nullptr);
    void showRecord(const FlashDataMap& r) override;
    QCheckBox* box() const { return m_box; }
public slots:
    void on_KFPS_clicked(bool checked);

private:
    QCheckBox* m_box;
};

class LongMode : public AdvancedSection {
    Q_OBJECT
public:
    explicit LongMode(QWidget* parent = nullptr);
    void showState(bool on);
    QCheckBox* box() const { return m_box; }
public slots:
    void on_checkBox_toggled(bool on);

private:
    QCheckBox* m_box;
};

class AngleMove : public AdvancedSection {
    Q_OBJECT
public:
    explicit AngleMove(QWidget* parent = nullptr);
    void showRecord(const FlashDataMap& r) override;
    QSlider* slider() const { return m_slider; }
    int acceptedAngle() const { return m_accepted; }
public slots:
    void on_AngleSet_valueChanged(int v);
    void on_AngleSet_sliderMoved(int v);

private:
    void showAngle(int v);
    QSlider* m_slider;
    QLabel* m_preview;
    QLabel* m_value;
    int m_accepted = 0;
};

class FastClick : public AdvancedSection {
    Q_OBJECT
public:
    explicit FastClick(QWidget* parent = nullptr);
    void showRecord(const FlashDataMap& r) override;
    QPushButton* choice(int i) const { return m_choices[i]; } // ReUntilClick, _2, _3, _4
public slots:
    void on_ReUntilClick_clicked(bool checked);
    void on_ReUntilClick_2_clicked(bool checked);
    void on_ReUntilClick_3_clicked(bool checked);
    void on_ReUntilClick_4_clicked(bool checked);

private:
    void choose(int bit, bool atBottom, bool checked);
    void showBits(uint8_t bits);
    QPushButton* m_choices[4];
    uint8_t m_bits = 0;
};

class TouchKeySet : public AdvancedSection {
    Q_OBJECT
public:
    explicit TouchKeySet(QWidget* parent = nullptr);
    void showRecord(const FlashDataMap& r) override;
    void relabel(int languageIndex) override;
    QComboBox* target() const { return m_target; }
    QComboBox* combo(int row) const { return m_combos[row]; }
    QSlider* slider(int row) const { return m_sliders[row]; }
    QCheckBox* toggle(int row) const { return m_toggles[row]; } // rows 1 and 2
public slots:
    void on_comboBoxRL_currentIndexChanged(int index);

private:
    void comboChosen(int row, int index);
    void sliderChanged(int row, int value);
    void toggled(int row, bool on);
    void showEntry(const TouchKeyEntry& e);
    void setRowEnabled(int row, bool on);
    int entryIndex() const;
    QComboBox* m_target;
    QComboBox* m_combos[3];
    QSlider* m_sliders[3];
    QCheckBox* m_toggles[3] = {};
    FlashDataMap m_record{};
    int m_accepted[3] = {};
};

class KeyVoice : public AdvancedSection {
    Q_OBJECT
public:
    explicit KeyVoice(QWidget* parent = nullptr);
    void relabel(int languageIndex) override;
    const AdvancedModel::Calibration& calibration() const { return m_state; }
    QTimer& timer() { return m_timer; }
    QToolButton* button() const { return m_button; }
    QString pictureName() const;
public slots:
    void on_toolButton_clicked();
    void SlotPairKey(int ROL, int State);
    void onPairKeyTimer();

private:
    void finish();
    void showPicture();
    AdvancedModel::Calibration m_state;
    QTimer m_timer;
    QToolButton* m_button;
    QLabel* m_picture;
};

class CurvePlotWidget : public QWidget {
    Q_OBJECT
public:
    explicit CurvePlotWidget(int preset, QWidget* parent = nullptr);
    // The curve the user shapes for preset 3, shared by every view.
    static QVector<QPointF>& userPoints();
    QVector<QPointF> points() const;
signals:
    void userCurveEdited();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    QPointF toScreen(const QPointF& p) const;
    QPointF fromScreen(const QPointF& p) const;
    int m_preset;
    int m_dragging = -1;
};

class VirtualPoint : public AdvancedSection {
    Q_OBJECT
public:
    explicit VirtualPoint(QWidget* parent = nullptr);
    void showRecord(const FlashDataMap& r) override;
    QSlider* slider() const { return m_slider; }
    QCheckBox* toggle() const { return m_toggle; }
    QLabel* marker() const { return m_marker; }
public slots:
    void on_verticalSlider_valueChanged(int v);
    void on_StraightLine_2_toggled(bool on);

private:
    void showValue(int v);
    QCheckBox* m_toggle;
    QSlider* m_slider;
    QLabel* m_marker;
    QSpinBox* m_up;
    QSpinBox* m_down;
    int m_accepted = 0;
};
