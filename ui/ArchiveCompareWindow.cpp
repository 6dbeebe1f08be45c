#include "ui/ArchiveCompareWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/Commands.h"
#include "app/OpenClose.h"
#include "app/TreeUpdate.h"
#include "ui/QtText.h"
#include "ui/frmMain.h"

namespace tessarin {

namespace {

// The window's own texts.
namespace text {
constexpr const char* kTitle = "比较档案";
constexpr const char* kPickOther = "选择要比较的档案";
constexpr const char* kAllKinds = "全部";
constexpr const char* kCopy = "复制(&C)";
constexpr const char* kWritePatch = "写入补丁档案(&P)…";
constexpr const char* kPatchTitle = "写入补丁档案";
constexpr const char* kPatchWritten = "补丁档案已写入：";
constexpr const char* kNoDifference = "两个档案的条目相同。";
constexpr const char* kHeaders[] = {"KEY", "变化", "原大小（当前档案）", "原大小（比较档案）", "说明"};
}  // namespace text

QTableWidgetItem* SizeItem(std::int64_t size) {
    auto* item = new QTableWidgetItem;
    if (size >= 0) item->setData(Qt::DisplayRole, static_cast<qlonglong>(size));
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

}  // namespace

ArchiveCompareWindow::ArchiveCompareWindow(frmMain& main, Program& program,
                                           std::unique_ptr<ArchiveDifferences> differences)
    : QDialog(&main), main_(main), program_(program), differences_(std::move(differences)) {
    setObjectName("frmCompare");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf8(text::kTitle) + " - " + ToQString(differences_->otherPath));
    resize(720, 420);
    kinds_ = new QComboBox(this);
    kinds_->setObjectName("cboKind");
    kinds_->addItem(QString::fromUtf8(text::kAllKinds));
    for (const EntryChange change : {EntryChange::Added, EntryChange::Removed, EntryChange::Changed, EntryChange::Damaged})
        kinds_->addItem(ToQString(ChangeText(change)));
    auto* copy = new QPushButton(QString::fromUtf8(text::kCopy), this);
    copy->setObjectName("cmdCopy");
    auto* patch = new QPushButton(QString::fromUtf8(text::kWritePatch), this);
    patch->setObjectName("cmdPatch");
    table_ = new QTableWidget(this);
    table_->setObjectName("lvwDiff");
    table_->setColumnCount(5);
    QStringList headers;
    for (const char* header : text::kHeaders) headers << QString::fromUtf8(header);
    table_->setHorizontalHeaderLabels(headers);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);

    auto* bar = new QHBoxLayout;
    bar->addWidget(kinds_);
    bar->addStretch();
    bar->addWidget(copy);
    bar->addWidget(patch);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(table_);
    if (differences_->rows.empty()) layout->addWidget(new QLabel(QString::fromUtf8(text::kNoDifference), this));
    Fill();

    connect(kinds_, &QComboBox::currentIndexChanged, this, [this](int kind) { SetFilter(kind); });
    connect(copy, &QPushButton::clicked, this, [this] { CopyRows(); });
    connect(new QShortcut(QKeySequence::Copy, table_), &QShortcut::activated, this, [this] { CopyRows(); });
    connect(patch, &QPushButton::clicked, this, [this] { WritePatch(); });
    connect(table_, &QTableWidget::itemSelectionChanged, this, [this] { RowSelected(); });
}

void ArchiveCompareWindow::Fill() {
    table_->setSortingEnabled(false);
    table_->setRowCount(static_cast<int>(differences_->rows.size()));
    for (int r = 0; r < table_->rowCount(); ++r) {
        const DifferenceRow& row = differences_->rows[static_cast<std::size_t>(r)];
        auto* key = new QTableWidgetItem(ToQString(row.key));
        key->setData(Qt::UserRole, static_cast<int>(row.change));
        table_->setItem(r, 0, key);
        table_->setItem(r, 1, new QTableWidgetItem(ToQString(ChangeText(row.change))));
        table_->setItem(r, 2, SizeItem(row.sizeA));
        table_->setItem(r, 3, SizeItem(row.sizeB));
        table_->setItem(r, 4, new QTableWidgetItem(ToQString(row.damage)));
    }
    table_->setSortingEnabled(true);
    table_->resizeColumnsToContents();
}

void ArchiveCompareWindow::SetFilter(int kind) {
    if (kinds_->currentIndex() != kind) kinds_->setCurrentIndex(kind);
    for (int r = 0; r < table_->rowCount(); ++r)
        table_->setRowHidden(r, kind != 0 && table_->item(r, 0)->data(Qt::UserRole).toInt() != kind - 1);
}

QString ArchiveCompareWindow::RowsText() const {
    const bool selectedOnly = !table_->selectionModel()->selectedRows().isEmpty();
    QString lines;
    for (int r = 0; r < table_->rowCount(); ++r) {
        if (table_->isRowHidden(r) || (selectedOnly && !table_->selectionModel()->isRowSelected(r, {}))) continue;
        QStringList cells;
        for (int c = 0; c < table_->columnCount(); ++c) cells << table_->item(r, c)->text();
        lines += cells.join('\t') + '\n';
    }
    return lines;
}

void ArchiveCompareWindow::CopyRows() { QApplication::clipboard()->setText(RowsText()); }

void ArchiveCompareWindow::SelectRow(int row) {
    table_->clearSelection();
    table_->selectRow(row);
}

void ArchiveCompareWindow::RowSelected() {
    const QList<QTableWidgetItem*> items = table_->selectedItems();
    if (items.isEmpty() || !program_.ArchiveIsOpen()) return;
    const std::string key = FromQString(table_->item(items.first()->row(), 0)->text());
    // Only entries of the open archive are in its tree.
    if (program_.tree.Find(key) == kNoNode) return;
    SelectInTree(program_, key);
    main_.PreviewSelected(true);
    activateWindow();
}

void ArchiveCompareWindow::WritePatch() {
    const QString chosen = QFileDialog::getSaveFileName(this, QString::fromUtf8(text::kPatchTitle), QString(),
                                                        QString::fromUtf8("ARC文件 (*.ARC)"));
    if (chosen.isEmpty()) return;
    const std::string path = PathFromQString(chosen);
    bool written = false;
    RunCommand(program_, [&] { written = WriteDifferencesPatch(program_, *differences_, path); });
    if (written) program_.ui.MsgBox(text::kPatchWritten + path, MsgIcon::Information, kProgramTitle);
}

void CompareOpenArchive(frmMain& main, Program& program) {
    if (!ReadyToCompare(program)) return;
    std::string path = program.ui.ShowOpenDialog(program.ui.Handle(), kArcFilter, text::kPickOther);
    if (const auto nul = path.find('\0'); nul != std::string::npos) path.resize(nul);
    if (path.empty()) return;
    std::unique_ptr<ArchiveDifferences> differences;
    RunCommand(program, [&] { differences = CompareWithOpenArchive(program, path); });
    if (!differences) return;
    auto* window = new ArchiveCompareWindow(main, program, std::move(differences));
    window->show();
}

}  // namespace tessarin
