// Control values and attributes as the program reads them back.

#include <QImage>
#include <QLabel>
#include <QLineEdit>

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
    int main = 0;
};

TEST_F(ControlValues, RingsSelectByItemValue) {
    std::vector<int> values;
    for (const RingItem& i : ui->ringItems(main, C_RING)) values.push_back(i.value);
    EXPECT_EQ(values, (std::vector<int>{1, 2, 4, 8}));
    values.clear();
    for (const RingItem& i : ui->ringItems(main, C_RING_PLAIN)) values.push_back(i.value);
    EXPECT_EQ(values, (std::vector<int>{0, 1}));  // without ringValues: the item index

    ui->setInt(main, C_RING, 4);
    EXPECT_EQ(ui->getText(main, C_RING), "C");
    EXPECT_EQ(ui->getInt(main, C_RING), 4);
    // A value no item has: no selection, and the value reads back.
    ui->setInt(main, C_RING, 3);
    EXPECT_EQ(ui->getText(main, C_RING), "");
    EXPECT_EQ(ui->getInt(main, C_RING), 3);

    ui->clearRing(main, C_RING);
    EXPECT_TRUE(ui->ringItems(main, C_RING).empty());
    ui->insertRingItem(main, C_RING, "TEACH IN0", 5);
    ui->insertRingItem(main, C_RING, "SAVE-VTHD->EE", 3);
    ui->setInt(main, C_RING, 3);
    EXPECT_EQ(ui->getText(main, C_RING), "SAVE-VTHD->EE");
    ASSERT_EQ(ui->ringItems(main, C_RING).size(), 2u);
    EXPECT_EQ(ui->ringItems(main, C_RING)[0].label, "TEACH IN0");
}

TEST_F(ControlValues, NumbersAndTexts) {
    ui->setDouble(main, C_DBL, 0.1234);
    EXPECT_EQ(ui->decimals(main, C_DBL), 3);
    EXPECT_DOUBLE_EQ(ui->getDouble(main, C_DBL), 0.123);
    ui->setDecimals(main, C_DBL, 1);
    EXPECT_EQ(ui->decimals(main, C_DBL), 1);
    EXPECT_DOUBLE_EQ(ui->getDouble(main, C_DBL), 0.1);

    ui->setInt(main, C_NUM, 9999);  // above the field's maximum of 5000
    EXPECT_EQ(ui->getInt(main, C_NUM), 5000);
    ui->setInt(main, C_READOUT, 42);
    EXPECT_EQ(ui->getInt(main, C_READOUT), 42);

    ui->setText(main, C_STATUS, "Data-Transfer Stopped!");
    EXPECT_EQ(ui->getText(main, C_STATUS), "Data-Transfer Stopped!");
    // A text display is a read-only line edit, so its text is there for screen readers too.
    auto* status = qobject_cast<QLineEdit*>(ui->ctrl(main, C_STATUS));
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->isReadOnly());

    ui->setInt(main, C_LED, 1);
    EXPECT_EQ(ui->getInt(main, C_LED), 1);
}

TEST_F(ControlValues, TextBoxLines) {
    ui->resetTextBox(main, C_BOX, "RUN-BUTTON:\nStart the continuosly serial RS232-data-");
    EXPECT_EQ(ui->textBoxLines(main, C_BOX),
              (QStringList{"RUN-BUTTON:", "Start the continuosly serial RS232-data-"}));
    ui->replaceTextBoxLine(main, C_BOX, 1, "second");
    ui->replaceTextBoxLine(main, C_BOX, 3, "fourth");
    EXPECT_EQ(ui->textBoxLines(main, C_BOX), (QStringList{"RUN-BUTTON:", "second", "", "fourth"}));
    ui->resetTextBox(main, C_BOX, "");
    EXPECT_TRUE(ui->textBoxLines(main, C_BOX).isEmpty());
}

TEST_F(ControlValues, AttributesReadBackAsSet) {
    ui->setTextColor(main, C_READOUT, 0xFF0000);
    ui->setBackgroundColor(main, C_READOUT, 0xC0C0C0);
    EXPECT_EQ(ui->textColor(main, C_READOUT), 0xFF0000u);
    EXPECT_EQ(ui->backgroundColor(main, C_READOUT), 0xC0C0C0u);
    ui->setTextColor(main, C_RUN, 0x008000);
    EXPECT_EQ(ui->textColor(main, C_RUN), 0x008000u);

    ui->setBold(main, C_RUN, true);
    EXPECT_TRUE(ui->bold(main, C_RUN));

    ui->setCtrlPos(main, C_BOX, 10, 110);
    EXPECT_EQ(ui->boundingRect(main, C_BOX), QRect(10, 110, 200, 80));

    // Controls inside a tab page report positions in the page.
    const int page = ui->tabPagePanel(main, C_TAB, 0);
    EXPECT_EQ(ui->boundingRect(page, P_ENABLE).topLeft(), QPoint(5, 5));

    ui->setLabel(main, C_CHECK, "P7");
    EXPECT_EQ(ui->label(main, C_CHECK), "P7");
    ui->setLabel(main, C_NUM, "E-BEG");
    EXPECT_EQ(ui->label(main, C_NUM), "E-BEG");

    EXPECT_EQ(ui->switchLabels(main, C_SWITCH), (std::pair<QString, QString>{"HIGH", "LOW"}));
    ui->setSwitchLabels(main, C_SWITCH, "DIGITAL-COMPARATION-MODE", "ANALOG-DIGITAL-CONV.-MODE");
    EXPECT_EQ(ui->getText(main, C_SWITCH), "ANALOG-DIGITAL-CONV.-MODE");
    ui->setInt(main, C_SWITCH, 1);
    EXPECT_EQ(ui->getText(main, C_SWITCH), "DIGITAL-COMPARATION-MODE");
}

TEST_F(ControlValues, TextControlsMadeAtRunTime) {
    const int a = ui->newTextCtrl(main, "KORVO-KM-Scope", 300, 35);
    const int b = ui->newTextCtrl(main, "V3.18", 450, 42);
    ASSERT_GE(a, 1);
    EXPECT_NE(a, b);
    EXPECT_EQ(ui->ctrl(main, C_RUN)->property("ctrlId").toInt(), C_RUN);  // untouched
    QWidget* w = ui->ctrl(main, a);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(ui->getText(main, a), "KORVO-KM-Scope");
    EXPECT_TRUE(w->accessibleName().isEmpty());  // the text itself names it
    EXPECT_EQ(ui->boundingRect(main, b).topLeft(), QPoint(450, 42));
    EXPECT_TRUE(ui->visible(main, a));
    ui->setToolTip(main, a, "Build: 06/Nov/2013");
    EXPECT_EQ(w->toolTip(), "Build: 06/Nov/2013");
}

TEST_F(ControlValues, PictureTakesTheBitmapAndItsSize) {
    QImage img(24, 12, QImage::Format_RGB32);
    img.fill(Qt::blue);
    ASSERT_TRUE(img.save(dir.filePath("logo.bmp")));
    EXPECT_TRUE(ui->displayImageFile(main, C_PICTURE, "logo.bmp"));
    EXPECT_EQ(ui->boundingRect(main, C_PICTURE).size(), QSize(24, 12));
    EXPECT_FALSE(ui->displayImageFile(main, C_PICTURE, "missing.bmp"));
}

}  // namespace
}  // namespace korvo::ui::test
