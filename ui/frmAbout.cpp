#include "ui/frmAbout.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/ExtTypes.h"
#include "core/MessageTable.h"
#include "core/platform/FileSystem.h"
#include "ui/Icons.h"

namespace tessarin {

namespace {

QLabel* AddLabel(QWidget* parent, QLayout* layout, const QString& name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);
    return label;
}

QFrame* AddLine(QWidget* parent, QLayout* layout, const QString& name) {
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);
    return line;
}

}  // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setModal(true);

    auto* root = new QHBoxLayout(this);
    root->setContentsMargins(14, 14, 14, 12);
    root->setSpacing(16);

    auto* picture = new QLabel(this);
    picture->setObjectName("Picture1");
    picture->setPixmap(RenderPicture(":/icons/tessarin.svg", 96));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    root->addWidget(picture);

    auto* column = new QVBoxLayout;
    column->setSpacing(4);
    root->addLayout(column, 1);

    // The texts in the form are placeholders; Load replaces them.
    QLabel* title = AddLabel(this, column, "lblTitle", QString::fromUtf8("应用程序标题"));
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.6);
    titleFont.setBold(true);
    title->setFont(titleFont);
    AddLabel(this, column, "lblVersion", QString::fromUtf8("版本"));
    AddLine(this, column, "Line1");
    AddLabel(this, column, "Label1", QString::fromUtf8("ARC 资源包浏览与编辑工具。"));
    AddLabel(this, column, "Label2", QString::fromUtf8("以文件夹树浏览资源包中的对象，"));
    AddLabel(this, column, "Label3", QString::fromUtf8("导出单个对象或全部对象，"));
    AddLabel(this, column, "Label4", QString::fromUtf8("用磁盘上的文件替换对象的数据。"));
    AddLabel(this, column, "Label5", QString::fromUtf8("数据压缩：zlib。"));
    AddLabel(this, column, "Label6", QString::fromUtf8("界面：Qt。"));
    AddLabel(this, column, "lblTypes", QString())->setWordWrap(true);
    AddLine(this, column, "Line2");
    AddLabel(this, column, "lblCopyright", QString::fromUtf8("© Tessarin 开发者"));
    column->addSpacing(8);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(QString::fromUtf8("确定"), this);
    ok->setObjectName("Command1");
    ok->setDefault(true);
    ok->setMinimumWidth(80);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(ok);
    column->addLayout(buttons);

    root->setSizeConstraint(QLayout::SetFixedSize);
    Load();
}

void frmAbout::Load() {
    setWindowTitle(QString::fromUtf8("关于 ") + QString::fromUtf8(kProgramTitle));
    findChild<QLabel*>("lblVersion")
        ->setText(QStringLiteral("Version %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));
    findChild<QLabel*>("lblTitle")->setText(QString::fromUtf8(kProgramTitle));
    // Which type table names the entries: the user's own or the one beside the program.
    const std::string types = DefaultExtTypesPath();
    const std::string typesText = FileExists(types) ? Say(Msg::TypesInUse, {types}) : Text(Msg::TypesBuiltIn);
    findChild<QLabel*>("lblTypes")->setText(QString::fromUtf8(typesText.c_str()));
}

}  // namespace tessarin
