// A slot's labels and colours, made the quick way, against what the toolkit makes of them.
#include "album/AlbumSlot.h"

#include <QApplication>
#include <QLabel>
#include <gtest/gtest.h>

using namespace vantrel;

// Sizes and palettes are kept between slots: one kept for the wrong font, text or system
// palette would show here.
TEST(AlbumSlot, LabelsFitTheirTextsAndColoursFollowTheSystem)
{
    QWidget area;
    area.show();
    const auto fitted = [&](const QLabel* label, const QString& text) {
        QLabel reference(text, &area);
        reference.setFont(label->font());
        reference.adjustSize();
        return reference.size();
    };
    const QPalette before = QApplication::palette();
    const struct { double dotsPerInch; int place; const char* timeCode; QColor face; } rows[] = {
        {96, 1, "00:00:00:00", Qt::darkCyan}, {144, 7, "12:34:56:29", Qt::yellow}, {96, 42, "--:--:--:--", Qt::gray}};
    for (const auto& row : rows) {
        QPalette system = before;
        system.setColor(QPalette::Button, row.face);
        QApplication::setPalette(system);
        AlbumSlot slot(&area, row.dotsPerInch);
        slot.setPlace(row.place);
        slot.showSlot(true);
        slot.setTimeCode(row.timeCode); // while shown: fitted at once
        EXPECT_EQ(slot.lblTime->size(), fitted(slot.lblTime, row.timeCode)) << row.dotsPerInch;
        EXPECT_EQ(slot.lblNumber->size(), fitted(slot.lblNumber, slot.lblNumber->text())) << row.place;
        slot.highlight(true);
        EXPECT_EQ(slot.pnlThumb->palette().color(QPalette::Window), row.face) << "the frame keeps the face colour";
        slot.highlight(false);
        EXPECT_EQ(slot.palette().color(QPalette::Window), row.face);
    }
    QApplication::setPalette(before);
}
