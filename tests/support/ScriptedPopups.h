#pragma once
// Pop-ups for tests: the test queues the pop-ups it expects, in order, with their answers. A
// pop-up that was not expected, or that differs from the next expected one, fails the test; every
// pop-up shown is recorded. Call expectAllShown() at the end of a test to check that none of the
// queued pop-ups is left over.

#include <gtest/gtest.h>

#include <QString>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "ui/Popups.h"

namespace korvo::test {

class ScriptedPopups final : public ui::Popups {
public:
    enum class Kind { Message, Confirm, File };

    // A pop-up as shown, or as expected with its answer (confirm) or choice (file selection).
    struct Popup {
        Kind kind = Kind::Message;
        QString title;
        QString text;  // message and confirm; null: any (a message with the system's words)
        QString directory, defaultName, filter;  // file selection as shown
        bool answer = false;
        ui::FileChoice choice;
    };

    void expectMessage(const QString& title, const QString& text) {
        queue_.push_back({Kind::Message, title, text});
    }
    void expectConfirm(const QString& title, const QString& text, bool answer) {
        queue_.push_back({Kind::Confirm, title, text, {}, {}, {}, answer});
    }
    void expectFile(const QString& title, ui::FileChoice choice) {
        queue_.push_back({Kind::File, title, {}, {}, {}, {}, false, std::move(choice)});
    }

    const std::vector<Popup>& shown() const { return shown_; }
    void expectAllShown() {
        for (const Popup& e : queue_)
            ADD_FAILURE() << "expected " << describe(e) << " was not shown";
        queue_.clear();
    }

    void message(const QString& title, const QString& text) override {
        take({Kind::Message, title, text});
    }
    bool confirm(const QString& title, const QString& text) override {
        const Popup* e = take({Kind::Confirm, title, text});
        return e && e->answer;
    }
    ui::FileChoice fileSelect(const QString& directory, const QString& defaultName,
                              const QString& filter, const QString& title) override {
        const Popup* e = take({Kind::File, title, {}, directory, defaultName, filter});
        return e ? e->choice : ui::FileChoice{};
    }

private:
    static std::string describe(const Popup& p) {
        static const char* const names[] = {"message", "confirm", "file selection"};
        return std::string(names[static_cast<int>(p.kind)]) + " pop-up \"" + p.title.toStdString() +
               "\": \"" + p.text.toStdString() + "\"";
    }

    // Records the pop-up and takes the next expectation; nullptr (and a failure) when the kind
    // differs. A differing title or text fails too, but the queued answer still applies.
    const Popup* take(const Popup& s) {
        shown_.push_back(s);
        if (queue_.empty()) {
            ADD_FAILURE() << "unexpected " << describe(s);
            return nullptr;
        }
        last_ = queue_.front();
        queue_.pop_front();
        if (last_.kind != s.kind || last_.title != s.title ||
            (!last_.text.isNull() && last_.text != s.text)) {
            ADD_FAILURE() << "pop-up mismatch: expected " << describe(last_) << ", shown "
                          << describe(s);
            if (last_.kind != s.kind) return nullptr;
        }
        return &last_;
    }

    std::deque<Popup> queue_;
    Popup last_;
    std::vector<Popup> shown_;
};

}  // namespace korvo::test
