#include "app/ui/Theme.h"

#include "app/core/IniStores.h"
#include "app/core/Language.h"
#include "platform/ScreenMetrics.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPolygonF>
#include <QProxyStyle>
#include <QRegion>
#include <QStyleFactory>
#include <QStyleOption>
#include <QToolTip>
#include <QVector>

namespace {

struct Default {
    const char* key;
    int r, g, b;
};
// What the shipped Config.ini says; used when a user's copy lacks a key.
constexpr Default kDefaults[] = {
    {"LabelColor", 230, 232, 240},         {"ButtonColor", 255, 255, 255},
    {"ComboxTextColor", 230, 232, 240},    {"ComboxSelectColor", 0, 160, 98},
    {"ComboxBackGroundColor", 24, 27, 34}, {"SliderColor", 0, 255, 153},
};

QColor defaultOf(const char* key) {
    for (const Default& d : kDefaults)
        if (qstrcmp(d.key, key) == 0)
            return QColor(d.r, d.g, d.b);
    return QColor(230, 232, 240);
}

QString css(const QColor& c) {
    return c.alpha() == 255
               ? QStringLiteral("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue())
               : QStringLiteral("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alpha());
}

QVector<QPointer<QWidget>>& forms() {
    static QVector<QPointer<QWidget>> list;
    return list;
}

const char* const kLtrGeometry = "zfLtrGeometry";
const char* const kPlacedGeometry = "zfPlacedGeometry";
const char* const kKeepPlace = "zfKeepPlace";
const char* const kLtrAlignment = "zfLtrAlignment";

void alignLabel(QLabel* label, bool rtl) {
    QVariant ltr = label->property(kLtrAlignment);
    if (!ltr.isValid()) {
        ltr = int(label->alignment());
        label->setProperty(kLtrAlignment, ltr);
    }
    const Qt::Alignment original(ltr.toInt());
    if (!(original & Qt::AlignLeft) || (original & Qt::AlignAbsolute))
        return;
    label->setAlignment(rtl ? (original & ~Qt::AlignLeft) | Qt::AlignRight | Qt::AlignAbsolute : original);
}

void placeChildren(QWidget* form, bool rtl) {
    for (QObject* o : form->children()) {
        auto* child = qobject_cast<QWidget*>(o);
        if (!child || child->isWindow() || child->property(kKeepPlace).toBool())
            continue;
        if (auto* label = qobject_cast<QLabel*>(child))
            alignLabel(label, rtl);
        if (form->layout() && form->layout()->indexOf(child) >= 0)
            continue;
        // Code that moves a child works in left-to-right coordinates: a geometry other than the one
        // placed here last is the new left-to-right one.
        const QVariant placed = child->property(kPlacedGeometry);
        QRect ltr = child->geometry();
        if (placed.isValid() && placed.toRect() == child->geometry())
            ltr = child->property(kLtrGeometry).toRect();
        const QRect target =
            rtl ? QRect(form->width() - ltr.x() - ltr.width(), ltr.y(), ltr.width(), ltr.height()) : ltr;
        child->setProperty(kLtrGeometry, ltr);
        child->setProperty(kPlacedGeometry, target);
        if (child->geometry() != target)
            child->setGeometry(target);
    }
}

bool compositing() {
    static const bool composited = [] {
        const QString platform = QGuiApplication::platformName();
        if (platform.startsWith(QLatin1String("wayland")))
            return true;
        return platform == QLatin1String("xcb") && ScreenMetrics::x11CompositingManagerRunning();
    }();
    return composited;
}

// Keeps a window cut to its rounded outline whatever size it is given.
class RoundedMask : public QObject {
public:
    RoundedMask(QWidget* window, int radius) : QObject(window), m_radius(radius) {
        window->installEventFilter(this);
        apply(window);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            apply(static_cast<QWidget*>(watched));
        return false;
    }

private:
    void apply(QWidget* window) const {
        QPainterPath outline;
        outline.addRoundedRect(QRectF(window->rect()), m_radius, m_radius);
        window->setMask(QRegion(outline.toFillPolygon().toPolygon()));
    }
    int m_radius;
};

} // namespace

namespace Theme {

QColor colour(const char* key) {
    const QStringList rgb = ConfigIniStore::instance().list(QStringLiteral("Option"), QLatin1String(key));
    if (rgb.size() != 3)
        return defaultOf(key);
    int v[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        v[i] = rgb[i].trimmed().toInt(&ok);
        if (!ok || v[i] < 0 || v[i] > 255)
            return defaultOf(key);
    }
    return QColor(v[0], v[1], v[2]);
}

QString rgb(const char* key) {
    return css(colour(key));
}

QString rgb(const QColor& c) {
    return css(c);
}

QColor window() {
    return colour("ComboxBackGroundColor");
}
QColor base() {
    return window().darker(130);
}
QColor border() {
    return window().lighter(190);
}
QColor mutedText() {
    const QColor t = colour("LabelColor");
    const QColor w = window();
    return QColor((t.red() + w.red()) / 2, (t.green() + w.green()) / 2, (t.blue() + w.blue()) / 2);
}

QColor captionText() {
    return mutedText().lighter(150);
}

QPalette palette() {
    const QColor text = colour("LabelColor");
    const QColor button = colour("ButtonColor");
    const QColor select = colour("ComboxSelectColor");
    const QColor accent = colour("SliderColor");
    const QColor muted = mutedText();
    QPalette p;
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool off = g == QPalette::Disabled;
        p.setColor(g, QPalette::Window, window());
        p.setColor(g, QPalette::WindowText, off ? muted : text);
        p.setColor(g, QPalette::Base, off ? window() : base());
        p.setColor(g, QPalette::AlternateBase, window().lighter(115));
        p.setColor(g, QPalette::Text, off ? muted : text);
        p.setColor(g, QPalette::PlaceholderText, muted);
        p.setColor(g, QPalette::Button, window().lighter(130));
        p.setColor(g, QPalette::ButtonText, off ? muted : button);
        p.setColor(g, QPalette::BrightText, accent);
        p.setColor(g, QPalette::Highlight, off ? border() : select);
        p.setColor(g, QPalette::HighlightedText, Qt::white);
        p.setColor(g, QPalette::ToolTipBase, window().lighter(120));
        p.setColor(g, QPalette::ToolTipText, text);
        p.setColor(g, QPalette::Link, accent);
        p.setColor(g, QPalette::LinkVisited, accent.darker(130));
        p.setColor(g, QPalette::Light, border().lighter(130));
        p.setColor(g, QPalette::Midlight, border());
        p.setColor(g, QPalette::Mid, window().lighter(150));
        p.setColor(g, QPalette::Dark, base().darker(130));
        p.setColor(g, QPalette::Shadow, Qt::black);
    }
    return p;
}

QString controlRules() {
    const QString comboText = rgb("ComboxTextColor");
    const QString select = rgb("ComboxSelectColor");
    const QString back = rgb("ComboxBackGroundColor");
    const QString accent = rgb("SliderColor");
    const QString field = css(base());
    const QString line = css(border());
    const QString muted = css(mutedText());
    QString s;
    s += QStringLiteral("QComboBox QAbstractItemView{color:%1;background-color:%2;border:1px solid %3;"
                        "selection-color:white;selection-background-color:%4;outline:0px;}")
             .arg(comboText, back, line, select);
    s += QStringLiteral("QScrollBar:vertical{background:%1;width:10px;margin:0px;}"
                        "QScrollBar:horizontal{background:%1;height:10px;margin:0px;}"
                        "QScrollBar::handle{background:%2;border-radius:4px;}"
                        "QScrollBar::handle:vertical{min-height:24px;}"
                        "QScrollBar::handle:horizontal{min-width:24px;}"
                        "QScrollBar::handle:hover{background:%3;}"
                        "QScrollBar::add-line,QScrollBar::sub-line{width:0px;height:0px;}"
                        "QScrollBar::add-page,QScrollBar::sub-page{background:none;}")
             .arg(field, line, accent);
    s += QStringLiteral(
             "QLabel:disabled,QCheckBox:disabled,QRadioButton:disabled,QComboBox:disabled{color:%1;}")
             .arg(muted);
    s += QStringLiteral("QSlider::groove:horizontal{height:4px;background:%1;border-radius:2px;}"
                        "QSlider::sub-page:horizontal{background:%2;border-radius:2px;}"
                        "QSlider::handle:horizontal{width:14px;margin:-6px 0px;border-radius:7px;"
                        "background:%2;}"
                        "QSlider::sub-page:horizontal:disabled,QSlider::handle:horizontal:disabled{"
                        "background:%3;}")
             .arg(line, accent, muted);
    s += QStringLiteral("QSpinBox,QDoubleSpinBox,QLineEdit{color:%1;background-color:%2;border:1px solid %3;"
                        "border-radius:3px;padding:2px 4px;selection-color:white;"
                        "selection-background-color:%4;}"
                        "QSpinBox:disabled,QDoubleSpinBox:disabled,QLineEdit:disabled{color:%5;"
                        "background-color:%6;}")
             .arg(comboText, field, line, select, muted, back);
    return s;
}

QString roleRules() {
    const QString accent = rgb("SliderColor");
    QString s;
    // A caption and the value it names.
    s += QStringLiteral("QLabel[role=\"caption\"]{color:%1;font-size:14px;}"
                        "QLabel[role=\"value\"]{color:%2;font-size:18px;font-weight:bold;}")
             .arg(css(captionText()), accent);
    // Captions drawn beside a picture's icon (the frame's page buttons).
    s += QStringLiteral("QToolButton[pageCaption=\"true\"]{padding-left:38px;color:%1;font-weight:bold;}"
                        "QToolButton[pageCaption=\"true\"]:hover{color:white;}"
                        "QToolButton[pageCaption=\"true\"]:checked{color:%2;}"
                        "QToolButton[pageCaption=\"true\"]:disabled{color:%3;}")
             .arg(css(QColor(138, 144, 160)), accent, css(window().lighter(200)));
    return s;
}

namespace {
// Fusion with two changes. No icons on dialog buttons (QFileDialog, QMessageBox, QColorDialog): in a
// right-to-left language Fusion draws an icon button's text past its left edge, cutting "Open" and
// "Cancel" in Arabic. And the step arrows of a spin box drawn plainly: under a style sheet that gives
// the box a border, Fusion's own arrows come out as blank squares.
class ThemeStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* ret) const override {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element != PE_IndicatorSpinUp && element != PE_IndicatorSpinDown)
            return QProxyStyle::drawPrimitive(element, option, painter, widget);
        const bool on = option->state & State_Enabled;
        const QColor colour =
            option->palette.color(on ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
        const QPointF c = QRectF(option->rect).center();
        const qreal dy = element == PE_IndicatorSpinUp ? 2 : -2;
        QPolygonF arrow;
        arrow << QPointF(c.x() - 3.5, c.y() + dy) << QPointF(c.x() + 3.5, c.y() + dy)
              << QPointF(c.x(), c.y() - dy * 1.5);
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(colour);
        painter->drawPolygon(arrow);
        painter->restore();
    }
};
} // namespace

void apply(QApplication& app) {
    // Palette only, no application style sheet: one would put every widget of the program through
    // style-sheet polishing (+65 ms at start on this machine). Fusion draws everything the pages leave
    // unstyled, Qt's own dialogs, menus and tooltips included, from the palette.
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        app.setStyle(new ThemeStyle(fusion));
    const QPalette p = palette();
    app.setPalette(p);
    QToolTip::setPalette(p);
}

bool isRightToLeft(int languageIndex) {
    const QString name = Language::boxNames().value(languageIndex);
    for (const Language::LanguageInfo& l : Language::allLanguages())
        if (l.boxName == name)
            return qstrcmp(l.code, "ar") == 0;
    return false;
}

void setLanguageDirection(int languageIndex) {
    const bool rtl = isRightToLeft(languageIndex);
    QApplication::setLayoutDirection(rtl ? Qt::RightToLeft : Qt::LeftToRight);
    auto& list = forms();
    list.removeAll(QPointer<QWidget>());
    for (const QPointer<QWidget>& form : list)
        placeChildren(form, rtl);
}

void mirrorWithDirection(QWidget* form) {
    if (!form)
        return;
    if (!forms().contains(form))
        forms().append(form);
    placeChildren(form, QApplication::layoutDirection() == Qt::RightToLeft);
}

void keepPlace(QWidget* child) {
    if (child)
        child->setProperty(kKeepPlace, true);
}

void makeTranslucent(QWidget* window, int radius) {
    // Also turns off the window's own background: its children (or its paintEvent) draw the picture.
    window->setAttribute(Qt::WA_TranslucentBackground);
    if (!compositing())
        new RoundedMask(window, radius);
}

void fitText(QAbstractButton* button, int padding) {
    button->ensurePolished();
    QFont font = button->font();
    const int room = button->width() - padding - 8;
    int px = font.pixelSize() > 0 ? font.pixelSize() : QFontMetrics(font).height() * 3 / 4;
    // Start from the size the style gives, so a shorter text later grows back.
    const int base = button->property("zfBasePixelSize").toInt();
    if (base > 0)
        px = base;
    else
        button->setProperty("zfBasePixelSize", px);
    // The largest size up to the base that fits (8 at least). Widths grow about in proportion to the
    // size, so one measurement lands near it; the steps after it check that guess, since each size
    // measured loads a font of its own.
    const QString text = button->text();
    auto fits = [&](int size) {
        font.setPixelSize(size);
        return QFontMetrics(font).horizontalAdvance(text) <= room;
    };
    font.setPixelSize(px);
    const int width = QFontMetrics(font).horizontalAdvance(text);
    if (width > room && px > 8) {
        const int top = px;
        px = qBound(8, int(qint64(px) * qMax(room, 0) / width), top - 1);
        while (px > 8 && !fits(px))
            --px;
        while (px + 1 < top && fits(px + 1))
            ++px;
    }
    font.setPixelSize(px);
    button->setFont(font);
}

} // namespace Theme
