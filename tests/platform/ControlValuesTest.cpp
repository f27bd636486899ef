// Control values and attributes as the program reads them back.

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <functional>
#include <string>
#include <utility>

#include "UiFixture.h"

namespace korvo::ui::test {
namespace {

class ControlValues : public UiFixture {
protected:
    void SetUp() override {
        UiFixture::SetUp();
        main = ui->loadPanel(0, layout, RES_MAIN);
        ASSERT_GE(main, 1);
    }
    std::vector<int> ringValues(int ctrl) const {
        std::vector<int> values;
        for (const RingItem& i : ui->ringItems(main, ctrl)) values.push_back(i.value);
        return values;
    }
    int main = 0;
};

TEST_F(ControlValues, RingsSelectByItemValue) {
    EXPECT_EQ(ringValues(C_RING), (std::vector<int>{1, 2, 4, 8}));
    EXPECT_EQ(ringValues(C_RING_PLAIN), (std::vector<int>{0, 1}));  // without values: the index
    ui->setInt(main, C_RING, 4);
    EXPECT_EQ(ui->getText(main, C_RING), "C");
    // A value no item has: no selection, and the value reads back.
    ui->setInt(main, C_RING, 3);
    EXPECT_EQ(ui->getText(main, C_RING), "");
    EXPECT_EQ(ui->getInt(main, C_RING), 3);
    // The ring shows the number where an item's label would stand.
    EXPECT_EQ(qobject_cast<QComboBox*>(ui->ctrl(main, C_RING))->placeholderText(), "3");

    ui->clearRing(main, C_RING);
    ui->insertRingItem(main, C_RING, "TEACH IN0", 5);
    ui->insertRingItem(main, C_RING, "SAVE-VTHD->EE", 3);
    EXPECT_EQ(ringValues(C_RING), (std::vector<int>{5, 3}));
    ui->setInt(main, C_RING, 3);
    EXPECT_EQ(ui->getText(main, C_RING), "SAVE-VTHD->EE");
}

TEST_F(ControlValues, NumbersTextsAndTextBoxLines) {
    ui->setDouble(main, C_DBL, 0.1234);
    EXPECT_DOUBLE_EQ(ui->getDouble(main, C_DBL), 0.123);
    ui->setDecimals(main, C_DBL, 1);
    EXPECT_DOUBLE_EQ(ui->getDouble(main, C_DBL), 0.1);
    ui->setInt(main, C_NUM, 9999);  // above the field's maximum of 5000
    EXPECT_EQ(ui->getInt(main, C_NUM), 5000);
    // A text display is a read-only line edit, so its text is there for screen readers too.
    ui->setText(main, C_STATUS, "Data-Transfer Stopped!");
    EXPECT_EQ(ui->getText(main, C_STATUS), "Data-Transfer Stopped!");
    EXPECT_TRUE(qobject_cast<QLineEdit*>(ui->ctrl(main, C_STATUS))->isReadOnly());

    ui->resetTextBox(main, C_BOX, "RUN-BUTTON:\nStart the continuosly serial RS232-data-");
    ui->replaceTextBoxLine(main, C_BOX, 1, "second");
    ui->replaceTextBoxLine(main, C_BOX, 3, "fourth");
    EXPECT_EQ(ui->textBoxLines(main, C_BOX), (QStringList{"RUN-BUTTON:", "second", "", "fourth"}));
    ui->resetTextBox(main, C_BOX, "");
    EXPECT_TRUE(ui->textBoxLines(main, C_BOX).isEmpty());
}

TEST_F(ControlValues, PositionsSwitchLabelsAndRunTimeTexts) {
    // Controls inside a tab page report positions in the page.
    const int page = ui->tabPagePanel(main, C_TAB, 0);
    EXPECT_EQ(ui->boundingRect(page, P_ENABLE).topLeft(), QPoint(5, 5));

    ui->setSwitchLabels(main, C_SWITCH, "DIGITAL-COMPARATION-MODE", "ANALOG-DIGITAL-CONV.-MODE");
    EXPECT_EQ(ui->getText(main, C_SWITCH), "ANALOG-DIGITAL-CONV.-MODE");
    ui->setInt(main, C_SWITCH, 1);
    EXPECT_EQ(ui->getText(main, C_SWITCH), "DIGITAL-COMPARATION-MODE");

    const int a = ui->newTextCtrl(main, "KORVO-KM-Scope", 300, 35);
    const int b = ui->newTextCtrl(main, "V3.18", 450, 42);
    ASSERT_GE(a, 1);
    EXPECT_NE(a, b);
    EXPECT_EQ(ui->ctrl(main, C_RUN)->property("ctrlId").toInt(), C_RUN);  // untouched
    EXPECT_EQ(ui->getText(main, a), "KORVO-KM-Scope");
    EXPECT_EQ(ui->boundingRect(main, b).topLeft(), QPoint(450, 42));
}

TEST_F(ControlValues, PictureTakesTheBitmapAndItsSize) {
    QImage img(24, 12, QImage::Format_RGB32);
    img.fill(Qt::blue);
    ASSERT_TRUE(img.save(dir.filePath("logo.bmp")));
    EXPECT_TRUE(ui->displayImageFile(main, C_PICTURE, "logo.bmp"));
    EXPECT_EQ(ui->boundingRect(main, C_PICTURE).size(), QSize(24, 12));
    EXPECT_FALSE(ui->displayImageFile(main, C_PICTURE, "missing.bmp"));
}

// A debug build stops at an access to an id that no control has and names it; a release build
// goes on without the access. Asking whether the control is there is no slip.
TEST_F(ControlValues, AnUnknownControlIdStopsADebugBuild) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const std::pair<const char*, std::function<void()>> accesses[] = {
        {"setInt", [&] { ui->setInt(main, 99, 1); }},
        {"getText", [&] { ui->getText(main, 99); }},
        {"setDimmed", [&] { ui->setDimmed(main, 99, true); }},
        {"boundingRect", [&] { ui->boundingRect(main, 99); }},
        {"rightClick", [&] { ui->rightClick(main, 99); }},
    };
    for (const auto& [access, run] : accesses)
        EXPECT_DEBUG_DEATH(run(), std::string(access) + ": no control 99 on panel");
    EXPECT_FALSE(ui->hasCtrl(main, 99));
}

}  // namespace
}  // namespace korvo::ui::test
