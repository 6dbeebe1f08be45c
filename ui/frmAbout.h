#pragma once
// The about box: the program's title, its version and a few credit lines.
#include <QDialog>

#include "core/Messages.h"

namespace tessarin {

// The version numbers come from the build (the project's version).
inline constexpr int kVersionMajor = TESSARIN_VERSION_MAJOR;
inline constexpr int kVersionMinor = TESSARIN_VERSION_MINOR;
inline constexpr int kVersionRevision = TESSARIN_VERSION_PATCH;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

private:
    // The load handler: caption and the two labels are filled on every showing.
    void Load();
};

}  // namespace tessarin
