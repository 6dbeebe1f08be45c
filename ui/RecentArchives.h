#pragma once
// What the window remembers between runs, and nothing more: the last five
// archives opened (文件 → 最近打开的档案) and the folder each picker was last
// used in. Kept with QSettings in the user's configuration folder, read once
// and held for the run: a settings file that cannot be read or written only
// means nothing is remembered for the next run.
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QAction;
class QMenu;

namespace tessarin {

class RecentArchives {
public:
    static constexpr int kMaxArchives = 5;

    // Most recent first, at most five, no duplicates or empty entries.
    QStringList Archives() const;
    // Puts path first (moving it up when it is listed already).
    void Add(const QString& path);
    void Remove(const QString& path);

    // The folder the picker known by key (its kind and text) was last used
    // in; empty when none is known or it is gone.
    QString LastFolder(const QString& picker) const;
    void SetLastFolder(const QString& picker, const QString& folder);

    // Adds the submenu nrecent "最近打开的档案" to menu before the action
    // before; each of its items calls open with its path. The items are made
    // anew whenever the list changes or the submenu is about to show.
    QMenu* AttachMenu(QMenu* menu, QAction* before, std::function<void(const QString&)> open);

private:
    void Store(const QStringList& list);
    void Fill() const;

    mutable std::optional<QStringList> archives_;
    QHash<QString, QString> folders_;  // set in this run
    QMenu* submenu_ = nullptr;
    std::function<void(const QString&)> open_;
};

}  // namespace tessarin
