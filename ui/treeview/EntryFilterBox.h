#pragma once
// The filter box above the tree: as the user types, the tree shows only the
// entries whose full name contains the text (ASCII letters in any case) and
// the folders that lead to them, unfolded while the matches are few enough to
// lay out at once. Esc clears it, and the folders open before the filter
// began are opened again, the selection kept in view.
#include <QLineEdit>
#include <vector>

#include "tree/EntryTree.h"

namespace tessarin {

class EntryTreeModel;
class EntryTreeView;

class EntryFilterBox : public QLineEdit {
    Q_OBJECT
public:
    EntryFilterBox(EntryTreeView* view, QWidget* parent);
    void SetModel(EntryTreeModel* model) { model_ = model; }
    // Ctrl+L: the keys go to the box, its text selected.
    void Activate();
    // A letter or digit typed in the tree starts (or goes on with) the filter.
    void TypeFromTree(const QString& typed);
    // Esc, wherever the keys are: the filter goes, the selection stays and is
    // shown (the one from before the filter, when it hid all that was
    // selected), the keys go to the tree.
    void ClearKeepingSelection();
    // The archive closed (or another opened): the filter goes, and with it
    // what it remembered of the tree.
    void Forget();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Apply(const QString& text);

    EntryTreeView* view_;
    EntryTreeModel* model_ = nullptr;
    // Matches that are unfolded at once; more are left as the user opened them.
    static constexpr std::size_t kUnfoldLimit = 4000;
    // The folders open and the nodes selected before the filter began.
    struct Selection {
        std::vector<NodeId> nodes;
        NodeId current = kNoNode;
    };
    Selection SelectionNow() const;
    std::vector<NodeId> openBefore_;
    Selection selectedBefore_;
    // Every shown folder stands open: narrowing the text keeps it so.
    bool allOpen_ = false;
};

}  // namespace tessarin
