// The pickers' filter text in Qt's form.
#include <gtest/gtest.h>

#include "ui/PickerFilter.h"

namespace tessarin {
namespace {

TEST(PickerFilter, TurnsDescriptionPatternPairsIntoQtNameFilters) {
    const std::pair<const char*, QStringList> rows[] = {
        {"ARC文件 (*.ARC)|*.ARC", {QString::fromUtf8("ARC文件 (*.ARC)")}},
        {"所有文件 *.*|*.*", {QString::fromUtf8("所有文件 *.* (*)")}},
        {"Pictures|*.png;*.bmp", {"Pictures (*.png *.bmp)"}},
        {"A (*.a)|*.a|B|*.b", {"A (*.a)", "B (*.b)"}},
        {"Odd (*.x)|*.y", {"Odd (*.x) (*.y)"}},
        {"Lonely", {"Lonely (*)"}},
        {"", {}},
    };
    for (const auto& [filter, expected] : rows) {
        EXPECT_EQ(ToQtNameFilters(QString::fromUtf8(filter)), expected) << filter;
    }
}

}  // namespace
}  // namespace tessarin
