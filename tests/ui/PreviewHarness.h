#pragma once
// A main window on an archive of given entries, previewing them one by one.
#include <QSignalSpy>
#include <string>
#include <vector>

#include "UiHarness.h"
#include "core/ExtTypes.h"
#include "ui/preview/PreviewWindow.h"

namespace tessarin::testing {

// A 2 x 1 red uncompressed TGA with alpha, rows top down.
inline const std::string kTga("\0\0\x02\0\0\0\0\0\0\0\0\0\x02\0\x01\0\x20\x28" "\0\0\xff\xff\0\0\xff\xff", 26);

// An entry's key: its name, "." and its type code.
inline std::string Key(const RecordPlan& record) {
    return record.name + "." + QString::number(record.typeCode, 16).toUpper().toStdString();
}

struct Previewer {
    UiHarness ui;
    // An archive of the rows, each a record plan with what it should show.
    template <class Rows>
    explicit Previewer(const Rows& rows) : Previewer(std::vector<RecordPlan>(std::begin(rows), std::end(rows))) {}
    explicit Previewer(const std::vector<RecordPlan>& records) {
        AddExtType(ui.program.ExtTypes, "30", "tga");
        ui.Open(Archive(records));
        EXPECT_TRUE(ui.program.ArchiveIsOpen()) << ui.prompts->messages.join('|').toStdString();
    }
    // Selects the entry, opens (or follows with) the preview, waits for it.
    PreviewWindow* Show(const std::string& key) {
        ui.Select(key);
        if (!ui.window.Preview() || !ui.window.Preview()->isVisible()) {
            ui.window.Tree()->setFocus();
            QTest::keyClick(ui.window.Tree(), Qt::Key_Space);
        }
        PreviewWindow* preview = ui.window.Preview();
        if (preview && preview->Loading() && !QSignalSpy(preview, &PreviewWindow::shown).wait(20000)) ADD_FAILURE() << key;
        return preview;
    }
};

}  // namespace tessarin::testing
