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
        QString text;  // message and confirm
        // file selection
        QString directory;
        QString defaultName;
        QString filter;
    };

    void expectMessage(const QString& title, const QString& text) {
        queue_.push_back(Expected{Kind::Message, title, text, false, {}});
    }
    void expectConfirm(const QString& title, const QString& text, bool answer) {
        queue_.push_back(Expected{Kind::Confirm, title, text, answer, {}});
    }
    void expectFile(const QString& title, ui::FileChoice choice) {
        queue_.push_back(Expected{Kind::File, title, {}, false, std::move(choice)});
    }

    const std::vector<Shown>& shown() const { return shown_; }
    bool allShown() const { return queue_.empty(); }
    size_t pending() const { return queue_.size(); }
    void expectAllShown() {
        for (const Expected& e : queue_)
            ADD_FAILURE() << "expected " << kindName(e.kind) << " pop-up \""
                          << e.title.toStdString() << "\" was not shown";
        queue_.clear();
    }

    void message(const QString& title, const QString& text) override {
        shown_.push_back(Shown{Kind::Message, title, text, {}, {}, {}});
        take(Kind::Message, title, text);
    }

    bool confirm(const QString& title, const QString& text) override {
        shown_.push_back(Shown{Kind::Confirm, title, text, {}, {}, {}});
        const Expected* e = take(Kind::Confirm, title, text);
        return e && e->answer;
    }

    ui::FileChoice fileSelect(const QString& directory, const QString& defaultName,
                              const QString& filter, const QString& title) override {
        shown_.push_back(Shown{Kind::File, title, {}, directory, defaultName, filter});
        const Expected* e = take(Kind::File, title, {});
        return e ? e->choice : ui::FileChoice{};
    }

private:
    struct Expected {
        Kind kind;
        QString title;
        QString text;
        bool answer;
        ui::FileChoice choice;
    };

    static const char* kindName(Kind k) {
        switch (k) {
            case Kind::Message:
                return "message";
            case Kind::Confirm:
                return "confirm";
            case Kind::File:
                return "file selection";
        }
        return "?";
    }

    // Takes the next expectation; nullptr (and a failure) when the pop-up is not the one expected.
    const Expected* take(Kind kind, const QString& title, const QString& text) {
        if (queue_.empty()) {
            ADD_FAILURE() << "unexpected " << kindName(kind) << " pop-up \"" << title.toStdString()
                          << "\": \"" << text.toStdString() << "\"";
            return nullptr;
        }
        last_ = queue_.front();
        queue_.pop_front();
        if (last_.kind != kind || last_.title != title || last_.text != text) {
            ADD_FAILURE() << "pop-up mismatch: expected " << kindName(last_.kind) << " \""
                          << last_.title.toStdString() << "\": \"" << last_.text.toStdString()
                          << "\", shown " << kindName(kind) << " \"" << title.toStdString()
                          << "\": \"" << text.toStdString() << "\"";
            if (last_.kind != kind) return nullptr;
        }
        return &last_;
    }

    std::deque<Expected> queue_;
    Expected last_{};
    std::vector<Shown> shown_;
};

}  // namespace korvo::test
