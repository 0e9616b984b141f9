#pragma once
// The dialog back-end of a benchmark whose windows may ask: every question
// answered with its default while it lives, so nothing waits for a hand.
#include "platform/ui/MessageBox.h"

namespace bench {

class SilentDialogs : public platform::DialogBackend
{
public:
    SilentDialogs() : previous_(platform::SetDialogBackend(this)) {}
    ~SilentDialogs() override { platform::SetDialogBackend(previous_); }
    SilentDialogs(const SilentDialogs &) = delete;
    SilentDialogs &operator=(const SilentDialogs &) = delete;

    TModalResult ShowMessageBox(const platform::MessageBoxRequest &) override { return mrOk; }
    bool ShowInputBox(const platform::InputBoxRequest &, QString &) override { return false; }

private:
    platform::DialogBackend *previous_;
};

} // namespace bench
