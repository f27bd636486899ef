#include "ScopeAppFixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "app/Startup.h"

namespace korvo::test {

ProgramDir::ProgramDir() {
    // The build puts the layout files and bitmaps beside its programs, this one included.
    const QDir bin(QCoreApplication::applicationDirPath());
    const QStringList files =
        bin.entryList({QStringLiteral("*.uir"), QStringLiteral("*.bmp")}, QDir::Files);
    EXPECT_GE(files.size(), 4) << "layout files missing in " << bin.path().toStdString();
    for (const QString& f : files) QFile::copy(bin.filePath(f), file(f));
}

QString ProgramDir::file(const QString& name) const {
    return QDir(path()).filePath(name);
}

void ProgramDir::remove(const QString& name) const {
    QFile::remove(file(name));
}

void ProgramDir::write(const QString& name, const QByteArray& bytes) const {
    QFile f(file(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray ProgramDir::read(const QString& name) const {
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool ProgramDir::exists(const QString& name) const {
    return QFile::exists(file(name));
}

int ScopeAppTest::start() {
    platform_ = std::make_unique<ui::Platform>(dir.path());
    auto scripted = std::make_unique<ScriptedPopups>();
    popups = scripted.get();
    platform_->setPopups(std::move(scripted));
    app_ = std::make_unique<ScopeApp>(*platform_);
    return StartScopeApp(*app_);
}

void ScopeAppTest::usePopups(std::unique_ptr<ui::Popups> replacement) {
    popups = nullptr;
    platform_->setPopups(std::move(replacement));
}

void ScopeAppTest::TearDown() {
    if (popups) popups->expectAllShown();
    app_.reset();
    platform_.reset();
}

QByteArray crlf(const char* lines) {
    QByteArray b(lines);
    b.replace("\n", "\r\n");
    return b;
}

}  // namespace korvo::test
