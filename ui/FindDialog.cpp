#include "ui/FindDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace tessarin {

FindDialog::FindDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("FindDialog");
    setWindowTitle(QStringLiteral("查找"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("名称包含(&N)："), this);
    text_ = new QLineEdit(this);
    text_->setObjectName("FindText");
    text_->setMinimumWidth(220);
    label->setBuddy(text_);
    row->addWidget(label);
    row->addWidget(text_);
    layout->addLayout(row);

    status_ = new QLabel(this);
    status_->setObjectName("FindStatus");
    status_->setTextFormat(Qt::PlainText);  // the searched text is never markup
    layout->addWidget(status_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* next = new QPushButton(QStringLiteral("查找下一个"), this);
    next->setObjectName("FindNextButton");
    next->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName("FindCloseButton");
    buttons->addWidget(next);
    buttons->addWidget(close);
    layout->addLayout(buttons);

    connect(next, &QPushButton::clicked, this, [this] { emit findRequested(text_->text()); });
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    // F3 goes on to the next match here as in the main window.
    auto* f3 = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(f3, &QShortcut::activated, next, &QPushButton::click);
    // A new text starts a new search: the old status no longer applies.
    connect(text_, &QLineEdit::textEdited, status_, &QLabel::clear);
}

QString FindDialog::Text() const { return text_->text(); }

void FindDialog::SetStatus(const QString& status) { status_->setText(status); }

void FindDialog::Present() {
    show();
    raise();
    activateWindow();
    text_->setFocus();
    text_->selectAll();
}

}  // namespace tessarin
