#pragma once
// The signal hub: the one object through which windows, pages and the device link meet.
// Callers always go through the Send... methods; nobody emits the signals directly.

#include "app/core/DeviceAllInfo.h"
#include "app/core/DongleRGB.h"
#include "app/core/FlashDataMap.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

Q_DECLARE_METATYPE(FlashDataMap)
Q_DECLARE_METATYPE(DongleRGB*)

class PostMsg : public QObject {
    Q_OBJECT
public:
    static PostMsg* instance();

    // Connects one of the twelve device-news signals as a blocking queued connection: an emitter on
    // another thread waits until the slot has run on the receiver's thread. Emitted on the receiver's
    // own thread the slot runs at once, so a GUI-thread emission can never wait on itself.
    template <typename... SigArgs, typename Recv, typename... SlotArgs>
    static QMetaObject::Connection connectBlocking(void (PostMsg::*signal)(SigArgs...), Recv* receiver,
                                                   void (Recv::*slot)(SlotArgs...)) {
        QPointer<Recv> guard(receiver);
        return QObject::connect(
            instance(), signal, receiver,
            [guard, slot](SigArgs... args) {
                Recv* r = guard.data();
                if (!r)
                    return;
                if (QThread::currentThread() == r->thread()) {
                    (r->*slot)(args...);
                    return;
                }
                if (shuttingDown())
                    return;
                callAndWait(r, [&]() {
                    if (Recv* live = guard.data())
                        (live->*slot)(args...);
                });
            },
            Qt::DirectConnection);
    }

    // The same for a functor run in the thread of `context` (tests and small adapters).
    template <typename... SigArgs, typename Functor>
    static QMetaObject::Connection connectBlockingFunctor(void (PostMsg::*signal)(SigArgs...),
                                                          QObject* context, Functor f) {
        QPointer<QObject> guard(context);
        return QObject::connect(
            instance(), signal, context,
            [guard, f](SigArgs... args) {
                QObject* c = guard.data();
                if (!c)
                    return;
                if (QThread::currentThread() == c->thread()) {
                    f(args...);
                    return;
                }
                if (shuttingDown())
                    return;
                callAndWait(c, [&]() { f(args...); });
            },
            Qt::DirectConnection);
    }

    // Runs `call` in the thread of `context` and waits until it has run there or has been dropped
    // with the object. Same effect as a blocking queued call, but the wait is a std::mutex and
    // condition variable, which ThreadSanitizer sees (Qt's own semaphore it cannot): the slot's reads
    // of the emitter's arguments happen before the emitter goes on.
    template <typename Call> static void callAndWait(QObject* context, Call call) {
        struct Done {
            std::mutex mutex;
            std::condition_variable cv;
            bool released = false;
        } done;
        // Released when Qt destroys the queued call: after it ran, or unrun with its receiver.
        struct Releaser {
            explicit Releaser(Done* done) : d(done) {}
            Releaser(const Releaser&) = delete;
            Releaser& operator=(const Releaser&) = delete;
            Done* d;
            ~Releaser() {
                std::lock_guard<std::mutex> lock(d->mutex);
                d->released = true;
                d->cv.notify_all();
            }
        };
        {
            auto releaser = std::make_shared<Releaser>(&done);
            post(context, [releaser, &call] { call(); });
        }
        std::unique_lock<std::mutex> lock(done.mutex);
        done.cv.wait(lock, [&] { return done.released; });
    }

    // Queues `call` to the thread of `context` without waiting, from any thread (a library's callback
    // thread).
    template <typename Call> static void postFromAnyThread(QObject* context, Call call) {
        post(context, std::move(call));
    }

private:
    // Qt's event queue locks with futexes ThreadSanitizer cannot see. A call is posted under our own
    // mutex, and the receiving thread takes it before it runs the call and again before it frees the
    // call, run or dropped unrun with its receiver: the poster's writes (arguments, the queued functor)
    // visibly happen before the receiver reads or frees them.
    static std::recursive_mutex& handoffMutex() {
        static std::recursive_mutex m;
        return m;
    }

    template <typename Call> class HandedOff {
    public:
        explicit HandedOff(Call call) : m_call(std::move(call)) {}
        HandedOff(HandedOff&&) = default;
        HandedOff(const HandedOff&) = default;
        // The body runs before the call's captures are destroyed.
        ~HandedOff() { std::lock_guard<std::recursive_mutex> received(handoffMutex()); }
        void operator()() {
            { std::lock_guard<std::recursive_mutex> received(handoffMutex()); }
            m_call();
        }

    private:
        Call m_call;
    };

    // Recursive: the poster's own temporaries are destroyed while it still holds the mutex.
    template <typename Call> static void post(QObject* context, Call call) {
        if (!context)
            return;
        std::lock_guard<std::recursive_mutex> posting(handoffMutex());
        QMetaObject::invokeMethod(context, HandedOff<Call>(std::move(call)), Qt::QueuedConnection);
    }

public:
    // Once shutdown begins, the device link's blocking emissions from other threads are dropped, so a
    // GUI thread that waits for the worker can never be waited on in turn.
    static void beginShutdown() { s_shuttingDown.store(true); }
    static void resetShutdown() { s_shuttingDown.store(false); }
    static bool shuttingDown() { return s_shuttingDown.load(); }

    void SendChangeMainDialog(int index);
    void SendChangeSize(int index);
    void SendUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable);
    void SendUpDataLightUIButton(FlashDataMap DataMap);
    void SendUpDataLightLight(FlashDataMap DataMap);
    void SendUpDataLightSensor(FlashDataMap DataMap);
    void SendUpDataLightUIA(FlashDataMap DataMap);
    void SendUpDataSensorUIB(FlashDataMap DataMap);
    void SendUpDataButtonUIC(FlashDataMap DataMap);
    void SendButtonToMacro(FlashDataMap DataMap, int KeyNumer);
    void SendSelectMouseInfo(DeviceAllInfo SelectInfo);
    void SendMouseOffLineo(int index);
    void SendMainPageChange();
    void SendSecondPageChange();
    void SendAddMacroButton();
    void SendDeleteMacroButton(QString MacroName);
    void SendMacroDownLoadData(QString MacroName, int index);
    void SendUpDataMacro(QString MacroName, int index);
    void SendUpDataParam(int index);
    void SendUpDataReportRate(int index);
    void SendUpDataDPI(int index);
    void SendUpDataDPILed(FlashDataMap DataMap);
    void SendTimerStop();
    void SendButtonEnable(int index);
    void SendLabelText(int index, QString Text);
    void SendLabelTextB(QString TextA, QString Text);
    void SendProgress(int index, int value);
    void SendBattery(bool IsCharg, int Number, bool IsText);
    void SendAutoRepair(int index);
    void SendAutoRepairProgress(int index);
    void SendLanguageSameA(int index);
    void SendLanguageSameB(int index);
    void SendCloseOffOnline();
    void SendMouseDropped();
    void SendSetMacroPage();
    void SendStartRecord(int index);
    void SendUpDateButton(bool IsHide);
    void SendMacroRename(QString Rename, QString Name);
    void SendSetver(int index);
    void SendRGBValue(DongleRGB* Rgb);
    void SendLongRangeMode(bool Select);
    void SendForm();
    void SendFormB();
    void SendEnterKey();
    void SendFormReset();
    void SendHideModel(int index);
    void SendContinue(int index);
    void SendMouseIndex(int index);
    void SendUpdateStart();
    void SendCheckUpdate();
    void SendRepairCheckUpdate();
    void SendSetNewVer();
    void SendLightToFrom(int index);
    void SendButtonCheck();
    void SendAllLanguage(int Index);
    void SendUpdateFrame(bool IsVis);
    void SendAddSensor(int Value);
    void SendAddReport(int Value);
    void SendAddLOD(QString Value);
    void SendDebunce(QString Value);
    void SendAddConfig(QString Value);
    void SendAddVer(int Type, QString Ver);
    void SendAddUpdate(int Type, bool Isupdate);
    void Send20KOpen(bool Open);
    void SendtVis(int index);
    void SendIsUsb(bool Usb, bool IsVs);
    void SendSleep(int index);
    void SendFireOpen(int index);
    void SendTouchkey();
    void SendPairKey(int ROL, int State);
    void SendReadYValue();
    void SendAutoLan();

signals:
    void SigChangeMainDialog(int index);
    void SigChangeSize(int index);
    void SigUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable);
    void SigUpDataLightUIButton(FlashDataMap DataMap);
    void SigUpDataLightLight(FlashDataMap DataMap);
    void SigUpDataLightSensor(FlashDataMap DataMap);
    void SigUpDataLightUIA(FlashDataMap DataMap);
    void SigUpDataSensorUIB(FlashDataMap DataMap);
    void SigUpDataButtonUIC(FlashDataMap DataMap);
    void SigButtonToMacro(FlashDataMap DataMap, int KeyNumer);
    void SigSelectMouseInfo(DeviceAllInfo SelectInfo);
    void SigMouseOffLineo(int index);
    void SigMainPageChange();
    void SigSecondPageChange();
    void SigAddMacroButton();
    void SigDeleteMacroButton(QString MacroName);
    void SigMacroDownLoadData(QString MacroName, int index);
    void SigUpDataMacro(QString MacroName, int index);
    void SigUpDataParam(int index);
    void SigUpDataReportRate(int index);
    void SigUpDataDPI(int index);
    void SigUpDataDPILed(FlashDataMap DataMap);
    void SigTimerStop();
    void SigButtonEnable(int index);
    void SigLabelText(int index, QString Text);
    void SigLabelTextB(QString TextA, QString Text);
    void SigProgress(int index, int value);
    void SigBattery(bool IsCharg, int Number, bool IsText);
    void SigAutoRepair(int index);
    void SigAutoRepairProgress(int index);
    void SigLanguageSameA(int index);
    void SigLanguageSameB(int index);
    void SigCloseOffOnline();
    // The online check found the selected mouse gone while its pages were live; no write was refused,
    // so no notice: the frame only shows the offline state until SigCloseOffOnline.
    void SigMouseDropped();
    void SigSetMacroPage();
    void SigStartRecord(int index);
    void SigUpDateButton(bool IsHide);
    void SigMacroRename(QString Rename, QString Name);
    void SigSetver(int index);
    void SigRGBValue(DongleRGB* Rgb);
    void SigLongRangeMode(bool Select);
    void SigForm();
    void SigFormB();
    void SigEnterKey();
    void SigFormReset();
    void SigHideModel(int index);
    void SigContinue(int index);
    void SigMouseIndex(int index);
    void SigUpdateStart();
    void SigCheckUpdate();
    void SigRepairCheckUpdate();
    void SigSetNewVer();
    void SigLightToFrom(int index);
    void SigButtonCheck();
    void SigAllLanguage(int Index);
    void SigUpdateFrame(bool IsVis);
    void SigAddSensor(int Value);
    void SigAddReport(int Value);
    void SigAddLOD(QString Value);
    void SigDebunce(QString Value);
    void SigAddConfig(QString Value);
    void SigAddVer(int Type, QString Ver);
    void SigAddUpdate(int Type, bool Isupdate);
    void Sig20KOpen(bool Open);
    void SigtVis(int index);
    void SigIsUsb(bool Usb, bool IsVs);
    void SigSleep(int index);
    void SigFireOpen(int index);
    void SigTouchkey();
    void SigPairKey(int ROL, int State);
    void SigReadYValue();
    void SigAutoLan();

private:
    PostMsg();
    // Checks the shutdown rule and notes a GUI-thread send of a device-news signal (logged once).
    bool beginBlockingSend(const char* name);
    static std::atomic<bool> s_shuttingDown;
};
