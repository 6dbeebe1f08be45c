#pragma once
// The about box: the program's title, its version and a few credit lines.
#include <QDialog>

namespace tessarin {

inline constexpr const char* kAppTitle = "Tessarin";
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 1;
inline constexpr int kVersionRevision = 0;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

private:
    // The load handler: caption and the two labels are filled on every showing.
    void Load();
};

}  // namespace tessarin
