#include "platform/Installer.h"

#include <QFile>
#include <QStandardPaths>

namespace {
bool g_elevatorSet = false;
QString g_elevator;
} // namespace

Installer::Installer(QObject* parent) : QObject(parent) {
    connect(&m_process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this,
            [this](int code, QProcess::ExitStatus status) {
                emit finished(status == QProcess::NormalExit ? code : -1);
            });
}

void Installer::setElevator(const QString& program) {
    g_elevatorSet = true;
    g_elevator = program;
}

QString Installer::elevator() {
    return g_elevatorSet ? g_elevator : QStandardPaths::findExecutable(QStringLiteral("pkexec"));
}

bool Installer::start(const QString& path) {
    m_error.clear();
    if (!QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        m_error = QStringLiteral("cannot make %1 executable").arg(path);
        return false;
    }
    const QString elevate = elevator();
    if (elevate.isEmpty())
        m_process.start(path, QStringList());
    else
        m_process.start(elevate, {path});
    if (!m_process.waitForStarted(10000)) {
        m_error = m_process.errorString();
        return false;
    }
    return true;
}

void Installer::kill() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}
