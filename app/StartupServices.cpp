#include "app/StartupServices.h"

#include "app/core/AppPaths.h"
#include "platform/CrashHandler.h"
#include "platform/RuntimeDir.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSharedMemory>
#include <QVector>
#include <QWidget>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace StartupServices {

void createUserFolders() {
    const QString root = AppPaths::userDataRoot();
    static const char* const folders[] = {"/Log",
                                          "/Device_Info",
                                          "/Exception",
                                          "/usersetting",
                                          "/usersetting/MainPage",
                                          "/usersetting/MacroPage",
                                          "/usersetting/SensorPage"};
    for (const char* f : folders) {
        const QString path = root + QLatin1String(f);
        if (!QDir(path).exists())
            QDir().mkpath(path);
    }
    QFile macro(root + QStringLiteral("/Macro.ini"));
    if (!macro.exists() && macro.open(QIODevice::WriteOnly | QIODevice::Text))
        macro.close();
}

int pruneOldFiles(const QString& folder) {
    const QDateTime now = QDateTime::currentDateTime();
    int removed = 0;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& info : entries) {
        const qint64 days = info.lastModified().secsTo(now) / 86400;
        if (days > 7 && QFile::remove(info.absoluteFilePath()))
            ++removed;
    }
    return removed;
}

QString scaleFactorFor(int width) {
    if (width <= 1920)
        return QString();
    return QString::number(width / 1920);
}

void applyFontScale(QWidget* root, double factor) {
    if (!root)
        return;
    // A child without its own font inherits its parent's, already scaled: take every size first.
    QVector<QPair<QWidget*, QFont>> plan;
    QVector<QWidget*> queue{root};
    for (int i = 0; i < queue.size(); ++i) {
        QWidget* w = queue[i];
        QFont f = w->font();
        // Fonts sized in pixels (style sheets) report no point size; scale those in pixels.
        if (f.pointSizeF() > 0)
            f.setPointSizeF(f.pointSizeF() * factor);
        else if (f.pixelSize() > 0)
            f.setPixelSize(qMax(1, qRound(f.pixelSize() * factor)));
        plan.append({w, f});
        for (QObject* child : w->children())
            if (child->isWidgetType())
                queue.append(static_cast<QWidget*>(child));
    }
    for (const auto& step : plan) {
        const QString name = step.first->objectName();
        if (name != QLatin1String("Receive_2"))
            step.first->setFont(step.second);
        if (name == QLatin1String("NoApear"))
            QApplication::setFont(step.second, "QTipLabel");
    }
}

void installCrashHandler() {
    static bool done = false;
    if (done)
        return;
    done = true;
    CrashHandler::install(AppPaths::userDataRoot());
}

struct SingleInstance::Impl {
    QString key;
    QSharedMemory memory;
    int lockFd = -1;
    ssize_t written = 0;
};

SingleInstance::SingleInstance(const QString& key) : d(new Impl) {
    d->key = key;
    d->memory.setKey(key);
}

SingleInstance::~SingleInstance() {
    if (d->lockFd >= 0)
        ::close(d->lockFd);
    delete d;
}

bool SingleInstance::acquire() {
    // Both the lock and the segment's key file live in the session's runtime folder: Qt would put the key
    // file in the temporary folder, which other sessions of the same user (and other tools) share.
    const QString dir = RuntimeDir::path();
    if (!dir.isEmpty()) {
        d->memory.setNativeKey(dir + QStringLiteral("/") + d->key + QStringLiteral(".shm"));
        // The lock is held by the kernel for the owner's life, so a killed owner frees it at once.
        const QString lockPath = dir + QStringLiteral("/") + d->key + QStringLiteral(".lock");
        d->lockFd =
            ::open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    }
    if (d->lockFd >= 0 && ::flock(d->lockFd, LOCK_EX | LOCK_NB) != 0) {
        ::close(d->lockFd);
        d->lockFd = -1;
        return false;
    }
    if (d->memory.attach(QSharedMemory::ReadWrite)) {
        if (d->lockFd < 0)
            return false; // no lock file to tell: trust the segment
        // We hold the lock, so the segment's owner is gone: drop the stale segment and take over.
        d->memory.detach();
    }
    if (!d->memory.create(1, QSharedMemory::ReadWrite) && d->memory.error() == QSharedMemory::AlreadyExists) {
        // Stale System V segment: attaching and detaching as the last user removes it.
        if (d->memory.attach())
            d->memory.detach();
        d->memory.create(1, QSharedMemory::ReadWrite);
    }
    if (d->lockFd >= 0) {
        const QByteArray pid = QByteArray::number(static_cast<qint64>(getpid()));
        // The pid is only informative for a person looking at the file; the lock is what counts.
        if (::ftruncate(d->lockFd, 0) == 0)
            d->written = ::write(d->lockFd, pid.constData(), static_cast<size_t>(pid.size()));
    }
    return true;
}

} // namespace StartupServices
