#include "ui/FileDialogDetails.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QLocale>

namespace tessarin {

namespace {
// The columns of QFileSystemModel.
constexpr int kSizeColumn = 1;
constexpr int kDateColumn = 3;
}  // namespace

QVariant DefaultLocaleFileDetails::data(const QModelIndex& index, int role) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || !files || (index.column() != kSizeColumn && index.column() != kDateColumn))
        return QIdentityProxyModel::data(index, role);
    const QModelIndex source = mapToSource(index);
    if (index.column() == kDateColumn) return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
    // A folder shows no size, as in the model itself.
    return files->isDir(source) ? QIdentityProxyModel::data(index, role)
                                : QVariant(QLocale().formattedDataSize(files->size(source)));
}

void PrepareFileDialog(QFileDialog& dialog) {
    // Qt's own dialog behaves the same on every desktop (and only it takes a proxy).
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new DefaultLocaleFileDetails(&dialog));
}

}  // namespace tessarin
