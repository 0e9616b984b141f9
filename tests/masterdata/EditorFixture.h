#pragma once
// A master-data editor on a fresh database, made as the menu makes it and
// shown; its unsaved changes are dropped before it is freed, so that no
// question stops the test's end.
#include <gtest/gtest.h>
#include <memory>
#include <optional>

#include "core/uFormClasses.h"
#include "framework/QuorendFormClasses.h"
#include "support/DatabaseTest.h"

namespace testsupport {

template <class Form> class EditorTest : public DatabaseTest
{
protected:
    void TearDown() override
    {
        if (form)
            form->SetModified(false);
        form.reset();
        DatabaseTest::TearDown();
    }

    // The editor made, given the settings of its menu item when there are
    // any, and shown.
    void Open(const std::optional<TEditorSettings> &Settings = std::nullopt)
    {
        form.reset(CreateQuorendForm<Form>(nullptr, fsNormal));
        if (Settings) {
            TFormParams params;
            params.Settings = Settings;
            form->Configure(params);
        }
        ASSERT_TRUE(form->ShowForm());
    }

    std::unique_ptr<Form> form;
};

} // namespace testsupport
