#pragma once
// Qt's own file dialogs format sizes and modification times in the system's
// locale (English under C or en_US: "75 bytes", "8 Dec 2026"), whatever the
// default locale says. The interface is Chinese throughout: a proxy between
// each picker and its file system model shows them in the default locale.
#include <QIdentityProxyModel>

class QFileDialog;

namespace tessarin {

class DefaultLocaleFileDetails : public QIdentityProxyModel {
    Q_OBJECT
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};

// Qt's own dialog (the same on every desktop) with sizes and times in the default locale.
void PrepareFileDialog(QFileDialog& dialog);

}  // namespace tessarin
