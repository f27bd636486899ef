#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "ui/Popups.h"

namespace korvo::ui {
namespace {

QWidget* dialogParent() {
    return QApplication::activeWindow();
}

// "*.ini" -> "ini"; empty when the filter names no single extension.
QString suffixOf(const QString& filter) {
    const QString f = filter.trimmed();
    if (!f.startsWith(QLatin1String("*.")) || f.contains(QLatin1Char(' ')) ||
        f.contains(QLatin1Char(';')))
        return {};
    const QString suffix = f.mid(2);
    return suffix.contains(QLatin1Char('*')) ? QString() : suffix;
}

}  // namespace

void DialogPopups::message(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, dialogParent());
    box.exec();
}

bool DialogPopups::confirm(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
                    dialogParent());
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

FileChoice DialogPopups::fileSelect(const QString& directory, const QString& defaultName,
                                    const QString& filter, const QString& title) {
    QFileDialog dialog(dialogParent(), title, directory);
    dialog.setFileMode(QFileDialog::AnyFile);  // existing or new files
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // The program asks about overwriting itself, with its own words.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    // Qt's own dialog everywhere: a desktop's native "open" dialog would not take a new name.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setLabelText(QFileDialog::Accept, QObject::tr("OK"));
    const QString suffix = suffixOf(filter);
    if (!filter.isEmpty()) dialog.setNameFilter(filter);
    if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
    if (!defaultName.isEmpty()) dialog.selectFile(QDir(directory).filePath(defaultName));

    FileChoice choice;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return choice;
    QString path = dialog.selectedFiles().constFirst();
    // The selection is restricted to the filter's extension.
    if (!suffix.isEmpty() && QFileInfo(path).suffix().compare(suffix, Qt::CaseInsensitive) != 0)
        path += QLatin1Char('.') + suffix;
    const QFileInfo info(path);
    if (info.isDir()) return choice;
    choice.path = info.absoluteFilePath();
    choice.status = info.exists() ? FileChoice::Existing : FileChoice::New;
    return choice;
}

}  // namespace korvo::ui
