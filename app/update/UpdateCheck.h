#pragma once
// The application update check: asks the update folder for its listing, and when it names a newer
// installer and the user agrees, downloads it with visible progress, checks it and runs it. Everything
// runs on the event loop, so the window stays live; every step ends in finished().
#include "app/update/UpdateProgress.h"
#include "app/update/UpdateRules.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslCertificate>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class Installer;
class QFile;
class QNetworkAccessManager;
class QNetworkReply;
class QTimer;
class QWidget;

// One GET with the check's time-outs: `phaseMs` for each of resolve, connect and send and `receiveMs`
// for the answer and then for each pause between its parts, with `capMs` over everything. The body goes
// to `sink` when given (every write checked), else it is kept, up to `maxBytes`.
class UpdateFetch : public QObject {
    Q_OBJECT
public:
    struct Result {
        bool ok = false;       // answer 200, complete, within the limits, every write done
        int status = 0;        // HTTP status, 0 without an answer
        bool timedOut = false; // a limit ended it
        qint64 elapsedMs = 0;
        qint64 received = 0;
        qint64 contentLength = -1; // -1 when the server gave none
        QByteArray body;
        QString error;
    };
    UpdateFetch(QNetworkAccessManager* network, const QUrl& url, int phaseMs, int receiveMs, int capMs,
                qint64 maxBytes, QFile* sink, const QList<QSslCertificate>& extraCa,
                QObject* parent = nullptr);
    void abort();

signals:
    void progress(qint64 received, qint64 total);
    void done(const UpdateFetch::Result& result);

private:
    void onReadyRead();
    void onFinished();
    void stop(const QString& why, bool timedOut);

    QNetworkReply* m_reply;
    QFile* m_sink;
    qint64 m_maxBytes;
    int m_receiveMs;
    QTimer* m_idle;
    QTimer* m_cap;
    QElapsedTimer m_clock;
    Result m_result;
    QString m_stopReason;
    bool m_stopped = false;
};

class UpdateCheck : public QObject {
    Q_OBJECT
public:
    struct Limits {
        int listingPhaseMs = 8000;
        int listingReceiveMs = 8000;
        int listingCapMs = 4 * 8000;
        int downloadPhaseMs = 30000;
        int downloadReceiveMs = 60000;
        int downloadCapMs = 300000;
    };
    struct Settings {
        QString installedVersion; // "Option/Ver"
        QString baseUrl;          // "Option/UpdateURL"
    };
    // The user agent of every request.
    static QByteArray userAgent();

    explicit UpdateCheck(QWidget* window, QObject* parent = nullptr);
    ~UpdateCheck() override;
    // "Option/Ver" and "Option/UpdateURL" of the program's Config.ini.
    static Settings readSettings();

    void setSettings(const Settings& settings) { m_settings = settings; }
    void setLimits(const Limits& limits) { m_limits = limits; }
    // Certificates trusted beside the system's (a test server's own).
    void setExtraCaCertificates(const QList<QSslCertificate>& ca) { m_extraCa = ca; }
    // The question before the download; the default shows the new-version notice over the window.
    void setAsk(std::function<bool(QWidget*)> ask) { m_ask = std::move(ask); }

    void start();
    // The downloaded file while it exists (tests).
    QString localPath() const { return m_localPath; }
    UpdateProgress* progressWindow() const { return m_progressWindow; }

    // Starts a check over the shipped settings that deletes itself when done; an installer that
    // finished with 0 quits the application.
    static void runInBackground(QWidget* window);

signals:
    // True only when an installer ran and ended with exit code 0.
    void finished(bool installed);

private:
    void onListing(const UpdateFetch::Result& r);
    void startDownload();
    void onChecksum(const UpdateFetch::Result& r);
    void onDownload(const UpdateFetch::Result& r);
    void onInstallerFinished(int exitCode);
    void downloadFailed();
    void finish(bool installed);

    QPointer<QWidget> m_window;
    Settings m_settings;
    Limits m_limits;
    QList<QSslCertificate> m_extraCa;
    std::function<bool(QWidget*)> m_ask;
    QNetworkAccessManager* m_network;
    QPointer<UpdateFetch> m_fetch;
    UpdateRules::Listing m_listing;
    QByteArray m_digest;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QFile> m_file;
    QString m_localPath;
    Installer* m_installer = nullptr;
    QPointer<UpdateProgress> m_progressWindow;
    bool m_done = false;
};
