#include "sensor/SensorLook.h"

#include "app/core/AppPaths.h"
#include "app/ui/Theme.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>
#include <QWidget>

namespace SensorLook {

QString image(const char* name) {
    return QStringLiteral("url(") + AppPaths::appDir() + QStringLiteral("/Picture/Sensor/") +
           QLatin1String(name) + QLatin1Char(')');
}

void titleBar(QWidget* bar) {
    bar->setStyleSheet(QStringLiteral("QPushButton{border:0px;background:transparent;border-image:%1;}")
                           .arg(image("Title.png")));
}

void tipIcon(QWidget* icon) {
    icon->setStyleSheet(QStringLiteral("QLabel{border-image:%1;}").arg(image("Tips.png")));
}

void checkBox(QCheckBox* box) {
    box->setStyleSheet(QStringLiteral("QCheckBox{spacing:8px;}"
                                      "QCheckBox::indicator{width:20px;height:20px;border-image:%1;}"
                                      "QCheckBox::indicator:checked{border-image:%2;}")
                           .arg(image("CheckBox.png"), image("CheckBoxChecked.png")));
}

void comboBox(QComboBox* box) {
    const QString select = Theme::rgb("ComboxSelectColor");
    box->setStyleSheet(
        QStringLiteral("QComboBox{color:%1;border:0px;border-image:%2;padding:0px 12px;}"
                       "QComboBox:disabled{color:%6;border-image:none;background-color:%7;"
                       "border:1px solid %8;border-radius:6px;}"
                       "QComboBox::drop-down{border:0px;width:30px;}"
                       "QComboBox::down-arrow{image:%3;}QComboBox::down-arrow:on{image:%4;}"
                       "QComboBox::down-arrow:disabled{image:none;}"
                       "QComboBox QListView::item{min-height:26px;padding-left:8px;}"
                       "QComboBox QListView::item:hover,QComboBox QListView::item:selected{color:white;"
                       "background-color:%5;}")
            .arg(Theme::rgb("ComboxTextColor"), image("ComboboxBack.png"), image("Menu.png"),
                 image("MenuClicked.png"), select, Theme::rgb(Theme::mutedText()), Theme::rgb(Theme::base()),
                 Theme::rgb(Theme::border())));
}

void valueField(QSpinBox* box) {
    box->setAlignment(Qt::AlignCenter);
    box->setStyleSheet(
        QStringLiteral("QSpinBox{color:%1;background-color:%2;border:1px solid %3;border-radius:6px;"
                       "padding:0px 4px;selection-color:white;selection-background-color:%4;}"
                       "QSpinBox:hover{border-color:%5;}"
                       "QSpinBox:focus{border-color:%6;}"
                       "QSpinBox:disabled{color:%7;background-color:%8;border-color:%3;}")
            .arg(Theme::rgb("ComboxTextColor"), Theme::rgb(Theme::base()), Theme::rgb(Theme::border()),
                 Theme::rgb("ComboxSelectColor"), Theme::rgb(Theme::border().lighter(150)),
                 Theme::rgb("SliderColor"), Theme::rgb(Theme::mutedText()), Theme::rgb(Theme::window())));
}

void setFontSize(QWidget* w, int pixelSize, bool bold) {
    // A font change travels to every child and re-polishes the styled ones: skip one that changes nothing.
    if (w->font().pixelSize() == pixelSize && w->font().bold() == bold)
        return;
    QFont f = w->font();
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    w->setFont(f);
}

} // namespace SensorLook
