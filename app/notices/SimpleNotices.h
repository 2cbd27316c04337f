#pragma once
// One-text notices. Each: construct, optionally placeOver(caller), exec(), then read result() if needed.
#include "app/notices/NoticeBase.h"

// Offline notice of the home window; reason 0 = offline, otherwise the device did not answer in time.
// Also closed by SigCloseOffOnline.
class MouseOffLine : public NoticeBase {
    Q_OBJECT
public:
    explicit MouseOffLine(int reason = 0, QWidget* parent = nullptr);
    void setReason(int reason);

protected:
    void applyTexts(int index) override;

private:
    int m_reason;
};

// Several identical devices; only a close button.
class QuestiondialogB : public NoticeBase {
    Q_OBJECT
public:
    explicit QuestiondialogB(QWidget* parent = nullptr);

protected:
    void applyTexts(int index) override;
};

// result() true = delete.
class DeleteConfirm : public NoticeBase {
    Q_OBJECT
public:
    explicit DeleteConfirm(QWidget* parent = nullptr);

protected:
    void applyTexts(int index) override;
};

// Import result 1 = broken file ("DialogConfigError"), 2 = does not fit the device.
class InportFail : public NoticeBase {
    Q_OBJECT
public:
    explicit InportFail(int failure = 2, QWidget* parent = nullptr);

protected:
    void applyTexts(int index) override;

private:
    int m_failure;
};

class FindNewVer : public NoticeBase {
    Q_OBJECT
public:
    explicit FindNewVer(QWidget* parent = nullptr);

protected:
    void applyTexts(int index) override;
};

class UpDateWarning : public NoticeBase {
    Q_OBJECT
public:
    explicit UpDateWarning(QWidget* parent = nullptr);

protected:
    void applyTexts(int index) override;
};

class LessThree : public NoticeBase {
    Q_OBJECT
public:
    explicit LessThree(QWidget* parent = nullptr);

protected:
    void applyTexts(int index) override;
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
