// A slot's labels and colours, made the quick way, against what the toolkit makes of them.
#include "album/AlbumSlot.h"

#include <QApplication>
#include <QLabel>
#include <QPalette>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

// The size the toolkit gives a label of that font and text beside the slot.
QSize fittedSize(QWidget& area, const QLabel& label, const QString& text)
{
    QLabel reference(text, &area);
    reference.setFont(label.font());
    reference.adjustSize();
    return reference.size();
}

} // namespace

TEST(AlbumSlot, LabelsFitEveryTextAtBothScreenResolutions)
{
    QWidget area;
    area.resize(400, 400);
    area.show();
    struct Row {
        double dotsPerInch;
        int place;
        const char* timeCode;
    };
    // Sizes found once are reused: a size kept for the wrong font or text would show here.
    const Row rows[] = {{96, 1, "00:00:00:00"}, {96, 7, "12:34:56:29"}, {144, 7, "12:34:56:29"},
                        {144, 99, "--:--:--:--"}, {96, 42, "--:--:--:--"}, {144, 3, "00:00:00:00"}};
    for (const Row& row : rows) {
        AlbumSlot slot(&area, row.dotsPerInch);
        slot.setPlace(row.place);
        slot.setTimeCode(row.timeCode);
        slot.showSlot(true);
        const QString at = QString("%1 dpi, place %2").arg(row.dotsPerInch).arg(row.place);
        EXPECT_EQ(slot.lblTime->size(), fittedSize(area, *slot.lblTime, row.timeCode)) << at.toStdString();
        EXPECT_EQ(slot.lblNumber->size(), fittedSize(area, *slot.lblNumber, slot.lblNumber->text())) << at.toStdString();
        // A text set while the slot shows is fitted at once.
        slot.setTimeCode("01:02:03:04");
        EXPECT_EQ(slot.lblTime->size(), fittedSize(area, *slot.lblTime, "01:02:03:04")) << at.toStdString();
    }
}

TEST(AlbumSlot, ColoursFollowTheSystemPaletteWhenItChanges)
{
    QWidget area;
    const QPalette before = QApplication::palette();
    for (const QColor face : {QColor(Qt::darkCyan), QColor(Qt::yellow)}) {
        QPalette system = before;
        system.setColor(QPalette::Button, face);
        system.setColor(QPalette::Highlight, face.darker());
        QApplication::setPalette(system);
        AlbumSlot slot(&area, 96);
        EXPECT_EQ(slot.palette().color(QPalette::Window), face);
        EXPECT_EQ(slot.pnlThumb->palette().color(QPalette::Window), face);
        slot.highlight(true);
        EXPECT_EQ(slot.palette().color(QPalette::Window), face.darker());
        EXPECT_EQ(slot.pnlThumb->palette().color(QPalette::Window), face) << "the frame keeps the face colour";
    }
    QApplication::setPalette(before);
}
