#pragma once
// Pop-ups for tests: the test queues the pop-ups it expects, in order, with their answers. A
// pop-up that was not expected, or that differs from the next expected one, fails the test; every
// pop-up shown is recorded. Call expectAllShown() at the end of a test to check that none of the
// queued pop-ups is left over.

#include <gtest/gtest.h>

#include <QString>
#include <deque>
#include <utility>
#include <vector>

#include "ui/Popups.h"

namespace korvo::test {

class ScriptedPopups final : public ui::Popups {
public:
    enum class Kind { Message, Confirm, File };

    struct Shown {
        Kind kind = Kind::Message;
        QString title;
        QString text;                            // message and confirm
        QString directory, defaultName, filter;  // file selection
    };

    // A null text matches any text (for messages that carry the operating system's words).
    void expectMessage(const QString& title, const QString& text) {
        queue_.push_back({Kind::Message, title, text, false, {}});
    }
    void expectConfirm(const QString& title, const QString& text, bool answer) {
        queue_.push_back({Kind::Confirm, title, text, answer, {}});
    }
    void expectFile(const QString& title, ui::FileChoice choice) {
        queue_.push_back({Kind::File, title, {}, false, std::move(choice)});
    }

    const std::vector<Shown>& shown() const { return shown_; }
    void expectAllShown() {
        for (const Expected& e : queue_)
            ADD_FAILURE() << "expected " << name(e.kind) << " pop-up \"" << e.title.toStdString()
                          << "\" was not shown";
        queue_.clear();
    }

    void message(const QString& title, const QString& text) override {
        take({Kind::Message, title, text, {}, {}, {}});
    }
    bool confirm(const QString& title, const QString& text) override {
        const Expected* e = take({Kind::Confirm, title, text, {}, {}, {}});
        return e && e->answer;
    }
    ui::FileChoice fileSelect(const QString& directory, const QString& defaultName,
                              const QString& filter, const QString& title) override {
        const Expected* e = take({Kind::File, title, {}, directory, defaultName, filter});
        return e ? e->choice : ui::FileChoice{};
    }

private:
    struct Expected {
        Kind kind = Kind::Message;
        QString title;
        QString text;
        bool answer = false;
        ui::FileChoice choice;
    };

    static const char* name(Kind k) {
        static const char* const names[] = {"message", "confirm", "file selection"};
        return names[static_cast<int>(k)];
    }

    // Records the pop-up and takes the next expectation; nullptr (and a failure) when the kind
    // differs. A differing title or text fails too, but the queued answer still applies.
    const Expected* take(const Shown& s) {
        shown_.push_back(s);
        const auto describe = [](Kind k, const QString& title, const QString& text) {
            return std::string(name(k)) + " \"" + title.toStdString() + "\": \"" +
                   text.toStdString() + "\"";
        };
        if (queue_.empty()) {
            ADD_FAILURE() << "unexpected " << describe(s.kind, s.title, s.text);
            return nullptr;
        }
        last_ = queue_.front();
        queue_.pop_front();
        if (last_.kind != s.kind || last_.title != s.title ||
            (!last_.text.isNull() && last_.text != s.text)) {
            ADD_FAILURE() << "pop-up mismatch: expected "
                          << describe(last_.kind, last_.title, last_.text) << ", shown "
                          << describe(s.kind, s.title, s.text);
            if (last_.kind != s.kind) return nullptr;
        }
        return &last_;
    }

    std::deque<Expected> queue_;
    Expected last_;
    std::vector<Shown> shown_;
};

}  // namespace korvo::test
