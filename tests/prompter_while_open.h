#pragma once
// A prompter for tests that lets something reach the program while a
// message box is open, as the event loop of a modal box would deliver it.

#include "platform/platform.h"

#include <functional>
#include <memory>
#include <utility>

namespace vz::test {

// Answers as the fake does, and runs `whileOpen` while the first question is
// open, as a click reaching the program during a modal box would.
class PrompterWithClickWhileOpen final : public Prompter {
public:
    PrompterWithClickWhileOpen(std::unique_ptr<Prompter> inner, std::function<void()> whileOpen)
        : inner_(std::move(inner)), whileOpen_(std::move(whileOpen)) {}
    void beep(Icon icon) override { inner_->beep(icon); }
    Answer ask(const QString& caption, const QString& text, Buttons buttons, Icon icon, Answer defaultAnswer) override {
        const Answer answer = inner_->ask(caption, text, buttons, icon, defaultAnswer);
        if (auto click = std::exchange(whileOpen_, nullptr)) click();
        return answer;
    }
    bool informWithCheckBox(const QString& caption, const QString& text, const QString& box, bool& checked) override {
        return inner_->informWithCheckBox(caption, text, box, checked);
    }

private:
    std::unique_ptr<Prompter> inner_;
    std::function<void()> whileOpen_;
};

}  // namespace vz::test
