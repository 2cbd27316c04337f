#include "app/StartupServices.h"

#include "app/core/AppPaths.h"
#include "platform/CrashHandler.h"
#include "platform/RuntimeDir.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSharedMemory>
#include <QVector>
#include <QWidget>

#include <memory>

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
    // NewOnly: a file made meanwhile (zentrafoxctl, a second start) is never truncated.
    if (!macro.exists() && macro.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Text))
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
    std::unique_ptr<QLockFile> lock;
};

SingleInstance::SingleInstance(const QString& key) : d(new Impl) {
    d->key = key;
    d->memory.setKey(key);
}

SingleInstance::~SingleInstance() {
    delete d;
}

bool SingleInstance::acquire() {
    // Both the lock and the segment's key file live in the session's runtime folder: Qt would put the key
    // file in the temporary folder, which other sessions of the same user (and other tools) share.
    const QString dir = RuntimeDir::path();
    if (!dir.isEmpty()) {
        d->memory.setNativeKey(dir + QStringLiteral("/") + d->key + QStringLiteral(".shm"));
        d->lock = std::make_unique<QLockFile>(dir + QStringLiteral("/") + d->key + QStringLiteral(".lock"));
        // Never stale by age, only when the pid it names is gone (or is another program): a killed owner
        // frees it at the next start.
        d->lock->setStaleLockTime(0);
        if (!d->lock->tryLock(0)) {
            if (d->lock->error() == QLockFile::LockFailedError)
                return false;
            d->lock.reset(); // the folder refused the file: the segment alone decides
        }
    }
    if (d->memory.attach(QSharedMemory::ReadWrite)) {
        if (!d->lock)
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
    return true;
}

} // namespace StartupServices
