#include "app/notices/UpDataParam.h"

#include "app/core/Language.h"
#include "app/core/PostMsg.h"
#include "app/notices/SimpleNotices.h"
#include "device/DevicePagesLink.h"
#include "device/DeviceSession.h"
#include "device/LinkState.h"
#include "device/SettingWriters.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QToolButton>

namespace {
void realWait(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents,
                                        int(qMax<qint64>(1, qMin<qint64>(100, ms - t.elapsed()))));
}
bool yes(const std::function<bool()>& f) {
    return f && f();
}
} // namespace

UpDataParam::UpDataParam(QWidget* parent) : UpDataParam(deviceLinkEnv(), parent) {}

UpDataParam::Env UpDataParam::deviceLinkEnv() {
    Env env;
    env.pagesFilled = [] {
        return LinkFlags::SensorFilled && LinkFlags::LightFilled && LinkFlags::ButtonFilled;
    };
    env.clearPagesFilled = [] {
        LinkFlags::SensorFilled = false;
        LinkFlags::LightFilled = false;
        LinkFlags::ButtonFilled = false;
    };
    env.deviceReady = [] { return LinkFlags::DeviceReady.load(); };
    env.deviceOnline = [] { return LinkFlags::DeviceOnline.load(); };
    env.writeRecord = [](const FlashDataMap& record) {
        if (!DeviceSession::isOnline(SelectedDevice::path()))
            return false;
        CurrentRecord::replace(record);
        return PushRecord();
    };
    env.loadCache = [](FlashDataMap& out) { return DevicePagesLink::loadCache(out); };
    env.storeCache = [] { DevicePagesLink::saveCache(); };
    // The pending import belongs to the configuration import; until it registers, none is pending.
    return env;
}

UpDataParam::UpDataParam(Env env, QWidget* parent) : NoticeBase(parent), m_env(std::move(env)) {
    setObjectName("UpDataParam");
    if (!m_env.wait)
        m_env.wait = realWait;
    m_ok->hide();
    m_close->hide();
    m_label->setGeometry(20, 30, 260, 110); // no buttons: the text takes the whole dialog
    setLabelText("Please wait, we are updating the setting");
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &UpDataParam::onTimeupDestroy);
    if (Language::loadedCount() > 0)
        applyTexts(Language::currentIndex());
}

void UpDataParam::applyTexts(int index) {
    setLabelText(noticeText("DialogUpdating", index));
}

bool UpDataParam::waitForPages() {
    for (int pass = 0; pass < 12; ++pass) {
        if (yes(m_env.pagesFilled))
            return true;
        m_env.wait(500);
    }
    return yes(m_env.pagesFilled);
}

int UpDataParam::exec() {
    if (m_running)
        return QDialog::Rejected;
    m_running = true;
    const int result = QDialog::exec();
    m_running = false;
    return result;
}

void UpDataParam::onTimeupDestroy() {
    if (m_closing)
        return;
    m_closing = true;
    closeSteps();
    m_closing = false;
}

void UpDataParam::closeSteps() {
    PostMsg* hub = PostMsg::instance();
    emit hub->SigSetver(4);

    if (m_waitForDevice) {
        const bool filled = waitForPages();
        m_env.wait(2000);
        close();
        if (!filled)
            emit hub->SigMouseOffLineo(0);
        return;
    }

    if (yes(m_env.importPending)) {
        FlashDataMap record{};
        const int failure = m_env.readImport ? m_env.readImport(record) : 1;
        if (failure == 0) {
            // Written only when the mouse answers, so the record and the mouse never disagree.
            if (m_env.writeRecord && m_env.writeRecord(record)) {
                emit hub->SigUpDataLightUIA(record);
                emit hub->SigUpDataSensorUIB(record);
                emit hub->SigUpDataButtonUIC(record);
                emit hub->SigFormB();
                for (int i = 0; i < 5; ++i)
                    m_env.wait(500);
            } else {
                emit hub->SigMouseOffLineo(0);
            }
        } else if (m_env.showImportFail) {
            m_env.showImportFail(failure);
        } else {
            InportFail fail(failure, this);
            fail.placeOver(this, 0, 0);
            fail.exec();
        }
        if (m_env.clearImport)
            m_env.clearImport();
        close();
        return;
    }

    if (yes(m_env.deviceReady)) {
        const bool filled = waitForPages();
        if (filled && m_env.clearPagesFilled)
            m_env.clearPagesFilled();
        close();
        if (!filled)
            emit hub->SigMouseOffLineo(1);
        FlashDataMap cached{};
        if (yes(m_env.deviceOnline) && !(m_env.loadCache && m_env.loadCache(cached)) && m_env.storeCache)
            m_env.storeCache();
        return;
    }

    FlashDataMap cached{};
    if (m_env.loadCache && m_env.loadCache(cached)) {
        emit hub->SigUpDataLightUIA(cached);
        emit hub->SigUpDataSensorUIB(cached);
        emit hub->SigUpDataButtonUIC(cached);
        emit hub->SigFormB();
    }
    emit hub->SigMouseOffLineo(0);
    close();
}
