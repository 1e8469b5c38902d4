#include "editor/colour_list.h"

#include <QComboBox>
#include <QIcon>
#include <QPixmap>

namespace jb::editor {
namespace {

struct NamedColour {
    const char* name;
    QRgb rgb;
};
constexpr NamedColour kColours[] = {
    {"Black", 0x000000},  {"Maroon", 0x800000},  {"Green", 0x008000}, {"Olive", 0x808000},
    {"Navy", 0x000080},   {"Purple", 0x800080},  {"Teal", 0x008080},  {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0xFF0000},     {"Lime", 0x00FF00},  {"Yellow", 0xFFFF00},
    {"Blue", 0x0000FF},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0x00FFFF},  {"White", 0xFFFFFF}};
constexpr const char* kCustomColour = "Custom";

QIcon Swatch(const QColor& c) {
    QPixmap p(12, 12);
    p.fill(c);
    return QIcon(p);
}

}  // namespace

void FillColourList(QComboBox& list) {
    for (const NamedColour& c : kColours) list.addItem(Swatch(QColor(c.rgb)), c.name, QColor(c.rgb));
}

void SelectColour(QComboBox& list, const QColor& colour) {
    for (int i = 0; i < list.count(); ++i) {
        if (list.itemText(i) != kCustomColour && list.itemData(i).value<QColor>() == colour) {
            list.setCurrentIndex(i);
            return;
        }
    }
    int custom = list.findText(kCustomColour);
    if (custom < 0) {
        list.addItem(kCustomColour);
        custom = list.count() - 1;
    }
    list.setItemData(custom, colour);
    list.setItemIcon(custom, Swatch(colour));
    list.setCurrentIndex(custom);
}

QColor CurrentColour(const QComboBox& list) { return list.currentData().value<QColor>(); }

}  // namespace jb::editor
