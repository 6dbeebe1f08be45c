#pragma once
// A main window on an archive of given entries, previewing them one by one.
#include <QSignalSpy>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "UiHarness.h"
#include "core/ExtTypes.h"
#include "ui/preview/PreviewWindow.h"

namespace tessarin::testing {

// A 2 x 1 red uncompressed TGA with alpha, rows top down.
inline const std::string kTga("\0\0\x02\0\0\0\0\0\0\0\0\0\x02\0\x01\0\x20\x28" "\0\0\xff\xff\0\0\xff\xff", 26);

// A DDS file of w x h: a block format named by fourCc, or (fourCc null)
// uncompressed pixels of the given bits and four channel masks; then data.
inline std::string Dds(std::int32_t w, std::int32_t h, const char* fourCc, const std::string& data = "",
                       std::uint32_t bits = 0, const std::uint32_t* masks = nullptr) {
    std::string s = "DDS " + std::string(124, '\0');
    const auto put = [&s](std::size_t at, std::uint32_t v) { s.replace(at, 4, Le(v, 4)); };
    for (const auto& [at, v] : {std::pair<std::size_t, std::uint32_t>{4, 124}, {8, 0x1007}, {12, std::uint32_t(h)}, {16, std::uint32_t(w)}, {76, 32}}) put(at, v);
    put(80, fourCc ? 0x4 : masks[3] ? 0x41 : 0x40);
    if (fourCc) return s.replace(84, 4, fourCc) + data;
    put(88, bits);
    for (int i = 0; i < 4; ++i) put(92 + 4 * i, masks[i]);
    return s + data;
}

// An entry's key: its name, "." and its type code.
inline std::string Key(const RecordPlan& record) {
    return record.name + "." + QString::number(record.typeCode, 16).toUpper().toStdString();
}

// A label's text while it shows, else "".
inline QString Visible(const QLabel* label) { return label->isVisible() ? label->text() : QString(); }

struct Previewer {
    UiHarness ui;
    // An archive of the rows, each a record plan with what it should show.
    template <class Rows>
    explicit Previewer(const Rows& rows) {
        AddExtType(ui.program.ExtTypes, "30", "tga");
        ui.Open(Archive(std::vector<RecordPlan>(std::begin(rows), std::end(rows))));
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
    // Shows each row's entry in turn and checks the preview with check(row, preview).
    template <class Row, std::size_t N, class Check>
    void ShowEach(const Row (&rows)[N], const Check& check) {
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            PreviewWindow* preview = Show(Key(row));
            ASSERT_NE(preview, nullptr);
            check(row, preview);
        }
    }
};

}  // namespace tessarin::testing
