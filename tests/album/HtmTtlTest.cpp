#include "support/TempFolder.h"

#include "album/HtmTtl.h"
#include "album/TitleHistory.h"
#include "i18n/LanguageTable.h"
#include "platform/Profile.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vantrel;

namespace {

TEST(HtmTtl, NewestTitleFirstAndConfirmedTitleBecomesTheNewest)
{
    test::TempProgramFolder home;
    LanguageTable table;
    LanguageTable* previous = setLanguageTable(&table);
    CProfile profile;
    for (int slot = 0; slot < 10; ++slot)
        profile.WriteString("History", "Title0" + std::to_string(slot), "t" + std::to_string(slot));
    profile.WriteInt("History", "Index", 3);

    TfrmHtmTtl dialog(profile);
    QTimer::singleShot(0, [&] {
        ASSERT_EQ(dialog.CB1->count(), 10);
        EXPECT_EQ(dialog.CB1->itemText(0), "t3");
        EXPECT_EQ(dialog.CB1->itemText(9), "t2");
        dialog.CB1->lineEdit()->clear();
        QTest::keyClicks(dialog.CB1->lineEdit(), "Tom & Jerry");
        QTest::keyClick(dialog.CB1->lineEdit(), Qt::Key_Return);
    });
    EXPECT_EQ(dialog.askTitle(), QString("Tom & Jerry"));
    EXPECT_EQ(profile.intOr("History", "Index", -1), 2);
    EXPECT_EQ(titleHistoryNewestFirst(profile)[0], "Tom & Jerry");
    EXPECT_EQ(titleHistoryNewestFirst(profile)[1], "t3");

    QTimer::singleShot(0, [&] {
        EXPECT_EQ(dialog.CB1->currentText(), "Tom & Jerry") << "the edit keeps the last text";
        QTest::mouseClick(dialog.btnOk, Qt::LeftButton);
    });
    EXPECT_EQ(dialog.askTitle(), QString("Tom & Jerry"));
    EXPECT_EQ(profile.intOr("History", "Index", -1), 1);

    QTimer::singleShot(0, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(dialog.askTitle(), std::nullopt);
    EXPECT_EQ(profile.intOr("History", "Index", -1), 1);
    setLanguageTable(previous);
}

} // namespace
