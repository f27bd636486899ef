// The Qt dialogs behind the pop-up interface, driven as a user would, and the scripted double
// that the program's tests use.

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "support/QtPrinters.h"
#include "support/ScriptedPopups.h"
#include "ui/Popups.h"

namespace korvo::ui {
namespace {

// Runs `act` on the modal dialog once it is up.
void whenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* w = QApplication::activeModalWidget();
        ASSERT_NE(w, nullptr);
        act(w);
    });
}

FileChoice choose(const QString& dir, const QString& name) {
    whenModal([dir, name](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(QDir(dir).filePath(name));
        static_cast<QDialog*>(dialog)->accept();  // as the OK button does
    });
    return DialogPopups().fileSelect(dir, "KORVO-PARA.ini", "*.ini",
                                     "KORVO-KM-Series-Parameter-File");
}

TEST(DialogPopups, FileSelectionReportsExistingOrNewAndKeepsTheExtension) {
    QTemporaryDir dir;
    QFile existing(dir.filePath("old.ini"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));

    FileChoice c = choose(dir.path(), "old.ini");
    EXPECT_EQ(c.status, FileChoice::Existing);
    EXPECT_EQ(c.path, QDir(dir.path()).absoluteFilePath("old.ini"));

    c = choose(dir.path(), "fresh.ini");
    EXPECT_EQ(c.status, FileChoice::New);  // no overwrite question from the dialog itself

    c = choose(dir.path(), "other.txt");  // the selection is restricted to the filter
    EXPECT_EQ(c.status, FileChoice::New);
    EXPECT_TRUE(c.path.endsWith(".ini")) << c.path.toStdString();
}

TEST(DialogPopups, CancelledFileSelectionAndConfirmAnswers) {
    whenModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    const FileChoice c = DialogPopups().fileSelect(QDir::tempPath(), "MPLEX16.ini", "*.ini",
                                                   "MPLEX Initialisation File");
    EXPECT_EQ(c.status, FileChoice::Cancelled);

    for (bool yes : {true, false}) {
        whenModal([yes](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->windowTitle(), "ATTENTION!");
            EXPECT_EQ(box->text(), "Parameter-File already exists - overwrite ?");
            box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        EXPECT_EQ(
            DialogPopups().confirm("ATTENTION!", "Parameter-File already exists - overwrite ?"),
            yes);
    }
}

// The scripted double must fail a test on pop-ups it was not told about.
TEST(ScriptedPopups, FailsOnSurprisesMismatchesAndLeftOvers) {
    test::ScriptedPopups p;
    EXPECT_NONFATAL_FAILURE(p.message("ATTENTION!", "surprise"), "unexpected message");
    p.expectConfirm("ATTENTION!", "overwrite ?", true);
    bool answer = false;
    EXPECT_NONFATAL_FAILURE(answer = p.confirm("ATTENTION!", "other text"), "pop-up mismatch");
    EXPECT_TRUE(answer);  // same kind: the queued answer still applies
    p.expectMessage("A", "b");
    EXPECT_NONFATAL_FAILURE(p.expectAllShown(), "was not shown");
}

}  // namespace
}  // namespace korvo::ui
