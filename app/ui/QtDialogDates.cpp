#include "app/ui/QtDialogDates.h"

#include <QApplication>
#include <QDateTime>
#include <QEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QScreen>
#include <QTreeView>

namespace QtDialogDates {

namespace {

// QFileSystemModel's columns: name, size, type, date modified.
constexpr int kSizeColumn = 1;
constexpr int kDateColumn = 3;
constexpr QSize kRoomy(820, 500);

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
    fitSize(dialog);
}

void fitSize(QFileDialog* dialog) {
    // Qt's own size cuts the date column and the side bar. Called before QDialog::showEvent, which
    // then centres the new size over the parent; moving it here would stop that.
    const QScreen* screen = dialog->screen();
    const QSize room = screen ? screen->availableGeometry().size() * 9 / 10 : QSize(kRoomy);
    dialog->resize(QSize(kRoomy).boundedTo(room).expandedTo(dialog->size()));
    // A long date with a two-digit day and hour sets the date column's width in this locale.
    if (auto* tree = dialog->findChild<QTreeView*>()) {
        const QString longest =
            QLocale().toString(QDateTime(QDate(2000, 12, 28), QTime(22, 58)), QLocale::ShortFormat);
        const int wanted =
            tree->fontMetrics().horizontalAdvance(longest) + tree->fontMetrics().averageCharWidth() * 3;
        if (tree->header()->sectionSize(kDateColumn) < wanted)
            tree->header()->resizeSection(kDateColumn, wanted);
    }
}

void install(QApplication& app) {
    app.installEventFilter(new ShowWatcher(&app));
}

} // namespace QtDialogDates
