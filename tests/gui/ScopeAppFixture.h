#pragma once
// A started program for GUI tests: a program directory of its own in a temporary folder (the
// layout files and bitmaps copied from the build's program directory, where this test program
// runs too), a platform with scripted pop-ups and a ScopeApp started on it.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "app/ScopeApp.h"
#include "support/ScriptedPopups.h"
#include "ui/Platform.h"

namespace korvo::test {

// A temporary program directory holding copies of the layout files and bitmaps.
class ProgramDir {
public:
    ProgramDir();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const;
    void remove(const QString& name) const;
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;
    bool exists(const QString& name) const;

private:
    QTemporaryDir dir_;
};

class ScopeAppTest : public ::testing::Test {
protected:
    // Builds platform and program on the program directory; returns the start-up result.
    int start();
    // Replaces the scripted pop-ups (for tests that check a pop-up's text only in part).
    void usePopups(std::unique_ptr<ui::Popups> popups);
    void TearDown() override;

    ui::Platform& ui() { return *platform_; }
    ScopeApp& app() { return *app_; }
    const Panels& panels() const { return app_->panels; }
    int portPanel(int group, int port) const { return app_->panels.portPanels[group][port]; }

    ProgramDir dir;
    ScriptedPopups* popups = nullptr;  // owned by the platform

private:
    std::unique_ptr<ui::Platform> platform_;
    std::unique_ptr<ScopeApp> app_;
};

// CR LF line ends for INI text written in a test.
QByteArray crlf(const char* lines);

}  // namespace korvo::test
