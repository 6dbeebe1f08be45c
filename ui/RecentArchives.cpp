#include "ui/RecentArchives.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QTimer>

namespace tessarin {

namespace {

constexpr char kArchivesKey[] = "recent/archives";

// The user's configuration folder: ~/.config/Tessarin/Tessarin.conf on Linux,
// the registry on Windows. The format is named so that a program that chose
// another default (the tests: a file of their own run) gets it here too.
QSettings Settings() {
    return QSettings(QSettings::defaultFormat(), QSettings::UserScope, QStringLiteral("Tessarin"), QStringLiteral("Tessarin"));
}

// A settings key for a picker whatever characters its text holds.
QString PickerKey(const QString& picker) {
    return QStringLiteral("folders/") +
           QString::fromLatin1(QCryptographicHash::hash(picker.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

}  // namespace

QStringList RecentArchives::Archives() const {
    if (archives_) return *archives_;
    // A corrupt file may hold anything under the key: only non-empty texts count.
    QStringList list;
    for (const QVariant& item : Settings().value(kArchivesKey).toList()) {
        const QString path = item.toString();
        if (!path.isEmpty() && !list.contains(path) && list.size() < kMaxArchives) list << path;
    }
    archives_ = list;
    return list;
}

void RecentArchives::Add(const QString& path) {
    QStringList list = Archives();
    list.removeAll(path);
    list.prepend(path);
    while (list.size() > kMaxArchives) list.removeLast();
    Store(list);
}

void RecentArchives::Remove(const QString& path) {
    QStringList list = Archives();
    list.removeAll(path);
    Store(list);
}

void RecentArchives::Store(const QStringList& list) {
    archives_ = list;
    Settings().setValue(kArchivesKey, list);
    if (submenu_) Fill();
}

QString RecentArchives::LastFolder(const QString& picker) const {
    const QString folder = folders_.value(picker, Settings().value(PickerKey(picker)).toString());
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void RecentArchives::SetLastFolder(const QString& picker, const QString& folder) {
    if (folder.isEmpty()) return;
    folders_[picker] = folder;
    Settings().setValue(PickerKey(picker), folder);
}

QMenu* RecentArchives::AttachMenu(QMenu* menu, QAction* before, std::function<void(const QString&)> open) {
    auto* submenu = new QMenu(QString::fromUtf8("最近打开的档案(&R)"), menu);
    submenu->setObjectName("nrecent");
    submenu->menuAction()->setObjectName("nrecent");
    menu->insertMenu(before, submenu);
    submenu_ = submenu;
    open_ = std::move(open);
    QObject::connect(submenu, &QMenu::aboutToShow, submenu, [this] { Fill(); });
    Fill();
    return submenu;
}

void RecentArchives::Fill() const {
    QMenu* submenu = submenu_;
    const auto open = open_;
    submenu->clear();
    const QStringList list = Archives();
    for (int i = 0; i < list.size(); ++i) {
        const QString path = list[i];
        // &1..&5 as access keys; a "&" in the path is shown as itself.
        QAction* item = submenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(
            QString(QDir::toNativeSeparators(path)).replace('&', QStringLiteral("&&"))));
        item->setObjectName(QStringLiteral("nrecent%1").arg(i + 1));
        // Run once the menu has closed: opening rebuilds this very menu.
        QObject::connect(item, &QAction::triggered, submenu,
                         [submenu, open, path] { QTimer::singleShot(0, submenu, [open, path] { open(path); }); });
    }
    if (list.isEmpty()) submenu->addAction(QString::fromUtf8("（无）"))->setEnabled(false);
}

}  // namespace tessarin
