#include "app/ui/QtDialogDates.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>

namespace QtDialogDates {

namespace {

// QFileSystemModel's columns: name, size, type, date modified.
constexpr int kSizeColumn = 1;
constexpr int kDateColumn = 3;

class LocalDates : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (files && role == Qt::DisplayRole) {
            const QModelIndex source = mapToSource(index);
            if (index.column() == kDateColumn)
                return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
            if (index.column() == kSizeColumn && !files->isDir(source))
                return QLocale().formattedDataSize(files->size(source));
        }
        return QIdentityProxyModel::data(index, role);
    }
};

class ShowWatcher : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            if (auto* dialog = qobject_cast<QFileDialog*>(watched))
                follow(dialog);
        return false;
    }
};

} // namespace

void follow(QFileDialog* dialog) {
    // The widgets exist once the dialog is shown; a native dialog has none and follows the system.
    if (!dialog || dialog->proxyModel() || !dialog->findChild<QFileSystemModel*>())
        return;
    dialog->setProxyModel(new LocalDates(dialog));
}

void install(QApplication& app) {
    app.installEventFilter(new ShowWatcher(&app));
}

} // namespace QtDialogDates
