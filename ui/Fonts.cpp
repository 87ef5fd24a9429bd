// SPDX-License-Identifier: MIT
// SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
#include "ui/Fonts.h"

#include <QStringList>

namespace {

QFont FontOf(const QStringList &families, int pixelSize, bool bold, bool underline)
{
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize > 0 ? pixelSize : 1);
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

} // namespace

QFont WindowFont(int pixelSize, bool bold, bool underline)
{
    static const QStringList families{QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                      QStringLiteral("Arial"), QStringLiteral("DejaVu Sans"),
                                      QStringLiteral("Sans Serif")};
    return FontOf(families, pixelSize, bold, underline);
}

QFont ReadoutFont(int pixelSize)
{
    static const QStringList families{QStringLiteral("DejaVu Sans Condensed"),
                                      QStringLiteral("DejaVu Sans"), QStringLiteral("Verdana"),
                                      QStringLiteral("Liberation Sans"), QStringLiteral("Sans Serif")};
    return FontOf(families, pixelSize, true, false);
}
