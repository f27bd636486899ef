#pragma once
// The modal pop-ups behind one interface: Qt dialogs in the program, a scripted double in tests.

#include <QString>

namespace korvo::ui {

struct FileChoice {
    enum Status { Cancelled = 0, Existing = 1, New = 2 };
    Status status = Cancelled;
    QString path;
};

class Popups {
public:
    virtual ~Popups() = default;
    virtual void message(const QString& title, const QString& text) = 0;
    // true for yes
    virtual bool confirm(const QString& title, const QString& text) = 0;
    // directory and default file name to start with, filter such as "*.ini" (selection restricted
    // to it), title; cancel and new folders allowed. Reports whether the chosen file exists.
    virtual FileChoice fileSelect(const QString& directory, const QString& defaultName,
                                  const QString& filter, const QString& title) = 0;
};

// Qt dialogs.
class DialogPopups final : public Popups {
public:
    void message(const QString& title, const QString& text) override;
    bool confirm(const QString& title, const QString& text) override;
    FileChoice fileSelect(const QString& directory, const QString& defaultName,
                          const QString& filter, const QString& title) override;
};

}  // namespace korvo::ui
