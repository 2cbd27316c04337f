#include "app/update/UpdateCheck.h"

#include "app/core/IniStores.h"
#include "app/core/Logging.h"
#include "app/notices/ExeIsRun.h"
#include "app/update/UpdateProgress.h"
#include "platform/Installer.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QTimer>
#include <QWidget>

UpdateFetch::UpdateFetch(QNetworkAccessManager* network, const QUrl& url, int phaseMs, int receiveMs,
                         int capMs, qint64 maxBytes, QFile* sink, const QList<QSslCertificate>& extraCa,
                         QObject* parent)
    : QObject(parent), m_sink(sink), m_maxBytes(maxBytes), m_receiveMs(receiveMs), m_idle(new QTimer(this)),
      m_cap(new QTimer(this)) {
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, UpdateCheck::userAgent());
    // A redirect may not leave HTTPS; the listing's plain HTTP is not followed anywhere.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    if (!extraCa.isEmpty() && url.scheme() == QLatin1String("https")) {
        QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
        ssl.addCaCertificates(extraCa);
        request.setSslConfiguration(ssl);
    }
    m_clock.start();
    m_reply = network->get(request);
    m_reply->setParent(this);
    // Until the answer starts: resolve, connect and send, then the wait for the answer.
    m_idle->setSingleShot(true);
    m_idle->start(3 * phaseMs + receiveMs);
    m_cap->setSingleShot(true);
    m_cap->start(capMs);
    connect(m_idle, &QTimer::timeout, this, [this] { stop(QStringLiteral("no answer in time"), true); });
    connect(m_cap, &QTimer::timeout, this, [this] { stop(QStringLiteral("time limit reached"), true); });
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] { m_idle->start(m_receiveMs); });
    connect(m_reply, &QNetworkReply::readyRead, this, &UpdateFetch::onReadyRead);
    connect(m_reply, &QNetworkReply::downloadProgress, this, &UpdateFetch::progress);
    connect(m_reply, &QNetworkReply::finished, this, &UpdateFetch::onFinished);
}

void UpdateFetch::abort() {
    stop(QStringLiteral("cancelled"), false);
}

void UpdateFetch::stop(const QString& why, bool timedOut) {
    if (m_stopped)
        return;
    m_stopped = true;
    m_stopReason = why;
    m_result.timedOut = timedOut;
    m_reply->abort(); // finished() follows at once
}

void UpdateFetch::onReadyRead() {
    if (m_stopped)
        return;
    m_idle->start(m_receiveMs);
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 200) {
        stop(QStringLiteral("HTTP status %1").arg(status), false);
        return;
    }
    const QByteArray part = m_reply->readAll();
    if (m_result.received + part.size() > m_maxBytes) {
        stop(QStringLiteral("answer larger than %1 bytes").arg(m_maxBytes), false);
        return;
    }
    m_result.received += part.size();
    if (!m_sink) {
        m_result.body += part;
    } else if (m_sink->write(part) != part.size()) {
        stop(QStringLiteral("write failed: %1").arg(m_sink->errorString()), false);
    }
}

void UpdateFetch::onFinished() {
    // What is left of a sound answer; a failed one keeps its own error rather than "status 0".
    if (!m_stopped && m_reply->error() == QNetworkReply::NoError)
        onReadyRead();
    m_idle->stop();
    m_cap->stop();
    m_result.elapsedMs = m_clock.elapsed();
    m_result.status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    m_result.contentLength = length.isValid() ? length.toLongLong() : -1;
    if (m_stopped) {
        m_result.error = m_stopReason;
    } else if (m_reply->error() != QNetworkReply::NoError) {
        m_result.error = m_reply->errorString();
    } else if (m_result.status != 200) {
        m_result.error = QStringLiteral("HTTP status %1").arg(m_result.status);
    } else if (m_result.contentLength >= 0 && m_result.contentLength != m_result.received) {
        m_result.error = QStringLiteral("%1 of %2 bytes").arg(m_result.received).arg(m_result.contentLength);
    } else {
        m_result.ok = true;
    }
    emit done(m_result);
}

QByteArray UpdateCheck::userAgent() {
    return QByteArrayLiteral("ZavivAVAdad/1.0");
}

UpdateCheck::UpdateCheck(QWidget* window, QObject* parent)
    : QObject(parent), m_window(window), m_network(new QNetworkAccessManager(this)) {
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    m_ask = [](QWidget* over) {
        ExeIsRun notice(over);
        notice.setNewVersionForm();
        if (over) {
            const QPoint centre = over->mapToGlobal(over->rect().center());
            notice.move(centre.x() - notice.width() / 2, centre.y() - notice.height() / 2 - 20);
        }
        notice.exec();
        return notice.result();
    };
}

UpdateCheck::~UpdateCheck() {
    if (m_installer)
        m_installer->kill();
    delete m_progressWindow.data();
}

UpdateCheck::Settings UpdateCheck::readSettings() {
    const IniStore& ini = ConfigIniStore::instance();
    return Settings{ini.value(QStringLiteral("Option"), QStringLiteral("Ver")).trimmed(),
                    ini.value(QStringLiteral("Option"), QStringLiteral("UpdateURL")).trimmed()};
}

void UpdateCheck::start() {
    if (m_settings.installedVersion.isEmpty()) {
        qCInfo(lcShell) << "Config Ver is empty, skip update check";
        finish(false);
        return;
    }
    qCInfo(lcShell) << "Current Ver from Config:" << m_settings.installedVersion;
    if (m_settings.baseUrl.isEmpty()) {
        finish(false);
        return;
    }
    qCInfo(lcShell) << "Update server URL:" << m_settings.baseUrl;
    const QUrl url = UpdateRules::listingUrl(m_settings.baseUrl);
    if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))) {
        qCInfo(lcShell) << "No network or server unreachable, start original program";
        finish(false);
        return;
    }
    m_fetch = new UpdateFetch(m_network, url, m_limits.listingPhaseMs, m_limits.listingReceiveMs,
                              m_limits.listingCapMs, UpdateRules::kMaxListingBytes, nullptr, m_extraCa, this);
    connect(m_fetch, &UpdateFetch::done, this, &UpdateCheck::onListing);
}

void UpdateCheck::onListing(const UpdateFetch::Result& r) {
    m_fetch->deleteLater();
    // Only a whole 200 answer is a listing: an error page names nothing to install.
    if (r.ok) {
        qCInfo(lcShell) << "Directory listing received:" << r.body.size() << "bytes";
        m_listing = UpdateRules::parseListing(r.body);
        if (m_listing.empty())
            qCInfo(lcShell) << "No valid installer filename found in directory listing";
        else
            qCInfo(lcShell) << "Latest installer found:" << m_listing.fileName
                            << "version:" << m_listing.version;
    } else {
        qCInfo(lcShell) << "Directory listing failed:" << r.error;
    }
    if (m_listing.empty()) {
        qCInfo(lcShell) << "No network or server unreachable, start original program";
        finish(false);
        return;
    }
    qCInfo(lcShell) << "Server version:" << m_listing.version;
    if (!UpdateRules::isNewerVersion(m_settings.installedVersion, m_listing.version)) {
        qCInfo(lcShell) << "Version is up to date, no update needed";
        finish(false);
        return;
    }
    qCInfo(lcShell) << "New version available! Current:" << m_settings.installedVersion
                    << "New:" << m_listing.version;
    if (!m_ask(m_window.data())) {
        finish(false);
        return;
    }
    startDownload();
}

void UpdateCheck::startDownload() {
    const QUrl file = UpdateRules::fileUrl(m_settings.baseUrl, m_listing.fileName);
    qCInfo(lcShell) << "Downloading from:" << file.toString();
    if (!UpdateRules::secureForDownload(file)) {
        qCInfo(lcShell) << "Installer address is not HTTPS";
        downloadFailed();
        return;
    }
    // The checksum first: without one nothing is downloaded, let alone run.
    m_fetch = new UpdateFetch(m_network, UpdateRules::checksumUrl(m_settings.baseUrl, m_listing.fileName),
                              m_limits.downloadPhaseMs, m_limits.downloadReceiveMs, m_limits.downloadCapMs,
                              UpdateRules::kMaxChecksumBytes, nullptr, m_extraCa, this);
    connect(m_fetch, &UpdateFetch::done, this, &UpdateCheck::onChecksum);
}

void UpdateCheck::onChecksum(const UpdateFetch::Result& r) {
    m_fetch->deleteLater();
    m_digest = r.ok ? UpdateRules::parseChecksum(r.body, m_listing.fileName) : QByteArray();
    if (m_digest.isEmpty()) {
        qCInfo(lcShell) << "No usable checksum published beside the installer:"
                        << (r.ok ? "malformed" : r.error);
        downloadFailed();
        return;
    }
    // A private folder (mode 0700) and a file that must not exist yet: nobody can slip another in.
    m_dir = std::make_unique<QTemporaryDir>();
    if (!m_dir->isValid()) {
        qCInfo(lcShell) << "Failed to create file:" << m_dir->errorString();
        downloadFailed();
        return;
    }
    m_localPath = m_dir->filePath(m_listing.fileName);
    m_file = std::make_unique<QFile>(m_localPath);
    if (!m_file->open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        qCInfo(lcShell) << "Failed to create file:" << m_localPath;
        downloadFailed();
        return;
    }
    m_progressWindow = new UpdateProgress(m_window.data());
    if (m_window) {
        const QPoint centre = m_window->mapToGlobal(m_window->rect().center());
        m_progressWindow->move(centre.x() - m_progressWindow->width() / 2,
                               centre.y() - m_progressWindow->height() / 2 - 20);
    }
    m_progressWindow->show();
    m_fetch = new UpdateFetch(m_network, UpdateRules::fileUrl(m_settings.baseUrl, m_listing.fileName),
                              m_limits.downloadPhaseMs, m_limits.downloadReceiveMs, m_limits.downloadCapMs,
                              std::numeric_limits<qint64>::max(), m_file.get(), m_extraCa, this);
    connect(m_fetch, &UpdateFetch::progress, m_progressWindow, &UpdateProgress::setProgress);
    connect(m_progressWindow, &UpdateProgress::cancelled, m_fetch, &UpdateFetch::abort);
    connect(m_fetch, &UpdateFetch::done, this, &UpdateCheck::onDownload);
}

void UpdateCheck::onDownload(const UpdateFetch::Result& r) {
    m_fetch->deleteLater();
    const bool flushed = m_file->flush();
    m_file->close();
    if (!r.ok || !flushed) {
        if (r.timedOut)
            qCInfo(lcShell) << "Download timeout after" << r.elapsedMs << "ms";
        else
            qCInfo(lcShell) << "Download failed:" << (flushed ? r.error : m_file->errorString());
        downloadFailed();
        return;
    }
    // The length must be announced and met; a cut answer is not an installer.
    if (r.contentLength != r.received) {
        qCInfo(lcShell) << "Download length" << r.received << "differs from Content-Length"
                        << r.contentLength;
        downloadFailed();
        return;
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!m_file->open(QIODevice::ReadOnly) || !hash.addData(m_file.get()) || hash.result() != m_digest) {
        m_file->close();
        qCInfo(lcShell) << "Checksum mismatch, installer not run";
        downloadFailed();
        return;
    }
    m_file->close();
    if (m_progressWindow)
        m_progressWindow->close();
    qCInfo(lcShell) << "Downloaded installer to:" << m_localPath << "size:" << r.received << "bytes"
                    << "time:" << r.elapsedMs << "ms";
    qCInfo(lcShell) << "Launching installer:" << m_localPath;
    m_installer = new Installer(this);
    connect(m_installer, &Installer::finished, this, &UpdateCheck::onInstallerFinished);
    if (!m_installer->start(m_localPath)) {
        qCInfo(lcShell) << "Failed to start installer, error:" << m_installer->errorText();
        // The file stays for the user to run by hand.
        m_dir->setAutoRemove(false);
        finish(false);
    }
}

void UpdateCheck::onInstallerFinished(int exitCode) {
    qCInfo(lcShell) << "Installer exit code:" << exitCode;
    if (exitCode == 0) {
        m_dir->setAutoRemove(false);
        finish(true);
        return;
    }
    qCInfo(lcShell) << "User cancelled installation, continue running current app";
    QFile::remove(m_localPath);
    finish(false);
}

void UpdateCheck::downloadFailed() {
    qCInfo(lcShell) << "Download failed or timeout, start original program";
    if (m_file) {
        m_file->close();
        m_file->remove();
    }
    m_dir.reset();
    finish(false);
}

void UpdateCheck::finish(bool installed) {
    if (m_done)
        return;
    m_done = true;
    if (m_progressWindow)
        m_progressWindow->close();
    emit finished(installed);
}

void UpdateCheck::runInBackground(QWidget* window) {
    auto* check = new UpdateCheck(window, qApp);
    check->setSettings(readSettings());
    connect(check, &UpdateCheck::finished, qApp, [check](bool installed) {
        check->deleteLater();
        if (installed)
            QCoreApplication::exit(0); // the installer has replaced the program
    });
    // After the window is up: the check never holds it back.
    QTimer::singleShot(0, check, &UpdateCheck::start);
}
