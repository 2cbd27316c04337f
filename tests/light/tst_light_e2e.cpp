// The lighting page through its widgets against the real device library: a virtual mouse behind a
// virtual receiver with every light. Each control must land in the mouse's flash or the receiver, filling
// must write nothing, and a refused change must leave the control where the device is.
#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "device/Discovery.h"
#include "device/HidApi.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"
#include "device/Worker.h"
#include "light/LampLight.h"
#include "light/LightSections.h"
#include "sensor/Sensor.h"
#include "sensor/SensorCapability.h"
#include "tests/common/VirtualMouseSetup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <memory>

namespace {
const char kDescription[] = "receiver r8 vid=373B pid=1002 address=A10008\n"
                            "mouse z1 vid=373B pid=1001 cid=05 mid=1F receiver=r8 link=receiver\n";
} // namespace

class TestLightE2E : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void mouseControlsLandInTheFlash();
    void fillingWritesNothingAndTheMouseIsFollowed();
    void offlineChangeWritesNothing();
    void receiverLightsLandAndRefusalsRestore();
    void receiverSectionsOnTheCableSayWhy();
    void receiverSectionsWaitForTheMouse();

private:
    template <typename T> T* child(const char* name) {
        T* w = m_page->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no widget %s", name);
        return w;
    }
    FlashDataMap flash() {
        FlashDataMap r;
        v.ReadFlash("z1", -1, r.data());
        return r;
    }
    void bringUp(const QByteArray& description = kDescription, bool online = true);
    QByteArray receiverBytes(int (*HidApi::*get)(const char*, unsigned char*), int size) {
        QByteArray out(8, '\0');
        (hid().*get)(m_mouse.path.toLatin1().constData(), reinterpret_cast<unsigned char*>(out.data()));
        return out.left(size);
    }

    VirtualMouseSetup::Controls v;
    QScopedPointer<QTemporaryDir> m_appDir, m_state;
    std::unique_ptr<LampLight> m_page;
    std::unique_ptr<Worker> m_worker;
    DeviceAllInfo m_mouse;
    int m_forms = 0;
    int m_offline = 0;
    QObject m_context;
};

void TestLightE2E::initTestCase() {
    const QString failed = v.load();
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    Language::loadFrom(qEnvironmentVariable("ZF_SOURCE_DIR") + "/resources", {"English", "Russian"});
    PostMsg::connectBlockingFunctor(&PostMsg::SigForm, &m_context, [this] { ++m_forms; });
    connect(PostMsg::instance(), &PostMsg::SigMouseOffLineo, &m_context, [this] { ++m_offline; });
}

void TestLightE2E::init() {
    m_appDir.reset(new QTemporaryDir);
    m_state.reset(new QTemporaryDir);
    VirtualMouseSetup::freshProgram();
    m_forms = m_offline = 0;
}

void TestLightE2E::cleanup() {
    if (m_worker)
        QVERIFY(m_worker->shutdown(3000));
    hid().UsbServer_Exit();
    m_worker.reset();
    m_page.reset();
    SensorFlags::Armed = false;
}

void TestLightE2E::bringUp(const QByteArray& description, bool online) {
    IniStore& ini = VirtualMouseSetup::prepare(*m_appDir, *m_state, description);
    ini.setList("Option", "Wireless_PID", {"1002"});
    for (const char* key : {"MouseLight", "RecevieLight", "OneLed", "ThreeLed"})
        ini.setValue("Drive1", key, "1");
    ini.setList("Drive1", "Adveanced", {"0", "0"});
    ini.sync();
    QVERIFY(v.Reload());
    const QList<DeviceAllInfo> found = Discovery::enumerate(Discovery::Finder::Default);
    // On the cable the mouse and its receiver are listed apart: the mouse is the wired entry.
    QVERIFY(!found.isEmpty());
    m_mouse = found.first();
    for (const DeviceAllInfo& d : found)
        if (d.wired)
            m_mouse = d;
    m_page = std::make_unique<LampLight>();
    m_page->resize(1100, 700);
    m_page->show();
    m_worker = std::make_unique<Worker>();
    PostMsg::instance()->SendSelectMouseInfo(m_mouse);
    VirtualMouseSetup::run(*m_worker, m_mouse);
    if (online)
        QTRY_VERIFY_WITH_TIMEOUT(m_forms >= 1, 10000);
    else
        QTRY_VERIFY_WITH_TIMEOUT(LinkFlags::WaitingForOnline && !LinkFlags::RunRequested, 10000);
    SensorFlags::Armed = true;
}

void TestLightE2E::mouseControlsLandInTheFlash() {
    bringUp();
    auto* mode = child<QComboBox>("LightMod");
    auto* moving = child<QCheckBox>("RippeControl");
    auto* light = child<QSlider>("horizontalLight");

    mode->setCurrentIndex(3);
    QCOMPARE(int(flash().lightBarEffect), 3);
    QCOMPARE(int(flash().lightBarOn), 1);
    QVERIFY(light->isVisible() && !child<QSlider>("horizontalSpeed")->isVisible());
    QTest::mouseClick(moving, Qt::LeftButton, {}, QPoint(10, moving->height() / 2));
    QCOMPARE(int(flash().movingOffLight), 1);
    // Off: the bar and moving-off are switched off, the effect byte stays for the next switch-on.
    mode->setCurrentIndex(0);
    QCOMPARE(int(flash().lightBarOn), 0);
    QCOMPARE(int(flash().movingOffLight), 0);
    QCOMPARE(int(flash().lightBarEffect), 3);
    QVERIFY(!moving->isChecked() && !light->isVisible());

    mode->setCurrentIndex(2);
    light->setValue(1);
    QCOMPARE(int(flash().lightBarBrightness), 0);
    light->setValue(10);
    QCOMPARE(int(flash().lightBarBrightness), 9);
    QCOMPARE(child<QSpinBox>("LightSpinBox_2")->value(), 10);
    child<QSlider>("horizontalSpeed")->setValue(4);
    QCOMPARE(int(flash().lightBarSpeed), 3);

    // A preset is one write of all three colour bytes; a stepper one more.
    unsigned long long before[5], after[5];
    v.GetCounters(before);
    QTest::mouseClick(child<QPushButton>("toolButtonColorJ"), Qt::LeftButton);
    v.GetCounters(after);
    const FlashDataMap f = flash();
    QCOMPARE(QColor(f.lightBarColour[0], f.lightBarColour[1], f.lightBarColour[2]), QColor(96, 25, 133));
    QCOMPARE(after[2] - before[2], 1ull);
    QTest::mouseClick(child<QPushButton>("ReduceR"), Qt::LeftButton);
    QCOMPARE(int(flash().lightBarColour[0]), 95);
    QCOMPARE(child<QSpinBox>("RSpinBox")->value(), 95);

    // DPI light.
    auto* model = child<QComboBox>("Model");
    model->setCurrentIndex(1);
    child<QSlider>("LightH")->setValue(5);
    QCOMPARE(int(flash().dpiLightBrightness), 128);
    model->setCurrentIndex(2);
    QCOMPARE(int(flash().dpiLightEffect), 2);
    QCOMPARE(int(flash().dpiLightOn), 1);
    child<QSlider>("SpeedH")->setValue(3);
    QCOMPARE(int(flash().dpiLightSpeed), 3);
    QVERIFY(!child<QSlider>("LightH")->isVisible());
    model->setCurrentIndex(0);
    QCOMPARE(int(flash().dpiLightOn), 0);
    QCOMPARE(int(flash().dpiLightEffect), 2);

    // The preview moves only while it can be seen: a hidden page wakes nobody.
    mode->setCurrentIndex(2);
    QVERIFY(m_page->mouseLight()->preview()->animating());
    m_page->hide();
    QVERIFY(!m_page->mouseLight()->preview()->animating());
    m_page->show();
    // On a page left open it comes to rest after a few cycles (the fastest: 2 s), and moves again when
    // pointed at or changed; a refill with the same light leaves it still.
    EffectPreview preview(EffectPreview::Shape::Mouse);
    preview.show();
    preview.setLight(2, Qt::red, 10, 10);
    QVERIFY(preview.animating());
    QTRY_VERIFY_WITH_TIMEOUT(!preview.animating(), 2500);
    preview.setLight(2, Qt::red, 10, 10);
    QVERIFY(!preview.animating());
    QEvent enter(QEvent::Enter), leave(QEvent::Leave);
    QCoreApplication::sendEvent(&preview, &enter);
    QVERIFY(preview.animating());
    QTest::qWait(2200);
    QVERIFY(preview.animating()); // the pointer still rests on it
    QCoreApplication::sendEvent(&preview, &leave);
    QTRY_VERIFY_WITH_TIMEOUT(!preview.animating(), 500);
    preview.setLight(2, Qt::blue, 10, 10);
    QVERIFY(preview.animating());
    preview.setEnabled(false); // a light that cannot be set now stands still
    QVERIFY(!preview.animating());

    // The light-off time is the sensor page's time-out too: that page shows a change at once.
    Sensor sensor;
    auto* timeout = sensor.findChild<QComboBox*>("PerformanceOpen");
    QVERIFY(timeout);
    auto* off = child<QComboBox>("StopCloseTime");
    off->setCurrentIndex(3);
    emit off->activated(3); // 5 minutes
    QCOMPARE(int(flash().sleepTime), 30);
    QCOMPARE(Sensor::timeoutStoredValue(timeout->currentIndex()), 30);
    off->setCurrentIndex(10);
    emit off->activated(10);
    QCOMPARE(int(flash().sleepTime), 240);
    QCOMPARE(int(flash().sleepTimeCopy), 240);
    QCOMPARE(m_offline, 0);
    // And the other way: a time-out chosen on another page shows here without a new record.
    QVERIFY(SetSleepTime(6));
    PostMsg::instance()->SendFireOpen(2);
    QCOMPARE(off->currentIndex(), 2);
    QVERIFY(flash().sleepTime == 6 && m_offline == 0);
}

void TestLightE2E::fillingWritesNothingAndTheMouseIsFollowed() {
    bringUp();
    const FlashDataMap device = flash();
    // A record that differs from the mouse, with bytes outside the tables: shown, never written back.
    FlashDataMap odd = device;
    odd.dpiLightOn = 1;
    odd.dpiLightEffect = 7;
    odd.dpiLightBrightness = 100;
    odd.lightBarOn = 1;
    odd.lightBarEffect = 9;
    odd.lightBarBrightness = 40;
    odd.sleepTime = 12;
    m_page->SlotUpDataLightUILight(odd);
    QCOMPARE(child<QComboBox>("Model")->currentIndex(), 2);
    QCOMPARE(child<QSlider>("LightH")->value(), 4);
    QCOMPARE(child<QComboBox>("LightMod")->currentIndex(), 6);
    QCOMPARE(child<QSlider>("horizontalLight")->value(), 10);
    QCOMPARE(child<QComboBox>("StopCloseTime")->currentIndex(), 2);
    m_page->SlotUpDataLightUIA(odd);
    QVERIFY(child<QSlider>("horizontalLight")->isEnabled()); // an import refill leaves them usable
    QVERIFY(flash() == device);

    // The mouse's own DPI button, held: the page shows the DPI light's next effect and writes nothing.
    const int next = device.dpiLightOn == 0 ? 1 : device.dpiLightEffect == 1 ? 2 : 0;
    QVERIFY(v.HoldDpiButton("z1"));
    QTRY_COMPARE_WITH_TIMEOUT(child<QComboBox>("Model")->currentIndex(), next, 5000);
    FlashDataMap expected = device;
    expected.dpiLightOn = next != 0;
    if (next != 0)
        expected.dpiLightEffect = uint8_t(next);
    QVERIFY(flash() == expected);
    QCOMPARE(m_offline, 0);
}

void TestLightE2E::offlineChangeWritesNothing() {
    bringUp();
    auto* mode = child<QComboBox>("LightMod");
    const int shown = mode->currentIndex();
    const FlashDataMap device = flash();
    QVERIFY(v.SetLink("z1", 0));
    mode->setCurrentIndex(shown == 4 ? 5 : 4);
    QCOMPARE(mode->currentIndex(), shown);
    child<QSlider>("horizontalLight")->setValue(3);
    QVERIFY(!child<QSlider>("horizontalLight")->isEnabled()); // until the next record
    QTest::mouseClick(child<QPushButton>("toolButtonColorA"), Qt::LeftButton);
    QTest::mouseClick(child<QCheckBox>("ReUntil_3"), Qt::LeftButton, {}, QPoint(10, 10));
    child<QComboBox>("LightMod_4")->setCurrentIndex(2);
    QVERIFY(m_offline >= 4);
    QVERIFY(flash() == device);
}

void TestLightE2E::receiverLightsLandAndRefusalsRestore() {
    // The receiver's stored lights; its status value carries bytes of its own besides the behaviour.
    QFile lights(m_state->path() + "/r8.lights");
    QVERIFY(lights.open(QIODevice::WriteOnly));
    lights.write(QByteArray("ZFR1") + QByteArray::fromHex("01ff0000030301"
                                                          "010101"
                                                          "0109080706050403"));
    lights.close();
    bringUp();
    QVERIFY(child<QCheckBox>("ReUntil")->isChecked());
    for (const char* name : {"ReceiveLight", "OneLed", "ThreeLed"})
        QVERIFY2(child<QWidget>(name)->isVisible() && child<QWidget>(name)->isEnabled(), name);

    child<QComboBox>("LightMod_2")->setCurrentIndex(0);
    QCOMPARE(receiverBytes(&HidApi::UsbFinderC_GetDongleRGBBarMode, 7).at(0), '\0');
    QCOMPARE(receiverBytes(&HidApi::UsbFinderC_GetDongleRGBBarMode, 7).at(6), '\0');
    child<QComboBox>("LightMod_2")->setCurrentIndex(2);
    QTest::mouseClick(child<QPushButton>("toolButtonColorI_2"), Qt::LeftButton);
    child<QSlider>("horizontalLight_2")->setValue(7);
    child<QSlider>("horizontalSpeed_2")->setValue(2);
    QCOMPARE(receiverBytes(&HidApi::UsbFinderC_GetDongleRGBBarMode, 7),
             QByteArray::fromHex("022ea6df010601"));

    child<QComboBox>("LightMod_4")->setCurrentIndex(2);
    QCOMPARE(receiverBytes(&HidApi::UsbFinderC_GetDongleIndicatorLed, 3), QByteArray::fromHex("010201"));
    QTest::mouseClick(child<QCheckBox>("ReUntil_2"), Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(receiverBytes(&HidApi::UsbFinderC_Get4KDongleRGBValue, 8),
             QByteArray::fromHex("0209080706050403"));
    // The receiver's echo of the new value keeps the choice.
    QTest::qWait(200);
    QVERIFY(child<QCheckBox>("ReUntil_2")->isChecked() && !child<QCheckBox>("ReUntil")->isChecked());

    // The receiver keeps its lights across a restart of the library.
    QVERIFY(v.Reload());
    QCOMPARE(receiverBytes(&HidApi::UsbFinderC_GetDongleIndicatorLed, 3), QByteArray::fromHex("010201"));

    // A receiver that refuses: each control and buffer goes back, and nothing is sent again.
    QFile file(m_state->path() + "/devices.txt");
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(kDescription).replace("address=A10008", "address=A10008 lights=none"));
    file.close();
    QVERIFY(v.Reload());
    m_offline = 0;
    child<QComboBox>("LightMod_4")->setCurrentIndex(1);
    QCOMPARE(child<QComboBox>("LightMod_4")->currentIndex(), 2);
    child<QComboBox>("LightMod_2")->setCurrentIndex(5);
    QCOMPARE(child<QComboBox>("LightMod_2")->currentIndex(), 2);
    QCOMPARE(m_page->receiveLight()->bar().bytes[0], uint8_t(2));
    QTest::mouseClick(child<QCheckBox>("ReUntil_3"), Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(child<QCheckBox>("ReUntil_2")->isChecked() && !child<QCheckBox>("ReUntil_3")->isChecked());
    QCOMPARE(m_offline, 3);
    // The next full read finds no lights to show: the sections are disabled, not left with old values.
    m_page->SlotUpDataLightUILight(CurrentRecord::snapshot());
    QVERIFY(!child<QWidget>("ReceiveLight")->isEnabled() && !child<QWidget>("ThreeLed")->isEnabled());
    QCOMPARE(child<QWidget>("ThreeLed")->toolTip(), Language::text("light", "ReceiverSilent", 0));
}

void TestLightE2E::receiverSectionsOnTheCableSayWhy() {
    bringUp(QByteArray(kDescription).replace("link=receiver", "link=cable"));
    QVERIFY(m_mouse.wired);
    for (const char* name : {"ReceiveLight", "ThreeLed"}) {
        QWidget* section = child<QWidget>(name);
        QVERIFY2(section->isVisible() && !section->isEnabled() && !section->toolTip().isEmpty(), name);
        QCOMPARE(section->toolTip(), Language::text("light", "ReceiverOnCable", 0));
    }
    QVERIFY(child<QWidget>("MouseLight")->isEnabled() && child<QWidget>("MouseLight")->toolTip().isEmpty());
    Language::setCurrentIndex(1);
    PostMsg::instance()->SendAllLanguage(1);
    QCOMPARE(child<QWidget>("ThreeLed")->toolTip(), Language::text("light", "ReceiverOnCable", 1));
    Language::setCurrentIndex(0);
}

// Offline from the start with no record cached: the receiver's sections wait, disabled and saying why,
// until the mouse answers through the receiver.
void TestLightE2E::receiverSectionsWaitForTheMouse() {
    static std::atomic<qint64> now{100000};
    DeviceReports::setClock([] { return now.load(); });
    bringUp(QByteArray(kDescription).replace("link=receiver", "link=off"), false);
    for (const char* name : {"ReceiveLight", "OneLed", "ThreeLed"}) {
        QWidget* section = child<QWidget>(name);
        QVERIFY2(section->isVisible() && !section->isEnabled(), name);
        QCOMPARE(section->toolTip(), Language::text("light", "ReceiverSilent", 0));
    }
    now += 5000; // past the guard against repeated reconnection reports
    QVERIFY(v.SetLink("z1", HIDVIRT_LINK_RECEIVER));
    for (const char* name : {"ReceiveLight", "OneLed", "ThreeLed"}) {
        QTRY_VERIFY2_WITH_TIMEOUT(child<QWidget>(name)->isEnabled(), name, 10000);
        QVERIFY(child<QWidget>(name)->toolTip().isEmpty());
    }
    DeviceReports::setClock(nullptr);
}

QTEST_MAIN(TestLightE2E)
#include "tst_light_e2e.moc"
