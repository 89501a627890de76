#include "app/colourschemes.h"

#include <QApplication>
#include <QStyle>
#include <array>

namespace {

const std::array<ColourScheme, ColourSchemeCount>& schemes() {
    static const std::array<ColourScheme, ColourSchemeCount> all = {{
        {QStringLiteral("Office 2007 Blau"), QColor(0xBF, 0xDB, 0xFF), QColor(0xDB, 0xE8, 0xF9),
         QColor(0xE4, 0xEF, 0xFD), QColor(0x15, 0x42, 0x8B)},
        {QStringLiteral("Office 2007 Schwarz"), QColor(0x3A, 0x3A, 0x3A), QColor(0x53, 0x53, 0x53),
         QColor(0x6B, 0x6B, 0x6B), QColor(0xF2, 0xF2, 0xF2)},
        {QStringLiteral("Office 2007 Silber"), QColor(0xD0, 0xD4, 0xDD), QColor(0xE6, 0xE9, 0xEF),
         QColor(0xF0, 0xF1, 0xF5), QColor(0x38, 0x3C, 0x47)},
        {QStringLiteral("Office 2003 Blau"), QColor(0xC4, 0xDA, 0xFA), QColor(0xE3, 0xEF, 0xFF),
         QColor(0xD6, 0xE6, 0xFC), QColor(0x00, 0x2D, 0x96)},
        {QStringLiteral("Office 2003 Classic"), QColor(0xFF, 0xFF, 0xFF), QColor(0xEC, 0xE9, 0xD8),
         QColor(0xF5, 0xF4, 0xEA), QColor(0x00, 0x00, 0x00)},
        {QStringLiteral("Office 2003 Olive"), QColor(0xEA, 0xF0, 0xCF), QColor(0xF3, 0xF6, 0xE4),
         QColor(0xE4, 0xEB, 0xC4), QColor(0x3F, 0x5D, 0x12)},
        {QStringLiteral("Office 2003 Silber"), QColor(0xD8, 0xD8, 0xE6), QColor(0xEE, 0xEE, 0xF4),
         QColor(0xE3, 0xE3, 0xEE), QColor(0x3C, 0x3C, 0x5A)},
    }};
    return all;
}

} // namespace

const ColourScheme* colourScheme(int number) {
    if (number < 0 || number >= ColourSchemeCount)
        return nullptr;
    return &schemes()[static_cast<size_t>(number)];
}

QStringList colourSchemeNames() {
    QStringList names;
    for (const ColourScheme& scheme : schemes())
        names << scheme.name;
    return names;
}

QPalette windowPalette(const ColourScheme& scheme) {
    QPalette palette =
        QApplication::style() ? QApplication::style()->standardPalette() : QPalette();
    palette.setColor(QPalette::Window, scheme.panel);
    palette.setColor(QPalette::WindowText, scheme.text);
    palette.setColor(QPalette::Button, scheme.button);
    palette.setColor(QPalette::ButtonText, scheme.text);
    // Entry fields and lists stay dark on white, whatever the panels look like.
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, QColor(0xF7, 0xF7, 0xF7));
    palette.setColor(QPalette::Text, Qt::black);
    return palette;
}
