#pragma once
// The about box: the program's title, its version and a few credit lines.
#include <QDialog>

#include "core/Messages.h"
#include "core/Version.h"

namespace tessarin {

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

private:
    // The load handler: caption and the two labels are filled on every showing.
    void Load();
};

}  // namespace tessarin
