#include "app/core/LanguageQt.h"

#include "app/core/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace LanguageQt {

namespace {
QPointer<QTranslator>& installed() {
    static QPointer<QTranslator> translator;
    return translator;
}
} // namespace

QString localeName(const QString& optionKey) {
    static const struct {
        const char* optionKey;
        const char* locale;
    } kLocales[] = {
        {"English", "en"},  {"zh-CN", "zh_CN"}, {"zh-CNtr", "zh_TW"}, {"Arbic", "ar"},
        {"Japanese", "ja"}, {"Korean", "ko"},   {"Russian", "ru"},    {"Turkey", "tr"},
        {"Polski", "pl"},   {"Pt", "pt_BR"},    {"XBY", "es"},
    };
    for (const auto& l : kLocales)
        if (optionKey == QLatin1String(l.optionKey))
            return QString::fromLatin1(l.locale);
    return QString();
}

QLocale defaultLocale(const QString& locale) {
    // Arabic in a region that writes Western digits: values on the pages and in Qt's dialogs read alike.
    if (locale == QLatin1String("ar"))
        return QLocale(QLocale::Arabic, QLocale::Libya);
    return locale.isEmpty() ? QLocale::system() : QLocale(locale);
}

QString systemFolder() {
    return QLibraryInfo::location(QLibraryInfo::TranslationsPath);
}

bool apply(int languageIndex, const QStringList& enabledOptionKeys, const QString& folder) {
    // The position among the enabled languages, counted in the fixed list order as the tables are.
    QString key;
    int position = 0;
    for (const Language::LanguageInfo& l : Language::allLanguages())
        if (enabledOptionKeys.contains(QLatin1String(l.optionKey)) && position++ == languageIndex)
            key = QLatin1String(l.optionKey);
    const QString locale = localeName(key);
    QLocale::setDefault(defaultLocale(locale));

    auto* next = new QTranslator(QCoreApplication::instance());
    if (locale.isEmpty() || locale == QLatin1String("en") ||
        !next->load(QLocale(locale), QStringLiteral("qtbase"), QStringLiteral("_"), folder)) {
        delete next;
        next = nullptr;
    }
    if (QTranslator* previous = installed()) {
        QCoreApplication::removeTranslator(previous);
        delete previous;
    }
    installed() = next;
    if (next)
        QCoreApplication::installTranslator(next);
    return next != nullptr;
}

} // namespace LanguageQt
