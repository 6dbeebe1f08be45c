#pragma once
// 比较档案: the differences between the open archive and a second one in a
// window of their own: key, change and both original sizes, sortable,
// filterable by kind, copyable. Selecting a row selects the entry in the main
// window's tree (when the open archive has it) and the preview shows it; a
// button writes the patch archive of the second archive's changes.
#include <QDialog>
#include <memory>

#include "app/ArchiveDifferences.h"

class QComboBox;
class QTableWidget;

namespace tessarin {

class frmMain;

class ArchiveCompareWindow : public QDialog {
    Q_OBJECT
public:
    ArchiveCompareWindow(frmMain& main, Program& program, std::unique_ptr<ArchiveDifferences> differences);

    // The visible rows as text, a line each (key, change, sizes; tab-separated):
    // the selected ones, or all when none is selected.
    QString RowsText() const;
    void SetFilter(int kind);  // 0 all, else 1 + EntryChange
    void SelectRow(int row);   // as a click on it

private:
    void Fill();
    void RowSelected();
    void CopyRows();
    void WritePatch();

    frmMain& main_;
    Program& program_;
    std::unique_ptr<ArchiveDifferences> differences_;
    QTableWidget* table_ = nullptr;
    QComboBox* kinds_ = nullptr;
};

// 文件 → 比较档案: asks for the second archive, compares it with the open one
// (long work) and shows the differences in their window.
void CompareOpenArchive(frmMain& main, Program& program);

}  // namespace tessarin
