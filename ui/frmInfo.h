#pragma once
// The properties dialog: one entry's name, type, type code, folder, offset
// and size, with buttons to export or replace it and to close. It only shows;
// what is typed into its fields is never read back.
#include <QDialog>
#include <QFrame>

#include "state/MainWindow.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tessarin {

class frmInfo : public QDialog {
    Q_OBJECT
public:
    // Client area 4995 x 4545 twips.
    static constexpr int kWidth = 333;
    static constexpr int kHeight = 303;

    frmInfo(const InfoTexts& texts, QWidget* parent);

    QLineEdit* Field(int n) const { return text_[n - 1]; }  // Text1..Text6

signals:
    void exportClicked();   // Command1
    void replaceClicked();  // Command2

private:
    QLineEdit* AddField(QWidget* parent, int n, const QRect& geometry, bool faceColoured);
    QLabel* AddLabel(QWidget* parent, int n, const char* caption, int top);
    QFrame* AddLine(QWidget* parent, const char* name, int top, QFrame::Shadow shadow);

    QLineEdit* text_[6] = {};
};

}  // namespace tessarin
