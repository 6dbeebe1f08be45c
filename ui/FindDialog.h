#pragma once
// The small find dialog: a text field, "查找下一个" and a status line. It is
// not modal, so the user can go on working in the window while it is open;
// the window runs the search and tells the dialog what it found.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tessarin {

class FindDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindDialog(QWidget* parent);

    QString Text() const;
    void SetStatus(const QString& status);
    // Shows the dialog (or raises it) with its text selected for typing.
    void Present();

signals:
    // "查找下一个" or Enter in the text field.
    void findRequested(const QString& text);

private:
    QLineEdit* text_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace tessarin
