#pragma once
// One-text notices. Each: construct, optionally placeOver(caller), exec(), then read result() if needed.
// Each stays a class of its own, so callers and tests can tell an open notice by its type.
#include "app/notices/NoticeBase.h"

// Offline notice of the home window; reason 0 = offline, otherwise the device did not answer in time.
// Also closed by SigCloseOffOnline.
class MouseOffLine : public KeyNotice {
    Q_OBJECT
public:
    explicit MouseOffLine(int reason = 0, QWidget* parent = nullptr);
    void setReason(int reason) { setKey(keyFor(reason)); }

private:
    static const char* keyFor(int reason) { return reason == 0 ? "DialogOffline" : "TimeOut"; }
};

// Several identical devices; only a close button.
class QuestiondialogB : public KeyNotice {
    Q_OBJECT
public:
    explicit QuestiondialogB(QWidget* parent = nullptr);
};

// result() true = delete.
class DeleteConfirm : public KeyNotice {
    Q_OBJECT
public:
    explicit DeleteConfirm(QWidget* parent = nullptr)
        : KeyNotice("DeleteConfirm", "DialogDeleteMacro", parent, "Confirm Delete") {}
};

// Import result 1 = broken file ("DialogConfigError"), 2 = does not fit the device.
class InportFail : public KeyNotice {
    Q_OBJECT
public:
    explicit InportFail(int failure = 2, QWidget* parent = nullptr)
        : KeyNotice("InportFail", failure == 1 ? "DialogConfigError" : "DialogEConfigMismatch", parent,
                    "Config does not match the device") {}
};

class FindNewVer : public KeyNotice {
    Q_OBJECT
public:
    explicit FindNewVer(QWidget* parent = nullptr) : KeyNotice("FindNewVer", "UpgradeTips", parent) {}
};

class UpDateWarning : public KeyNotice {
    Q_OBJECT
public:
    explicit UpDateWarning(QWidget* parent = nullptr)
        : KeyNotice("UpDateWarning", "WarnUpdate", parent, "Confirm Delete") {}
};

class LessThree : public KeyNotice {
    Q_OBJECT
public:
    explicit LessThree(QWidget* parent = nullptr)
        : KeyNotice("LessThree", "DialogDebounceTips", parent, "Please wait, we are updating the setting") {}
};

// The device library could not be used: names the file that was tried and whether it was missing or
// unusable; the loader's own message is the tooltip.
class LibraryMissing : public NoticeBase {
    Q_OBJECT
public:
    LibraryMissing(const QString& file, bool fileExists, const QString& detail, QWidget* parent = nullptr);

protected:
    void applyTexts(int index) override;

private:
    QString m_file;
    bool m_exists;
};
