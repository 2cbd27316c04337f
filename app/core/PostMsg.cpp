#include "app/core/PostMsg.h"

#include <QLoggingCategory>
#include <QMutex>
#include <QSet>

Q_LOGGING_CATEGORY(lcHub, "zentrafox.hub", QtWarningMsg)

std::atomic<bool> PostMsg::s_shuttingDown{false};

PostMsg* PostMsg::instance() {
    static PostMsg* hub = nullptr;
    if (!hub)
        hub = new PostMsg;
    return hub;
}

PostMsg::PostMsg() : QObject(nullptr) {
    qRegisterMetaType<FlashDataMap>("FlashDataMap");
    qRegisterMetaType<DeviceAllInfo>("DeviceAllInfo");
    qRegisterMetaType<DongleRGB*>("DongleRGB*");
}

bool PostMsg::beginBlockingSend(const char* name) {
    QCoreApplication* app = QCoreApplication::instance();
    const bool onGui = app && QThread::currentThread() == app->thread();
    if (onGui) {
        static QMutex mutex;
        static QSet<QByteArray> noted;
        QMutexLocker lock(&mutex);
        if (!noted.contains(name)) {
            noted.insert(name);
            qCInfo(lcHub) << name << "sent on the GUI thread: delivered directly";
        }
        return true;
    }
    return !shuttingDown();
}

void PostMsg::SendChangeMainDialog(int index) {
    emit SigChangeMainDialog(index);
}

void PostMsg::SendChangeSize(int index) {
    emit SigChangeSize(index);
}

void PostMsg::SendUpDataConfigUI(int ToTalItem, int SelectIndex, bool ItemEnable) {
    if (!beginBlockingSend("SigUpDataConfigUI"))
        return;
    emit SigUpDataConfigUI(ToTalItem, SelectIndex, ItemEnable);
}

void PostMsg::SendUpDataLightUIButton(FlashDataMap DataMap) {
    if (!beginBlockingSend("SigUpDataLightUIButton"))
        return;
    emit SigUpDataLightUIButton(DataMap);
}

void PostMsg::SendUpDataLightLight(FlashDataMap DataMap) {
    if (!beginBlockingSend("SigUpDataLightLight"))
        return;
    emit SigUpDataLightLight(DataMap);
}

void PostMsg::SendUpDataLightSensor(FlashDataMap DataMap) {
    if (!beginBlockingSend("SigUpDataLightSensor"))
        return;
    emit SigUpDataLightSensor(DataMap);
}

void PostMsg::SendUpDataLightUIA(FlashDataMap DataMap) {
    emit SigUpDataLightUIA(DataMap);
}

void PostMsg::SendUpDataSensorUIB(FlashDataMap DataMap) {
    emit SigUpDataSensorUIB(DataMap);
}

void PostMsg::SendUpDataButtonUIC(FlashDataMap DataMap) {
    emit SigUpDataButtonUIC(DataMap);
}

void PostMsg::SendButtonToMacro(FlashDataMap DataMap, int KeyNumer) {
    emit SigButtonToMacro(DataMap, KeyNumer);
}

void PostMsg::SendSelectMouseInfo(DeviceAllInfo SelectInfo) {
    emit SigSelectMouseInfo(SelectInfo);
}

void PostMsg::SendMouseOffLineo(int index) {
    emit SigMouseOffLineo(index);
}

void PostMsg::SendMainPageChange() {
    emit SigMainPageChange();
}

void PostMsg::SendSecondPageChange() {
    emit SigSecondPageChange();
}

void PostMsg::SendAddMacroButton() {
    emit SigAddMacroButton();
}

void PostMsg::SendDeleteMacroButton(QString MacroName) {
    emit SigDeleteMacroButton(MacroName);
}

void PostMsg::SendMacroDownLoadData(QString MacroName, int index) {
    emit SigMacroDownLoadData(MacroName, index);
}

void PostMsg::SendUpDataMacro(QString MacroName, int index) {
    emit SigUpDataMacro(MacroName, index);
}

void PostMsg::SendUpDataParam(int index) {
    emit SigUpDataParam(index);
}

void PostMsg::SendUpDataReportRate(int index) {
    if (!beginBlockingSend("SigUpDataReportRate"))
        return;
    emit SigUpDataReportRate(index);
}

void PostMsg::SendUpDataDPI(int index) {
    if (!beginBlockingSend("SigUpDataDPI"))
        return;
    emit SigUpDataDPI(index);
}

void PostMsg::SendUpDataDPILed(FlashDataMap DataMap) {
    if (!beginBlockingSend("SigUpDataDPILed"))
        return;
    emit SigUpDataDPILed(DataMap);
}

void PostMsg::SendTimerStop() {
    emit SigTimerStop();
}

void PostMsg::SendButtonEnable(int index) {
    emit SigButtonEnable(index);
}

void PostMsg::SendLabelText(int index, QString Text) {
    emit SigLabelText(index, Text);
}

void PostMsg::SendLabelTextB(QString TextA, QString Text) {
    emit SigLabelTextB(TextA, Text);
}

void PostMsg::SendProgress(int index, int value) {
    emit SigProgress(index, value);
}

void PostMsg::SendBattery(bool IsCharg, int Number, bool IsText) {
    if (!beginBlockingSend("SigBattery"))
        return;
    emit SigBattery(IsCharg, Number, IsText);
}

void PostMsg::SendAutoRepair(int index) {
    emit SigAutoRepair(index);
}

void PostMsg::SendAutoRepairProgress(int index) {
    emit SigAutoRepairProgress(index);
}

void PostMsg::SendLanguageSameA(int index) {
    emit SigLanguageSameA(index);
}

void PostMsg::SendLanguageSameB(int index) {
    emit SigLanguageSameB(index);
}

void PostMsg::SendCloseOffOnline() {
    emit SigCloseOffOnline();
}

void PostMsg::SendMouseDropped() {
    emit SigMouseDropped();
}

void PostMsg::SendSetMacroPage() {
    emit SigSetMacroPage();
}

void PostMsg::SendStartRecord(int index) {
    emit SigStartRecord(index);
}

void PostMsg::SendUpDateButton(bool IsHide) {
    emit SigUpDateButton(IsHide);
}

void PostMsg::SendMacroRename(QString Rename, QString Name) {
    emit SigMacroRename(Rename, Name);
}

void PostMsg::SendSetver(int index) {
    emit SigSetver(index);
}

void PostMsg::SendRGBValue(DongleRGB* Rgb) {
    if (!beginBlockingSend("SigRGBValue"))
        return;
    emit SigRGBValue(Rgb);
}

void PostMsg::SendLongRangeMode(bool Select) {
    if (!beginBlockingSend("SigLongRangeMode"))
        return;
    emit SigLongRangeMode(Select);
}

void PostMsg::SendForm() {
    if (!beginBlockingSend("SigForm"))
        return;
    emit SigForm();
}

void PostMsg::SendFormB() {
    emit SigFormB();
}

void PostMsg::SendEnterKey() {
    emit SigEnterKey();
}

void PostMsg::SendFormReset() {
    if (!beginBlockingSend("SigFormReset"))
        return;
    emit SigFormReset();
}

void PostMsg::SendHideModel(int index) {
    emit SigHideModel(index);
}

void PostMsg::SendContinue(int index) {
    emit SigContinue(index);
}

void PostMsg::SendMouseIndex(int index) {
    emit SigMouseIndex(index);
}

void PostMsg::SendUpdateStart() {
    emit SigUpdateStart();
}

void PostMsg::SendCheckUpdate() {
    emit SigCheckUpdate();
}

void PostMsg::SendRepairCheckUpdate() {
    emit SigRepairCheckUpdate();
}

void PostMsg::SendSetNewVer() {
    emit SigSetNewVer();
}

void PostMsg::SendLightToFrom(int index) {
    emit SigLightToFrom(index);
}

void PostMsg::SendButtonCheck() {
    emit SigButtonCheck();
}

void PostMsg::SendAllLanguage(int Index) {
    emit SigAllLanguage(Index);
}

void PostMsg::SendUpdateFrame(bool IsVis) {
    emit SigUpdateFrame(IsVis);
}

void PostMsg::SendAddSensor(int Value) {
    emit SigAddSensor(Value);
}

void PostMsg::SendAddReport(int Value) {
    emit SigAddReport(Value);
}

void PostMsg::SendAddLOD(QString Value) {
    emit SigAddLOD(Value);
}

void PostMsg::SendDebunce(QString Value) {
    emit SigDebunce(Value);
}

void PostMsg::SendAddConfig(QString Value) {
    emit SigAddConfig(Value);
}

void PostMsg::SendAddVer(int Type, QString Ver) {
    emit SigAddVer(Type, Ver);
}

void PostMsg::SendAddUpdate(int Type, bool Isupdate) {
    emit SigAddUpdate(Type, Isupdate);
}

void PostMsg::Send20KOpen(bool Open) {
    emit Sig20KOpen(Open);
}

void PostMsg::SendtVis(int index) {
    emit SigtVis(index);
}

void PostMsg::SendIsUsb(bool Usb, bool IsVs) {
    emit SigIsUsb(Usb, IsVs);
}

void PostMsg::SendSleep(int index) {
    emit SigSleep(index);
}

void PostMsg::SendFireOpen(int index) {
    emit SigFireOpen(index);
}

void PostMsg::SendTouchkey() {
    emit SigTouchkey();
}

void PostMsg::SendPairKey(int ROL, int State) {
    emit SigPairKey(ROL, State);
}

void PostMsg::SendReadYValue() {
    emit SigReadYValue();
}

void PostMsg::SendAutoLan() {
    emit SigAutoLan();
}
