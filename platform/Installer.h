#pragma once
// Runs a downloaded installer with administrator rights and waits for it without blocking the caller's
// event loop: through pkexec where the system has it (polkit asks for the password), directly otherwise.
#include <QObject>
#include <QProcess>
#include <QString>

class Installer : public QObject {
    Q_OBJECT
public:
    explicit Installer(QObject* parent = nullptr);
    // The elevating program: found on PATH by default ("pkexec"); an empty text runs installers directly.
    static void setElevator(const QString& program);
    static QString elevator();

    // Makes `path` executable for its owner only and starts it. False (with errorText()) when it could
    // not be started; otherwise finished() follows.
    bool start(const QString& path);
    QString errorText() const { return m_error; }
    // Ends a running installer (the program is quitting).
    void kill();

signals:
    // exitCode is -1 when the installer crashed.
    void finished(int exitCode);

private:
    QProcess m_process;
    QString m_error;
};
